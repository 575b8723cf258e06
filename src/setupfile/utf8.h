#pragma once
// UTF-16 and UTF-8, both ways, for texts that must come back unit for unit:
// an unpaired surrogate, which a file name or a careless editor may leave,
// is written as the three bytes of its code point. No Win32 here.

#include <string>

// Appends the bytes of one code point up to U+10FFFF.
void AppendUtf8(std::string& out, char32_t codePoint);

std::string Utf8Of(const std::u16string& text);

// The UTF-16 of `bytes`; false, with `text` left alone, for bytes that
// aren't the shortest sequences of code points up to U+10FFFF.
bool Utf16OfUtf8(const std::string& bytes, std::u16string& text);
