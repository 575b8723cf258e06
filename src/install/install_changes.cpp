#include "install/install_changes.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "setupfile/paths.h"

namespace {

// GetTempFileNameW takes the first three characters of its prefix.
const wchar_t kSetAsidePrefix[] = L"old";
// A destination named without a folder lies in the current one.
const wchar_t kCurrentFolder[] = L".";

// The write that follows opens the file as the C library's "wb" does: for
// writing, sharing reading and writing. A file that refuses this now
// (read-only, or held by a program) would refuse the write as well, so it
// stays where it is and the copy fails as it always did.
bool CanBeOpenedForWriting(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    // Opened only to ask; nothing was written.
    (void)CloseHandle(file);
    return true;
}

// Renames the file to a name of its own folder that nothing else uses; that
// name, or empty when the file stays where it is. A rename keeps the bytes
// and the attributes, and needs no room on the disk.
std::wstring SetAside(const std::wstring& path) {
    std::wstring folder = DirectoryPart(path);
    if (folder.empty()) {
        folder = kCurrentFolder;
    }
    wchar_t unique[MAX_PATH] = L"";
    // Reserves the name by creating an empty file under it.
    if (GetTempFileNameW(folder.c_str(), kSetAsidePrefix, 0, unique) == 0) {
        return std::wstring();
    }
    if (!MoveFileExW(path.c_str(), unique, MOVEFILE_REPLACE_EXISTING)) {
        // Should this fail too, an empty file is all that is left behind.
        (void)DeleteFileW(unique);
        return std::wstring();
    }
    return unique;
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
        RecordNewFile(path, changes);
        return true;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !CanBeOpenedForWriting(path)) {
        return false;
    }
    std::wstring setAside = SetAside(path);
    if (setAside.empty()) {
        return false;
    }
    changes.files.push_back({path, std::move(setAside)});
    return true;
}

void RecordNewFile(const std::wstring& path, InstallChanges& changes) {
    changes.files.push_back({path, std::wstring()});
}

bool IsNewFolder(const std::wstring& folder, const InstallChanges& changes) {
    return std::find(changes.newFolders.begin(), changes.newFolders.end(), folder) != changes.newFolders.end();
}

bool MakeSureFolderExists(const std::wstring& folder, InstallChanges& changes) {
    if (PathExists(folder)) {
        return true;
    }
    // Whether the folder is there afterwards is what counts, not the call's result.
    (void)CreateDirectoryW(folder.c_str(), nullptr);
    if (!PathExists(folder)) {
        return false;
    }
    changes.newFolders.push_back(folder);
    return true;
}

void RollBack(const InstallChanges& changes) {
    for (auto file = changes.files.rbegin(); file != changes.files.rend(); ++file) {
        // Nothing may be there: the write failed (and cleaned up) or never came.
        (void)DeleteFileW(file->path.c_str());
        if (!file->setAside.empty()) {
            // Fails only when the new file couldn't be deleted; the old one
            // then keeps its other name rather than being lost.
            (void)MoveFileW(file->setAside.c_str(), file->path.c_str());
        }
    }
    for (auto folder = changes.newFolders.rbegin(); folder != changes.newFolders.rend(); ++folder) {
        // Fails, as it should, while the folder still holds anything.
        (void)RemoveDirectoryW(folder->c_str());
    }
}

void KeepChanges(const InstallChanges& changes) {
    for (const WrittenPath& file : changes.files) {
        if (file.setAside.empty()) {
            continue;
        }
        // A read-only file can't be deleted until its attributes are reset.
        (void)SetFileAttributesW(file.setAside.c_str(), FILE_ATTRIBUTE_NORMAL);
        // The file passed the write test when it was set aside, so nothing
        // holds it; a failure leaves a stray file, which harms nothing.
        (void)DeleteFileW(file.setAside.c_str());
    }
}
