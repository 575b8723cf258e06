#pragma once
// Where the running executable lies.

#include <string>

// Path limits of the two modes, and the longest path the platform has.
constexpr unsigned kUninstallPathLimit = 256;
constexpr unsigned kLaunchPathLimit = 255;
constexpr unsigned kWholePathLimit = 32768;

// Full path of the running executable, taken whole in UTF-16 with at most
// `limit` characters (terminator included). Empty when it can't be taken.
std::wstring ExecutablePath(unsigned limit);

// Drive designator and directory part of `path`, up to and including its last
// separator.
std::wstring ExecutableFolderOf(const std::wstring& path);
