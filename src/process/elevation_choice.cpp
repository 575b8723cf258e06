#include "process/elevation_choice.h"

#include <cstdint>
#include <cstdio>

bool ShouldRestartElevated(const ElevationFacts& facts) {
    // Run mode starts the patch's programs, which must get the user's own rights.
    const bool modeNeedsRights = facts.mode == Mode::Install || facts.mode == Mode::Uninstall;
    return modeNeedsRights && facts.rightsTestFailed && facts.token == TokenKind::Limited && !facts.restarted;
}

std::string ArgumentsAfterProgramName(const char* line) {
    if (line == nullptr) {
        return std::string();
    }
    const char* p = line;
    while (*p == ' ') {
        ++p;
    }
    const char terminator = (*p == '"') ? '"' : ' ';
    if (terminator == '"') {
        ++p;
    }
    while (*p != '\0' && *p != terminator) {
        ++p;
    }
    if (*p != '\0') {
        ++p;  // the program name's terminator
    }
    return std::string(p);
}

namespace {

const char kMarkerPrefix[] = "Local\\PatchSetup.ElevatedStart.";

// FNV-1a, 32 bits: object names can't hold the path itself (no backslash,
// and a path may be longer than a name may be).
constexpr std::uint32_t kFnvOffset = 2166136261u;
constexpr std::uint32_t kFnvPrime = 16777619u;

}  // namespace

std::string RestartMarkerName(const std::string& path) {
    std::uint32_t hash = kFnvOffset;
    for (char c : path) {
        const char folded = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        hash = (hash ^ static_cast<unsigned char>(folded)) * kFnvPrime;
    }
    char hex[9];
    std::snprintf(hex, sizeof(hex), "%08x", static_cast<unsigned>(hash));
    return kMarkerPrefix + std::string(hex);
}
