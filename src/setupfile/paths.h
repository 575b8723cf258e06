#pragma once
// Path helpers on ANSI strings (values of Setup.ini) and on wide strings
// (paths as the system hands them over). No Win32 here.

#include <string>

// Appends a backslash unless `left` already ends in one (an empty left part
// gets one), then appends `right`.
std::string JoinWithBackslash(const std::string& left, const std::string& right);
std::wstring JoinWithBackslash(const std::wstring& left, const std::wstring& right);

// Tells whether a byte starts a double-byte character of the ANSI code page.
using LeadBytePredicate = bool (*)(unsigned char byte);

// The drive designator and directory part of a full path: everything up to
// and including the last backslash or slash. The trail byte of a double-byte
// character is never taken for a separator. A path without any separator
// gives its drive designator ("C:") or the empty string.
std::string DirectoryPart(const std::string& path, LeadBytePredicate isLeadByte);
// The same for a wide path, which knows no double-byte characters.
std::wstring DirectoryPart(const std::wstring& path);

// What follows the directory part: the file name.
std::wstring FileNamePart(const std::wstring& path);

// Whether `path` is taken relative to a folder: no drive, no root, no
// network path.
bool IsRelativePath(const std::wstring& path);

// `folder` without one final backslash, if it has one.
std::string WithoutFinalBackslash(const std::string& folder);
std::wstring WithoutFinalBackslash(const std::wstring& folder);

// `folder` with a final backslash, added only if it has none.
std::string WithFinalBackslash(const std::string& folder);
std::wstring WithFinalBackslash(const std::wstring& folder);
