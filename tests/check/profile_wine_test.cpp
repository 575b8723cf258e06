// The checker's profile reader against the platform's own: generated files
// full of awkward spacing, quotation marks, letter case, duplicates, odd and
// long lines, each read key by key by both; every value must agree. ANSI
// files go to the ANSI reader, UTF-16 LE ones with letters of any language
// to the wide reader.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "check/profile.h"
#include "check/text_encoding.h"
#include "test_env.h"

namespace {

constexpr int kGeneratedFiles = 300;
// The size that the program's setting reader hands to the platform.
constexpr std::size_t kReadSize = 8190;

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}

    template <std::size_t N>
    const std::string& Pick(const std::string (&pool)[N]) {
        return pool[Below(N)];
    }
    std::size_t Below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }
    bool OneIn(std::size_t n) { return Below(n) == 0; }

private:
    std::mt19937 random_;
};

const std::string kSections[] = {"General", "general", "GENERAL", " General\t", "Text", "tEXT", "Files",
                                 "PreloadDLLs", "Other", "", "Gen]eral", "G\xE9n\xE9ral", "G\xC9N\xC9RAL"};
const std::string kKeys[] = {"Mode", "mode", "MODE", "AppName", "Volume", "1", "2", "3", "01", "Wait Execute",
                             "k\xE9y", "K\xC9Y", "Execute", "ExecuteCD", "x"};
const std::string kBlanks[] = {"", "", " ", "\t", "  \t ", "\v", "\f", "\x1A", "\xA0", "\x1F"};
const std::string kLineEnds[] = {"\r\n", "\r\n", "\n", "\r", "\r\r\n", "\n\r"};
const std::string kValues[] = {"Install", "install", "a b", "\"quoted\"", "'single'", "\"mixed'", "\"open",
                               "close\"", "\"\"", "''", "\"", "'", "\" inner \"\"quotes\" \"", "a=b", "a\\nb",
                               "", "\xE9t\xE9 \x80\x81\x9F\xFF", std::string("nul\0after", 9),
                               std::string("\"nul\0\"", 6), "\"  \"", "x ; not a comment"};
const std::string kDefaults[] = {"dflt", "", "d  ", " ", "\"q\"", "'", "a b"};
// What only a UTF-16 file holds, in UTF-8: letters of no ANSI code page, a
// character of two UTF-16 units, and blanks beyond ASCII.
const std::string kUnicodeSections[] = {"\u0420\u0430\u0437\u0434\u0435\u043B", "\u0420\u0410\u0417\u0414\u0415\u041B",
                                        "\u65E5\u672C"};
const std::string kUnicodeKeys[] = {"\u041A\u043B\u044E\u0447", "\u041A\u041B\u042E\u0427", "\u0142", "\u0141",
                                    "\U0001F3CE"};
const std::string kUnicodeBlanks[] = {"\u3000", "\u2003", "\u00A0", "\uFEFF"};
const std::string kUnicodeValues[] = {"\u0141\u00F3d\u017A \u2014 \u65E5\u672C", "\"\u0420\u0430\u043B\u043B\u0438\"",
                                      "\U0001F3CE\U0001F3CE", "\u3000inner\u3000", "'\u0142'"};

std::string LongValue(Generator& generator) {
    static const std::size_t lengths[] = {8186, 8187, 8188, 8189, 8190, 8191, 9000};
    std::string value(lengths[generator.Below(7)], 'v');
    value.back() = 'w';
    if (generator.OneIn(2)) {
        value = "\"" + value + "\"";
    }
    return value;
}

// One generated Setup.ini and the section and key names worth asking for.
struct GeneratedFile {
    std::string bytes;
    std::vector<std::string> sections;
    std::vector<std::string> keys;
};

// ANSI bytes, or with `unicode` the text of a UTF-16 file in UTF-8.
GeneratedFile Generate(Generator& generator, bool unicode) {
    GeneratedFile file;
    // Both readers take this pool's ANSI text; a UTF-16 file now and then
    // has a piece of the other instead.
    auto pick = [&generator, unicode](const auto& pool, const auto& unicodePool) {
        if (unicode && generator.OneIn(4)) {
            return generator.Pick(unicodePool);
        }
        const std::string& ansi = generator.Pick(pool);
        return unicode ? Utf8FromAnsi(ansi) : ansi;
    };
    // Windows reads a UTF-8 file as ANSI, Wine by its mark: only their
    // common ground is compared.
    if (!unicode && generator.OneIn(15)) {
        file.bytes += "\xEF\xBB\xBF";
    }
    std::size_t lines = 4 + generator.Below(30);
    for (std::size_t i = 0; i < lines; ++i) {
        std::string line = pick(kBlanks, kUnicodeBlanks);
        std::size_t kind = generator.Below(20);
        if (kind < 4) {
            std::string section = pick(kSections, kUnicodeSections);
            file.sections.push_back(section);
            line += "[" + pick(kBlanks, kUnicodeBlanks) + section + pick(kBlanks, kUnicodeBlanks) + "]";
            if (generator.OneIn(5)) {
                line += " junk]";
            }
        } else if (kind == 4) {
            line += generator.OneIn(2) ? "; comment=1" : "[unclosed";
        } else if (kind == 5) {
            std::string key = pick(kKeys, kUnicodeKeys);
            file.keys.push_back(key);
            line += key;  // a line without "="
        } else if (kind == 6) {
            line += std::string("K\0ey", 4) + "=" + pick(kValues, kUnicodeValues);
        } else {
            std::string key = pick(kKeys, kUnicodeKeys);
            file.keys.push_back(key);
            std::string value = generator.OneIn(12) ? LongValue(generator) : pick(kValues, kUnicodeValues);
            line += key + pick(kBlanks, kUnicodeBlanks) + "=" + pick(kBlanks, kUnicodeBlanks) + value;
        }
        file.bytes += line + pick(kBlanks, kUnicodeBlanks) + generator.Pick(kLineEnds);
    }
    if (generator.OneIn(6)) {
        file.bytes.pop_back();  // no line end after the last line
    }
    file.sections.push_back(pick(kSections, kUnicodeSections));
    file.keys.push_back(pick(kKeys, kUnicodeKeys));
    file.keys.push_back("K");
    return file;
}

std::string Shown(const std::string& text) {
    std::string shown;
    for (unsigned char c : text.substr(0, 60)) {
        char hex[8];
        std::snprintf(hex, sizeof(hex), c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
        shown += hex;
    }
    return "\"" + shown + (text.size() > 60 ? "\"... (" + std::to_string(text.size()) + ")" : "\"");
}

std::wstring Wide(const std::string& utf8) {
    std::u16string units = Utf16FromUtf8(utf8);
    return std::wstring(units.begin(), units.end());
}

// What the platform's reader gives, in UTF-8 as the checker holds it: the
// ANSI reader with ANSI names, the wide one with UTF-8 names.
std::string PlatformValue(bool unicode, const std::string& path, const std::string& section, const std::string& key,
                          const std::string& fallback, std::size_t size) {
    if (!unicode) {
        static char buffer[kReadSize + 2];
        DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer,
                                                static_cast<DWORD>(size), path.c_str());
        return Utf8FromAnsi(std::string(buffer, length));
    }
    static wchar_t buffer[kReadSize + 2];
    DWORD length = GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(fallback).c_str(), buffer,
                                            static_cast<DWORD>(size), Wide(path).c_str());
    return Utf8FromUtf16(std::u16string(buffer, buffer + length));
}

// Generated files read key by key by both readers: a UTF-16 file is saved
// with its mark.
void CompareWithPlatform(bool unicode, unsigned seed) {
    testenv::ScratchFolder folder("profiles");
    Generator generator(seed);
    int compared = 0;
    int differences = 0;
    for (int n = 0; n < kGeneratedFiles && differences < 20; ++n) {
        GeneratedFile file = Generate(generator, unicode);
        std::string bytes = file.bytes;
        if (unicode) {
            bytes = "\xFF\xFE";
            for (char16_t unit : Utf16FromUtf8(file.bytes)) {
                bytes += static_cast<char>(unit & 0xFF);
                bytes += static_cast<char>(unit >> 8);
            }
        }
        // A name of its own per file: the platform may keep a file it has read.
        std::string path = folder / ("case" + std::to_string(n) + ".ini");
        ASSERT_TRUE(testenv::WriteFileBytes(path, bytes));
        Profile profile = ParseProfile(bytes);
        for (const std::string& section : file.sections) {
            for (const std::string& key : file.keys) {
                const std::string& fallback = generator.Pick(kDefaults);
                std::size_t size = generator.OneIn(8) ? 2 + generator.Below(6) : kReadSize;
                std::string platform = PlatformValue(unicode, path, section, key, fallback, size);
                auto utf8 = [unicode](const std::string& text) { return unicode ? text : Utf8FromAnsi(text); };
                std::string ours = ProfileString(profile, utf8(section), utf8(key), utf8(fallback), size);
                ++compared;
                if (platform != ours) {
                    ++differences;
                    ADD_FAILURE() << "file " << path << ": [" << Shown(section) << "] " << Shown(key) << ", default "
                                  << Shown(fallback) << ", size " << size << "\n  platform: " << Shown(platform)
                                  << "\n  checker:  " << Shown(ours);
                }
            }
        }
    }
    EXPECT_EQ(differences, 0);
    EXPECT_GT(compared, kGeneratedFiles * 10);
}

TEST(ProfileReader, AgreesWithGetPrivateProfileStringA) {
    CompareWithPlatform(false, 20261207);
}

TEST(ProfileReader, ReadsUtf16AsGetPrivateProfileStringW) {
    CompareWithPlatform(true, 20261208);
}

}  // namespace
