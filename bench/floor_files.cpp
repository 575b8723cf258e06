// What any install and uninstall must spend on the files themselves under the
// same Wine, and nothing else:
//   floor_files write SOURCE_FOLDER DESTINATION_FOLDER
//     reads every plain file of SOURCE_FOLDER into memory, then makes the new
//     DESTINATION_FOLDER and writes each file there with one CreateFileW, one
//     WriteFile of all its bytes and CloseHandle;
//   floor_files delete FOLDER
//     deletes every plain file of FOLDER, one DeleteFileW each.
// Prints the seconds of the timed part: from creating the folder to the last
// close, or from the first deletion to the last. Reading the sources, listing
// the folder and the process start are left out.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kUsageStatus = 2;
constexpr int kFailureStatus = 1;

struct LoadedFile {
    std::wstring name;
    std::vector<char> bytes;
};

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    (void)QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    (void)QueryPerformanceCounter(&now);
    return now;
}

// The names of the plain files of `folder`; false when it can't be listed.
bool ListFiles(const std::wstring& folder, std::vector<std::wstring>& names) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.push_back(entry.cFileName);
        }
    } while (FindNextFileW(search, &entry));
    (void)FindClose(search);
    return true;
}

bool ReadWhole(const std::wstring& path, std::vector<char>& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size;
    bool read = GetFileSizeEx(file, &size) != FALSE && size.HighPart == 0;
    if (read) {
        bytes.resize(size.LowPart);
        DWORD done = 0;
        read = bytes.empty() ||
               (ReadFile(file, bytes.data(), size.LowPart, &done, nullptr) != FALSE && done == size.LowPart);
    }
    (void)CloseHandle(file);
    return read;
}

bool WriteWhole(const std::wstring& path, const std::vector<char>& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD done = 0;
    const bool written = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) != FALSE &&
                         done == bytes.size();
    return CloseHandle(file) != FALSE && written;
}

int Fail(const char* what, const std::wstring& path) {
    std::fprintf(stderr, "floor_files: %s %ls (error %lu)\n", what, path.c_str(), GetLastError());
    return kFailureStatus;
}

int WriteFolder(const std::wstring& source, const std::wstring& destination) {
    std::vector<std::wstring> names;
    if (!ListFiles(source, names)) {
        return Fail("can't list", source);
    }
    std::vector<LoadedFile> files(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        files[i].name = names[i];
        if (!ReadWhole(source + L"\\" + names[i], files[i].bytes)) {
            return Fail("can't read", source + L"\\" + names[i]);
        }
    }
    const LARGE_INTEGER start = Now();
    if (!CreateDirectoryW(destination.c_str(), nullptr)) {
        return Fail("can't create", destination);
    }
    for (const LoadedFile& file : files) {
        if (!WriteWhole(destination + L"\\" + file.name, file.bytes)) {
            return Fail("can't write", destination + L"\\" + file.name);
        }
    }
    const LARGE_INTEGER end = Now();
    std::printf("seconds=%.6f\nfiles=%lu\n", Seconds(start, end), static_cast<unsigned long>(files.size()));
    return 0;
}

int DeleteFolderFiles(const std::wstring& folder) {
    std::vector<std::wstring> paths;
    if (!ListFiles(folder, paths)) {
        return Fail("can't list", folder);
    }
    for (std::wstring& path : paths) {
        path = folder + L"\\" + path;
    }
    const LARGE_INTEGER start = Now();
    for (const std::wstring& path : paths) {
        if (!DeleteFileW(path.c_str())) {
            return Fail("can't delete", path);
        }
    }
    const LARGE_INTEGER end = Now();
    std::printf("seconds=%.6f\nfiles=%lu\n", Seconds(start, end), static_cast<unsigned long>(paths.size()));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"write" && argc == 4) {
        return WriteFolder(argv[2], argv[3]);
    }
    if (mode == L"delete" && argc == 3) {
        return DeleteFolderFiles(argv[2]);
    }
    std::fprintf(stderr, "usage: floor_files write SOURCE_FOLDER DESTINATION_FOLDER | delete FOLDER\n");
    return kUsageStatus;
}
