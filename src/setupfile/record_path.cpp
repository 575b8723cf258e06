#include "setupfile/record_path.h"

#include <cstring>

#include "setupfile/utf8.h"

namespace {

const char kHexDigits[] = "0123456789ABCDEF";
constexpr char kEscape = '%';
// Printable ASCII is written as it is, but for the escape itself.
constexpr unsigned char kFirstPlain = 0x20;
constexpr unsigned char kLastPlain = 0x7E;

void AppendByte(std::string& out, unsigned char byte) {
    if (byte >= kFirstPlain && byte <= kLastPlain && byte != kEscape) {
        out += static_cast<char>(byte);
        return;
    }
    out += kEscape;
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
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

}  // namespace

std::string PercentEncodedUtf8(const std::u16string& path) {
    std::string out;
    for (unsigned char byte : Utf8Of(path)) {
        AppendByte(out, byte);
    }
    return out;
}

bool DecodePercentEncodedUtf8(const std::string& text, std::u16string& path) {
    std::string bytes;
    return Unescape(text, bytes) && Utf16OfUtf8(bytes, path);
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
