#pragma once
// How a text file of the system holds a path that the ANSI code page can't
// hold. No Win32 here.

#include <string>

// The path's UTF-16 as UTF-8 (an unpaired surrogate, which a file name may
// hold, as the three bytes of its code point), with every byte outside
// printable ASCII, and the percent sign itself, written as "%" and two
// upper-case hex digits. Plain ASCII, which every code page reads back as
// it was written.
std::string PercentEncodedUtf8(const std::u16string& path);

// The path of a text in that form; false, with `path` left alone, for one
// that isn't well formed.
bool DecodePercentEncodedUtf8(const std::string& text, std::u16string& path);

// Bytes as two upper-case hex digits each, and back; false for a text of
// another form.
std::string HexOfBytes(const std::string& bytes);
bool BytesOfHex(const std::string& hex, std::string& bytes);

// The install record writes such a path behind this mark, which can't begin
// a path of its own: no file name holds "<" or ">".
inline constexpr char kUnicodePathMark[] = "<utf-8>";

std::string MarkedUnicodePath(const std::u16string& path);

// The path of a marked value; false for a value without the mark, or with
// one that isn't well formed.
bool ReadMarkedUnicodePath(const std::string& value, std::u16string& path);
