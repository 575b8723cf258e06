#include "install/start_menu.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <iterator>

#include "process/library_search.h"
#include "process/file_names.h"
#include "process/shell_folders.h"
#include "process/mode.h"
#include "process/change_step.h"
#include "setupfile/code_page.h"
#include "setupfile/device_names.h"
#include "setupfile/paths.h"

namespace {

// The shell writes folder paths into MAX_PATH bytes, and a link is saved
// through a wide path of the same number of characters.
constexpr int kShellPathSize = MAX_PATH;

// COM is loaded from the system folder when a group is made, not imported:
// an import would be looked for beside Setup.exe at start, and so would the
// libraries it pulls in. Once loaded it stays for the rest of the process,
// since objects it made may outlive any one call.
const wchar_t kComLibrary[] = L"ole32.dll";

using CoInitializeFunction = HRESULT(WINAPI*)(LPVOID reserved);
using CoCreateInstanceFunction = HRESULT(WINAPI*)(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                                                  LPVOID* object);
using CoUninitializeFunction = void(WINAPI*)();

struct ComFunctions {
    CoInitializeFunction initialize;
    CoCreateInstanceFunction createInstance;
    CoUninitializeFunction uninitialize;
};

bool LoadComFunctions(ComFunctions& com) {
    HMODULE library = LoadSystemLibrary(kComLibrary);
    if (library == nullptr) {
        return false;
    }
    com.initialize = LibraryFunction<CoInitializeFunction>(library, "CoInitialize");
    com.createInstance = LibraryFunction<CoCreateInstanceFunction>(library, "CoCreateInstance");
    com.uninitialize = LibraryFunction<CoUninitializeFunction>(library, "CoUninitialize");
    return com.initialize != nullptr && com.createInstance != nullptr && com.uninitialize != nullptr;
}

// Setup.exe carries the program icon first and the uninstall icon second.
constexpr int kFirstIcon = 0;
constexpr int kUninstallIcon = 1;

// What a shortcut is made of, apart from its name in the group.
struct ShortcutFields {
    const wchar_t* targetName;  // in the target folder
    const wchar_t* description;
    const wchar_t* arguments;
    int iconIndex;
};

// In the order the shortcuts are made: start, read-me, uninstall. When names
// coincide, the one made last is the file that stays.
constexpr ShortcutFields kShortcuts[] = {
    {L"GamePatch.exe", L"Execute the patch", L"", kFirstIcon},
    {L"GamePatch.txt", L"Instructions", L"", kFirstIcon},
    {L"Setup.exe", L"Remove the patch", kUninstallSwitchWide, kUninstallIcon},
};

// Saves the link through its persist interface. A link path longer than the
// shell's paths is not saved, rather than saved under a cut name.
HRESULT SaveLink(IShellLinkW* link, const std::wstring& linkPath) {
    if (linkPath.size() >= static_cast<std::size_t>(kShellPathSize)) {
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    IPersistFile* file = nullptr;
    const HRESULT asked = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (FAILED(asked)) {
        return asked;
    }
    const HRESULT saved = file->Save(linkPath.c_str(), TRUE);
    (void)file->Release();
    return saved;
}

}  // namespace

void CreateStartMenuGroup(const std::wstring& targetFolder, const std::string& appName, const ShortcutNames& names,
                          std::vector<std::wstring>& createdFiles, std::vector<std::wstring>& createdFolders,
                          InstallChanges& changes) {
    std::wstring programsFolder;
    if (!FindShellFolder(CSIDL_PROGRAMS, programsFolder)) {
        return;
    }
    std::wstring groupFolder = JoinWithBackslash(programsFolder, WideOfText(appName));
    // A group is a folder right under the Programs folder: an AppName such
    // as "..\\..\\Desktop" or "." would have the install write, and the
    // uninstall remove, elsewhere. Such a patch gets no group, as where the
    // shell knows no Programs folder.
    const std::wstring groupKey = PathKey(groupFolder);
    if (PathKey(DirectoryPart(groupKey)) != PathKey(programsFolder)) {
        return;
    }
    // A group that was there before, even empty, stays after a roll-back,
    // with the attributes it had; here it gets normal ones and keeps its
    // files. Without the journal's word on a new one, no group is made at
    // all. Failures show up later, when the shortcuts can't be saved.
    if (PathExists(groupFolder)) {
        (void)ResetFolderAttributes(groupFolder, changes);
    } else if (RecordNewFolder(groupFolder, changes)) {
        (void)CreateDirectoryW(groupFolder.c_str(), nullptr);
        AfterChange();
    }
    createdFolders.push_back(groupFolder);

    const std::string* nameValues[] = {&names.start, &names.readMe, &names.uninstall};
    static_assert(std::size(nameValues) == std::size(kShortcuts), "one name per shortcut");
    for (size_t i = 0; i < std::size(kShortcuts); ++i) {
        const ShortcutFields& shortcut = kShortcuts[i];
        std::wstring targetPath = JoinWithBackslash(targetFolder, shortcut.targetName);
        // Always a backslash here, even after an AppName that ends in one.
        std::wstring linkPath = groupFolder + L"\\" + WideOfText(*nameValues[i]) + L".lnk";
        // A name that leads out of the group ("..\\x") or to a device ("CON")
        // gets no shortcut, and no place in the record.
        const std::wstring linkKey = PathKey(linkPath);
        if (PathKey(DirectoryPart(linkKey)) != groupKey || IsDeviceName(FileNamePart(linkKey))) {
            continue;
        }
        // A shortcut that can't be saved is still recorded, so that uninstall
        // removes whatever may have been left under that name. An earlier
        // file there that can't be set aside gets no shortcut over it, and
        // no place in the record, which would make uninstall delete it.
        if (MakeWayFor(linkPath, changes)) {
            (void)CreateShortcut(targetPath, linkPath, targetFolder, shortcut.description, shortcut.arguments,
                                 shortcut.iconIndex);
            AfterChange();
            createdFiles.push_back(linkPath);
        } else if (!PathExists(linkPath)) {
            createdFiles.push_back(linkPath);
        }
    }
}

bool CreateShortcut(const std::wstring& targetPath, const std::wstring& linkPath,
                    const std::wstring& workingDirectory, const std::wstring& description,
                    const std::wstring& arguments, int iconIndex) {
    ComFunctions com;
    if (!LoadComFunctions(com)) {
        return false;
    }
    // COM lives only for this one shortcut. A thread already in another
    // apartment keeps it: only our own successful initialisation is undone.
    bool comInitialised = SUCCEEDED(com.initialize(nullptr));

    IShellLinkW* link = nullptr;
    HRESULT result =
        com.createInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, reinterpret_cast<void**>(&link));
    if (SUCCEEDED(result)) {
        (void)link->SetPath(targetPath.c_str());
        (void)link->SetDescription(description.c_str());
        (void)link->SetIconLocation(targetPath.c_str(), iconIndex);
        (void)link->SetWorkingDirectory(workingDirectory.c_str());
        (void)link->SetArguments(arguments.c_str());
        result = SaveLink(link, linkPath);
        (void)link->Release();
    }

    if (comInitialised) {
        com.uninitialize();
    }
    return SUCCEEDED(result);
}
