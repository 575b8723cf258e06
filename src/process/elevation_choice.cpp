#include "process/elevation_choice.h"

#include <cstdio>

#include "setupfile/path_hash.h"

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

const char kSessionPrefix[] = "Local\\PatchSetup.";
const char kMachinePrefix[] = "Global\\PatchSetup.";
const char kRestartMarkerKind[] = "ElevatedStart";
// A dot, eight hex digits and the terminator.
constexpr std::size_t kProcessIdSize = 10;

}  // namespace

std::string SessionObjectName(const char* kind, const std::wstring& path) {
    return kSessionPrefix + std::string(kind) + "." + PathHashHex(path);
}

std::string MachineObjectName(const char* kind, const std::wstring& path) {
    return kMachinePrefix + std::string(kind) + "." + PathHashHex(path);
}

std::string RestartMarkerName(const std::wstring& path, unsigned long firstStart) {
    char process[kProcessIdSize];
    (void)std::snprintf(process, sizeof(process), ".%08lx", firstStart);
    return SessionObjectName(kRestartMarkerKind, path) + process;
}
