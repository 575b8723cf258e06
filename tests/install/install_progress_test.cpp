// The window of a long copy or removal, driven as a person would: a test
// build whose every change takes a while makes the work last. And the box
// of a file that a running program holds.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "install_run.h"

namespace installtest {
namespace {

using testenv::PathExists;

constexpr int kProgressTextId = 1010;
constexpr int kProgressFileId = 1011;
constexpr int kProgressBarId = 1012;
const char kDelayVariable[] = "SETUP_STEP_DELAY_MS";
const char kProgressInstallShown[] = "Copying the files of the patch. Please wait.";
const char kProgressUninstallShown[] = "Removing the patch. Please wait.";

int BarPosition(HWND window) {
    return static_cast<int>(SendMessageW(GetDlgItem(window, kProgressBarId), PBM_GETPOS, 0, 0));
}

HWND WaitForProgressWindow(const driver::ChildProcess& process) {
    return driver::WaitForDialogWithControl(process.Id(), kProgressBarId);
}

// Waits until the bar has moved past `from`; false when it doesn't in time.
bool BarMovesOn(HWND window, int from) {
    for (DWORD waited = 0; waited < driver::kDefaultTimeoutMs; waited += 50) {
        if (BarPosition(window) > from) {
            return true;
        }
        Sleep(50);
    }
    return false;
}

class ProgressTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        for (int i = 0; i < kFiles; ++i) {
            names_.push_back("f" + std::to_string(i) + ".bin");
        }
        PrepareMedium(kTargetName, names_);
        for (std::size_t i = 0; i < names_.size(); ++i) {
            AddMediumFile(names_[i], PatternBytes(2000 + i, static_cast<unsigned>(i)));
        }
        ASSERT_TRUE(testenv::CopyOneFile(testenv::HelpersDir() + "\\kill_after_step_setup.exe", medium_ / "Setup.exe"));
    }
    void TearDown() override {
        (void)SetEnvironmentVariableA(kDelayVariable, nullptr);
        InstallTest::TearDown();
    }

    // Starts the slow install and confirms its dialog; its window, or null.
    HWND StartSlowInstall(driver::ChildProcess& process) {
        EXPECT_TRUE(SetEnvironmentVariableA(kDelayVariable, "300"));
        HWND dialog = StartFromMedium(process);
        EXPECT_TRUE(SetEnvironmentVariableA(kDelayVariable, nullptr));
        EXPECT_NE(dialog, nullptr);
        if (dialog == nullptr) {
            return nullptr;
        }
        EXPECT_TRUE(driver::PressButton(dialog, IDOK));
        return WaitForProgressWindow(process);
    }

    static constexpr int kFiles = 10;
    std::vector<std::string> names_;
};

TEST_F(ProgressTest, ShowsTheCopyAndGoesOnAfterNo) {
    driver::ChildProcess process;
    HWND window = StartSlowInstall(process);
    ASSERT_NE(window, nullptr) << "no progress window";
    EXPECT_EQ(driver::WindowText(window), kAppName);
    EXPECT_EQ(driver::ControlText(window, kProgressTextId), kProgressInstallShown);
    EXPECT_EQ(driver::ControlText(window, IDCANCEL), kDialogExitLabel);
    // Its own taskbar button: it is the only window then.
    EXPECT_NE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    const int before = BarPosition(window);
    ASSERT_TRUE(BarMovesOn(window, before)) << "the bar stood still at " << before;
    const std::string file = driver::ControlText(window, kProgressFileId);
    EXPECT_NE(std::find(names_.begin(), names_.end(), file), names_.end()) << "shows \"" << file << "\"";

    ASSERT_TRUE(driver::PressButton(window, IDCANCEL));
    HWND question = WaitForMessageBoxOnly(process);
    ASSERT_NE(question, nullptr);
    const driver::MessageBoxContents asked = driver::ReadMessageBox(question);
    EXPECT_EQ(asked.caption, kDialogAbortHeader);
    EXPECT_EQ(asked.text, kDialogAbortShown);
    ASSERT_TRUE(driver::PressButton(question, IDNO));
    ASSERT_TRUE(driver::WaitForWindowGone(question));

    HWND box = WaitForMessageBoxOnly(process, 60000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::ReadMessageBox(box).text, kSuccessInstallShown);
    EXPECT_FALSE(IsWindow(window)) << "the progress window outlived the copy";
    ASSERT_TRUE(driver::PressButton(box, IDOK));
    DWORD status = 1;
    ASSERT_TRUE(process.WaitForExit(status));
    EXPECT_EQ(status, 0u);
    ExpectCopiedFromMedium(TargetFolder(), names_);
}

TEST_F(ProgressTest, CancelAndYesPutsEverythingBackWithoutABox) {
    // A folder that holds files already: one the patch replaces.
    ASSERT_TRUE(CreateDirectoryA(TargetFolder().c_str(), nullptr));
    ASSERT_TRUE(testenv::WriteFileBytes(TargetFolder() + "\\f3.bin", "the user's f3"));
    ASSERT_TRUE(SetFileAttributesA((TargetFolder() + "\\f3.bin").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(testenv::WriteFileBytes(TargetFolder() + "\\keep.txt", "the user's own"));
    const FolderState before = StateOf(TargetFolder());

    driver::ChildProcess process;
    HWND window = StartSlowInstall(process);
    ASSERT_NE(window, nullptr) << "no progress window";
    ASSERT_TRUE(driver::PressButton(window, IDCANCEL));
    HWND question = WaitForMessageBoxOnly(process);
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(driver::PressButton(question, IDYES));
    ASSERT_TRUE(driver::WaitForWindowGone(question));

    EXPECT_EQ(WaitForMessageBoxOnly(process, 30000), nullptr) << "a box after the cancel";
    DWORD status = 1;
    ASSERT_TRUE(process.WaitForExit(status));
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(StateOf(TargetFolder()), before) << Names(StateOf(TargetFolder()));
    EXPECT_FALSE(PathExists(TargetFolder() + ".install-journal"));
    EXPECT_FALSE(PathExists(GroupFolder()));
    EXPECT_TRUE(AppsEntriesOf(TargetFolder()).empty());
}

TEST_F(ProgressTest, UninstallShowsItsRemovalAndCancelsWhileItMarks) {
    ExpectSuccessBox(RunFromMedium());
    const FolderState installed = StateOf(TargetFolder());
    ASSERT_TRUE(SetEnvironmentVariableA(kDelayVariable, "300"));
    driver::ChildProcess process;
    const std::string exe = TargetFolder() + "\\Setup.exe";
    ASSERT_TRUE(process.Start(exe, testenv::CommandLineFor(exe, "-uninstall"), TargetFolder()));
    ASSERT_TRUE(SetEnvironmentVariableA(kDelayVariable, nullptr));
    HWND dialog = driver::WaitForSetupDialog(process.Id());
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(driver::PressButton(dialog, IDOK));

    HWND window = WaitForProgressWindow(process);
    ASSERT_NE(window, nullptr) << "no progress window";
    EXPECT_EQ(driver::WindowText(window), kAppName);
    EXPECT_EQ(driver::ControlText(window, kProgressTextId), kProgressUninstallShown);
    ASSERT_TRUE(BarMovesOn(window, BarPosition(window)));
    ASSERT_TRUE(driver::PressButton(window, IDCANCEL));
    // No question: nothing is removed yet, and nothing will be.
    EXPECT_EQ(WaitForMessageBoxOnly(process, 30000), nullptr) << "a box after the cancel";
    DWORD status = 1;
    ASSERT_TRUE(process.WaitForExit(status));
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(StateOf(TargetFolder()), installed) << Names(StateOf(TargetFolder()));
}

// Polls the install's windows from its dialog's OK to its box.
TEST_F(InstallTest, AQuickInstallShowsNoProgressWindow) {
    PrepareMedium(kTargetName, {"one.bin"});
    AddMediumFile("one.bin", "one");
    driver::ChildProcess process;
    HWND dialog = StartFromMedium(process);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(driver::PressButton(dialog, IDOK));
    HWND box = nullptr;
    bool windowSeen = false;
    for (DWORD waited = 0; box == nullptr && waited < driver::kDefaultTimeoutMs; waited += 5) {
        for (HWND window : driver::TopLevelWindows(process.Id())) {
            windowSeen = windowSeen || GetDlgItem(window, kProgressBarId) != nullptr;
            if (driver::IsMessageBox(window)) {
                box = window;
            }
        }
        Sleep(5);
    }
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(windowSeen);
    ASSERT_TRUE(driver::PressButton(box, IDOK));
    DWORD status = 1;
    ASSERT_TRUE(process.WaitForExit(status));
}

// The earlier version's program runs while the next version is installed
// over it, and while the patch is removed: the box names the file and the
// program, and nothing changes.
TEST_F(InstallTest, AFileThatARunningProgramHoldsIsNamedWithTheProgram) {
    PrepareMedium(kTargetName, {"GamePatch.exe", "data.bin"});
    ASSERT_TRUE(testenv::CopyOneFile(testenv::HelpersDir() + "\\run_recorder.exe", medium_ / "GamePatch.exe"));
    AddMediumFile("data.bin", "version 1");
    ExpectSuccessBox(RunFromMedium());
    const std::string program = TargetFolder() + "\\GamePatch.exe";
    ASSERT_TRUE(testenv::WriteFileBytes(program + ".sleep", "60000"));
    testenv::ScratchFolder records("records");
    ASSERT_TRUE(SetEnvironmentVariableA("RECORDER_LOG", (records / "recorder.log").c_str()));
    driver::ChildProcess running;
    ASSERT_TRUE(running.Start(program, "\"" + program + "\"", TargetFolder()));
    ASSERT_TRUE(SetEnvironmentVariableA("RECORDER_LOG", nullptr));
    Sleep(500);
    AddMediumFile("data.bin", "version 2");
    const FolderState before = StateOf(TargetFolder());

    const InstallRun install = RunFromMedium();
    ASSERT_TRUE(install.boxShown);
    EXPECT_EQ(install.box.caption, kErrorHeader);
    EXPECT_EQ(install.box.text, std::string(kErrorFileInUseShown) + "\r\n\r\n" + program + "\r\n" + program);
    EXPECT_EQ(install.exitCode, kFailureStatus);
    EXPECT_EQ(StateOf(TargetFolder()), before) << Names(StateOf(TargetFolder()));

    driver::ChildProcess uninstall;
    const std::string exe = TargetFolder() + "\\Setup.exe";
    ASSERT_TRUE(uninstall.Start(exe, testenv::CommandLineFor(exe, "-uninstall"), TargetFolder()));
    HWND dialog = driver::WaitForSetupDialog(uninstall.Id());
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(driver::PressButton(dialog, IDOK));
    HWND box = WaitForMessageBoxOnly(uninstall);
    ASSERT_NE(box, nullptr);
    const std::string text = driver::ReadMessageBox(box).text;
    EXPECT_NE(text.find("\r\n\r\n" + program + "\r\n" + program), std::string::npos) << text;
    ASSERT_TRUE(driver::PressButton(box, IDOK));
    running.Kill();
    DWORD status = 0;
    ASSERT_TRUE(uninstall.WaitForExit(status));
    EXPECT_EQ(status, kFailureStatus);
    EXPECT_EQ(StateOf(TargetFolder()), before) << Names(StateOf(TargetFolder()));
}

}  // namespace
}  // namespace installtest
