#include "install/install_patch.h"

#include <windows.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "app/elevation.h"
#include "install/file_copy.h"
#include "install/registry_key.h"
#include "install/start_menu.h"
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
const char kProgramFilesValue[] = "ProgramFilesDir";

const char kSetupExeName[] = "Setup.exe";
const char kSetupIniName[] = "Setup.ini";
// Sources are named relative to the current directory, the medium.
const char kCurrentFolderPrefix[] = ".\\";

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
}

void ReadSettingsAfterRightsTest(InstallSettings& settings) {
    settings.copied.appName = ReadSetting(keys::kAppName);
    settings.copied.waitExecute = ReadSetting(keys::kWaitExecute);
    settings.copied.waitExecuteCD = ReadSetting(keys::kWaitExecuteCD);
}

// False when the key can't be opened with full access, which needs
// administrative rights. An empty folder (no REG_SZ value, or one too long)
// puts the target folder at the root of the current drive.
bool ReadProgramFilesFolder(std::string& folder) {
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

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Creates only the last level. Any existing path counts, even a file.
bool MakeSureFolderExists(const std::string& folder) {
    if (PathExists(folder)) {
        return true;
    }
    // Whether the folder is there afterwards is what counts, not the call's result.
    (void)CreateDirectoryA(folder.c_str(), nullptr);
    return PathExists(folder);
}

// Copies the sources in order into the target folder, recording each finished
// copy; false at the first that fails, with the sources after it untouched.
bool CopySourceFiles(const std::vector<std::string>& sourceNames, const std::string& targetFolder,
                     std::vector<std::string>& createdFiles) {
    std::unique_ptr<CopyBuffer> buffer(new (std::nothrow) CopyBuffer);
    if (!buffer) {
        return false;
    }
    for (const std::string& name : sourceNames) {
        const std::string destination = JoinWithBackslash(targetFolder, name);
        if (!CopyFileThroughBuffer(kCurrentFolderPrefix + name, destination, *buffer)) {
            return false;
        }
        createdFiles.push_back(destination);
    }
    return true;
}

// Folders stay: the target folder may have existed before the install.
void DeleteCreatedFiles(const std::vector<std::string>& createdFiles) {
    for (const std::string& path : createdFiles) {
        // A file that can't be deleted is passed over; the others still go.
        (void)DeleteFileA(path.c_str());
    }
}

int ReportFailure(const std::string& text, const std::string& caption) {
    // An OK box: its answer changes nothing.
    (void)ShowMessage(text, caption, MB_OK);
    return kFailed;
}

}  // namespace

int InstallPatch() {
    InstallSettings settings;
    ReadSettingsBeforeRightsTest(settings);

    std::string programFiles;
    if (!ReadProgramFilesFolder(programFiles)) {
        const ElevatedOutcome elevated = StartAgainElevated(Mode::Install);
        if (elevated.start == ElevatedStart::Finished) {
            return elevated.exitStatus;
        }
        return ReportFailure(settings.errorPermissions, settings.copied.errorHeader);
    }
    settings.targetFolder = ReadSetting(keys::kTargetFolder);
    const std::string targetFolder = JoinWithBackslash(programFiles, settings.targetFolder);
    ReadSettingsAfterRightsTest(settings);

    FillDialogTexts(settings);
    const INT_PTR answer = RunSetupDialog();
    if (answer == kDialogNotShown || answer == kDialogCancelled) {
        return kSucceeded;
    }

    if (!MakeSureFolderExists(targetFolder)) {
        return ReportFailure(settings.errorFile, settings.copied.errorHeader);
    }
    const std::string installedSetup = JoinWithBackslash(targetFolder, kSetupIniName);
    if (!WriteInstalledSetup(installedSetup, settings.copied)) {
        return ReportFailure(settings.errorFile, settings.copied.errorHeader);
    }

    std::vector<std::string> createdFolders{targetFolder};
    std::vector<std::string> sourceNames{kSetupExeName};
    std::vector<std::string> createdFiles{installedSetup};
    for (std::string& name : ReadNumberedList(kFilesSection)) {
        sourceNames.push_back(std::move(name));
    }

    if (!CopySourceFiles(sourceNames, targetFolder, createdFiles)) {
        DeleteCreatedFiles(createdFiles);
        return ReportFailure(settings.errorFile, settings.copied.errorHeader);
    }

    CreateStartMenuGroup(targetFolder, settings.copied.appName, settings.shortcutNames, createdFiles,
                         createdFolders);
    AppendInstallRecord(installedSetup, createdFiles, createdFolders);

    (void)ShowMessage(settings.successInstall, settings.copied.successHeader, MB_OK);
    return kSucceeded;
}
