#include "setupfile/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// The format buffer lives for the whole process; FormatString hands out copies.
char g_formatBuffer[kFormatBufferSize];

// Only A to Z: no locale, so every other byte, an accented letter too, stays.
unsigned char FoldAsciiToLower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

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

int CompareNoCase(const std::string& value, const char* literal) {
    const std::size_t literalLength = std::strlen(literal);
    const std::size_t common = value.size() < literalLength ? value.size() : literalLength;
    for (std::size_t i = 0; i < common; ++i) {
        unsigned char a = FoldAsciiToLower(static_cast<unsigned char>(value[i]));
        unsigned char b = FoldAsciiToLower(static_cast<unsigned char>(literal[i]));
        if (a != b) {
            return a < b ? -1 : 1;
        }
    }
    if (value.size() == literalLength) {
        return 0;
    }
    return value.size() < literalLength ? -1 : 1;
}
