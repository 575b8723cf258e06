// The whole road: a real install from a medium, then the uninstall shortcut
// opened through the shell as a click would open it.

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setupfile/path_hash.h"
#include "test_env.h"
#include "uninstall_run.h"
#include "window_driver.h"

namespace uninstalltest {
namespace {

using testenv::PathExists;
using testenv::ScratchFolder;
using testenv::WriteFileBytes;

using testenv::kCurrentVersionKey;
using testenv::kProgramFilesValue;
const char kTargetName[] = "Road";
const char* const kPatchFiles[] = {"GamePatch.exe", "GamePatch.txt", "extra.dat"};
const char* const kLinkNames[] = {"Start the road.lnk", "Read about the road.lnk", "Remove the road.lnk"};
const char kUninstallLink[] = "Remove the road.lnk";
constexpr DWORD kPollMs = 20;

std::string SourceSetupIni(const std::string& appName) {
    return "[General]\r\n"
           "Mode=\"Install\"\r\n"
           "AppName=\"" + appName + "\"\r\n"
           "TargetFolder=\"" + kTargetName + "\"\r\n"
           "\r\n"
           "[Text]\r\n"
           "SuccessHeader=\"Road done\"\r\n"
           "SuccessInstall=\"Road laid\"\r\n"
           "SuccessUninstall=\"Road removed\\nfor good\"\r\n"
           "ShortcutStart=\"Start the road\"\r\n"
           "ShortcutReadMe=\"Read about the road\"\r\n"
           "ShortcutUninstall=\"Remove the road\"\r\n"
           "DialogExit=\"Stay\"\r\n"
           "DialogUninstall=\"&Take away\"\r\n"
           "DialogUninstallText=\"Removes\\nthe road\"\r\n"
           "\r\n" +
           RecordSection("Files", {kPatchFiles[0], kPatchFiles[1], kPatchFiles[2]});
}

using testenv::ProgramsFolder;

// A process this test didn't start itself: ended if a failure leaves it running.
class ForeignProcess {
public:
    ForeignProcess() = default;
    ~ForeignProcess() {
        if (handle_ != nullptr) {
            if (WaitForSingleObject(handle_, 0) != WAIT_OBJECT_0) {
                (void)TerminateProcess(handle_, 0xDEAD);
                (void)WaitForSingleObject(handle_, driver::kDefaultTimeoutMs);
            }
            (void)CloseHandle(handle_);
        }
    }
    ForeignProcess(const ForeignProcess&) = delete;
    ForeignProcess& operator=(const ForeignProcess&) = delete;

    void Adopt(HANDLE handle) { handle_ = handle; }
    HANDLE Handle() const { return handle_; }

    bool WaitForExit(DWORD& exitCode) {
        return handle_ != nullptr && WaitForSingleObject(handle_, driver::kDefaultTimeoutMs) == WAIT_OBJECT_0 &&
               GetExitCodeProcess(handle_, &exitCode) != FALSE;
    }

private:
    HANDLE handle_ = nullptr;
};

// The shell starts the program, so its dialog is found by its caption.
HWND WaitForDialogCaptioned(const std::string& caption) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND dialog = FindWindowA("#32770", caption.c_str());
        if (dialog != nullptr && IsWindowVisible(dialog) && IsWindowEnabled(dialog)) {
            return dialog;
        }
        if (GetTickCount() - start >= driver::kDefaultTimeoutMs) {
            return nullptr;
        }
        Sleep(kPollMs);
    }
}

class UninstallRoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(programFilesDir_.SetString(programFiles_.Path()));
        ASSERT_FALSE(ProgramsFolder().empty());
        ASSERT_FALSE(PathExists(GroupFolder())) << "a group of that name exists already";
        testenv::PrepareMedium(medium_, SourceSetupIni(appName_));
        for (const char* name : kPatchFiles) {
            ASSERT_TRUE(WriteFileBytes(medium_ / name, std::string("bytes of ") + name));
        }
    }
    void TearDown() override { testenv::RemoveTree(GroupFolder()); }

    std::string TargetFolder() const { return programFiles_ / kTargetName; }
    std::string GroupFolder() const { return ProgramsFolder() + "\\" + appName_; }

    void Install() {
        driver::ChildProcess install;
        ASSERT_TRUE(install.Start("", testenv::CommandLineFor(medium_ / "Setup.exe", ""), medium_.Path()));
        HWND dialog = driver::WaitForSetupDialog(install.Id());
        ASSERT_NE(dialog, nullptr);
        ConfirmedRun run = ConfirmAndFinish(install, dialog);
        ASSERT_TRUE(run.boxShown);
        ASSERT_EQ(run.box.text, "Road laid");
        ASSERT_TRUE(run.exited);
        ASSERT_EQ(run.exitCode, 0u);
    }

    const std::string appName_ = "Uninstall road " + std::to_string(GetCurrentProcessId());
    ParkingSpotCleaner parking_;
    ScratchFolder medium_{"medium"};
    ScratchFolder programFiles_{"pf"};
    testenv::RegistryValueGuard programFilesDir_{HKEY_LOCAL_MACHINE, kCurrentVersionKey, kProgramFilesValue};
};

TEST_F(UninstallRoadTest, UninstallShortcutRemovesEverythingTheInstallMade) {
    Install();
    if (HasFatalFailure()) {
        return;
    }
    std::vector<std::string> installed = {TargetFolder() + "\\Setup.exe", TargetFolder() + "\\Setup.ini"};
    for (const char* name : kPatchFiles) {
        installed.push_back(TargetFolder() + "\\" + name);
    }
    for (const char* name : kLinkNames) {
        installed.push_back(GroupFolder() + "\\" + name);
    }
    for (const std::string& path : installed) {
        ASSERT_TRUE(PathExists(path)) << "the install did not make " << path;
    }
    std::string exeBytes;
    ASSERT_TRUE(testenv::ReadFileBytes(TargetFolder() + "\\Setup.exe", exeBytes));

    const std::string link = GroupFolder() + "\\" + kUninstallLink;
    SHELLEXECUTEINFOA open;
    ZeroMemory(&open, sizeof(open));
    open.cbSize = sizeof(open);
    open.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    open.lpVerb = "open";
    open.lpFile = link.c_str();
    open.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExA(&open)) << "the shell did not open " << link;
    ForeignProcess uninstall;
    uninstall.Adopt(open.hProcess);

    HWND dialog = WaitForDialogCaptioned(appName_);
    ASSERT_NE(dialog, nullptr) << "no uninstall dialog";
    DWORD processId = 0;
    (void)GetWindowThreadProcessId(dialog, &processId);
    if (uninstall.Handle() == nullptr) {
        uninstall.Adopt(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, processId));
    }
    const DialogContents shown = ReadSetupDialog(dialog);
    EXPECT_EQ(shown.heading, appName_);
    EXPECT_EQ(shown.body, "Removes\r\nthe road");
    EXPECT_EQ(shown.okLabel, "&Take away");
    EXPECT_EQ(shown.cancelLabel, "Stay");

    ASSERT_TRUE(driver::PressButton(dialog, IDOK));
    ASSERT_TRUE(driver::WaitForWindowGone(dialog));
    HWND box = driver::WaitForMessageBox(processId);
    ASSERT_NE(box, nullptr) << "no success box";
    const driver::MessageBoxContents success = driver::ReadMessageBox(box);
    EXPECT_EQ(success.caption, "Road done");
    EXPECT_EQ(success.text, "Road removed\r\nfor good");
    ASSERT_TRUE(driver::PressButton(box, IDOK));
    DWORD status = 0xDEAD;
    ASSERT_TRUE(uninstall.WaitForExit(status));
    EXPECT_EQ(status, 0u);

    for (const std::string& path : installed) {
        EXPECT_FALSE(PathExists(path)) << path << " stayed";
    }
    EXPECT_FALSE(PathExists(TargetFolder())) << "target folder stayed";
    EXPECT_FALSE(PathExists(GroupFolder())) << "group folder stayed";
    EXPECT_EQ(FileBytes(ParkingPath()), exeBytes);
    EXPECT_EQ(AttributesOf(ParkingPath()) & FILE_ATTRIBUTE_HIDDEN, DWORD{FILE_ATTRIBUTE_HIDDEN});
}

// Runs a console program of the system with its output into a pipe; the
// output, or "<not started>".
std::string OutputOf(const std::string& commandLine) {
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        return "<not started>";
    }
    (void)SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION started;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    const BOOL ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                                   &startup, &started);
    CloseHandle(writeEnd);
    std::string output;
    if (ok) {
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
            output.append(chunk, got);
        }
        WaitForSingleObject(started.hProcess, driver::kDefaultTimeoutMs);
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
    CloseHandle(readEnd);
    return ok ? output : "<not started>";
}

// Whether this 32-bit program runs on a 64-bit system.
bool RunsUnderWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The system's own uninstaller of the system's bitness, as Settings is: from
// a 32-bit program on a 64-bit system only "sysnative" reaches it.
std::string Uninstaller() {
    char windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(windows, sizeof(windows));
    if (!RunsUnderWow64() || length == 0 || length >= sizeof(windows)) {
        return "uninstaller.exe";
    }
    return std::string(windows) + "\\sysnative\\uninstaller.exe";
}

// Whether the entry `name` is in the registry view that `view` asks for.
bool EntryInView(const std::string& name, REGSAM view) {
    HKEY key = nullptr;
    const std::wstring path = AppsEntryKeyPath(std::wstring(name.begin(), name.end()));
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// The name of the entry that the system's own uninstaller lists under
// `displayName`, as Settings > Apps reads the entries; empty when none.
std::string ListedEntry(const std::string& displayName) {
    const std::string listed = OutputOf(Uninstaller() + " --list");
    const std::string tail = "|||" + displayName;
    std::size_t start = 0;
    while (start < listed.size()) {
        std::size_t end = listed.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            end = listed.size();
        }
        const std::string entry = listed.substr(start, end - start);
        if (entry.size() > tail.size() && entry.compare(entry.size() - tail.size(), tail.size(), tail) == 0) {
            return entry.substr(0, entry.size() - tail.size());
        }
        start = end + 1;
    }
    return std::string();
}

// Settings > Apps as the system's own uninstaller shows it: the patch is
// listed after the install, and removing it there starts its uninstall,
// whose dialog the user confirms; then it is gone from the disk, the Start
// menu and the list.
TEST_F(UninstallRoadTest, TheAppsListShowsThePatchAndRemovesIt) {
    Install();
    if (HasFatalFailure()) {
        return;
    }
    const std::string entry = ListedEntry(appName_);
    ASSERT_FALSE(entry.empty()) << "not in the list: " << OutputOf(Uninstaller() + " --list");
    // A 32-bit Setup.exe on a 64-bit system writes where Windows keeps the
    // entries of 32-bit programs, and Settings still lists it.
    if (RunsUnderWow64()) {
        EXPECT_TRUE(EntryInView(entry, KEY_WOW64_32KEY));
        EXPECT_FALSE(EntryInView(entry, KEY_WOW64_64KEY));
    }

    driver::ChildProcess remover;
    ASSERT_TRUE(remover.Start("", Uninstaller() + " --remove " + entry, ""));
    HWND dialog = WaitForDialogCaptioned(appName_);
    ASSERT_NE(dialog, nullptr) << "no uninstall dialog";
    DWORD processId = 0;
    (void)GetWindowThreadProcessId(dialog, &processId);
    ForeignProcess uninstall;
    uninstall.Adopt(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, processId));
    EXPECT_EQ(ReadSetupDialog(dialog).okLabel, "&Take away");
    ASSERT_TRUE(driver::PressButton(dialog, IDOK));
    ASSERT_TRUE(driver::WaitForWindowGone(dialog));
    HWND box = driver::WaitForMessageBox(processId);
    ASSERT_NE(box, nullptr) << "no success box";
    EXPECT_EQ(driver::ReadMessageBox(box).text, "Road removed\r\nfor good");
    ASSERT_TRUE(driver::PressButton(box, IDOK));
    DWORD status = 0xDEAD;
    ASSERT_TRUE(uninstall.WaitForExit(status));
    EXPECT_EQ(status, 0u);
    ASSERT_TRUE(remover.WaitForExit(status));

    EXPECT_FALSE(PathExists(TargetFolder())) << "target folder stayed";
    EXPECT_FALSE(PathExists(GroupFolder())) << "group folder stayed";
    EXPECT_EQ(ListedEntry(appName_), "") << "still listed";
}

}  // namespace
}  // namespace uninstalltest
