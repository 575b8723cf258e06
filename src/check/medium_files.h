#pragma once
// Files on a medium as Windows finds them: names ignore the case of their
// letters, and "\" and "/" both separate folders. No Win32 here.

#include <string>
#include <vector>

enum class MediumItem { Missing, File, Folder };

// What `relative` (a name, or names joined by separators, in UTF-8) names
// under `root`.
// `actualPath` gets the path as it lies on disk when something is there.
MediumItem FindOnMedium(const std::string& root, const std::string& relative, std::string* actualPath = nullptr);

// The whole file, or false when it can't be read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// The folder names of a path relative to a root: split at "\" and "/", empty
// names dropped.
std::vector<std::string> PathNames(const std::string& relative);

// The names that a path below a root leads through, as Windows resolves it:
// "." stays where it is and ".." goes back one name, never above the root.
std::vector<std::string> ResolvedPathNames(const std::string& relative);

// A name as Windows compares file names: the letters that the ANSI code page
// (Windows-1252) holds in both cases, accented ones too, in lower case.
std::u32string FoldedName(std::u32string name);
// The same of a name in UTF-8.
std::u32string FoldedUtf8Name(const std::string& utf8);
