#include "launch/launch_patch.h"

#include <vector>

#include "process/library_search.h"
#include "process/file_names.h"
#include "process/module_path.h"
#include "launch/library_name.h"
#include "setupfile/code_page.h"
#include "setupfile/paths.h"
#include "setupfile/settings.h"
#include "setupfile/setup_keys.h"
#include "setupfile/text.h"
#include "ui/message_box.h"

namespace {

// The whole mask is walked: bits past Z simply name no drive.
constexpr int kDriveMaskBits = 32;
const char kDriveRootFormat[] = "%c:\\";
constexpr int kFirstDriveLetter = 'A';
constexpr DWORD kVolumeTextSize = 256;
const char kWaitValue[] = "1";
constexpr int kLaunchedStatus = 0;
constexpr int kNoCdStatus = -1;
constexpr int kInterruptedStatus = -1;
constexpr int kOwnPathStatus = -1;

// All settings are read before the current directory leaves the start folder.
struct LaunchSettings {
    std::string execute;
    std::string executeCD;
    std::string volume;
    std::string errorHeader;
    std::string errorCD;
    std::string waitExecute;
    std::string waitExecuteCD;
};

LaunchSettings ReadLaunchSettings() {
    LaunchSettings settings;
    settings.execute = ReadSetting(keys::kExecute);
    settings.executeCD = ReadSetting(keys::kExecuteCD);
    settings.volume = ReadSetting(keys::kVolume);
    settings.errorHeader = ReadSetting(keys::kErrorHeader);
    settings.errorCD = ReadText(keys::kErrorCD);
    settings.waitExecute = ReadSetting(keys::kWaitExecute);
    settings.waitExecuteCD = ReadSetting(keys::kWaitExecuteCD);
    return settings;
}

bool HoldsVolume(const std::wstring& root, const std::string& volume, const DriveQueries& queries) {
    if (volume.empty()) {
        return true;
    }
    wchar_t label[kVolumeTextSize] = L"";
    wchar_t fileSystem[kVolumeTextSize] = L"";
    DWORD serial = 0;
    DWORD maxComponentLength = 0;
    DWORD fileSystemFlags = 0;
    // Fails for a drive without a disc.
    if (!queries.volumeInformation(root.c_str(), label, kVolumeTextSize, &serial, &maxComponentLength,
                                   &fileSystemFlags, fileSystem, kVolumeTextSize)) {
        return false;
    }
    return CompareNoCase(WideOfText(volume), label) == 0;
}

bool HoldsProbeFile(const std::wstring& root, const std::string& executeCD, const DriveQueries& queries) {
    if (executeCD.empty()) {
        return true;
    }
    // The root ends in a backslash already.
    const DWORD attributes = queries.fileAttributes((root + WideOfText(executeCD)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The folders where the loader looked for a name before the program limited
// its search to the system folder, in the loader's order: the program's own,
// the system folder, the old system folder, the Windows folder, the current
// folder. The library lists of patches were written for that order.
std::vector<std::wstring> FormerSearchFolders() {
    std::vector<std::wstring> folders;
    const std::wstring ownPath = ExecutablePath(kLaunchPathLimit);
    if (!ownPath.empty()) {
        folders.push_back(ExecutableFolderOf(ownPath));
    }
    const std::wstring systemFolder = SystemFolder();
    if (!systemFolder.empty()) {
        folders.push_back(systemFolder);
    }
    wchar_t folder[MAX_PATH] = L"";
    UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        const std::wstring windows(folder, length);
        folders.push_back(JoinWithBackslash(windows, L"System"));
        folders.push_back(windows);
    }
    length = GetCurrentDirectoryW(MAX_PATH, folder);
    if (length > 0 && length < MAX_PATH) {
        folders.emplace_back(folder, length);
    }
    return folders;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Loads one entry of the list from where a plain load found it before the
// search was limited. The library's own dependencies come from its folder
// first, then from the system folder.
HMODULE LoadPreloadLibrary(const std::string& entry) {
    const std::wstring wideEntry = WideOfText(entry);
    if (!IsSearchedLibraryName(entry)) {
        return LoadLibraryExW(wideEntry.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    // A library that is in the process already is the one a name gets.
    if (GetModuleHandleW(wideEntry.c_str()) != nullptr) {
        return LoadLibraryW(wideEntry.c_str());
    }
    const std::wstring name = WideOfText(WithLibraryExtension(entry));
    for (const std::wstring& folder : FormerSearchFolders()) {
        const std::wstring path = JoinWithBackslash(folder, name);
        // The first file found is the one loaded, as before, even if it
        // turns out to be no library.
        if (IsFile(path)) {
            return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        }
    }
    // The system's own libraries under names that have no file there.
    return LoadLibraryW(wideEntry.c_str());
}

// Loads each entry before reading the next, up to the first empty one; an
// entry that fails to load is passed over. The handles, in load order.
std::vector<HMODULE> PreloadLibraries() {
    std::vector<HMODULE> loaded;
    ForEachNumberedEntry(kPreloadDLLsSection, [&loaded](int, const std::string& entry) {
        HMODULE library = LoadPreloadLibrary(entry);
        if (library != nullptr) {
            loaded.push_back(library);
        }
    });
    return loaded;
}

// Starts `program` without arguments and with inheritable handles; it
// starts in `startFolder`, or in ours when that is null. With `wait`, returns
// once the program has ended: its first thread may end long before its
// others, and the libraries must not be freed under a program still
// running. A start that fails is not reported. The handles it gives us are
// ours to close.
void StartProgram(const std::wstring& program, const wchar_t* startFolder, bool wait) {
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_FORCEONFEEDBACK;
    PROCESS_INFORMATION started;
    ZeroMemory(&started, sizeof(started));
    // The program gets the default error mode, not the one set for the scan,
    // and the ordinary library search, which looks in its current folder.
    LetTheNextStartSearchAsUsual();
    const BOOL created = CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, TRUE, CREATE_DEFAULT_ERROR_MODE,
                                          nullptr, startFolder, &startup, &started);
    KeepTheCurrentFolderOutOfTheSearch();
    if (!created) {
        return;
    }
    if (wait) {
        (void)WaitForSingleObject(started.hProcess, INFINITE);
    }
    (void)CloseHandle(started.hThread);
    (void)CloseHandle(started.hProcess);
}

// `execute` names a program in the folder of the launcher at `ownPath`.
void StartOwnFolderProgram(const std::string& execute, const std::wstring& ownPath, const std::wstring& cdRoot,
                           bool wait) {
    (void)SetCurrentDirectoryW(cdRoot.c_str());
    const std::wstring program = WithFinalBackslash(ExecutableFolderOf(ownPath)) + WideOfText(execute);
    StartProgram(program, nullptr, wait);
}

}  // namespace

DriveQueries PlatformDriveQueries() {
    return DriveQueries{GetLogicalDrives, GetDriveTypeW, GetVolumeInformationW, GetFileAttributesW};
}

std::wstring FindCdRoot(const std::string& volume, const std::string& executeCD, const DriveQueries& queries) {
    const DWORD present = queries.logicalDrives();
    for (int bit = 0; bit < kDriveMaskBits; ++bit) {
        if ((present & (static_cast<DWORD>(1) << bit)) == 0) {
            continue;
        }
        const std::wstring root = WideOfText(FormatString(kDriveRootFormat, kFirstDriveLetter + bit));
        // Only CD-ROM drives are asked anything beyond their type.
        if (queries.driveType(root.c_str()) != DRIVE_CDROM) {
            continue;
        }
        if (HoldsVolume(root, volume, queries) && HoldsProbeFile(root, executeCD, queries)) {
            return root;
        }
    }
    return std::wstring();
}

int LaunchPatch() {
    const LaunchSettings settings = ReadLaunchSettings();

    // Beside the journal of a killed install, the installed files may be
    // half written or an earlier patch's: nothing of them is started.
    const std::wstring wholeOwnPath = ExecutablePath(kWholePathLimit);
    if (!wholeOwnPath.empty() && InterruptedInstallBeside(ExecutableFolderOf(wholeOwnPath))) {
        (void)ShowMessage(ReadText(keys::kErrorInterrupted), settings.errorHeader, MB_OK);
        return kInterruptedStatus;
    }
    // Without its own path within the limit the launcher would look for the
    // patch's program and libraries in the wrong folder; a patch that starts
    // only the disc's program doesn't need it.
    const std::wstring ownPath = ExecutablePath(kLaunchPathLimit);
    const bool needsOwnFolder = !settings.execute.empty() || !ReadSetting(kPreloadDLLsSection, "1", "").empty();
    if (ownPath.empty() && needsOwnFolder) {
        (void)ShowMessage(ReadText(keys::kErrorLongPath), settings.errorHeader, MB_OK);
        return kOwnPathStatus;
    }

    // An empty drive must fail the label or probe query quietly instead of
    // bringing up the system's "no disk" box.
    (void)SetErrorMode(SEM_FAILCRITICALERRORS);
    const std::wstring cdRoot = FindCdRoot(settings.volume, settings.executeCD, PlatformDriveQueries());
    if (cdRoot.empty()) {
        (void)ShowMessage(settings.errorCD, settings.errorHeader, MB_OK);
        return kNoCdStatus;
    }

    // Read from the start folder's Setup.ini, still current here.
    const std::vector<HMODULE> libraries = PreloadLibraries();

    if (!settings.execute.empty()) {
        StartOwnFolderProgram(settings.execute, ownPath, cdRoot, EqualsExactly(settings.waitExecute, kWaitValue));
    }
    if (!settings.executeCD.empty()) {
        (void)SetCurrentDirectoryW(cdRoot.c_str());
        // The relative name is completed from the current directory, the CD
        // root, so it names the file that the probe found.
        StartProgram(WideOfText(settings.executeCD), cdRoot.c_str(),
                     EqualsExactly(settings.waitExecuteCD, kWaitValue));
    }

    for (HMODULE library : libraries) {
        (void)FreeLibrary(library);
    }
    return kLaunchedStatus;
}
