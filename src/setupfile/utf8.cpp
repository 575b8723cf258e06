#include "setupfile/utf8.h"

namespace {

constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kFirstTrailSurrogate = 0xDC00;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr char32_t kLastCodePoint = 0x10FFFF;

// One code point from `bytes` at `at`, which moves past it; false for a
// sequence that isn't the shortest one of a code point up to U+10FFFF.
bool NextCodePoint(const std::string& bytes, std::size_t& at, char32_t& codePoint) {
    const unsigned char lead = static_cast<unsigned char>(bytes[at]);
    std::size_t length = 0;
    char32_t smallest = 0;
    if (lead < 0x80) {
        codePoint = lead;
        ++at;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        codePoint = lead & 0x1F;
        smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        codePoint = lead & 0x0F;
        smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        codePoint = lead & 0x07;
        smallest = kFirstSupplementary;
    } else {
        return false;
    }
    if (bytes.size() - at < length) {
        return false;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80) {
            return false;
        }
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < smallest || codePoint > kLastCodePoint) {
        return false;
    }
    at += length;
    return true;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < kFirstSupplementary) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::string Utf8Of(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        const bool leadSurrogate = unit >= kFirstSurrogate && unit < kFirstTrailSurrogate;
        if (leadSurrogate && i + 1 < text.size() && text[i + 1] >= kFirstTrailSurrogate &&
            text[i + 1] <= kLastSurrogate) {
            unit = kFirstSupplementary + ((unit - kFirstSurrogate) << 10) + (text[i + 1] - kFirstTrailSurrogate);
            ++i;
        }
        AppendUtf8(out, unit);
    }
    return out;
}

bool Utf16OfUtf8(const std::string& bytes, std::u16string& text) {
    std::u16string decoded;
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t codePoint = 0;
        if (!NextCodePoint(bytes, at, codePoint)) {
            return false;
        }
        if (codePoint >= kFirstSupplementary) {
            const char32_t offset = codePoint - kFirstSupplementary;
            decoded += static_cast<char16_t>(kFirstSurrogate + (offset >> 10));
            decoded += static_cast<char16_t>(kFirstTrailSurrogate + (offset & 0x3FF));
        } else {
            decoded += static_cast<char16_t>(codePoint);
        }
    }
    text = decoded;
    return true;
}
