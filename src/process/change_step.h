#pragma once
// The moments between two changes of an install or an uninstall: where a
// test build ends the process as a kill would, or fails a write, to prove
// that the next start puts the disk right.

#include <windows.h>

#include "setupfile/journal_lines.h"

// Called right after each change that an install or an uninstall makes on
// the disk. Here it does nothing; a test build links its own, which ends the
// process there.
void AfterChange();

// Puts what the journal `file` holds onto the disk itself, right after a
// line of `kind` that puts a user's file at stake; false when it can't. A
// test build links its own, which fails or counts it.
bool FlushJournalToDisk(HANDLE file, JournalEntryKind kind);
