#include "install/install_patch.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "process/elevation.h"
#include "process/module_path.h"
#include "install/file_copy.h"
#include "install/install_changes.h"
#include "install/registry_key.h"
#include "install/start_menu.h"
#include "setupfile/code_page.h"
#include "setupfile/installed_setup.h"
#include "setupfile/paths.h"
#include "setupfile/settings.h"
#include "setupfile/setup_keys.h"
#include "ui/message_box.h"
#include "ui/setup_dialog.h"

namespace {

constexpr int kSucceeded = 0;
constexpr int kFailed = -1;

// Opening this key with full access is also the test of the user's rights.
const char kCurrentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const wchar_t kProgramFilesValue[] = L"ProgramFilesDir";

const wchar_t kSetupExeName[] = L"Setup.exe";
const wchar_t kSetupIniName[] = L"Setup.ini";
// Sources are named relative to the current directory, the medium.
const wchar_t kCurrentFolderPrefix[] = L".\\";

// What install reads from the source Setup.ini.
struct InstallSettings {
    InstalledSetupValues copied;  // goes into the installed Setup.ini as read
    std::string errorPermissions;
    std::string errorFile;
    std::string dialogAbortHeader;
    std::string dialogAbort;
    std::string successInstall;
    ShortcutNames shortcutNames;
    std::string dialogInstall;
    std::string dialogInstallText;
    std::string targetFolder;
};

// Every text a failure may need is read before the first failure can happen.
void ReadSettingsBeforeRightsTest(InstallSettings& settings) {
    settings.copied.volume = ReadSetting(keys::kVolume);
    settings.copied.execute = ReadSetting(keys::kExecute);
    settings.copied.executeCD = ReadSetting(keys::kExecuteCD);
    settings.copied.errorHeader = ReadSetting(keys::kErrorHeader);
    settings.copied.errorCD = ReadSetting(keys::kErrorCD);
    settings.errorPermissions = ReadText(keys::kErrorPermissions);
    settings.errorFile = ReadText(keys::kErrorFile);
    settings.dialogAbortHeader = ReadSetting(keys::kDialogAbortHeader);
    settings.dialogAbort = ReadText(keys::kDialogAbort);
    settings.copied.successHeader = ReadSetting(keys::kSuccessHeader);
    settings.successInstall = ReadText(keys::kSuccessInstall);
    settings.copied.successUninstall = ReadSetting(keys::kSuccessUninstall);
    settings.shortcutNames.start = ReadSetting(keys::kShortcutStart);
    settings.shortcutNames.uninstall = ReadSetting(keys::kShortcutUninstall);
    settings.shortcutNames.readMe = ReadSetting(keys::kShortcutReadMe);
    settings.copied.dialogExit = ReadSetting(keys::kDialogExit);
    settings.dialogInstall = ReadSetting(keys::kDialogInstall);
    settings.copied.dialogUninstall = ReadSetting(keys::kDialogUninstall);
    settings.dialogInstallText = ReadText(keys::kDialogInstallText);
    settings.copied.dialogUninstallText = ReadSetting(keys::kDialogUninstallText);
    settings.copied.errorNotInstalled = ReadSettingIfSet(keys::kErrorNotInstalled);
    settings.copied.errorUninstall = ReadSettingIfSet(keys::kErrorUninstall);
}

void ReadSettingsAfterRightsTest(InstallSettings& settings) {
    settings.copied.appName = ReadSetting(keys::kAppName);
    settings.copied.waitExecute = ReadSetting(keys::kWaitExecute);
    settings.copied.waitExecuteCD = ReadSetting(keys::kWaitExecuteCD);
}

// False when the key can't be opened with full access, which needs
// administrative rights. An empty folder (no REG_SZ value, or one too long)
// puts the target folder at the root of the current drive.
bool ReadProgramFilesFolder(std::wstring& folder) {
    RegistryKey key;
    if (!key.Open(kCurrentVersionKey, HKEY_LOCAL_MACHINE)) {
        return false;
    }
    folder = key.ReadString(kProgramFilesValue);
    key.Close();
    return true;
}

void FillDialogTexts(const InstallSettings& settings) {
    DialogTexts.caption = settings.copied.appName;
    DialogTexts.heading = settings.copied.appName;
    DialogTexts.body = settings.dialogInstallText;
    DialogTexts.okLabel = settings.dialogInstall;
    DialogTexts.cancelLabel = settings.copied.dialogExit;
    DialogTexts.abortCaption = settings.dialogAbortHeader;
    DialogTexts.abortQuestion = settings.dialogAbort;
    g_confirmCancel = true;
}

// Run and uninstall mode take the installed Setup.exe's own full path into
// fixed buffers; one that doesn't fit the smaller would leave a patch that
// can be neither started nor removed. False also when no full path can be made.
bool InstalledExePathFits(const std::wstring& targetFolder) {
    const std::wstring installedExe = JoinWithBackslash(targetFolder, kSetupExeName);
    // Asked without a buffer, the call gives the size the path needs,
    // terminator included, or 0.
    const DWORD size = GetFullPathNameW(installedExe.c_str(), 0, nullptr, nullptr);
    return size != 0 && size <= std::min(kLaunchPathLimit, kUninstallPathLimit);
}

// Copies the sources in order into the target folder, recording each finished
// copy; false at the first that fails, with the sources after it untouched.
bool CopySourceFiles(const std::vector<std::wstring>& sourceNames, const std::wstring& targetFolder,
                     std::vector<std::wstring>& createdFiles, InstallChanges& changes) {
    std::unique_ptr<CopyBuffer> buffer(new (std::nothrow) CopyBuffer);
    if (!buffer) {
        return false;
    }
    // In a folder that this run made, a plain name can only meet a copy of
    // this run's own (a repeated entry), which a roll-back deletes anyway:
    // no need to ask first, and under Wine each question about a name costs
    // more the more files the folder holds.
    const bool folderIsNew = IsNewFolder(targetFolder, changes);
    for (const std::wstring& name : sourceNames) {
        const std::wstring destination = JoinWithBackslash(targetFolder, name);
        const bool plainName = name.find_first_of(L"\\/:") == std::wstring::npos && name != L"." && name != L"..";
        if (folderIsNew && plainName) {
            RecordNewFile(destination, changes);
        } else if (!MakeWayFor(destination, changes)) {
            return false;
        }
        if (!CopyFileThroughBuffer(kCurrentFolderPrefix + name, destination, *buffer)) {
            return false;
        }
        createdFiles.push_back(destination);
    }
    return true;
}

int ReportFailure(const std::string& text, const std::string& caption) {
    // An OK box: its answer changes nothing.
    (void)ShowMessage(text, caption, MB_OK);
    return kFailed;
}

// Once the target folder is in place a failure leaves the disk as it found it.
int RollBackAndReportFailure(const InstallChanges& changes, const InstallSettings& settings) {
    RollBack(changes);
    return ReportFailure(settings.errorFile, settings.copied.errorHeader);
}

}  // namespace

int InstallPatch() {
    InstallSettings settings;
    ReadSettingsBeforeRightsTest(settings);

    std::wstring programFiles;
    if (!ReadProgramFilesFolder(programFiles)) {
        const ElevatedOutcome elevated = StartAgainElevated(Mode::Install);
        if (elevated.start == ElevatedStart::Finished) {
            return elevated.exitStatus;
        }
        return ReportFailure(settings.errorPermissions, settings.copied.errorHeader);
    }
    settings.targetFolder = ReadSetting(keys::kTargetFolder);
    const std::wstring targetFolder = JoinWithBackslash(programFiles, WideFromAnsi(settings.targetFolder));
    ReadSettingsAfterRightsTest(settings);

    FillDialogTexts(settings);
    const INT_PTR answer = RunSetupDialog();
    if (answer == kDialogNotShown || answer == kDialogCancelled) {
        return kSucceeded;
    }

    // Refused before anything is made: an install there couldn't be used.
    if (!InstalledExePathFits(targetFolder)) {
        return ReportFailure(settings.errorFile, settings.copied.errorHeader);
    }
    InstallChanges changes;
    if (!MakeSureFolderExists(targetFolder, changes)) {
        return ReportFailure(settings.errorFile, settings.copied.errorHeader);
    }
    const std::wstring installedSetup = JoinWithBackslash(targetFolder, kSetupIniName);
    if (!MakeWayFor(installedSetup, changes) || !WriteInstalledSetup(installedSetup, settings.copied)) {
        return RollBackAndReportFailure(changes, settings);
    }

    std::vector<std::wstring> createdFolders{targetFolder};
    std::vector<std::wstring> sourceNames{kSetupExeName};
    std::vector<std::wstring> createdFiles{installedSetup};
    for (const std::string& name : ReadNumberedList(kFilesSection)) {
        sourceNames.push_back(WideFromAnsi(name));
    }

    if (!CopySourceFiles(sourceNames, targetFolder, createdFiles, changes)) {
        return RollBackAndReportFailure(changes, settings);
    }

    CreateStartMenuGroup(targetFolder, settings.copied.appName, settings.shortcutNames, createdFiles,
                         createdFolders, changes);
    // Without its whole record the install couldn't be removed again.
    if (!AppendInstallRecord(installedSetup, createdFiles, createdFolders)) {
        return RollBackAndReportFailure(changes, settings);
    }
    KeepChanges(changes);

    (void)ShowMessage(settings.successInstall, settings.copied.successHeader, MB_OK);
    return kSucceeded;
}
