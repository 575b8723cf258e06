#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

struct SplitCase {
    const char* line;
    std::vector<std::string> arguments;
};

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, GivesTheArgumentsAfterTheProgramName) {
    EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().arguments) << "line: [" << GetParam().line << "]";
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SplitCommandLineTest,
    ::testing::Values(
        SplitCase{"", {}},
        SplitCase{"Setup.exe", {}},
        SplitCase{"\"C:\\My Patch\\Setup.exe\"", {}},
        SplitCase{"\"C:\\My Patch\\Setup.exe\"   ", {}},
        SplitCase{"\"C:\\My Patch\\Setup.exe\" -uninstall", {"-uninstall"}},
        SplitCase{"C:\\My Patch\\Setup.exe", {"Patch\\Setup.exe"}},
        SplitCase{"Setup.exe -install", {"-install"}},
        SplitCase{"Setup.exe \"-install\"", {"-install"}},
        SplitCase{"Setup.exe -install x", {"-install", "x"}},
        SplitCase{"Setup.exe    -install    x   ", {"-install", "x"}},
        SplitCase{"Setup.exe -install\t", {"-install\t"}},
        SplitCase{"Setup.exe\t-install", {}},
        SplitCase{"Setup.exe \"\"", {""}},
        SplitCase{"Setup.exe \"", {""}},
        SplitCase{"Setup.exe \"\" \"\"", {"", ""}},
        SplitCase{"Setup.exe \"-install\"x", {"-install", "x"}},
        SplitCase{"Setup.exe ab\"cd", {"ab\"cd"}},
        SplitCase{"Setup.exe \"a b", {"a b"}},
        SplitCase{"Setup.exe \"a b\"\"c d\"", {"a b", "c d"}},
        SplitCase{"\"Setup.exe\"-install", {"-install"}},
        SplitCase{"Setup.exe a\\\"b", {"a\\\"b"}}));

TEST(SplitCommandLine, NullLineGivesNoArguments) {
    EXPECT_TRUE(SplitCommandLine(nullptr).empty());
}

TEST(SplitCommandLine, KeepsVeryLongTokensWhole) {
    const std::string token(40000, 'x');
    const std::string quoted(5000, 'q');
    const auto arguments = SplitCommandLine(("Setup.exe " + token + " \"" + quoted + "\"").c_str());
    ASSERT_EQ(arguments.size(), 2u);
    EXPECT_EQ(arguments[0], token);
    EXPECT_EQ(arguments[1], quoted);
}

}  // namespace
