#pragma once
// Paths compared and completed the way the file system does it.

#include <string>

// `path` made absolute against the current directory, or unchanged when
// the platform can't do that.
std::wstring FullPathOf(const std::wstring& path);

// The one name of a file or folder, whatever its spelling: full, "." and
// ".." resolved, the trailing dots and blanks of each part dropped (as the
// file system drops them when it makes a file), the short 8.3 parts of what
// exists in their long form, and without a final backslash but at a drive's
// root. `path` as it stands when the platform can't say.
std::wstring CanonicalPath(const std::wstring& path);

// One form for every spelling of a path: canonical, every letter in its
// upper case as the file system compares.
std::wstring PathKey(const std::wstring& folder);

// Whether two full paths name the same file: the file system ignores the
// letter case of every alphabet, not only of A to Z.
bool SameFileName(const std::wstring& first, const std::wstring& second);

// Whether the journal of an install into `folder` lies beside it: that
// install was killed half-way, and only a start from its medium puts the
// folder right. A drive's root is never a target folder.
bool InterruptedInstallBeside(const std::wstring& folder);
