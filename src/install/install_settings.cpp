#include "install/install_settings.h"

#include "setupfile/settings.h"
#include "setupfile/setup_keys.h"

void ReadSettingsBeforeRightsTest(InstallSettings& settings) {
    settings.copied.utf16 = SetupFileIsUtf16();
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
    settings.copied.errorAlreadyRunning = ReadSettingIfSet(keys::kErrorAlreadyRunning);
    settings.copied.errorInterrupted = ReadSettingIfSet(keys::kErrorInterrupted);
    settings.copied.errorLongPath = ReadSettingIfSet(keys::kErrorLongPath);
    settings.copied.progressUninstall = ReadSettingIfSet(keys::kProgressUninstall);
    settings.progressInstall = ReadText(keys::kProgressInstall);
    settings.errorFileInUse = ReadText(keys::kErrorFileInUse);
    settings.errorDiskSpace = ReadText(keys::kErrorDiskSpace);
    settings.repairedInterrupted = ReadText(keys::kRepairedInterrupted);
    settings.errorAlreadyRunning = ReadText(keys::kErrorAlreadyRunning);
}

void ReadSettingsAfterRightsTest(InstallSettings& settings) {
    settings.copied.appName = ReadSetting(keys::kAppName);
    settings.copied.waitExecute = ReadSetting(keys::kWaitExecute);
    settings.copied.waitExecuteCD = ReadSetting(keys::kWaitExecuteCD);
    settings.displayVersion = ReadSettingIfSet(keys::kDisplayVersion);
    settings.publisher = ReadSettingIfSet(keys::kPublisher);
    settings.appsEntry = ReadSetting(keys::kAppsEntry);
}
