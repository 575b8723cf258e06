#pragma once
// The checker holds every text of Setup.ini in UTF-8, whatever the file's
// encoding; these convert to and from the forms that files, the platform and
// the ANSI code page (Windows-1252) use. No Win32 here.

#include <cstddef>
#include <string>

// A Unicode character in the ANSI code page, "?" if it lacks it.
char AnsiCharacter(char32_t code);
// The Unicode character of an ANSI one.
char32_t UnicodeCharacter(char ansi);

// ANSI text as UTF-8; every byte has its character.
std::string Utf8FromAnsi(const std::string& ansi);
// UTF-8 as ANSI text: "?" for each character that the code page lacks and
// for each byte of a broken sequence.
std::string AnsiFromUtf8(const std::string& utf8);

// The characters of UTF-8 text: "?" for each byte of a broken sequence.
std::u32string Utf32FromUtf8(const std::string& utf8);
std::string Utf8FromUtf32(const std::u32string& text);
// Bytes that may not be UTF-8 as UTF-8, each byte of a broken sequence "?".
std::string ValidUtf8(const std::string& bytes);

// Whether the bytes are UTF-8 throughout: every sequence the shortest one
// of a character up to U+10FFFF, and no surrogate.
bool IsUtf8(const std::string& bytes);

// UTF-16 as the platform's wide functions hold it, and back; a surrogate
// without its other half gives "?".
std::u16string Utf16FromUtf8(const std::string& utf8);
std::string Utf8FromUtf16(const std::u16string& units);
// UTF-16 bytes from `from` on as UTF-8; an odd last byte is dropped.
std::string Utf8FromUtf16Bytes(const std::string& bytes, std::size_t from, bool bigEndian);

// How many UTF-16 units the text takes: the length that the platform's wide
// functions count.
std::size_t Utf16Length(const std::string& utf8);
