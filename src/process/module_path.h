#pragma once
// Where the running executable lies.

#include <string>

// Path limits of the two callers.
constexpr unsigned kUninstallPathLimit = 256;
constexpr unsigned kLaunchPathLimit = 255;

// Full path of the running executable, taken with at most `limit` characters
// (terminator included). Empty when it can't be taken.
std::string ExecutablePath(unsigned limit);

// Drive designator and directory part of `path`, up to and including its last
// separator; double-byte characters of the ANSI code page are honoured.
std::string ExecutableFolderOf(const std::string& path);
