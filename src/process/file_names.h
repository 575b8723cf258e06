#pragma once
// Paths compared and completed the way the file system does it.

#include <string>

// `path` made absolute against the current directory, or unchanged when
// the platform can't do that.
std::wstring FullPathOf(const std::wstring& path);

// One form for every spelling of a path: full, without a final
// backslash, every letter in its upper case as the file system compares.
std::wstring PathKey(const std::wstring& folder);

// Whether two full paths name the same file: the file system ignores the
// letter case of every alphabet, not only of A to Z.
bool SameFileName(const std::wstring& first, const std::wstring& second);

// Whether the journal of an install into `folder` lies beside it: that
// install was killed half-way, and only a start from its medium puts the
// folder right. A drive's root is never a target folder.
bool InterruptedInstallBeside(const std::wstring& folder);
