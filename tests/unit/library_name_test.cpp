#include <gtest/gtest.h>

#include "launch/library_name.h"

namespace {

struct LibraryNameCase {
    const char* name;
    bool searched;
    const char* withExtension;
};

class LibraryNameTest : public ::testing::TestWithParam<LibraryNameCase> {};

TEST_P(LibraryNameTest, ReadsTheNameAsTheLoaderDoes) {
    EXPECT_EQ(IsSearchedLibraryName(GetParam().name), GetParam().searched) << GetParam().name;
    EXPECT_EQ(WithLibraryExtension(GetParam().name), GetParam().withExtension) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, LibraryNameTest,
    ::testing::Values(LibraryNameCase{"fix.dll", true, "fix.dll"},
                      LibraryNameCase{"fix", true, "fix.dll"},
                      LibraryNameCase{"fix.", true, "fix."},
                      LibraryNameCase{"fix.drv", true, "fix.drv"},
                      LibraryNameCase{"libs\\fix", true, "libs\\fix.dll"},
                      LibraryNameCase{"lib.v2\\fix", true, "lib.v2\\fix.dll"},
                      LibraryNameCase{"lib.v2/fix", true, "lib.v2/fix.dll"},
                      LibraryNameCase{"..\\fix.dll", true, "..\\fix.dll"},
                      LibraryNameCase{"C:\\Game\\fix.dll", false, "C:\\Game\\fix.dll"},
                      LibraryNameCase{"C:fix.dll", false, "C:fix.dll"},
                      LibraryNameCase{"\\Game\\fix.dll", false, "\\Game\\fix.dll"},
                      LibraryNameCase{"\\\\server\\share\\fix", false, "\\\\server\\share\\fix.dll"},
                      LibraryNameCase{"/Game/fix.dll", false, "/Game/fix.dll"}));

}  // namespace
