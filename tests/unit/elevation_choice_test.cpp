#include <gtest/gtest.h>

#include <string>

#include "app/command_line.h"
#include "process/elevation_choice.h"

namespace {

struct RestartCase {
    Mode mode;
    bool rightsTestFailed;
    TokenKind token;
    bool restarted;
    bool expected;
};

class ShouldRestartElevatedTest : public ::testing::TestWithParam<RestartCase> {};

TEST_P(ShouldRestartElevatedTest, RestartsOnlyWhereAPromptCanGiveTheMissingRights) {
    const RestartCase& c = GetParam();
    EXPECT_EQ(ShouldRestartElevated(ElevationFacts{c.mode, c.rightsTestFailed, c.token, c.restarted}), c.expected)
        << "mode " << static_cast<int>(c.mode) << " failed " << c.rightsTestFailed << " token "
        << static_cast<int>(c.token) << " restarted " << c.restarted;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShouldRestartElevatedTest,
    ::testing::Values(RestartCase{Mode::Install, true, TokenKind::Limited, false, true},
                      RestartCase{Mode::Uninstall, true, TokenKind::Limited, false, true},
                      // The second start never starts a third, whatever its token says.
                      RestartCase{Mode::Install, true, TokenKind::Limited, true, false},
                      RestartCase{Mode::Uninstall, true, TokenKind::Limited, true, false},
                      // The rights are there.
                      RestartCase{Mode::Install, false, TokenKind::Limited, false, false},
                      RestartCase{Mode::Uninstall, false, TokenKind::Limited, false, false},
                      // No prompt could give them: a standard user, user account
                      // control off, already elevated, or no answer.
                      RestartCase{Mode::Install, true, TokenKind::Plain, false, false},
                      RestartCase{Mode::Install, true, TokenKind::Full, false, false},
                      RestartCase{Mode::Install, true, TokenKind::Unknown, false, false},
                      RestartCase{Mode::Uninstall, true, TokenKind::Full, false, false},
                      // Run mode starts the patch's programs with the user's own rights.
                      RestartCase{Mode::Launch, true, TokenKind::Limited, false, false},
                      RestartCase{Mode::InvalidSwitch, true, TokenKind::Limited, false, false}));

struct ArgumentsCase {
    const char* line;
    const char* expected;
};

class ArgumentsAfterProgramNameTest : public ::testing::TestWithParam<ArgumentsCase> {};

// The second start must split its command line into the same arguments.
TEST_P(ArgumentsAfterProgramNameTest, KeepsTheRestByteForByte) {
    const ArgumentsCase& c = GetParam();
    const std::string rest = ArgumentsAfterProgramName(c.line);
    EXPECT_EQ(rest, c.expected);
    const std::string again = "\"C:\\Other Disc\\Setup.exe\" " + rest;
    EXPECT_EQ(SplitCommandLine(again.c_str()), SplitCommandLine(c.line)) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ArgumentsAfterProgramNameTest,
    ::testing::Values(ArgumentsCase{"\"C:\\Patch Disc\\Setup.exe\"", ""},
                      ArgumentsCase{"\"C:\\Patch Disc\\Setup.exe\" -uninstall", " -uninstall"},
                      ArgumentsCase{"\"C:\\Patch Disc\\Setup.exe\"-INSTALL", "-INSTALL"},
                      ArgumentsCase{"  E:\\Setup.exe \"-install\" x", "\"-install\" x"},
                      ArgumentsCase{"E:\\Setup.exe", ""},
                      ArgumentsCase{"\"E:\\Setup.exe", ""},
                      ArgumentsCase{"E:\\Setup.exe ab\"cd\t", "ab\"cd\t"}));

TEST(ArgumentsAfterProgramName, NoCommandLineGivesNone) {
    EXPECT_EQ(ArgumentsAfterProgramName(static_cast<const char*>(nullptr)), "");
}

TEST(RestartMarkerName, OneNamePerExecutableAndFirstStartWhateverTheLetterCase) {
    const std::string name = RestartMarkerName(L"C:\\Program Files\\Patch\\Setup.exe", 0x1234);
    EXPECT_EQ(name, RestartMarkerName(L"c:\\PROGRAM FILES\\patch\\SETUP.EXE", 0x1234));
    EXPECT_NE(name, RestartMarkerName(L"E:\\Setup.exe", 0x1234));
    // Two first starts of one executable at once: neither is the other's second.
    EXPECT_NE(name, RestartMarkerName(L"C:\\Program Files\\Patch\\Setup.exe", 0x1238));
    // Letters beyond A to Z count: best fitted into a code page, these would be one.
    EXPECT_NE(RestartMarkerName(L"C:\\\u0141\u00F3d\u017A\\Setup.exe", 1), RestartMarkerName(L"C:\\Lodz\\Setup.exe", 1));
    // A kernel object's name holds no backslash beyond its namespace.
    EXPECT_EQ(name.rfind("Local\\", 0), 0u) << name;
    EXPECT_EQ(name.find('\\', 6), std::string::npos) << name;
}

}  // namespace
