#include "process/kept_files.h"

#include <windows.h>

#include <vector>

#include "process/change_step.h"
#include "setupfile/paths.h"

namespace {

const wchar_t kKeptFolderName[] = L"_$_Originals_$_";
const wchar_t kAllNames[] = L"*";

struct FolderEntry {
    std::wstring name;
    bool folder;
    std::uint64_t bytes;
};

// The names in `folder` but "." and "..", read before any of them moves.
std::vector<FolderEntry> EntriesOf(const std::wstring& folder) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(JoinWithBackslash(folder, kAllNames).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return entries;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const std::uint64_t bytes = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        entries.push_back(FolderEntry{name, isFolder, bytes});
    } while (FindNextFileW(search, &found));
    // Only read.
    (void)FindClose(search);
    return entries;
}

std::uint64_t BytesBelow(const std::wstring& folder) {
    std::uint64_t bytes = 0;
    for (const FolderEntry& entry : EntriesOf(folder)) {
        bytes += entry.folder ? BytesBelow(JoinWithBackslash(folder, entry.name)) : entry.bytes;
    }
    return bytes;
}

// Moves what `kept` holds back into `place`, folder by folder.
void PutBack(const std::wstring& kept, const std::wstring& place) {
    for (const FolderEntry& entry : EntriesOf(kept)) {
        const std::wstring from = JoinWithBackslash(kept, entry.name);
        const std::wstring to = JoinWithBackslash(place, entry.name);
        if (entry.folder) {
            PutBack(from, to);
            // Fails, as it should, while something stayed kept in it.
            (void)RemoveDirectoryW(from.c_str());
            continue;
        }
        // Never over a file: one that lies there now is someone's.
        if (MoveFileExW(from.c_str(), to.c_str(), 0)) {
            AfterChange();
        }
    }
}

}  // namespace

std::wstring KeptPlaceOf(const std::wstring& targetFolder) {
    return JoinWithBackslash(targetFolder, kKeptFolderName);
}

std::uint64_t KeptBytes(const std::wstring& targetFolder) {
    return BytesBelow(KeptPlaceOf(targetFolder));
}

void PutKeptFilesBack(const std::wstring& targetFolder) {
    const std::wstring kept = KeptPlaceOf(targetFolder);
    if (GetFileAttributesW(kept.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    PutBack(kept, targetFolder);
    (void)SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (RemoveDirectoryW(kept.c_str())) {
        AfterChange();
    }
}
