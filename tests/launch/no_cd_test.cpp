// Run mode on a machine without any CD-ROM drive: the failure box, status -1,
// and nothing loaded or started.

#include "launch_test_env.h"

namespace {

using launchtest::IniText;

class NoCdDrive : public launchtest::LaunchTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(launchtest::CdDrives().empty()) << "the prefix must have no CD-ROM drive";
        LaunchTest::SetUp();
        // Everything the launcher would load or start if it went on.
        PutProgram(InLauncherFolder("prog.exe"));
        PutProgram(InLauncherFolder("game.exe"));
        PutLibrary(InLauncherFolder("one.dll"));
    }
};

struct FailureBoxCase {
    const char* name;
    std::string setupIni;
    const char* caption;
    const char* text;
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const FailureBoxCase& scenario, std::ostream* out) {
    *out << scenario.name;
}

class NoCdDriveBox : public NoCdDrive, public ::testing::WithParamInterface<FailureBoxCase> {};

TEST_P(NoCdDriveBox, ShowsTheFailureBoxAndStartsNothing) {
    const FailureBoxCase& scenario = GetParam();
    const launchtest::BoxResult result = LaunchUntilBox(scenario.setupIni);
    ASSERT_TRUE(result.shown) << "no failure box";
    EXPECT_EQ(result.box.caption, scenario.caption);
    EXPECT_EQ(result.box.text, scenario.text);
    EXPECT_TRUE(result.box.hasOk);
    EXPECT_FALSE(result.box.hasYes || result.box.hasNo);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.status, 0xFFFFFFFFu);
    EXPECT_TRUE(result.eventsAtEnd.empty()) << "loaded or started: " << result.eventsAtEnd.front().module;
}

const FailureBoxCase kFailureBoxCases[] = {
    // The text expands the escape; the caption keeps it as typed.
    {"TextsFromTheSetupFile",
     IniText({"[General]", "Execute=\"prog.exe\"", "WaitExecute=\"1\"", "ExecuteCD=\"game.exe\"",
              "[Text]", "ErrorHeader=\"Where\\nis it?\"", "ErrorCD=\"Insert the disc\\nand start again.\"",
              "[PreloadDLLs]", "1=\"one.dll\""}),
     "Where\\nis it?", "Insert the disc\r\nand start again."},
    {"BuiltInTexts",
     IniText({"[General]", "Execute=\"prog.exe\"", "WaitExecute=\"1\"", "ExecuteCD=\"game.exe\"", "[PreloadDLLs]",
              "1=\"one.dll\""}),
     "Error", "The CD could not be located"},
    {"EmptyTextsGiveTheBuiltInOnes",
     IniText({"[General]", "Execute=\"prog.exe\"", "[Text]", "ErrorHeader=", "ErrorCD=\"\"", "[PreloadDLLs]",
              "1=\"one.dll\""}),
     "Error", "The CD could not be located"},
    {"NoSettingsAtAll", "", "Error", "The CD could not be located"},
};

INSTANTIATE_TEST_SUITE_P(Texts, NoCdDriveBox, ::testing::ValuesIn(kFailureBoxCases),
                         [](const ::testing::TestParamInfo<FailureBoxCase>& info) {
                             return std::string(info.param.name);
                         });

// Beside the journal of an install that was killed, the installed files may
// be half written: its own box comes before any drive is looked at.
TEST_F(NoCdDrive, BesideTheJournalOfAKilledInstallItStartsNothing) {
    const std::string journal = LauncherFolder().Path() + ".install-journal";
    ASSERT_TRUE(testenv::WriteFileBytes(journal, "Patch Setup install journal 1\r\n"));
    const launchtest::BoxResult result = LaunchUntilBox(
        IniText({"[General]", "Execute=\"prog.exe\"", "[Text]", "ErrorInterrupted=\"Start the disc's\\nsetup\"",
                 "[PreloadDLLs]", "1=\"one.dll\""}));
    testenv::RemoveTree(journal);
    ASSERT_TRUE(result.shown);
    EXPECT_EQ(result.box.text, "Start the disc's\r\nsetup");
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.status, 0xFFFFFFFFu);
    EXPECT_TRUE(result.eventsAtEnd.empty()) << "loaded or started: " << result.eventsAtEnd.front().module;
}

}  // namespace
