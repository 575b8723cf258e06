// RallyFix.dll: the library that the launcher preloads. It tells the programs
// that the launcher starts afterwards where the patch lies, through an
// environment variable that they inherit from the launcher.

#include <windows.h>

#include "program_facts.h"

namespace {

constexpr DWORD kPathCapacity = MAX_PATH + 1;

// The folder of the process that loaded the library, without a final backslash.
void AnnouncePatchFolder() {
    char path[kPathCapacity] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) {
        return;
    }
    char* lastSeparator = nullptr;
    for (char* c = path; *c != '\0'; c = CharNextA(c)) {
        if (*c == '\\' || *c == '/') {
            lastSeparator = c;
        }
    }
    if (lastSeparator == nullptr) {
        return;
    }
    *lastSeparator = '\0';
    // Without the variable the programs merely report that nothing was preloaded.
    (void)SetEnvironmentVariableA(kPatchDataVariable, path);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        AnnouncePatchFolder();
    }
    return TRUE;
}
