#pragma once
// Folders that the shell keeps for the user and for every user.

#include <string>

// The file-system path of the shell folder `csidl` (CSIDL_PROGRAMS, ...),
// or false when the shell can't give one.
bool FindShellFolder(int csidl, std::wstring& folder);
