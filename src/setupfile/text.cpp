#include "setupfile/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// The format buffer lives for the whole process; FormatString hands out copies.
char g_formatBuffer[kFormatBufferSize];

}  // namespace

std::string ExpandLineBreaks(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    const std::size_t length = text.size();
    for (std::size_t i = 0; i < length; ++i) {
        if (i + 1 < length && text[i] == '\\' && text[i + 1] == 'n') {
            result += "\r\n";
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string FormatString(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    // vsnprintf never writes past the size it is given and always terminates,
    // so an over-long text is cut rather than overflowing the buffer.
    int written = std::vsnprintf(g_formatBuffer, sizeof(g_formatBuffer), format, arguments);
    va_end(arguments);
    if (written < 0) {
        g_formatBuffer[0] = '\0';
    }
    return std::string(g_formatBuffer);
}

bool EqualsExactly(const std::string& value, const char* literal) {
    return value.size() == std::strlen(literal) && std::memcmp(value.data(), literal, value.size()) == 0;
}

namespace {

// Only A to Z: no locale, so every other character, an accented letter too, stays.
template <typename Char>
Char FoldAToZ(Char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}

template <typename Char, typename Unit>
int CompareFolded(const Char* value, std::size_t valueLength, const Char* literal, std::size_t literalLength) {
    const std::size_t common = valueLength < literalLength ? valueLength : literalLength;
    for (std::size_t i = 0; i < common; ++i) {
        const Unit a = static_cast<Unit>(FoldAToZ(value[i]));
        const Unit b = static_cast<Unit>(FoldAToZ(literal[i]));
        if (a != b) {
            return a < b ? -1 : 1;
        }
    }
    if (valueLength == literalLength) {
        return 0;
    }
    return valueLength < literalLength ? -1 : 1;
}

}  // namespace

int CompareNoCase(const std::string& value, const char* literal) {
    // Bytes compare as unsigned, so that a byte above 0x7F sorts after ASCII.
    return CompareFolded<char, unsigned char>(value.data(), value.size(), literal, std::strlen(literal));
}

int CompareNoCase(const std::wstring& value, const std::wstring& literal) {
    return CompareFolded<wchar_t, wchar_t>(value.data(), value.size(), literal.data(), literal.size());
}
