#pragma once
// Between the ANSI code page, in which Setup.ini is read, and the wide
// strings in which the system hands over its paths.

#include <string>

// The platform's wide strings and the UTF-16 of the portable code are the
// same units.
std::u16string Utf16Of(const std::wstring& text);
std::wstring WideOf(const std::u16string& text);

// A value of Setup.ini as a wide string: every ANSI text has one.
std::wstring WideFromAnsi(const std::string& text);

// The ANSI form of `text`, when the code page holds every character of it
// exactly (no best fit, no default character); false otherwise.
bool ExactAnsiFrom(const std::wstring& text, std::string& ansi);

// A path as the install record writes it: in the code page where that holds
// it exactly, so that such a record keeps the bytes it always had; behind
// the Unicode mark otherwise.
std::string RecordValueOf(const std::wstring& path);

// The path that a record value names, in either form; read by the ANSI
// reader, or by the wide one, which turns the code page's bytes to UTF-16.
std::wstring PathOfRecordValue(const std::string& value);
std::wstring PathOfRecordValue(const std::wstring& value);
