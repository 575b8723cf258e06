#include "uninstall/file_removal.h"

#include "process/change_step.h"
#include "process/library_search.h"

namespace {

// Values of the platform's headers, named here because old headers lack them.
constexpr int kFileBasicInfo = 0;        // FileBasicInfo
constexpr int kFileDispositionInfo = 4;  // FileDispositionInfo
struct BasicInfo {
    LARGE_INTEGER creationTime;
    LARGE_INTEGER lastAccessTime;
    LARGE_INTEGER lastWriteTime;
    LARGE_INTEGER changeTime;
    DWORD fileAttributes;
};
struct DispositionInfo {
    BOOLEAN deleteFile;
};
using SetFileInformationByHandleFunction = BOOL(WINAPI*)(HANDLE file, int infoClass, LPVOID info, DWORD size);

// Systems before Vista lack the call: their files are checked by the open
// alone and deleted by name at the end.
SetFileInformationByHandleFunction SetInformation() {
    return KernelFunction<SetFileInformationByHandleFunction>("SetFileInformationByHandle");
}

// Sets only the attributes; zero times keep the file's own.
bool SetAttributes(SetFileInformationByHandleFunction setInformation, HANDLE file, DWORD attributes) {
    BasicInfo basic = {};
    basic.fileAttributes = attributes;
    return setInformation(file, kFileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

bool SetDeletion(SetFileInformationByHandleFunction setInformation, HANDLE file, bool deleteFile) {
    DispositionInfo disposition{static_cast<BOOLEAN>(deleteFile ? TRUE : FALSE)};
    return setInformation(file, kFileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

// Takes back what MarkOne did to a file and lets go of it.
void Unmark(SetFileInformationByHandleFunction setInformation, MarkedFile& file) {
    if (setInformation != nullptr) {
        // Should either fail, the file goes when it is let go, or keeps normal
        // attributes: it was about to be deleted anyway.
        if (file.marked) {
            (void)SetDeletion(setInformation, file.handle, false);
        }
        if ((file.attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            (void)SetAttributes(setInformation, file.handle, file.attributes);
        }
    }
    (void)CloseHandle(file.handle);
}

enum class Mark { Marked, NoFile, Refused };

// Opens the file with leave to delete it and marks it. Only the deletion
// itself tells a running program's file from any other. Opened straight away:
// each look-up of a name costs the more the fuller its folder.
Mark MarkOne(SetFileInformationByHandleFunction setInformation, const std::wstring& path, MarkedFile& file) {
    // Shares everything: only a handle that denies deletion makes the open fail.
    HANDLE handle = CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return Mark::NoFile;
        }
        // A folder (which no deletion of a file touches) opens this way only
        // for backup programs.
        const DWORD attributes = GetFileAttributesW(path.c_str());
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        return folder ? Mark::NoFile : Mark::Refused;
    }
    file = MarkedFile{handle, path, 0, false};
    if (setInformation == nullptr) {
        return Mark::Marked;
    }
    // The mark is tried first: the attributes are asked only of a file that
    // refuses it. Under Wine the query costs more than the open and the mark
    // together (it asks another process for the volume's serial number).
    file.marked = SetDeletion(setInformation, handle, true);
    if (file.marked) {
        return Mark::Marked;
    }
    // A read-only file refuses the mark until the read-only mark is reset;
    // any other refusal is final.
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(handle, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0) {
        (void)CloseHandle(handle);
        return Mark::Refused;
    }
    if (!SetAttributes(setInformation, handle, FILE_ATTRIBUTE_NORMAL)) {
        (void)CloseHandle(handle);
        return Mark::Refused;
    }
    file.attributes = information.dwFileAttributes;
    file.marked = SetDeletion(setInformation, handle, true);
    if (!file.marked) {
        Unmark(setInformation, file);
        return Mark::Refused;
    }
    return Mark::Marked;
}

}  // namespace

MarkOutcome MarkForDeletion(const std::vector<std::wstring>& paths, std::vector<MarkedFile>& marked,
                            ProgressWindow& progress, std::wstring& refused) {
    const SetFileInformationByHandleFunction setInformation = SetInformation();
    for (const std::wstring& path : paths) {
        MarkedFile file{INVALID_HANDLE_VALUE, path, 0, false};
        const Mark mark = MarkOne(setInformation, path, file);
        if (mark == Mark::Refused) {
            UnmarkAll(marked);
            refused = path;
            return MarkOutcome::Refused;
        }
        if (mark == Mark::Marked) {
            marked.push_back(file);
            // A kill from here on lets the file go with the process's handles.
            AfterChange();
        }
        ShowProgressItem(progress, path);
        // Nothing is removed yet: leaving takes every mark back.
        if (AdvanceProgress(progress, 1) && ConfirmCancel(progress)) {
            UnmarkAll(marked);
            return MarkOutcome::Cancelled;
        }
    }
    return MarkOutcome::Marked;
}

bool CanBeDeletedNow(const std::wstring& path) {
    const SetFileInformationByHandleFunction setInformation = SetInformation();
    MarkedFile file{INVALID_HANDLE_VALUE, path, 0, false};
    const Mark mark = MarkOne(setInformation, path, file);
    if (mark == Mark::Marked) {
        Unmark(setInformation, file);
    }
    return mark != Mark::Refused;
}

bool DeleteNow(const std::wstring& path) {
    if (DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) {
        return true;
    }
    // A read-only mark makes the deletion fail until it is reset.
    (void)SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path.c_str()) || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

void UnmarkAll(std::vector<MarkedFile>& marked) {
    const SetFileInformationByHandleFunction setInformation = SetInformation();
    for (MarkedFile& file : marked) {
        Unmark(setInformation, file);
    }
    marked.clear();
}

std::wstring DeleteMarked(std::vector<MarkedFile>& marked, ProgressWindow& progress) {
    std::wstring firstStayed;
    for (MarkedFile& file : marked) {
        // The platform deletes a marked file as its handle goes; nothing can
        // keep it from that now.
        (void)CloseHandle(file.handle);
        AfterChange();
        ShowProgressItem(progress, file.path);
        // No Cancel is offered now: its answer can't matter.
        (void)AdvanceProgress(progress, 1);
        if (file.marked) {
            continue;
        }
        if (!DeleteNow(file.path) && firstStayed.empty()) {
            firstStayed = file.path;
        }
    }
    marked.clear();
    return firstStayed;
}
