#pragma once
// What an install changes on disk, kept so that a failure can put the disk
// back as it was and a success can let go of what was set aside. While an
// install runs, each change is written into its journal before it is made,
// so that a start after a kill can do the same from there.

#include <set>
#include <string>
#include <vector>

#include "install/apps_entry.h"
#include "install/install_journal.h"

// A path the install writes, and the name under which the file that was
// there before waits to be put back (empty when there was none). A kept
// file waits in the kept place and stays there once the install is done,
// for the uninstall to put back.
struct WrittenPath {
    std::wstring path;
    std::wstring setAside;
    bool kept = false;
};

// A folder whose attributes the install reset, and the ones it had.
struct EarlierAttributes {
    std::wstring path;
    unsigned long attributes;
};

struct InstallChanges {
    std::vector<WrittenPath> files;       // in the order they were written
    std::vector<std::wstring> newFolders;  // folders that didn't exist before, in the order they were made
    std::vector<EarlierAttributes> resetFolders;  // folders of the user's whose attributes were reset
    AppsEntryChange appsEntry;            // the entry in Settings > Apps, written after the files
    InstallJournal* journal = nullptr;    // none while a repair undoes an earlier run's changes
    unsigned setAsideCount = 0;           // set-aside names are never used twice in a run
    // The target folder whose replaced files are kept (empty: none are, as
    // in a repair), and the keys of the files that an earlier install of it
    // recorded: those are the patch's own, replaced without being kept.
    std::wstring keptFolder;
    std::set<std::wstring> earlierFiles;
};

// Whether anything, a file or a folder, is at `path`.
bool PathExists(const std::wstring& path);

// Whether the file at `path` can be written over as the copy writes it (as
// the C library's "wb" does: for writing, sharing reading and writing). One
// that refuses this now (read-only, or held by a program) would refuse the
// write as well.
bool CanBeReplaced(const std::wstring& path);

// Whether a program holds the file at `path` so that it can't be written.
bool IsHeld(const std::wstring& path);

// Clears `path` for a file about to be written there, and records it. A file
// already there is renamed to a unique name in its folder, keeping its bytes
// and attributes for a roll-back; one in the target folder that no earlier
// install recorded is moved into the kept place instead, for the uninstall.
// False, with nothing changed or recorded,
// when the path is a folder, a file that can't be opened for writing (so the
// write would fail anyway) or can't be renamed, a path that can't even be
// asked about, or when the journal can't be written.
bool MakeWayFor(const std::wstring& path, InstallChanges& changes);

// Records a file about to be written where surely nothing was before; false
// when the journal can't be written.
bool RecordNewFile(const std::wstring& path, InstallChanges& changes);

// Records a folder about to be made where nothing is; false when the journal
// can't be written.
bool RecordNewFolder(const std::wstring& folder, InstallChanges& changes);

// Gives the user's folder `folder` normal attributes, recording the ones it
// had; false when the journal can't be written (the folder then keeps them).
bool ResetFolderAttributes(const std::wstring& folder, InstallChanges& changes);

// Whether this run made `folder` (as RecordNewFolder recorded it).
bool IsNewFolder(const std::wstring& folder, const InstallChanges& changes);

// Creates the last level of `folder` when nothing is there, and records it
// as new. True when the path exists afterwards, even as a file.
bool MakeSureFolderExists(const std::wstring& folder, InstallChanges& changes);

// Undoes the changes, last first: the Apps entry, then each written file,
// deleted, with the file it replaced put back, then the attributes of the
// user's folders, then each new folder that is empty again.
// What can't be undone is passed over; the rest is still undone. True when
// every file is as it was (a folder kept for something else in it counts as
// undone).
bool RollBack(const InstallChanges& changes);

// After a finished install: puts the files that replaced the user's onto the
// disk, notes in the journal that it is done, then deletes the files that
// were set aside (but not the kept ones). False, with nothing deleted, when the note can't be
// written: the install can still be rolled back whole.
bool KeepChanges(InstallChanges& changes);

// The changes that a journal names, for a start that finds it; whether the
// install had finished goes to `finished`.
InstallChanges ChangesOfJournal(const std::vector<JournalEntry>& entries, bool& finished);
