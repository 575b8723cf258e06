#pragma once
// The one job a start of the program does. No Win32 here.

enum class Mode { Install, Uninstall, Launch, InvalidSwitch };

// The two switches of the command line; the uninstall shortcut and the Apps
// entry start the installed Setup.exe with the second.
inline constexpr char kInstallSwitch[] = "-install";
inline constexpr char kUninstallSwitch[] = "-uninstall";
inline constexpr wchar_t kUninstallSwitchWide[] = L"-uninstall";
