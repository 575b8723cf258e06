#pragma once
// Between the texts of Setup.ini, the ANSI code page of the paths that the
// record writes, and the wide strings in which the system hands over its
// paths. A text read from Setup.ini is held as UTF-8 whatever the file's
// own form, so that it holds every character the file can.

#include <string>

// The platform's wide strings and the UTF-16 of the portable code are the
// same units.
std::u16string Utf16Of(const std::wstring& text);
std::wstring WideOf(const std::u16string& text);

// Bytes of the ANSI code page as a wide string: every ANSI text has one.
std::wstring WideFromAnsi(const std::string& text);

// A text as the reader of Setup.ini gives it (UTF-8) as a wide string, and
// back; bytes that aren't UTF-8 are taken in the code page.
std::wstring WideOfText(const std::string& text);
std::string TextOfWide(const std::wstring& text);

// A text in the form of an ANSI Setup.ini: what the platform's ANSI reader
// would give for it (the code page's bytes, with its stand-ins).
std::string AnsiOfText(const std::string& text);

// The ANSI form of `text`, when the code page holds every character of it
// exactly (no best fit, no default character); false otherwise.
bool ExactAnsiFrom(const std::wstring& text, std::string& ansi);

// A path as the install record writes it: in the code page where that holds
// it exactly, so that such a record keeps the bytes it always had; behind
// the Unicode mark otherwise.
std::string RecordValueOf(const std::wstring& path);

// The path that a record value names, in either form: as the reader of
// Setup.ini gives it, or as the wide reader does, which turns the code
// page's bytes to UTF-16.
std::wstring PathOfRecordValue(const std::string& value);
std::wstring PathOfRecordValue(const std::wstring& value);
