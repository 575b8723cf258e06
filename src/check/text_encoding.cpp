#include "check/text_encoding.h"

#include <cstdint>

#include "setupfile/utf8.h"

namespace {

// The characters of Windows-1252 from 0x80 to 0x9F; the five unassigned
// positions stand for themselves, as the platform maps them.
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kFirstTrailSurrogate = 0xDC00;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char kNoCharacter = '?';

bool IsSurrogate(char32_t code) {
    return code >= kFirstSurrogate && code <= kLastSurrogate;
}

// One character from `bytes` at `at`, which moves past it; false, with `at`
// unmoved, for a sequence that isn't the shortest one of a character.
bool NextCharacter(const std::string& bytes, std::size_t& at, char32_t& code) {
    unsigned char lead = static_cast<unsigned char>(bytes[at]);
    std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    if (length == 0 || at + length > bytes.size()) {
        return false;
    }
    char32_t value = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
    for (std::size_t k = 1; k < length; ++k) {
        unsigned char next = static_cast<unsigned char>(bytes[at + k]);
        if ((next >> 6) != 2) {
            return false;
        }
        value = (value << 6) | (next & 0x3F);
    }
    static const char32_t kShortest[] = {0, 0, 0x80, 0x800, kFirstSupplementary};
    if (value < kShortest[length] || value > kLastCodePoint || IsSurrogate(value)) {
        return false;
    }
    code = value;
    at += length;
    return true;
}

}  // namespace

char AnsiCharacter(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
        return static_cast<char>(code);
    }
    for (unsigned i = 0; i < 32; ++i) {
        if (kCp1252High[i] == code) {
            return static_cast<char>(0x80 + i);
        }
    }
    return kNoCharacter;
}

char32_t UnicodeCharacter(char ansi) {
    unsigned char c = static_cast<unsigned char>(ansi);
    return (c >= 0x80 && c < 0xA0) ? kCp1252High[c - 0x80] : c;
}

std::string Utf8FromAnsi(const std::string& ansi) {
    std::string utf8;
    for (char c : ansi) {
        AppendUtf8(utf8, UnicodeCharacter(c));
    }
    return utf8;
}

std::string AnsiFromUtf8(const std::string& utf8) {
    std::string ansi;
    for (char32_t code : Utf32FromUtf8(utf8)) {
        ansi += AnsiCharacter(code);
    }
    return ansi;
}

std::u32string Utf32FromUtf8(const std::string& utf8) {
    std::u32string text;
    std::size_t at = 0;
    while (at < utf8.size()) {
        char32_t code = 0;
        if (!NextCharacter(utf8, at, code)) {
            code = static_cast<char32_t>(kNoCharacter);
            ++at;
        }
        text += code;
    }
    return text;
}

std::string Utf8FromUtf32(const std::u32string& text) {
    std::string utf8;
    for (char32_t code : text) {
        AppendUtf8(utf8, code);
    }
    return utf8;
}

std::string ValidUtf8(const std::string& bytes) {
    return Utf8FromUtf32(Utf32FromUtf8(bytes));
}

bool IsUtf8(const std::string& bytes) {
    std::size_t at = 0;
    char32_t code = 0;
    while (at < bytes.size()) {
        if (!NextCharacter(bytes, at, code)) {
            return false;
        }
    }
    return true;
}

std::u16string Utf16FromUtf8(const std::string& utf8) {
    std::u16string units;
    for (char32_t code : Utf32FromUtf8(utf8)) {
        if (code >= kFirstSupplementary) {
            units += static_cast<char16_t>(kFirstSurrogate + ((code - kFirstSupplementary) >> 10));
            units += static_cast<char16_t>(kFirstTrailSurrogate + ((code - kFirstSupplementary) & 0x3FF));
        } else {
            units += static_cast<char16_t>(code);
        }
    }
    return units;
}

std::string Utf8FromUtf16(const std::u16string& units) {
    std::string utf8;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t unit = units[i];
        char32_t trail = i + 1 < units.size() ? units[i + 1] : 0;
        if (unit >= kFirstSurrogate && unit < kFirstTrailSurrogate && trail >= kFirstTrailSurrogate &&
            trail <= kLastSurrogate) {
            AppendUtf8(utf8, kFirstSupplementary + ((unit - kFirstSurrogate) << 10) + (trail - kFirstTrailSurrogate));
            ++i;
        } else {
            AppendUtf8(utf8, IsSurrogate(unit) ? static_cast<char32_t>(kNoCharacter) : unit);
        }
    }
    return utf8;
}

std::string Utf8FromUtf16Bytes(const std::string& bytes, std::size_t from, bool bigEndian) {
    std::u16string units;
    for (std::size_t i = from; i + 1 < bytes.size(); i += 2) {
        unsigned first = static_cast<unsigned char>(bytes[i]);
        unsigned second = static_cast<unsigned char>(bytes[i + 1]);
        units += static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
    }
    return Utf8FromUtf16(units);
}

std::size_t Utf16Length(const std::string& utf8) {
    return Utf16FromUtf8(utf8).size();
}
