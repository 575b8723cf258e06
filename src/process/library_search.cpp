#include "process/library_search.h"

#include "process/module_path.h"
#include "setupfile/paths.h"

namespace {

// Values of the platform's headers, named here because old headers lack them.
constexpr DWORD kSearchSystemFolderOnly = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD directoryFlags);
using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCSTR folder);

const wchar_t kRedirectionSuffix[] = L".local";

// Sets the library search folder where the platform has one (null restores
// the ordinary search); systems without the call have nothing to set.
void SetLibraryFolder(const char* folder) {
    const auto setDllDirectory = KernelFunction<SetDllDirectoryFunction>("SetDllDirectoryA");
    if (setDllDirectory != nullptr) {
        (void)setDllDirectory(folder);
    }
}

}  // namespace

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = L"";
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return std::wstring();
    }
    return WithFinalBackslash(std::wstring(folder, length));
}

void RestrictLibrarySearch() {
    // Takes the current folder out of the search where the next call is missing.
    KeepTheCurrentFolderOutOfTheSearch();
    // Takes out the program's folder as well; a failure leaves the search as
    // the previous call made it, which is all an old system offers.
    const auto setDefault = KernelFunction<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories");
    if (setDefault != nullptr) {
        (void)setDefault(kSearchSystemFolderOnly);
    }
}

void LetTheNextStartSearchAsUsual() {
    SetLibraryFolder(nullptr);
}

void KeepTheCurrentFolderOutOfTheSearch() {
    // An empty folder is the platform's word for "not the current folder".
    SetLibraryFolder("");
}

bool LibraryRedirectionPresent() {
    // Whole: the limits of the modes are shorter, but a deep medium must not
    // slip past the test.
    const std::wstring executable = ExecutablePath(kWholePathLimit);
    // Without its own path the program can't look: it assumes the worst.
    if (executable.empty()) {
        return true;
    }
    return GetFileAttributesW((executable + kRedirectionSuffix).c_str()) != INVALID_FILE_ATTRIBUTES;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    const std::wstring folder = SystemFolder();
    if (folder.empty()) {
        return nullptr;
    }
    // The full path keeps the program's folder out of the search for the
    // library itself; the altered search takes its dependencies from its own
    // folder first, on systems where the restriction above is missing too.
    return LoadLibraryExW((folder + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
