#pragma once
// Every key of Setup.ini with its default, in one place, so that install,
// uninstall and run read each copied key with the same default: a reader of
// the installed file then sees exactly the value that install read.
// No Win32 here.

struct SetupKey {
    const char* section;
    const char* name;
    const char* defaultValue;
};

namespace keys {

// General
inline constexpr SetupKey kMode{"General", "Mode", "run"};
inline constexpr SetupKey kAppName{"General", "AppName", "Patch"};
inline constexpr SetupKey kTargetFolder{"General", "TargetFolder", "Morvelan"};
inline constexpr SetupKey kVolume{"General", "Volume", ""};
inline constexpr SetupKey kExecute{"General", "Execute", ""};
inline constexpr SetupKey kWaitExecute{"General", "WaitExecute", "0"};
inline constexpr SetupKey kExecuteCD{"General", "ExecuteCD", ""};
inline constexpr SetupKey kWaitExecuteCD{"General", "WaitExecuteCD", "0"};

// Text
inline constexpr SetupKey kErrorHeader{"Text", "ErrorHeader", "Error"};
inline constexpr SetupKey kErrorCD{"Text", "ErrorCD", "The CD could not be located"};
inline constexpr SetupKey kErrorPermissions{"Text", "ErrorPermissions", "Not enough permissions to perform this operation"};
inline constexpr SetupKey kErrorFile{"Text", "ErrorFile", "The file(s) could not be created/copied"};
inline constexpr SetupKey kDialogAbortHeader{"Text", "DialogAbortHeader", "Exit"};
inline constexpr SetupKey kDialogAbort{"Text", "DialogAbort", "Really exit without installing the patch?"};
inline constexpr SetupKey kSuccessHeader{"Text", "SuccessHeader", "Success"};
inline constexpr SetupKey kSuccessInstall{"Text", "SuccessInstall", "Patch process completed"};
inline constexpr SetupKey kSuccessUninstall{"Text", "SuccessUninstall", "Patch removed"};
inline constexpr SetupKey kShortcutStart{"Text", "ShortcutStart", ""};
inline constexpr SetupKey kShortcutReadMe{"Text", "ShortcutReadMe", ""};
inline constexpr SetupKey kShortcutUninstall{"Text", "ShortcutUninstall", ""};
inline constexpr SetupKey kDialogExit{"Text", "DialogExit", "Exit"};
inline constexpr SetupKey kDialogInstall{"Text", "DialogInstall", "&Install"};
inline constexpr SetupKey kDialogUninstall{"Text", "DialogUninstall", "&Uninstall"};
inline constexpr SetupKey kDialogInstallText{"Text", "DialogInstallText", ""};
inline constexpr SetupKey kDialogUninstallText{"Text", "DialogUninstallText", ""};
// The installed file carries DialogUninstallText under this key.
inline constexpr SetupKey kDialogText{"Text", "DialogText", ""};
// Uninstall's refusal beside a Setup.ini that no install wrote.
inline constexpr SetupKey kErrorNotInstalled{"Text", "ErrorNotInstalled",
                                             "No installed patch was found beside this Setup.exe, so nothing was removed"};
// Uninstall's failure when recorded files stayed. Both uninstall texts go
// into the installed file only when the medium's file sets them.
inline constexpr SetupKey kErrorUninstall{"Text", "ErrorUninstall",
                                          "Some files of the patch could not be removed.\\nClose the patch's programs "
                                          "and try again"};

}  // namespace keys

// Numbered lists: keys 1, 2, 3, ... up to the first empty or missing value.
inline constexpr const char* kPreloadDLLsSection = "PreloadDLLs";
inline constexpr const char* kFilesSection = "Files";
inline constexpr const char* kFoldersSection = "Folders";

// The value that the installed file always carries as its Mode.
inline constexpr const char* kInstalledMode = "Run";
