#pragma once
// Files on a medium as Windows finds them: names ignore the case of A to Z,
// and "\" and "/" both separate folders. No Win32 here.

#include <string>
#include <vector>

enum class MediumItem { Missing, File, Folder };

// What `relative` (a name, or names joined by separators) names under `root`.
// `actualPath` gets the path as it lies on disk when something is there.
MediumItem FindOnMedium(const std::string& root, const std::string& relative, std::string* actualPath = nullptr);

// The whole file, or false when it can't be read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// The folder names of a path relative to a root: split at "\" and "/", empty
// names dropped.
std::vector<std::string> PathNames(const std::string& relative);
