#include "process/library_search.h"

#include "process/module_path.h"
#include "setupfile/paths.h"

namespace {

// Values of the platform's headers, named here because old headers lack them.
constexpr DWORD kSearchSystemFolderOnly = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD directoryFlags);
using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCSTR folder);

const char kRedirectionSuffix[] = ".local";

// Longest path taken of the executable for the redirection test; the limits
// of the modes are shorter, but a deep medium must not slip past the test.
constexpr unsigned kLongestPath = 32768;

}  // namespace

std::string SystemFolder() {
    char folder[MAX_PATH] = "";
    const UINT length = GetSystemDirectoryA(folder, sizeof(folder));
    if (length == 0 || length >= sizeof(folder)) {
        return std::string();
    }
    return WithFinalBackslash(std::string(folder, length));
}

void RestrictLibrarySearch() {
    // kernel32 is in every process already: asking for it loads nothing.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) {
        return;
    }
    // Takes the current folder out of the search where the next call is missing.
    const auto setDllDirectory = LibraryFunction<SetDllDirectoryFunction>(kernel, "SetDllDirectoryA");
    if (setDllDirectory != nullptr) {
        (void)setDllDirectory("");
    }
    // Takes out the program's folder as well; a failure leaves the search as
    // the previous call made it, which is all an old system offers.
    const auto setDefault = LibraryFunction<SetDefaultDllDirectoriesFunction>(kernel, "SetDefaultDllDirectories");
    if (setDefault != nullptr) {
        (void)setDefault(kSearchSystemFolderOnly);
    }
}

bool LibraryRedirectionPresent() {
    const std::string executable = ExecutablePath(kLongestPath);
    // Without its own path the program can't look: it assumes the worst.
    if (executable.empty()) {
        return true;
    }
    return GetFileAttributesA((executable + kRedirectionSuffix).c_str()) != INVALID_FILE_ATTRIBUTES;
}

HMODULE LoadSystemLibrary(const char* name) {
    const std::string folder = SystemFolder();
    if (folder.empty()) {
        return nullptr;
    }
    // The full path keeps the program's folder out of the search for the
    // library itself; the altered search takes its dependencies from its own
    // folder first, on systems where the restriction above is missing too.
    return LoadLibraryExA((folder + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
