#include "process/change_step.h"

void AfterChange() {}

bool FlushJournalToDisk(HANDLE file, JournalEntryKind) {
    return FlushFileBuffers(file) != FALSE;
}
