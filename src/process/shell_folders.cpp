#include "process/shell_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "process/library_search.h"

namespace {

// The shell writes folder paths into MAX_PATH characters.
constexpr int kShellPathSize = MAX_PATH;

// Loaded from the system folder when a folder is asked for, not imported: an
// import would be looked for beside Setup.exe at start, and so would the
// libraries it pulls in.
const wchar_t kShellLibrary[] = L"shell32.dll";

using SHGetSpecialFolderLocationFunction = HRESULT(WINAPI*)(HWND owner, int folder, LPITEMIDLIST* idList);
using SHGetPathFromIDListWFunction = BOOL(WINAPI*)(LPCITEMIDLIST idList, LPWSTR path);
using SHGetMallocFunction = HRESULT(WINAPI*)(IMalloc** allocator);

struct ShellFunctions {
    SHGetSpecialFolderLocationFunction getSpecialFolderLocation;
    SHGetPathFromIDListWFunction getPathFromIDList;
    SHGetMallocFunction getMalloc;
};

// False when the library or one of the functions is missing.
bool LoadShellFunctions(ShellFunctions& shell) {
    HMODULE library = LoadSystemLibrary(kShellLibrary);
    if (library == nullptr) {
        return false;
    }
    shell.getSpecialFolderLocation =
        LibraryFunction<SHGetSpecialFolderLocationFunction>(library, "SHGetSpecialFolderLocation");
    shell.getPathFromIDList = LibraryFunction<SHGetPathFromIDListWFunction>(library, "SHGetPathFromIDListW");
    shell.getMalloc = LibraryFunction<SHGetMallocFunction>(library, "SHGetMalloc");
    return shell.getSpecialFolderLocation != nullptr && shell.getPathFromIDList != nullptr &&
           shell.getMalloc != nullptr;
}

}  // namespace

bool FindShellFolder(int csidl, std::wstring& folder) {
    ShellFunctions shell;
    if (!LoadShellFunctions(shell)) {
        return false;
    }
    LPITEMIDLIST idList = nullptr;
    if (shell.getSpecialFolderLocation(nullptr, csidl, &idList) != S_OK) {
        return false;
    }
    wchar_t path[kShellPathSize] = L"";
    const bool found = shell.getPathFromIDList(idList, path) != FALSE;
    // The ID list is the shell's memory and goes back to its allocator whether
    // or not it named a file-system folder.
    IMalloc* allocator = nullptr;
    if (shell.getMalloc(&allocator) == S_OK) {
        allocator->Free(idList);
        (void)allocator->Release();
    }
    if (!found) {
        return false;
    }
    folder = path;
    return true;
}
