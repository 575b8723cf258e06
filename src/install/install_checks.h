#pragma once
// What an install asks before its first change, so that a failure it can
// foresee changes nothing: where its copies land, whether the files it
// replaces can be replaced, and whether the disk has room.

#include <cstdint>
#include <string>
#include <vector>

// Run and uninstall mode take the installed Setup.exe's own full path into
// fixed buffers; false when that path wouldn't fit the smaller, or when no
// full path can be made.
bool InstalledExePathFits(const std::wstring& targetFolder);

// Whether every copy of `names` lands in the target folder as a file of its
// own: not outside it ("..\Other\file", a drive or a root), not on a device
// that Windows opens instead of a file ("NUL", "con.txt"), not in a stream
// of another file ("a.dat:b"), not over the installed Setup.ini, whose record
// would be lost with it, and not among the files kept for the uninstall.
bool CopiesStayInTarget(const std::vector<std::wstring>& names, const std::wstring& targetFolder,
                        const std::wstring& installedSetup);

// The first of `destinations` that a program holds so that it can't be
// replaced, or empty.
std::wstring FirstHeldDestination(const std::vector<std::wstring>& destinations);

// The bytes of the sources `names` on the medium, the current directory, as
// a listing of their folders gives them: one question per folder, where a
// look-up per name would cost what a creation costs. A source that isn't
// there counts nothing; its copy fails later.
std::uint64_t SourceBytes(const std::vector<std::wstring>& names);

// The bytes free for the user on the volume of `folder`, which may not exist
// yet; false when the system can't say.
bool FreeBytesFor(const std::wstring& folder, std::uint64_t& freeBytes);
