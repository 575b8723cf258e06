#pragma once
// Folders that the shell keeps for the user and for every user.

#include <string>
#include <vector>

// The file-system path of the shell folder `csidl` (CSIDL_PROGRAMS, ...),
// or false when the shell can't give one.
bool FindShellFolder(int csidl, std::wstring& folder);

// The user's and every user's Programs folder as the registry keeps them for
// the shell, those that it names: one registry read each, where asking the
// shell means loading it (under Wine more than the rest of a small
// uninstall). The shell's own answer stays the one to fall back on.
std::vector<std::wstring> RegisteredProgramsFolders();
