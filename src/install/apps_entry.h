#pragma once
// The patch's entry in Settings > Apps (Programs and Features on older
// Windows), where users look for a program to remove it.

#include <windows.h>

#include <string>
#include <vector>

#include "setupfile/journal_lines.h"

struct InstallChanges;

// One value of a registry key, kept whole so that it can be put back.
struct RegistryValue {
    std::wstring name;
    DWORD type;
    std::string data;
};

// What an install did to its entry, for a roll-back.
struct AppsEntryChange {
    std::wstring name;                   // empty: no entry was written
    bool existed = false;                // an entry of that name was there before
    std::vector<RegistryValue> earlier;  // its values then
};

struct AppsEntryValues {
    std::wstring displayName;
    std::wstring uninstallString;
    std::wstring displayIcon;
    std::wstring installLocation;
    std::wstring installDate;     // YYYYMMDD
    std::wstring displayVersion;  // left out when empty
    std::wstring publisher;       // left out when empty
    DWORD estimatedSizeKiB;
};

// Writes the entry `name` with exactly these values, once the journal holds
// the values of an entry of that name that was there before; records it in
// `changes`. False when it couldn't be written whole.
bool WriteAppsEntry(const std::wstring& name, const AppsEntryValues& values, InstallChanges& changes);

// Removes an entry that the install made, or puts back value for value the
// one that was there before; true when the entry is as it was.
bool UndoAppsEntry(const AppsEntryChange& change);

// The earlier value that an EntryValue line of the journal holds; false for
// one that can't be read.
bool AppsEntryValueOfJournal(const JournalEntry& entry, RegistryValue& value);
