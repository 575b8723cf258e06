// Linked into a test build of Setup.exe in place of the real step hooks: the
// install or uninstall ends its own process right after the change whose
// number (from 1) the environment variable SETUP_KILL_AFTER_STEP gives, as a
// kill would, so that a test can see what the next start does with the disk
// as it is then. SETUP_STEP_DELAY_MS makes each change take that long, for a
// copy slow enough to watch. SETUP_FAIL_FLUSH names the kind of journal line ("finished",
// "set-aside", ...) whose flush fails, as on a disk that just filled up.

#include <windows.h>

#include <cstdlib>
#include <string>

#include "process/change_step.h"

namespace {

// The exit status of a run that ended itself: never one of Setup.exe's own.
constexpr UINT kKilledStatus = 0xDEAD;

unsigned StepToEndAfter() {
    const char* value = std::getenv("SETUP_KILL_AFTER_STEP");
    return value == nullptr ? 0 : static_cast<unsigned>(std::strtoul(value, nullptr, 10));
}

// The name that a journal line of this kind begins with.
std::string KindName(JournalEntryKind kind) {
    const std::string line = JournalLine(JournalEntry{kind, u"", u"", ""});
    return line.substr(0, line.find_first_of("\t\r"));
}

}  // namespace

void AfterChange() {
    const char* delay = std::getenv("SETUP_STEP_DELAY_MS");
    if (delay != nullptr) {
        Sleep(static_cast<DWORD>(std::strtoul(delay, nullptr, 10)));
    }
    // A test build's own count: Setup.exe itself keeps no such state.
    static unsigned stepsDone = 0;
    if (++stepsDone == StepToEndAfter()) {
        (void)TerminateProcess(GetCurrentProcess(), kKilledStatus);
    }
}

bool FlushJournalToDisk(HANDLE file, JournalEntryKind kind) {
    const char* failing = std::getenv("SETUP_FAIL_FLUSH");
    if (failing != nullptr && KindName(kind) == failing) {
        return false;
    }
    return FlushFileBuffers(file) != FALSE;
}
