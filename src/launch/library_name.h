#pragma once
// How the platform's loader reads a library name it is given. No Win32 here.

#include <string>

// True for a name that the loader looks for along its search order: a bare
// file name or a relative path. False for a full path, a path from the root
// of the current drive ("\x.dll"), a network path and a drive-relative one.
bool IsSearchedLibraryName(const std::string& name);

// `name` with ".dll" appended when its file name has no extension, as the
// loader does; a final dot keeps it from doing so.
std::string WithLibraryExtension(const std::string& name);
