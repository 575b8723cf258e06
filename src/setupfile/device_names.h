#pragma once
// Names that Windows takes for devices instead of files. No Win32 here.

#include <string>

// Whether Windows takes the file name `name` (one part of a path) for a
// device: CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, CONIN$ and CONOUT$,
// in any letter case, also with an extension and with blanks or dots before
// it ("nul.txt", "Com1 .dat"): older Windows open the device for all of them.
bool IsDeviceName(const std::wstring& name);

// Whether any part of `path` (between backslashes or slashes) is one.
bool HoldsDeviceName(const std::wstring& path);
