#include "uninstall/removal_check.h"

#include <windows.h>

#include "process/library_search.h"

namespace {

// Values of the platform's headers, named here because old headers lack them.
constexpr int kFileDispositionInfo = 4;  // FileDispositionInfo
struct DispositionInfo {
    BOOLEAN deleteFile;
};
using SetFileInformationByHandleFunction = BOOL(WINAPI*)(HANDLE file, int infoClass, LPVOID info, DWORD size);


// Only the deletion itself tells a running program's file from any other:
// it is marked for deletion and unmarked at once. Systems without the call
// (before Vista) answer from the open alone.
bool CanBeMarkedForDeletion(HANDLE file) {
    const auto setInformation = KernelFunction<SetFileInformationByHandleFunction>("SetFileInformationByHandle");
    if (setInformation == nullptr) {
        return true;
    }
    DispositionInfo disposition{TRUE};
    if (!setInformation(file, kFileDispositionInfo, &disposition, sizeof(disposition))) {
        return false;
    }
    // Should unmarking fail, the file goes when the handle is closed: it was
    // about to be deleted anyway.
    disposition.deleteFile = FALSE;
    (void)setInformation(file, kFileDispositionInfo, &disposition, sizeof(disposition));
    return true;
}

}  // namespace

bool CanBeDeletedNow(const std::wstring& path) {
    // Shares everything: only a handle that denies deletion makes the open
    // fail. Opened straight away, for each look-up of a name costs the more
    // the fuller its folder, and an uninstall asks this of every file.
    HANDLE file = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return true;
        }
        // A folder (which no deletion of a file touches) opens this way only
        // for backup programs.
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    // A read-only file refuses the mark until its attributes are reset,
    // which only the deletion itself does.
    BY_HANDLE_FILE_INFORMATION information;
    const bool readOnly =
        GetFileInformationByHandle(file, &information) && (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    const bool deletable = readOnly || CanBeMarkedForDeletion(file);
    (void)CloseHandle(file);
    return deletable;
}
