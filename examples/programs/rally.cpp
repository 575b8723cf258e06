// Rally.exe: stands in for the game on the disc. The launcher starts it with
// the root of the disc as its working folder.

#include <windows.h>

#include "program_facts.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string text = DescribeStart("Skyward Rally starts from the disc.");
    // Only the box matters here; its answer (OK) changes nothing.
    (void)MessageBoxA(nullptr, text.c_str(), "Skyward Rally", MB_OK | MB_ICONINFORMATION);
    return 0;
}
