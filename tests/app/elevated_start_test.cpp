// Install and uninstall without the rights they need, started by a user
// whom a consent prompt could elevate: they start themselves once more with
// "runas" (under Wine that simply starts the program), wait for that second
// start and end with its status. The build under test reads its token as an
// administrator's filtered one whatever Wine says, so the second start, too,
// would restart if nothing marked it as the second.

#include <windows.h>
#include <sddl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_env.h"
#include "window_driver.h"

namespace {

const char kErrorHeader[] = "Elevation Test Error";
const char kErrorPermissions[] = "Still no rights";

// What Wine's token never is: a build whose token reads as filtered.
std::string LimitedTokenSetupExe() {
    return testenv::HelpersDir() + "\\limited_token_setup.exe";
}

// The machine key of the rights test, readable by everyone and by nobody
// more while the object lives; its security is put back afterwards.
class RightsTaken {
public:
    RightsTaken() {
        // Wine starts the desktop process with the first window of a session,
        // and that start fails while the key is closed: start it before.
        (void)GetDesktopWindow();
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, testenv::kCurrentVersionKey, 0, READ_CONTROL | WRITE_DAC, &key_) !=
            ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD size = 0;
        (void)RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
        saved_.resize(size);
        if (size == 0 || RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS) {
            saved_.clear();
            return;
        }
        PSECURITY_DESCRIPTOR readOnly = nullptr;
        if (ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly,
                                                                 nullptr)) {
            taken_ = RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, readOnly) == ERROR_SUCCESS;
            LocalFree(readOnly);
        }
    }
    ~RightsTaken() {
        if (taken_) {
            (void)RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data());
        }
        if (key_ != nullptr) {
            (void)RegCloseKey(key_);
        }
    }
    RightsTaken(const RightsTaken&) = delete;
    RightsTaken& operator=(const RightsTaken&) = delete;

    bool Taken() const { return taken_; }

private:
    HKEY key_ = nullptr;
    std::vector<BYTE> saved_;
    bool taken_ = false;
};

std::vector<DWORD> ChildrenOf(DWORD parent) {
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return children;
    }
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parent && entry.th32ProcessID != parent) {
            children.push_back(entry.th32ProcessID);
        }
    }
    (void)CloseHandle(snapshot);
    return children;
}

// The one process the started one started, once it is there; 0 if none
// came in time.
DWORD WaitForOnlyChild(DWORD parent) {
    for (DWORD waited = 0; waited < driver::kDefaultTimeoutMs; waited += 50) {
        const std::vector<DWORD> children = ChildrenOf(parent);
        if (!children.empty()) {
            return children.size() == 1 ? children[0] : 0;
        }
        Sleep(50);
    }
    return 0;
}

// Ends a second start that a failed test left behind.
class ProcessKiller {
public:
    explicit ProcessKiller(DWORD id) : id_(id) {}
    ~ProcessKiller() {
        HANDLE process = id_ == 0 ? nullptr : OpenProcess(PROCESS_TERMINATE, FALSE, id_);
        if (process != nullptr) {
            (void)TerminateProcess(process, 1);
            (void)CloseHandle(process);
        }
    }
    ProcessKiller(const ProcessKiller&) = delete;
    ProcessKiller& operator=(const ProcessKiller&) = delete;

private:
    DWORD id_;
};

// Starts the limited-token Setup.exe of `folder` there with `argument`; the
// id of its one second start, or 0.
DWORD StartFirstAndFindSecond(driver::ChildProcess& first, const std::string& folder, const char* argument) {
    const std::string exe = folder + "\\Setup.exe";
    if (!first.Start(exe, testenv::CommandLineFor(exe, argument), folder)) {
        return 0;
    }
    return WaitForOnlyChild(first.Id());
}

std::string TextSection() {
    return std::string("[Text]\r\nErrorHeader=") + kErrorHeader + "\r\nErrorPermissions=" + kErrorPermissions +
           "\r\nDialogUninstall=Remove Now\r\n";
}

// The medium in a folder of plain letters, or of letters that no code page
// holds all of: best fitted, its path would name no file to start.
struct MediumCase {
    const char* name;
    bool foreign;
};

class ElevatedInstall : public ::testing::TestWithParam<MediumCase> {};

TEST_P(ElevatedInstall, WithoutRightsWaitsForItsSecondStartAndEndsWithItsStatus) {
    testenv::ScratchFolder base("elevmedium");
    const std::string medium = GetParam().foreign ? base / testenv::kForeignName : base.Path();
    if (GetParam().foreign) {
        ASSERT_TRUE(CreateDirectoryW(testenv::WideFromUtf8(medium).c_str(), nullptr));
    }
    ASSERT_TRUE(testenv::CopyOneFile(LimitedTokenSetupExe(), medium + "\\Setup.exe")) << LimitedTokenSetupExe();
    ASSERT_TRUE(testenv::WriteFileBytes(medium + "\\Setup.ini", "[General]\r\nMode=Install\r\n" + TextSection()));

    RightsTaken rights;
    ASSERT_TRUE(rights.Taken());
    driver::ChildProcess first;
    const DWORD second = StartFirstAndFindSecond(first, medium, "");
    ProcessKiller cleanup(second);
    ASSERT_NE(second, 0u) << "no single second start";

    // The second start, too, fails the rights test and reports it; it
    // starts no third, although its token reads as filtered.
    HWND box = driver::WaitForMessageBox(second);
    ASSERT_NE(box, nullptr);
    const driver::MessageBoxContents contents = driver::ReadMessageBox(box);
    EXPECT_EQ(contents.caption, kErrorHeader);
    EXPECT_EQ(contents.text, kErrorPermissions);
    EXPECT_TRUE(ChildrenOf(second).empty()) << "a third start";
    EXPECT_TRUE(driver::TopLevelWindows(first.Id()).empty()) << "the first start shows nothing of its own";

    // Another first start at the same moment is no second start of the
    // first: it asks for rights of its own (and its second start would
    // then find the first's lock).
    driver::ChildProcess another;
    const DWORD anotherSecond = StartFirstAndFindSecond(another, medium, "");
    ProcessKiller cleanupAnother(anotherSecond);
    EXPECT_NE(anotherSecond, 0u) << "taken for the first start's second";
    another.Kill();

    ASSERT_TRUE(driver::PressButton(box, IDOK));
    DWORD status = 0;
    ASSERT_TRUE(first.WaitForExit(status));
    EXPECT_EQ(status, 0xFFFFFFFFu) << "the second start's status";
}

INSTANTIATE_TEST_SUITE_P(Media, ElevatedInstall,
                         ::testing::Values(MediumCase{"InAPlainFolder", false}, MediumCase{"InAForeignFolder", true}),
                         [](const ::testing::TestParamInfo<MediumCase>& info) { return info.param.name; });

// Cancelled in the second start, or confirmed there: then the first start,
// which waited in the installed folder, must have let go of it.
struct ElevatedUninstallCase {
    const char* name;
    bool confirm;
};

class ElevatedUninstall : public ::testing::TestWithParam<ElevatedUninstallCase> {};

TEST_P(ElevatedUninstall, StartsAgainWithTheSameSwitch) {
    testenv::ScratchFolder installed("elevinstalled");
    const std::string exe = installed / "Setup.exe";
    const std::string ini = installed / "Setup.ini";
    ASSERT_TRUE(testenv::CopyOneFile(LimitedTokenSetupExe(), exe));
    const std::string kept = installed / "patch.dat";
    ASSERT_TRUE(testenv::WriteFileBytes(kept, "data"));
    ASSERT_TRUE(testenv::WriteFileBytes(ini, "[General]\r\nMode=Run\r\n" + TextSection() + "\r\n[Files]\r\n1=" + ini +
                                                 "\r\n2=" + exe + "\r\n3=" + kept + "\r\n[Folders]\r\n1=" +
                                                 installed.Path() + "\r\n"));

    RightsTaken rights;
    ASSERT_TRUE(rights.Taken());
    driver::ChildProcess first;
    const DWORD second = StartFirstAndFindSecond(first, installed.Path(), "-uninstall");
    ProcessKiller cleanup(second);
    ASSERT_NE(second, 0u) << "no single second start";

    // Without "-uninstall" the second start would be in run mode: no dialog.
    HWND dialog = driver::WaitForSetupDialog(second);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(driver::ControlText(dialog, IDOK), "Remove Now");
    EXPECT_TRUE(ChildrenOf(second).empty()) << "a third start";
    EXPECT_TRUE(driver::TopLevelWindows(first.Id()).empty()) << "the first start shows nothing of its own";

    if (!GetParam().confirm) {
        ASSERT_TRUE(driver::PressButton(dialog, IDCANCEL));
    } else {
        ASSERT_TRUE(driver::PressButton(dialog, IDOK));
        HWND box = driver::WaitForMessageBox(second);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(driver::ReadMessageBox(box).text, "Patch removed");
        ASSERT_TRUE(driver::PressButton(box, IDOK));
    }
    DWORD status = 1;
    ASSERT_TRUE(first.WaitForExit(status));
    EXPECT_EQ(status, 0u);
    if (!GetParam().confirm) {
        EXPECT_TRUE(testenv::PathExists(kept)) << "cancelled, yet removed";
    } else {
        EXPECT_FALSE(testenv::PathExists(installed.Path())) << "the installed folder stayed";
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, ElevatedUninstall,
                         ::testing::Values(ElevatedUninstallCase{"Cancelled", false},
                                           ElevatedUninstallCase{"Confirmed", true}),
                         [](const ::testing::TestParamInfo<ElevatedUninstallCase>& info) { return info.param.name; });

}  // namespace
