#pragma once
// A short name for a path, where the path itself can't serve as a name: a
// kernel object's name holds no backslash, and a registry key's name
// would be as long as the path. No Win32 here.

#include <string>

// Eight hex digits of a hash of `path` with the letters A to Z folded: the
// same for every spelling that differs only in their case.
std::string PathHashHex(const std::wstring& path);

// Where Windows keeps the entries of Settings > Apps (Programs and Features),
// under the machine's key.
inline constexpr wchar_t kAppsEntriesKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The name of the Apps entry of an install into the folder of `folderKey`
// (its full path in upper case): an install into the same folder replaces
// its own entry, and patches in two folders have two.
std::wstring AppsEntryName(const std::wstring& folderKey);

// The key of the Apps entry `name`, below the machine's key.
std::wstring AppsEntryKeyPath(const std::wstring& name);
