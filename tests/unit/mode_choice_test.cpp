#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/mode_choice.h"

namespace {

struct ModeCase {
    const char* rest;       // the command line after the quoted program name
    const char* modeValue;  // as ReadSetting gives it ("run" when absent)
    Mode expected;
};

class ChooseModeTest : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ChooseModeTest, FollowsTheDispatchRules) {
    const std::string line = std::string("\"C:\\Patch Disc\\Setup.exe\"") + GetParam().rest;
    EXPECT_EQ(ChooseMode(GetParam().modeValue, SplitCommandLine(line.c_str())), GetParam().expected)
        << "rest: [" << GetParam().rest << "] mode: " << GetParam().modeValue;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChooseModeTest,
    ::testing::Values(ModeCase{"", "run", Mode::Launch},
                      ModeCase{"", "install", Mode::Launch},
                      ModeCase{"", "INSTALL", Mode::Launch},
                      ModeCase{"", "Install", Mode::Install},
                      ModeCase{"", "Install ", Mode::Launch},
                      ModeCase{"   ", "run", Mode::Launch},
                      ModeCase{" -uninstall", "Install", Mode::Uninstall},
                      ModeCase{" -UnInstall", "run", Mode::Uninstall},
                      ModeCase{" -INSTALL", "run", Mode::Install},
                      ModeCase{" \"-install\"", "Run", Mode::Install},
                      ModeCase{" -install x", "Install", Mode::InvalidSwitch},
                      ModeCase{" -install -install", "Install", Mode::InvalidSwitch},
                      ModeCase{" /install", "run", Mode::InvalidSwitch},
                      ModeCase{" -install\t", "run", Mode::InvalidSwitch},
                      ModeCase{" \"\"", "Install", Mode::InvalidSwitch},
                      ModeCase{" \"-install\"x", "run", Mode::InvalidSwitch},
                      ModeCase{" ab\"cd", "run", Mode::InvalidSwitch},
                      ModeCase{" -run", "run", Mode::InvalidSwitch},
                      ModeCase{" -\xC9NSTALL", "run", Mode::InvalidSwitch}));

TEST(ChooseMode, UnquotedProgramPathWithSpacesIsRefused) {
    EXPECT_EQ(ChooseMode("run", SplitCommandLine("C:\\Patch Disc\\Setup.exe")), Mode::InvalidSwitch);
}

}  // namespace
