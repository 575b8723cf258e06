// The Start-menu group as a real install by Setup.exe leaves it: the dialog
// confirmed, the success box read, the links and the installed record checked.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "link_reader.h"
#include "test_env.h"
#include "window_driver.h"

namespace {

using links::ExpectLink;
using testenv::RegistryValueGuard;
using testenv::ScratchFolder;

using testenv::kCurrentVersionKey;
using testenv::kProgramFilesValue;
const char kTargetName[] = "Shortcut Target";
// Record values are read back one at a time; none of ours comes near this.
constexpr DWORD kRecordValueSize = 1024;

std::string SourceSetupIni(const std::string& appNameLine, const std::string& shortcutLines) {
    return "[General]\r\nMode=Install\r\n" + appNameLine + "TargetFolder=" + kTargetName +
           "\r\n\r\n[Text]\r\nSuccessHeader=Done\r\nSuccessInstall=Installed\r\n" + shortcutLines +
           "\r\n[Files]\r\n1=GamePatch.exe\r\n2=GamePatch.txt\r\n";
}

// A numbered section of the installed Setup.ini, read as the profile reader sees it.
std::vector<std::string> RecordSection(const std::string& setupIni, const char* section) {
    std::vector<std::string> values;
    for (int key = 1;; ++key) {
        char value[kRecordValueSize] = "";
        (void)GetPrivateProfileStringA(section, std::to_string(key).c_str(), "", value, sizeof(value),
                                       setupIni.c_str());
        if (value[0] == '\0') {
            return values;
        }
        values.push_back(value);
    }
}

struct RunResult {
    bool dialogShown = false;
    bool boxShown = false;
    driver::MessageBoxContents box;
    bool exited = false;
    DWORD exitCode = 0;
};

class InstallShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(programFilesDir_.SetString(programFiles_.Path()));
        programsFolder_ = links::ProgramsFolder();
        ASSERT_FALSE(programsFolder_.empty());
    }
    void TearDown() override { testenv::RemoveTree(groupFolder_); }

    void PrepareMedium(const std::string& sourceSetupIni) {
        testenv::PrepareMedium(medium_, sourceSetupIni);
        ASSERT_TRUE(testenv::PathExists(medium_ / "Setup.exe"));
        ASSERT_TRUE(testenv::CopyOneFile(testenv::SetupExePath(), medium_ / "GamePatch.exe"));
        ASSERT_TRUE(testenv::WriteFileBytes(medium_ / "GamePatch.txt", "Read me first.\r\n"));
    }
    void UseGroup(const std::string& appName) {
        groupFolder_ = programsFolder_ + "\\" + appName;
        testenv::RemoveTree(groupFolder_);
    }

    // Install as a person would: confirm the dialog, then the success box.
    RunResult RunInstall() {
        RunResult result;
        driver::ChildProcess process;
        std::string exe = medium_ / "Setup.exe";
        if (!process.Start(exe, testenv::CommandLineFor(exe, ""), medium_.Path())) {
            ADD_FAILURE() << "Setup.exe didn't start";
            return result;
        }
        HWND dialog = driver::WaitForSetupDialog(process.Id());
        result.dialogShown = dialog != nullptr;
        if (dialog != nullptr) {
            (void)driver::PressButton(dialog, IDOK);
            (void)driver::WaitForWindowGone(dialog);
        }
        HWND box = driver::WaitForMessageBox(process.Id());
        result.boxShown = box != nullptr;
        if (box != nullptr) {
            result.box = driver::ReadMessageBox(box);
            (void)driver::PressButton(box, IDOK);
        }
        result.exited = process.WaitForExit(result.exitCode);
        return result;
    }

    void ExpectSuccess(const RunResult& run) {
        EXPECT_TRUE(run.dialogShown);
        ASSERT_TRUE(run.boxShown);
        EXPECT_EQ(run.box.caption, "Done");
        EXPECT_EQ(run.box.text, "Installed");
        ASSERT_TRUE(run.exited);
        EXPECT_EQ(run.exitCode, 0u);
    }

    std::string TargetFolder() const { return programFiles_ / kTargetName; }
    std::string InstalledSetupIni() const { return TargetFolder() + "\\Setup.ini"; }
    // What the install copied, before any shortcut.
    std::vector<std::string> CopiedFiles() const {
        return {InstalledSetupIni(), TargetFolder() + "\\Setup.exe", TargetFolder() + "\\GamePatch.exe",
                TargetFolder() + "\\GamePatch.txt"};
    }

    ScratchFolder medium_{"smmedium"};
    ScratchFolder programFiles_{"smpf"};
    RegistryValueGuard programFilesDir_{HKEY_LOCAL_MACHINE, kCurrentVersionKey, kProgramFilesValue};
    std::string programsFolder_;
    std::string groupFolder_;
};

TEST_F(InstallShortcutsTest, NamedShortcutsAreMadeAndRecordedAfterTheCopies) {
    std::string appName = "Shortcut Install " + std::to_string(GetCurrentProcessId());
    UseGroup(appName);
    PrepareMedium(SourceSetupIni("AppName=" + appName + "\r\n",
                                 "ShortcutStart=Play\r\nShortcutReadMe=Notes\r\nShortcutUninstall=Remove\r\n"));

    ExpectSuccess(RunInstall());

    EXPECT_EQ(testenv::FolderEntries(groupFolder_), (std::vector<std::string>{"Notes.lnk", "Play.lnk", "Remove.lnk"}));
    ExpectLink(groupFolder_ + "\\Play.lnk", TargetFolder(), links::kStart);
    ExpectLink(groupFolder_ + "\\Notes.lnk", TargetFolder(), links::kReadMe);
    ExpectLink(groupFolder_ + "\\Remove.lnk", TargetFolder(), links::kUninstall);

    std::vector<std::string> files = CopiedFiles();
    for (const char* name : {"Play", "Notes", "Remove"}) {
        files.push_back(groupFolder_ + "\\" + name + ".lnk");
    }
    EXPECT_EQ(RecordSection(InstalledSetupIni(), "Files"), files);
    EXPECT_EQ(RecordSection(InstalledSetupIni(), "Folders"), (std::vector<std::string>{TargetFolder(), groupFolder_}));
}

TEST_F(InstallShortcutsTest, DefaultsLeaveOneUninstallShortcutInThePatchGroup) {
    UseGroup("Patch");
    PrepareMedium(SourceSetupIni("", ""));

    ExpectSuccess(RunInstall());

    EXPECT_EQ(testenv::FolderEntries(groupFolder_), std::vector<std::string>{".lnk"});
    ExpectLink(groupFolder_ + "\\.lnk", TargetFolder(), links::kUninstall);
    std::vector<std::string> files = CopiedFiles();
    files.insert(files.end(), 3, groupFolder_ + "\\.lnk");
    EXPECT_EQ(RecordSection(InstalledSetupIni(), "Files"), files);
    EXPECT_EQ(RecordSection(InstalledSetupIni(), "Folders"), (std::vector<std::string>{TargetFolder(), groupFolder_}));
}

TEST_F(InstallShortcutsTest, ProgramsFolderThatCantBeFoundStillEndsInSuccess) {
    std::string appName = "Shortcut Lost " + std::to_string(GetCurrentProcessId());
    UseGroup(appName);
    ScratchFolder parent("smnoprograms");
    RegistryValueGuard programs(HKEY_CURRENT_USER, links::kShellFoldersKey, links::kProgramsValue);
    ASSERT_TRUE(programs.SetString(parent / "missing", REG_EXPAND_SZ));
    PrepareMedium(SourceSetupIni("AppName=" + appName + "\r\n", "ShortcutUninstall=Remove\r\n"));

    ExpectSuccess(RunInstall());

    EXPECT_EQ(RecordSection(InstalledSetupIni(), "Files"), CopiedFiles());
    EXPECT_EQ(RecordSection(InstalledSetupIni(), "Folders"), std::vector<std::string>{TargetFolder()});
    EXPECT_EQ(testenv::FolderEntries(parent.Path()), std::vector<std::string>{});
    EXPECT_FALSE(testenv::PathExists(groupFolder_));
}

// Icon index 1 of the uninstall shortcut names the second icon group of the
// installed Setup.exe, which has to be the uninstall icon.
BOOL CALLBACK CollectIconGroup(HMODULE, LPCSTR, LPSTR name, LONG_PTR parameter) {
    auto* names = reinterpret_cast<std::vector<ULONG_PTR>*>(parameter);
    names->push_back(IS_INTRESOURCE(name) ? reinterpret_cast<ULONG_PTR>(name) : 0);
    return TRUE;
}

TEST(SetupExeIcons, UninstallIconIsTheSecondIconGroup) {
    HMODULE image = LoadLibraryExA(testenv::SetupExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    std::vector<ULONG_PTR> groups;
    (void)EnumResourceNamesA(image, RT_GROUP_ICON, CollectIconGroup, reinterpret_cast<LONG_PTR>(&groups));
    (void)FreeLibrary(image);
    // 101 the program icon, 104 the uninstall icon, in this order.
    EXPECT_EQ(groups, (std::vector<ULONG_PTR>{101, 104}));
}

}  // namespace
