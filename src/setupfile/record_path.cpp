#include "setupfile/record_path.h"

#include <cstring>

namespace {

const char kHexDigits[] = "0123456789ABCDEF";
constexpr char kEscape = '%';
// Printable ASCII is written as it is, but for the escape itself.
constexpr unsigned char kFirstPlain = 0x20;
constexpr unsigned char kLastPlain = 0x7E;

constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kFirstTrailSurrogate = 0xDC00;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr char32_t kLastCodePoint = 0x10FFFF;

void AppendByte(std::string& out, unsigned char byte) {
    if (byte >= kFirstPlain && byte <= kLastPlain && byte != kEscape) {
        out += static_cast<char>(byte);
        return;
    }
    out += kEscape;
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        AppendByte(out, static_cast<unsigned char>(codePoint));
    } else if (codePoint < 0x800) {
        AppendByte(out, static_cast<unsigned char>(0xC0 | (codePoint >> 6)));
        AppendByte(out, static_cast<unsigned char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < kFirstSupplementary) {
        AppendByte(out, static_cast<unsigned char>(0xE0 | (codePoint >> 12)));
        AppendByte(out, static_cast<unsigned char>(0x80 | ((codePoint >> 6) & 0x3F)));
        AppendByte(out, static_cast<unsigned char>(0x80 | (codePoint & 0x3F)));
    } else {
        AppendByte(out, static_cast<unsigned char>(0xF0 | (codePoint >> 18)));
        AppendByte(out, static_cast<unsigned char>(0x80 | ((codePoint >> 12) & 0x3F)));
        AppendByte(out, static_cast<unsigned char>(0x80 | ((codePoint >> 6) & 0x3F)));
        AppendByte(out, static_cast<unsigned char>(0x80 | (codePoint & 0x3F)));
    }
}

int HexValue(char c) {
    const char* digit = c == '\0' ? nullptr : std::strchr(kHexDigits, c);
    return digit == nullptr ? -1 : static_cast<int>(digit - kHexDigits);
}

// The bytes that the text stands for; false for a short escape, one with a
// lower-case or no hex digit, or a byte outside printable ASCII.
bool Unescape(const std::string& text, std::string& bytes) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c != kEscape) {
            if (c < kFirstPlain || c > kLastPlain) {
                return false;
            }
            bytes += static_cast<char>(c);
            continue;
        }
        if (i + 2 >= text.size()) {
            return false;
        }
        const int high = HexValue(text[i + 1]);
        const int low = high < 0 ? -1 : HexValue(text[i + 2]);
        if (low < 0) {
            return false;
        }
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

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

std::string PercentEncodedUtf8(const std::u16string& path) {
    std::string out;
    for (std::size_t i = 0; i < path.size(); ++i) {
        char32_t unit = path[i];
        const bool leadSurrogate = unit >= kFirstSurrogate && unit < kFirstTrailSurrogate;
        if (leadSurrogate && i + 1 < path.size() && path[i + 1] >= kFirstTrailSurrogate &&
            path[i + 1] <= kLastSurrogate) {
            unit = kFirstSupplementary + ((unit - kFirstSurrogate) << 10) + (path[i + 1] - kFirstTrailSurrogate);
            ++i;
        }
        AppendUtf8(out, unit);
    }
    return out;
}

bool DecodePercentEncodedUtf8(const std::string& text, std::u16string& path) {
    std::string bytes;
    if (!Unescape(text, bytes)) {
        return false;
    }
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
    path = decoded;
    return true;
}

std::string HexOfBytes(const std::string& bytes) {
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += kHexDigits[byte >> 4];
        hex += kHexDigits[byte & 0x0F];
    }
    return hex;
}

bool BytesOfHex(const std::string& hex, std::string& bytes) {
    if (hex.size() % 2 != 0) {
        return false;
    }
    std::string decoded;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexValue(hex[i]);
        const int low = high < 0 ? -1 : HexValue(hex[i + 1]);
        if (low < 0) {
            return false;
        }
        decoded += static_cast<char>(high * 16 + low);
    }
    bytes = decoded;
    return true;
}

std::string MarkedUnicodePath(const std::u16string& path) {
    return kUnicodePathMark + PercentEncodedUtf8(path);
}

bool ReadMarkedUnicodePath(const std::string& value, std::u16string& path) {
    const std::size_t markLength = sizeof(kUnicodePathMark) - 1;
    if (value.compare(0, markLength, kUnicodePathMark) != 0) {
        return false;
    }
    return DecodePercentEncodedUtf8(value.substr(markLength), path);
}
