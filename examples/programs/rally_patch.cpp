// RallyPatch.exe: the patch's own program. The launcher (GamePatch.exe, a copy
// of Setup.exe) starts it from the installed folder before the game on the
// disc and waits for it to end.

#include <windows.h>

#include "program_facts.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string text = DescribeStart("Skyward Rally patch 1.1 is ready.");
    // Only the box matters here; its answer (OK) changes nothing.
    (void)MessageBoxA(nullptr, text.c_str(), "Skyward Rally Patch 1.1", MB_OK | MB_ICONINFORMATION);
    return 0;
}
