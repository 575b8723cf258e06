#include "install/install_changes.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <utility>

#include "process/change_step.h"
#include "process/file_names.h"
#include "process/kept_files.h"
#include "process/patch_ground.h"
#include "setupfile/code_page.h"
#include "setupfile/paths.h"

namespace {

// A destination named without a folder lies in the current one.
const wchar_t kCurrentFolder[] = L".";
// Set-aside files are called old<process id>-<count>.tmp: no other run, and
// no earlier one of this run, uses the name.
const wchar_t kSetAsideFormat[] = L"old%lx-%x.tmp";
constexpr std::size_t kSetAsideNameSize = 32;
// Attributes in the journal: eight hex digits and the terminator.
constexpr std::size_t kAttributesDetailSize = 9;

}  // namespace

bool IsHeld(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        // A read-only mark refuses the write too, but nobody holds the file.
        const DWORD error = GetLastError();
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    }
    // Opened only to ask; nothing was written.
    (void)CloseHandle(file);
    return false;
}

bool CanBeReplaced(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    // Opened only to ask; nothing was written.
    (void)CloseHandle(file);
    return true;
}

namespace {

// A name in the folder of `path` that nothing uses. It is not reserved: a
// start after a kill must be able to tell from its being there that the
// rename into it happened.
std::wstring UnusedSetAsideName(const std::wstring& path, InstallChanges& changes) {
    std::wstring folder = DirectoryPart(path);
    if (folder.empty()) {
        folder = kCurrentFolder;
    }
    for (;;) {
        wchar_t name[kSetAsideNameSize];
        (void)std::swprintf(name, kSetAsideNameSize, kSetAsideFormat, GetCurrentProcessId(), changes.setAsideCount++);
        const std::wstring candidate = JoinWithBackslash(folder, name);
        if (!PathExists(candidate)) {
            return candidate;
        }
    }
}

// Renames the file to a name of its own folder that nothing else uses,
// once the journal knows the name; that name, or empty when the file stays
// where it is. A rename keeps the bytes and the attributes, and needs no
// room on the disk.
std::wstring SetAside(const std::wstring& path, InstallChanges& changes) {
    const std::wstring unused = UnusedSetAsideName(path, changes);
    // The user's file is at stake from here: the entry must survive a power cut.
    if (changes.journal != nullptr &&
        !WriteAhead(*changes.journal, JournalEntry{JournalEntryKind::SetAside, Utf16Of(path), Utf16Of(unused), ""}, true)) {
        return std::wstring();
    }
    // Never over another file: the name was free a moment ago.
    if (!MoveFileExW(path.c_str(), unused.c_str(), 0)) {
        return std::wstring();
    }
    AfterChange();
    return unused;
}

// Where the file at `path` is kept, or empty when it is not one to keep: a
// file outside the target folder, one that an earlier install recorded (the
// patch's own), or one whose place is taken by a file kept before (the
// older one is what the folder held before any patch).
std::wstring KeptPathFor(const std::wstring& path, const InstallChanges& changes) {
    if (changes.keptFolder.empty() || !LiesInside(path, changes.keptFolder) ||
        changes.earlierFiles.count(PathKey(path)) != 0) {
        return std::wstring();
    }
    const std::wstring canonical = CanonicalPath(path);
    const std::wstring folder = CanonicalPath(changes.keptFolder);
    const std::wstring kept = JoinWithBackslash(KeptPlaceOf(folder), canonical.substr(folder.size() + 1));
    return PathExists(kept) ? std::wstring() : kept;
}

// The folders from the kept place down to the one that holds `kept`, made
// where they are missing; the kept place itself hidden, as no file of the
// patch or the user's.
bool MakeKeptFolders(const std::wstring& kept, InstallChanges& changes) {
    const std::wstring place = KeptPlaceOf(CanonicalPath(changes.keptFolder));
    const bool placeIsNew = !PathExists(place);
    if (!MakeSureFolderExists(place, changes)) {
        return false;
    }
    if (placeIsNew) {
        // Only hides it; a kept place that shows harms nothing.
        (void)SetFileAttributesW(place.c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
    for (std::size_t separator = kept.find(L'\\', place.size() + 1); separator != std::wstring::npos;
         separator = kept.find(L'\\', separator + 1)) {
        if (!MakeSureFolderExists(kept.substr(0, separator), changes)) {
            return false;
        }
    }
    return true;
}

// Moves the file into the kept place once the journal knows where; false
// when it stays where it is.
bool Keep(const std::wstring& path, const std::wstring& kept, InstallChanges& changes) {
    if (!MakeKeptFolders(kept, changes)) {
        return false;
    }
    // The user's file is at stake from here: the entry must survive a power cut.
    if (changes.journal != nullptr &&
        !WriteAhead(*changes.journal, JournalEntry{JournalEntryKind::Kept, Utf16Of(path), Utf16Of(kept), ""}, true)) {
        return false;
    }
    if (!MoveFileExW(path.c_str(), kept.c_str(), 0)) {
        return false;
    }
    AfterChange();
    changes.files.push_back({path, kept, true});
    return true;
}

// Puts the bytes of a file that the run wrote onto the disk itself, where a
// power cut would otherwise find the user's earlier file deleted and the new
// one not yet written.
void FlushToDisk(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    // A flush that fails leaves the bytes where they were: with the system,
    // which keeps them through anything but a power cut.
    (void)FlushFileBuffers(file);
    (void)CloseHandle(file);
}

// Deletes a file that the run wrote, and puts back the file it replaced;
// true when the path is as it was before the run.
bool UndoWrite(const WrittenPath& file) {
    // A set-aside file that isn't there was never renamed: the path still
    // holds the earlier file, and nothing of this run.
    if (!file.setAside.empty() && !PathExists(file.setAside)) {
        return true;
    }
    // Nothing may be there: the write failed (and cleaned up) or never came.
    // A file that another program holds open, sharing its deletion, goes
    // when that program lets go; the deletion has happened all the same.
    const bool deleted = DeleteFileW(file.path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
                         GetLastError() == ERROR_PATH_NOT_FOUND;
    if (file.setAside.empty()) {
        return deleted;
    }
    // Fails while the new file is still there; the old one then keeps its
    // other name rather than being lost, and the journal keeps the way back.
    return MoveFileW(file.setAside.c_str(), file.path.c_str()) != FALSE;
}

}  // namespace

bool PathExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeWayFor(const std::wstring& path, InstallChanges& changes) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Only a path that surely holds nothing may be written without a
        // set-aside copy: a roll-back deletes what is written there.
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            return false;
        }
        return RecordNewFile(path, changes);
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    // A file to keep only moves: a read-only one of the game's goes as well.
    const std::wstring kept = KeptPathFor(path, changes);
    if (!kept.empty()) {
        return Keep(path, kept, changes);
    }
    if (!CanBeReplaced(path)) {
        return false;
    }
    std::wstring setAside = SetAside(path, changes);
    if (setAside.empty()) {
        return false;
    }
    changes.files.push_back({path, std::move(setAside)});
    return true;
}

bool RecordNewFile(const std::wstring& path, InstallChanges& changes) {
    // Nobody's file is at stake: what a kill leaves unwritten is only a file
    // of this run that the repair then doesn't know of.
    if (changes.journal != nullptr &&
        !WriteAhead(*changes.journal, JournalEntry{JournalEntryKind::NewFile, Utf16Of(path), u"", ""}, false)) {
        return false;
    }
    changes.files.push_back({path, std::wstring()});
    return true;
}

bool RecordNewFolder(const std::wstring& folder, InstallChanges& changes) {
    if (changes.journal != nullptr &&
        !WriteAhead(*changes.journal, JournalEntry{JournalEntryKind::NewFolder, Utf16Of(folder), u"", ""}, false)) {
        return false;
    }
    changes.newFolders.push_back(folder);
    return true;
}

bool ResetFolderAttributes(const std::wstring& folder, InstallChanges& changes) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    char detail[kAttributesDetailSize];
    (void)std::snprintf(detail, sizeof(detail), "%08lX", static_cast<unsigned long>(attributes));
    if (changes.journal != nullptr &&
        !WriteAhead(*changes.journal, JournalEntry{JournalEntryKind::Attributes, Utf16Of(folder), u"", detail}, false)) {
        return false;
    }
    changes.resetFolders.push_back({folder, attributes});
    // Normal attributes are what the folder should end with; should the
    // call fail, it simply keeps the ones it has.
    (void)SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    AfterChange();
    return true;
}

bool IsNewFolder(const std::wstring& folder, const InstallChanges& changes) {
    return std::find(changes.newFolders.begin(), changes.newFolders.end(), folder) != changes.newFolders.end();
}

bool MakeSureFolderExists(const std::wstring& folder, InstallChanges& changes) {
    if (PathExists(folder)) {
        return true;
    }
    if (!RecordNewFolder(folder, changes)) {
        return false;
    }
    // Whether the folder is there afterwards is what counts, not the call's result.
    (void)CreateDirectoryW(folder.c_str(), nullptr);
    if (!PathExists(folder)) {
        return false;
    }
    AfterChange();
    return true;
}

bool RollBack(const InstallChanges& changes) {
    bool undone = UndoAppsEntry(changes.appsEntry);
    for (auto file = changes.files.rbegin(); file != changes.files.rend(); ++file) {
        undone = UndoWrite(*file) && undone;
    }
    for (auto folder = changes.resetFolders.rbegin(); folder != changes.resetFolders.rend(); ++folder) {
        // Only their look: the folders and what they hold are untouched.
        (void)SetFileAttributesW(folder->path.c_str(), folder->attributes);
    }
    for (auto folder = changes.newFolders.rbegin(); folder != changes.newFolders.rend(); ++folder) {
        // Fails, as it should, while the folder still holds anything.
        (void)RemoveDirectoryW(folder->c_str());
    }
    return undone;
}

bool KeepChanges(InstallChanges& changes) {
    bool setAsideAny = false;
    for (const WrittenPath& file : changes.files) {
        if (!file.setAside.empty()) {
            FlushToDisk(file.path);
            setAsideAny = true;
        }
    }
    // Without the note a start after a kill would take the install for one
    // to undo. It must reach the disk before the user's earlier files go; an
    // install that set none aside puts nobody's file at stake.
    if (changes.journal != nullptr &&
        !WriteAhead(*changes.journal, JournalEntry{JournalEntryKind::Finished, u"", u"", ""}, setAsideAny)) {
        return false;
    }
    AfterChange();
    for (const WrittenPath& file : changes.files) {
        if (file.setAside.empty() || file.kept || !PathExists(file.setAside)) {
            continue;
        }
        // A read-only file can't be deleted until its attributes are reset.
        (void)SetFileAttributesW(file.setAside.c_str(), FILE_ATTRIBUTE_NORMAL);
        // The file passed the write test when it was set aside, so nothing
        // holds it; a failure leaves a stray file, which harms nothing.
        (void)DeleteFileW(file.setAside.c_str());
        AfterChange();
    }
    return true;
}

InstallChanges ChangesOfJournal(const std::vector<JournalEntry>& entries, bool& finished) {
    InstallChanges changes;
    finished = false;
    // The earlier entry's values come before the line that says the entry is
    // written; without that line the entry was never touched.
    std::vector<RegistryValue> earlierValues;
    for (const JournalEntry& entry : entries) {
        RegistryValue value;
        switch (entry.kind) {
            case JournalEntryKind::EntryValue:
                if (AppsEntryValueOfJournal(entry, value)) {
                    earlierValues.push_back(value);
                }
                break;
            case JournalEntryKind::AppsEntry:
                changes.appsEntry = AppsEntryChange{WideOf(entry.path), entry.detail == kEntryWasThere, earlierValues};
                break;
            case JournalEntryKind::NewFolder:
                changes.newFolders.push_back(WideOf(entry.path));
                break;
            case JournalEntryKind::NewFile:
                changes.files.push_back({WideOf(entry.path), std::wstring()});
                break;
            case JournalEntryKind::SetAside:
                changes.files.push_back({WideOf(entry.path), WideOf(entry.setAside), false});
                break;
            case JournalEntryKind::Kept:
                changes.files.push_back({WideOf(entry.path), WideOf(entry.setAside), true});
                break;
            case JournalEntryKind::Attributes:
                changes.resetFolders.push_back({WideOf(entry.path), std::strtoul(entry.detail.c_str(), nullptr, 16)});
                break;
            case JournalEntryKind::Finished:
                finished = true;
                break;
        }
    }
    return changes;
}
