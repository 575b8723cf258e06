#include "process/elevation_choice.h"

#include <cstdint>
#include <cstdio>

bool ShouldRestartElevated(const ElevationFacts& facts) {
    // Run mode starts the patch's programs, which must get the user's own rights.
    const bool modeNeedsRights = facts.mode == Mode::Install || facts.mode == Mode::Uninstall;
    return modeNeedsRights && facts.rightsTestFailed && facts.token == TokenKind::Limited && !facts.restarted;
}

namespace {

template <typename Char>
std::basic_string<Char> RestAfterProgramName(const Char* line) {
    if (line == nullptr) {
        return std::basic_string<Char>();
    }
    const Char* p = line;
    while (*p == ' ') {
        ++p;
    }
    const Char terminator = (*p == '"') ? '"' : ' ';
    if (terminator == '"') {
        ++p;
    }
    while (*p != '\0' && *p != terminator) {
        ++p;
    }
    if (*p != '\0') {
        ++p;  // the program name's terminator
    }
    return std::basic_string<Char>(p);
}

}  // namespace

std::string ArgumentsAfterProgramName(const char* line) {
    return RestAfterProgramName(line);
}

std::wstring ArgumentsAfterProgramName(const wchar_t* line) {
    return RestAfterProgramName(line);
}

namespace {

const char kObjectPrefix[] = "Local\\PatchSetup.";
const char kRestartMarkerKind[] = "ElevatedStart";

// FNV-1a, 32 bits: object names can't hold the path itself (no backslash,
// and a path may be longer than a name may be).
constexpr std::uint32_t kFnvOffset = 2166136261u;
constexpr std::uint32_t kFnvPrime = 16777619u;

}  // namespace

std::string SessionObjectName(const char* kind, const std::wstring& path) {
    std::uint32_t hash = kFnvOffset;
    // Each character's code, two bytes of it at a time as the platform holds it.
    for (wchar_t c : path) {
        const std::uint32_t folded = (c >= L'A' && c <= L'Z') ? static_cast<std::uint32_t>(c - L'A' + L'a')
                                                              : static_cast<std::uint32_t>(c);
        hash = (hash ^ (folded & 0xFF)) * kFnvPrime;
        hash = (hash ^ ((folded >> 8) & 0xFF)) * kFnvPrime;
    }
    char hex[9];
    std::snprintf(hex, sizeof(hex), "%08x", static_cast<unsigned>(hash));
    return kObjectPrefix + std::string(kind) + "." + hex;
}

std::string RestartMarkerName(const std::wstring& path) {
    return SessionObjectName(kRestartMarkerKind, path);
}
