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

// Where the shell keeps the path of each of its folders, for the user (under
// HKEY_CURRENT_USER) and for every user (HKEY_LOCAL_MACHINE): it reads them
// from here itself, and folder redirection writes them here.
const wchar_t kShellFoldersKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

struct RegisteredFolder {
    HKEY root;
    const wchar_t* valueName;
};
const RegisteredFolder kProgramsFolders[] = {{HKEY_CURRENT_USER, L"Programs"},
                                             {HKEY_LOCAL_MACHINE, L"Common Programs"}};

// The folder named by a value of the shell's key, its variables expanded,
// or false when there is none within the shell's length.
bool FindRegisteredFolder(const RegisteredFolder& registered, std::wstring& folder) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(registered.root, kShellFoldersKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    wchar_t value[kShellPathSize] = L"";
    // One character short: a value stored without its terminator gets one.
    DWORD size = sizeof(value) - sizeof(value[0]);
    DWORD type = REG_NONE;
    const LONG read = RegQueryValueExW(key, registered.valueName, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    // Read already: closing it decides nothing.
    (void)RegCloseKey(key);
    if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    value[size / sizeof(value[0])] = L'\0';
    wchar_t expanded[kShellPathSize] = L"";
    if (type == REG_EXPAND_SZ) {
        const DWORD length = ExpandEnvironmentStringsW(value, expanded, kShellPathSize);
        // 0 is a failure; beyond the buffer is the size it would need.
        if (length == 0 || length > kShellPathSize) {
            return false;
        }
    }
    folder = type == REG_EXPAND_SZ ? expanded : value;
    return !folder.empty();
}

}  // namespace

std::vector<std::wstring> RegisteredProgramsFolders() {
    std::vector<std::wstring> folders;
    for (const RegisteredFolder& registered : kProgramsFolders) {
        std::wstring folder;
        if (FindRegisteredFolder(registered, folder)) {
            folders.push_back(folder);
        }
    }
    return folders;
}

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
