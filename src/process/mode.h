#pragma once
// The one job a start of the program does. No Win32 here.

enum class Mode { Install, Uninstall, Launch, InvalidSwitch };
