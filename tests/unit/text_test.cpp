#include <gtest/gtest.h>

#include <string>

#include "setupfile/text.h"

namespace {

struct ExpandCase {
    std::string input;
    std::string expected;
};

class ExpandLineBreaksTest : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandLineBreaksTest, ReplacesOnlyBackslashLowercaseN) {
    EXPECT_EQ(ExpandLineBreaks(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Escapes, ExpandLineBreaksTest,
                         ::testing::Values(ExpandCase{"a\\nb", "a\r\nb"},
                                           ExpandCase{"a\\Nb", "a\\Nb"},
                                           ExpandCase{"ab\\", "ab\\"},
                                           ExpandCase{"ab\\n", "ab\r\n"},
                                           ExpandCase{"\\\\n", "\\\r\n"},
                                           ExpandCase{"\\nn", "\r\nn"},
                                           ExpandCase{"", ""},
                                           ExpandCase{"\\n\\n", "\r\n\r\n"},
                                           ExpandCase{"\\", "\\"},
                                           ExpandCase{"n", "n"},
                                           ExpandCase{"\\t\\r", "\\t\\r"},
                                           ExpandCase{std::string("a\0\\nb", 5), std::string("a\0\r\nb", 5)},
                                           // A double-byte character whose trail byte is a backslash is
                                           // not treated specially: the text is examined byte by byte.
                                           ExpandCase{"\x95\\n", "\x95\r\n"}));

TEST(EqualsExactly, LetterCaseCounts) {
    EXPECT_TRUE(EqualsExactly("Install", "Install"));
    EXPECT_FALSE(EqualsExactly("install", "Install"));
    EXPECT_FALSE(EqualsExactly("Install ", "Install"));
    EXPECT_FALSE(EqualsExactly("Instal", "Install"));
    EXPECT_TRUE(EqualsExactly("", ""));
    EXPECT_FALSE(EqualsExactly(std::string("1\0", 2), "1"));
}

TEST(CompareNoCase, FoldsOnlyAsciiLetters) {
    EXPECT_EQ(CompareNoCase("install", "Install"), 0);
    EXPECT_EQ(CompareNoCase("-UnInstall", "-uninstall"), 0);
    EXPECT_EQ(CompareNoCase("PATCHDISC", "patchdisc"), 0);
    // Both ends of the folded range.
    EXPECT_EQ(CompareNoCase("AZ", "az"), 0);
    // Accented letters are not folded.
    EXPECT_NE(CompareNoCase("\xC9T\xC9", "\xE9t\xE9"), 0);
    EXPECT_NE(CompareNoCase("-install", "-installx"), 0);
    EXPECT_NE(CompareNoCase("", "-install"), 0);
    // '[' lies between 'Z' and 'a': it must not equal any letter.
    EXPECT_NE(CompareNoCase("[", "{"), 0);
}

TEST(CompareNoCase, OrdersAsLowercase) {
    EXPECT_LT(CompareNoCase("ABC", "abd"), 0);
    EXPECT_GT(CompareNoCase("abd", "ABC"), 0);
    EXPECT_LT(CompareNoCase("ab", "abc"), 0);
    EXPECT_GT(CompareNoCase("abc", "AB"), 0);
    // Bytes compare unsigned: 0xE9 sorts after every ASCII letter.
    EXPECT_GT(CompareNoCase("\xE9", "z"), 0);
}

TEST(FormatString, FormatsLikePrintf) {
    EXPECT_EQ(FormatString("%i", 1), "1");
    EXPECT_EQ(FormatString("%i", 12345), "12345");
    EXPECT_EQ(FormatString("%c:\\", 65 + 4), "E:\\");
    EXPECT_EQ(FormatString("%i=\"%s\"\r\n", 3, "C:\\a b\\x"), "3=\"C:\\a b\\x\"\r\n");
}

TEST(FormatString, ResultStaysWhenTheBufferIsReused) {
    const std::string first = FormatString("%s", "first");
    const std::string second = FormatString("%s", "second");
    EXPECT_EQ(first, "first");
    EXPECT_EQ(second, "second");
}

TEST(FormatString, CutsATextThatWouldNotFitInsteadOfOverflowing) {
    const std::string huge(kFormatBufferSize * 2, 'x');
    const std::string result = FormatString("%s", huge.c_str());
    EXPECT_EQ(result.size(), kFormatBufferSize - 1);
    EXPECT_EQ(result, huge.substr(0, kFormatBufferSize - 1));
}

}  // namespace
