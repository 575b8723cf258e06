#pragma once
// Paths compared and completed the way the file system does it.

#include <string>

// `path` made absolute against the current directory, or unchanged when
// the platform can't do that.
std::wstring FullPathOf(const std::wstring& path);

// Whether two full paths name the same file: the file system ignores the
// letter case of every alphabet, not only of A to Z.
bool SameFileName(const std::wstring& first, const std::wstring& second);
