// The road of a patch: install from a medium, then start the installed copy
// without arguments from its target folder; it must find the disc and run
// its programs from there. Runs with the drives of the CdDrives configuration.

#include <shlobj.h>

#include <algorithm>

#include "launch_test_env.h"

namespace {

using launchtest::IniText;
using launchtest::SamePath;
using recorder::Event;
using recorder::IndexOf;
using recorder::ValueOf;

using testenv::kCurrentVersionKey;
using testenv::kProgramFilesValue;
const char kTargetName[] = "Launch Target";
const char kSuccessText[] = "Patch process completed";

using testenv::ProgramsFolder;

class CdDrivesInstalled : public launchtest::LaunchTest {
protected:
    void SetUp() override {
        ASSERT_EQ(launchtest::CdDrives().size(), 3u) << "run through with_cd_drives.sh";
        LaunchTest::SetUp();
        appName_ = "Launch Test Patch " + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(programFilesDir_.SetString(programFiles_.Path()));
    }

    void TearDown() override {
        LaunchTest::TearDown();
        const std::string programs = ProgramsFolder();
        if (!programs.empty()) {
            testenv::RemoveTree(programs + "\\" + appName_);
        }
    }

    // Runs the medium's Setup.exe in install mode, confirms its dialog and
    // its success box; true when it ended with status 0.
    void Install() {
        const std::string setupExe = medium_ / "Setup.exe";
        driver::ChildProcess process;
        ASSERT_TRUE(process.Start(setupExe, testenv::CommandLineFor(setupExe, ""), medium_.Path()));
        HWND dialog = driver::WaitForSetupDialog(process.Id());
        ASSERT_NE(dialog, nullptr) << "no setup dialog";
        ASSERT_TRUE(driver::PressButton(dialog, IDOK));
        // The dialog's picture has the id of a box's text: wait for it to go first.
        ASSERT_TRUE(driver::WaitForWindowGone(dialog));
        HWND box = driver::WaitForMessageBox(process.Id());
        ASSERT_NE(box, nullptr) << "no box after the install";
        EXPECT_EQ(driver::ReadMessageBox(box).text, kSuccessText);
        ASSERT_TRUE(driver::PressButton(box, IDOK));
        DWORD status = 1;
        ASSERT_TRUE(process.WaitForExit(status));
        ASSERT_EQ(status, 0u);
    }

    std::string TargetFolder() const { return programFiles_ / kTargetName; }

    testenv::ScratchFolder medium_{"medium"};
    testenv::ScratchFolder programFiles_{"pf"};
    testenv::RegistryValueGuard programFilesDir_{HKEY_LOCAL_MACHINE, kCurrentVersionKey, kProgramFilesValue};
    std::string appName_;
};

TEST_F(CdDrivesInstalled, TheInstalledCopyRunsItsProgramsFromTheDisc) {
    testenv::PrepareMedium(medium_, IniText({"[General]", "Mode=\"Install\"", ("AppName=\"" + appName_ + "\"").c_str(),
                                             "TargetFolder=\"Launch Target\"", "Volume=\"patchdisc\"",
                                             "Execute=\"prog.exe\"", "WaitExecute=\"1\"", "ExecuteCD=\"game.exe\"",
                                             "WaitExecuteCD=\"1\"", "[PreloadDLLs]", "1=\"one.dll\"", "[Files]",
                                             "1=\"prog.exe\"", "2=\"one.dll\""}));
    PutProgram(medium_ / "prog.exe");
    PutLibrary(medium_ / "one.dll");
    PutProgram("E:\\game.exe");
    PutProgram("F:\\game.exe");
    Install();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(Events().empty()) << "the install started or loaded something";

    const launchtest::LaunchResult result =
        RunLauncher(TargetFolder() + "\\Setup.exe", TargetFolder());
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.status, 0u);
    const std::vector<Event>& events = result.eventsAtEnd;
    const int order[] = {
        IndexOf(events, "one.dll", "load"),     IndexOf(events, "prog.exe", "started"),
        IndexOf(events, "prog.exe", "ended"),   IndexOf(events, "game.exe", "started"),
        IndexOf(events, "game.exe", "ended"),   IndexOf(events, "one.dll", "unload"),
    };
    EXPECT_GE(order[0], 0);
    EXPECT_TRUE(std::is_sorted(std::begin(order), std::end(order)));
    ASSERT_GE(order[0], 0);
    EXPECT_TRUE(SamePath(events[order[0]].module, TargetFolder() + "\\one.dll")) << events[order[0]].module;
    ASSERT_GE(order[1], 0);
    EXPECT_TRUE(SamePath(events[order[1]].module, TargetFolder() + "\\prog.exe")) << events[order[1]].module;
    EXPECT_EQ(ValueOf(events, "prog.exe", "folder"), "E:\\");
    ASSERT_GE(order[3], 0);
    EXPECT_TRUE(SamePath(events[order[3]].module, "E:\\game.exe")) << events[order[3]].module;
    EXPECT_EQ(ValueOf(events, "game.exe", "folder"), "E:\\");
}

}  // namespace
