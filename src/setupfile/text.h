#pragma once
// String operations shared by all modes. No Win32 here: this file is also
// built natively and run under sanitizers.

#include <cstddef>
#include <string>

// Size of the one buffer that FormatString formats into.
constexpr std::size_t kFormatBufferSize = 32768;

// Turns every backslash followed by a lowercase n into CR LF. Nothing else is
// an escape: "\\n" gives a backslash and a line break, "\N" stays as it is.
std::string ExpandLineBreaks(const std::string& text);

// printf into the shared format buffer, returning a copy of its text. Not
// reentrant. A text that would not fit is cut at the end of the buffer.
std::string FormatString(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Byte-for-byte equality; letter case counts.
bool EqualsExactly(const std::string& value, const char* literal);

// Compares with only the letters A to Z folded to lowercase; no locale.
// 0 when equal, negative when value sorts first, positive otherwise.
int CompareNoCase(const std::string& value, const char* literal);
// The same for wide texts, such as a disc's label against Volume.
int CompareNoCase(const std::wstring& value, const std::wstring& literal);
