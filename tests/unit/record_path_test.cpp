#include <gtest/gtest.h>

#include <string>

#include "setupfile/record_path.h"

namespace {

struct EncodedCase {
    const char* name;
    std::u16string path;
    const char* encoded;
};

class PercentEncodedUtf8Test : public ::testing::TestWithParam<EncodedCase> {};

TEST_P(PercentEncodedUtf8Test, WritesPlainAsciiAndReadsBackTheSamePath) {
    EXPECT_EQ(PercentEncodedUtf8(GetParam().path), GetParam().encoded);
    std::u16string decoded;
    ASSERT_TRUE(DecodePercentEncodedUtf8(GetParam().encoded, decoded));
    EXPECT_TRUE(decoded == GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PercentEncodedUtf8Test,
    ::testing::Values(EncodedCase{"Ascii", u"C:\\Program Files\\Patch", "C:\\Program Files\\Patch"},
                      EncodedCase{"PercentSign", u"C:\\100%", "C:\\100%25"},
                      EncodedCase{"TabAndDelete", u"a\tb\x7F", "a%09b%7F"},
                      EncodedCase{"TwoBytes", u"\u0141\u00F3d\u017A", "%C5%81%C3%B3d%C5%BA"},
                      EncodedCase{"ThreeBytes", u"\u6771\u4EAC", "%E6%9D%B1%E4%BA%AC"},
                      EncodedCase{"SurrogatePair", u"\U0001F3CE", "%F0%9F%8F%8E"},
                      // A file name may hold one half of a pair; it is kept as its code point.
                      EncodedCase{"UnpairedSurrogate", u"x\xD800y", "x%ED%A0%80y"},
                      EncodedCase{"Empty", u"", ""}),
    [](const ::testing::TestParamInfo<EncodedCase>& info) { return std::string(info.param.name); });

TEST(DecodePercentEncodedUtf8, RefusesWhatItNeverWrites) {
    const char* const malformed[] = {
        "%",          "%4",         "%zz",  "%c5%81",  // short, not hex, lower case
        "%C5",        "%C5A",       "%81",  // a sequence cut short, or a lone trail byte
        "%C0%80",     "%E0%80%80",  // longer than the shortest form
        "%F4%90%80%80",              // beyond U+10FFFF
        "%FF",        "caf\xE9",    "a\tb",  // no such byte in UTF-8; raw bytes outside printable ASCII
    };
    for (const char* text : malformed) {
        std::u16string path = u"kept";
        EXPECT_FALSE(DecodePercentEncodedUtf8(text, path)) << text;
        EXPECT_TRUE(path == u"kept") << text;
    }
}

TEST(MarkedUnicodePath, OnlyAMarkedValueIsRead) {
    std::u16string path;
    EXPECT_EQ(MarkedUnicodePath(u"C:\\\u0141"), "<utf-8>C:\\%C5%81");
    ASSERT_TRUE(ReadMarkedUnicodePath("<utf-8>C:\\%C5%81", path));
    EXPECT_TRUE(path == u"C:\\\u0141");
    EXPECT_FALSE(ReadMarkedUnicodePath("C:\\%C5%81", path));
    EXPECT_FALSE(ReadMarkedUnicodePath("<utf-8", path));
    EXPECT_FALSE(ReadMarkedUnicodePath("<utf-8>%zz", path));
}

}  // namespace
