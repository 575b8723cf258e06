// The checker's profile reader against the platform's own: generated files
// full of awkward spacing, quotation marks, letter case, duplicates, odd and
// long lines, each read key by key by both; every value must agree.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "check/profile.h"
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

GeneratedFile Generate(Generator& generator) {
    GeneratedFile file;
    if (generator.OneIn(15)) {
        file.bytes += "\xEF\xBB\xBF";
    }
    std::size_t lines = 4 + generator.Below(30);
    for (std::size_t i = 0; i < lines; ++i) {
        std::string line = generator.Pick(kBlanks);
        std::size_t kind = generator.Below(20);
        if (kind < 4) {
            const std::string& section = generator.Pick(kSections);
            file.sections.push_back(section);
            line += "[" + generator.Pick(kBlanks) + section + generator.Pick(kBlanks) + "]";
            if (generator.OneIn(5)) {
                line += " junk]";
            }
        } else if (kind == 4) {
            line += generator.OneIn(2) ? "; comment=1" : "[unclosed";
        } else if (kind == 5) {
            const std::string& key = generator.Pick(kKeys);
            file.keys.push_back(key);
            line += key;  // a line without "="
        } else if (kind == 6) {
            line += std::string("K\0ey", 4) + "=" + generator.Pick(kValues);
        } else {
            const std::string& key = generator.Pick(kKeys);
            file.keys.push_back(key);
            std::string value = generator.OneIn(12) ? LongValue(generator) : generator.Pick(kValues);
            line += key + generator.Pick(kBlanks) + "=" + generator.Pick(kBlanks) + value;
        }
        file.bytes += line + generator.Pick(kBlanks) + generator.Pick(kLineEnds);
    }
    if (generator.OneIn(6)) {
        file.bytes.pop_back();  // no line end after the last line
    }
    file.sections.push_back(generator.Pick(kSections));
    file.keys.push_back(generator.Pick(kKeys));
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

TEST(ProfileReader, AgreesWithGetPrivateProfileStringA) {
    testenv::ScratchFolder folder("profiles");
    Generator generator(20261207);
    static char buffer[kReadSize + 2];
    int compared = 0;
    int differences = 0;
    for (int n = 0; n < kGeneratedFiles && differences < 20; ++n) {
        GeneratedFile file = Generate(generator);
        // A name of its own per file: the platform may keep a file it has read.
        std::string path = folder / ("case" + std::to_string(n) + ".ini");
        ASSERT_TRUE(testenv::WriteFileBytes(path, file.bytes));
        Profile profile = ParseProfile(file.bytes);
        for (const std::string& section : file.sections) {
            for (const std::string& key : file.keys) {
                const std::string& fallback = generator.Pick(kDefaults);
                std::size_t size = generator.OneIn(8) ? 2 + generator.Below(6) : kReadSize;
                DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer,
                                                        static_cast<DWORD>(size), path.c_str());
                std::string platform(buffer, length);
                std::string ours = ProfileString(profile, section, key, fallback, size);
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

}  // namespace
