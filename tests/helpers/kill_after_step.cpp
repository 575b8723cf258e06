// Linked into a test build of Setup.exe in place of the real step hook: the
// install ends its own process right after the change whose number (from 1)
// the environment variable SETUP_KILL_AFTER_STEP gives, as a kill would, so
// that a test can see what the next start does with the disk as it is then.

#include <windows.h>

#include <cstdlib>

#include "install/install_step.h"

namespace {

// The exit status of a run that ended itself: never one of Setup.exe's own.
constexpr UINT kKilledStatus = 0xDEAD;

unsigned StepToEndAfter() {
    const char* value = std::getenv("SETUP_KILL_AFTER_STEP");
    return value == nullptr ? 0 : static_cast<unsigned>(std::strtoul(value, nullptr, 10));
}

}  // namespace

void AfterInstallChange() {
    // A test build's own count: Setup.exe itself keeps no such state.
    static unsigned stepsDone = 0;
    if (++stepsDone == StepToEndAfter()) {
        (void)TerminateProcess(GetCurrentProcess(), kKilledStatus);
    }
}
