#pragma once
// The journal of a running install: each change is written into it before
// it is made, so that a start after a kill finds what to put back.

#include <windows.h>

#include <string>

#include "setupfile/journal_lines.h"

struct InstallJournal {
    HANDLE file = INVALID_HANDLE_VALUE;
    std::wstring path;
};

// Creates the journal of an install into `targetFolder` (beside it); false
// when it can't be made, or one is there already.
bool StartJournal(const std::wstring& targetFolder, InstallJournal& journal);

// Writes the entry before the change it names is made. A durable entry is on
// the disk itself before the call returns, for a change that puts a user's
// file at stake; any other is handed to the system, which keeps it through a
// kill of the process. False when it couldn't be written: the change must
// not be made then.
bool WriteAhead(InstallJournal& journal, const JournalEntry& entry, bool durable);

// Closes the journal and deletes it: the install is undone, or done.
void EndJournal(InstallJournal& journal);

// Closes the journal and leaves it for the next start, which puts right
// what this one couldn't.
void CloseJournal(InstallJournal& journal);

// The bytes of the journal of an install into `targetFolder`; false when
// there is none (or it can't be read).
bool ReadJournalOf(const std::wstring& targetFolder, std::string& text);

// Deletes the journal of an install into `targetFolder` that was read and acted on.
bool DeleteJournalOf(const std::wstring& targetFolder);
