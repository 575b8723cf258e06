#pragma once
// What install reads from the source Setup.ini, in the order it needs it.

#include <string>

#include "install/start_menu.h"
#include "setupfile/installed_setup.h"

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
    std::string repairedInterrupted;
    std::string errorAlreadyRunning;
    std::string displayVersion;
    std::string publisher;
    std::string appsEntry;
    std::string progressInstall;
    std::string errorFileInUse;
    std::string errorDiskSpace;
};

// Every text a failure may need is read before the first failure can happen.
void ReadSettingsBeforeRightsTest(InstallSettings& settings);
void ReadSettingsAfterRightsTest(InstallSettings& settings);
