#include <gtest/gtest.h>

#include "setupfile/paths.h"

namespace {

bool NoLeadBytes(unsigned char) {
    return false;
}

// Shift-JIS-like: 0x81-0x9F and 0xE0-0xFC start a double-byte character.
bool ShiftJisLeadBytes(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

TEST(JoinWithBackslash, AddsOneBackslashOnlyWhenMissing) {
    EXPECT_EQ(JoinWithBackslash("C:\\Program Files", "Morvelan"), "C:\\Program Files\\Morvelan");
    EXPECT_EQ(JoinWithBackslash("C:\\Program Files\\", "Morvelan"), "C:\\Program Files\\Morvelan");
    EXPECT_EQ(JoinWithBackslash("", "Morvelan"), "\\Morvelan");
    EXPECT_EQ(JoinWithBackslash("C:\\", "a\\b"), "C:\\a\\b");
    EXPECT_EQ(JoinWithBackslash("C:/x/", "y"), "C:/x/\\y");
    EXPECT_EQ(JoinWithBackslash(std::wstring(L"C:\\\u0141\\"), L"x"), L"C:\\\u0141\\x");
}

TEST(DirectoryPart, OfAWidePath) {
    EXPECT_EQ(DirectoryPart(std::wstring(L"C:\\\u0141\u00F3d\u017A\\Setup.exe")), L"C:\\\u0141\u00F3d\u017A\\");
    EXPECT_EQ(DirectoryPart(std::wstring(L"C:Setup.exe")), L"C:");
    EXPECT_EQ(WithoutFinalBackslash(std::wstring(L"C:\\x\\")), L"C:\\x");
    EXPECT_EQ(WithFinalBackslash(std::wstring(L"C:\\x")), L"C:\\x\\");
}

struct DirectoryCase {
    const char* path;
    const char* directory;
};

class DirectoryPartTest : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(DirectoryPartTest, EndsAtTheLastSeparator) {
    EXPECT_EQ(DirectoryPart(GetParam().path, NoLeadBytes), GetParam().directory);
}

INSTANTIATE_TEST_SUITE_P(Paths, DirectoryPartTest,
                         ::testing::Values(DirectoryCase{"C:\\Program Files\\Morvelan\\Setup.exe",
                                                         "C:\\Program Files\\Morvelan\\"},
                                           DirectoryCase{"C:\\Setup.exe", "C:\\"},
                                           DirectoryCase{"C:Setup.exe", "C:"},
                                           DirectoryCase{"Setup.exe", ""},
                                           DirectoryCase{"", ""},
                                           DirectoryCase{"\\\\server\\share\\Setup.exe", "\\\\server\\share\\"},
                                           DirectoryCase{"C:/games/patch/Setup.exe", "C:/games/patch/"},
                                           DirectoryCase{"C:\\a/b\\c", "C:\\a/b\\"}));

TEST(DirectoryPart, NeverTakesATrailByteForASeparator) {
    // 0x95 0x5C is one double-byte character whose second byte looks like a backslash.
    const std::string path = "C:\\Games\\\x95\x5C\\Setup.exe";
    EXPECT_EQ(DirectoryPart(path, ShiftJisLeadBytes), "C:\\Games\\\x95\x5C\\");
    const std::string inName = "C:\\Games\\ab\x95\x5C.exe";
    EXPECT_EQ(DirectoryPart(inName, ShiftJisLeadBytes), "C:\\Games\\");
    EXPECT_EQ(DirectoryPart(inName, NoLeadBytes), "C:\\Games\\ab\x95\x5C");
}

TEST(DirectoryPart, ALeadByteAtTheEndDoesNotReadPastThePath) {
    EXPECT_EQ(DirectoryPart("C:\\x\\\x95", ShiftJisLeadBytes), "C:\\x\\");
}

TEST(FinalBackslash, IsRemovedOrAddedOnce) {
    EXPECT_EQ(WithoutFinalBackslash("C:\\Program Files\\Morvelan\\"), "C:\\Program Files\\Morvelan");
    EXPECT_EQ(WithoutFinalBackslash("C:\\"), "C:");
    EXPECT_EQ(WithoutFinalBackslash("C:"), "C:");
    EXPECT_EQ(WithoutFinalBackslash(""), "");
    EXPECT_EQ(WithFinalBackslash("C:"), "C:\\");
    EXPECT_EQ(WithFinalBackslash("C:\\x\\"), "C:\\x\\");
    EXPECT_EQ(WithFinalBackslash(""), "\\");
}

}  // namespace
