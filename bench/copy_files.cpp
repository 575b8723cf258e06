// The least any Win32 program can spend copying a folder's files under the
// same Wine: one CopyFileA per file into a new folder, nothing else.
//   copy_files SOURCE_FOLDER DESTINATION_FOLDER
// Prints the seconds that creating the folder and copying took; the process
// start is left out, as it is for the install that this is compared with.

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kUsageStatus = 2;
constexpr int kFailureStatus = 1;

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    (void)QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Copies every plain file of `source` into `destination`; the count copied,
// or -1 when a copy fails.
long CopyFolderFiles(const std::string& source, const std::string& destination) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((source + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return -1;
    }
    long copied = 0;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            continue;
        }
        const std::string name = entry.cFileName;
        if (!CopyFileA((source + "\\" + name).c_str(), (destination + "\\" + name).c_str(), FALSE)) {
            copied = -1;
            break;
        }
        ++copied;
    } while (FindNextFileA(search, &entry));
    (void)FindClose(search);
    return copied;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: copy_files SOURCE_FOLDER DESTINATION_FOLDER\n");
        return kUsageStatus;
    }
    LARGE_INTEGER start;
    (void)QueryPerformanceCounter(&start);
    if (!CreateDirectoryA(argv[2], nullptr)) {
        std::fprintf(stderr, "copy_files: can't create %s (error %lu)\n", argv[2], GetLastError());
        return kFailureStatus;
    }
    const long copied = CopyFolderFiles(argv[1], argv[2]);
    LARGE_INTEGER end;
    (void)QueryPerformanceCounter(&end);
    if (copied < 0) {
        std::fprintf(stderr, "copy_files: copy failed (error %lu)\n", GetLastError());
        return kFailureStatus;
    }
    std::printf("seconds=%.6f\nfiles=%ld\n", Seconds(start, end), copied);
    return 0;
}
