#pragma once
// The copied values, read from the current Setup.ini the way
// install mode reads them: as stored, with the defaults of the key table.

#include "setupfile/installed_setup.h"
#include "setupfile/settings.h"

inline InstalledSetupValues ReadInstalledSetupValues() {
    InstalledSetupValues values;
    values.appName = ReadSetting(keys::kAppName);
    values.volume = ReadSetting(keys::kVolume);
    values.execute = ReadSetting(keys::kExecute);
    values.waitExecute = ReadSetting(keys::kWaitExecute);
    values.executeCD = ReadSetting(keys::kExecuteCD);
    values.waitExecuteCD = ReadSetting(keys::kWaitExecuteCD);
    values.errorHeader = ReadSetting(keys::kErrorHeader);
    values.errorCD = ReadSetting(keys::kErrorCD);
    values.dialogExit = ReadSetting(keys::kDialogExit);
    values.dialogUninstall = ReadSetting(keys::kDialogUninstall);
    values.dialogUninstallText = ReadSetting(keys::kDialogUninstallText);
    values.successHeader = ReadSetting(keys::kSuccessHeader);
    values.successUninstall = ReadSetting(keys::kSuccessUninstall);
    values.errorNotInstalled = ReadSettingIfSet(keys::kErrorNotInstalled);
    values.errorUninstall = ReadSettingIfSet(keys::kErrorUninstall);
    values.progressUninstall = ReadSettingIfSet(keys::kProgressUninstall);
    values.utf16 = SetupFileIsUtf16();
    return values;
}
