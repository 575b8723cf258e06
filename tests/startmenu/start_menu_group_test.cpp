#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "install/start_menu.h"
#include "link_reader.h"
#include "test_env.h"

namespace {

using links::ExpectLink;
using links::kReadMe;
using links::kStart;
using links::kUninstall;
using testenv::RegistryValueGuard;
using testenv::ScratchFolder;


DWORD AttributesOf(const std::string& path) {
    return GetFileAttributesA(path.c_str());
}

// A group named for this test in the Programs folder of the prefix, removed afterwards.
class StartMenuGroupTest : public ::testing::Test {
protected:
    void SetUp() override {
        programsFolder_ = links::ProgramsFolder();
        ASSERT_FALSE(programsFolder_.empty());
        appName_ = "Start Menu Test " + std::to_string(GetCurrentProcessId());
        groupFolder_ = programsFolder_ + "\\" + appName_;
        testenv::RemoveTree(groupFolder_);
        ASSERT_TRUE(testenv::CopyOneFile(testenv::SetupExePath(), target_ / "GamePatch.exe"));
        ASSERT_TRUE(testenv::WriteFileBytes(target_ / "GamePatch.txt", "read me\r\n"));
        ASSERT_TRUE(testenv::CopyOneFile(testenv::SetupExePath(), target_ / "Setup.exe"));
    }
    void TearDown() override { testenv::RemoveTree(groupFolder_); }

    // Runs the step as a finished install does, after the lists already hold entries.
    void CreateGroup(const ShortcutNames& names) {
        RunStep(target_.Path(), appName_, names, changes_);
        KeepChanges(changes_);
    }
    // The step itself; the lists are kept here as text of the code page (the
    // tests' paths are ASCII), or as UTF-8 for the wide ones.
    void RunStep(const std::string& target, const std::string& appName, const ShortcutNames& names,
                 InstallChanges& changes) {
        std::vector<std::wstring> files = Wide(files_);
        std::vector<std::wstring> folders = Wide(folders_);
        CreateStartMenuGroup(testenv::WideFromUtf8(target), appName, names, files, folders, changes);
        files_ = Narrow(files);
        folders_ = Narrow(folders);
    }
    static std::vector<std::wstring> Wide(const std::vector<std::string>& paths) {
        std::vector<std::wstring> wide;
        for (const std::string& path : paths) {
            wide.push_back(testenv::WideFromUtf8(path));
        }
        return wide;
    }
    static std::vector<std::string> Narrow(const std::vector<std::wstring>& paths) {
        std::vector<std::string> narrow;
        for (const std::wstring& path : paths) {
            narrow.push_back(testenv::Utf8FromWide(path));
        }
        return narrow;
    }
    std::string LinkPath(const std::string& name) const { return groupFolder_ + "\\" + name + ".lnk"; }

    ScratchFolder target_{"smtarget"};
    std::string programsFolder_;
    std::string appName_;
    std::string groupFolder_;
    std::vector<std::string> files_{"earlier\\Setup.ini", "earlier\\Setup.exe"};
    std::vector<std::string> folders_{"earlier"};
    InstallChanges changes_;
};

TEST_F(StartMenuGroupTest, ThreeNamedShortcutsAreMadeAndAppendedInOrder) {
    CreateGroup({"Start the patch", "Read me", "Remove it"});

    EXPECT_EQ(folders_, (std::vector<std::string>{"earlier", groupFolder_}));
    EXPECT_EQ(files_, (std::vector<std::string>{"earlier\\Setup.ini", "earlier\\Setup.exe", LinkPath("Start the patch"),
                                                LinkPath("Read me"), LinkPath("Remove it")}));
    EXPECT_EQ(testenv::FolderEntries(groupFolder_),
              (std::vector<std::string>{"Read me.lnk", "Remove it.lnk", "Start the patch.lnk"}));
    ExpectLink(LinkPath("Start the patch"), target_.Path(), kStart);
    ExpectLink(LinkPath("Read me"), target_.Path(), kReadMe);
    ExpectLink(LinkPath("Remove it"), target_.Path(), kUninstall);
}

TEST_F(StartMenuGroupTest, EmptyNamesLeaveOnlyTheUninstallShortcutListedThreeTimes) {
    CreateGroup({"", "", ""});

    EXPECT_EQ(testenv::FolderEntries(groupFolder_), (std::vector<std::string>{".lnk"}));
    ExpectLink(LinkPath(""), target_.Path(), kUninstall);
    EXPECT_EQ(files_, (std::vector<std::string>{"earlier\\Setup.ini", "earlier\\Setup.exe", LinkPath(""), LinkPath(""),
                                                LinkPath("")}));
}

TEST_F(StartMenuGroupTest, TwoEqualNamesKeepTheLaterShortcut) {
    CreateGroup({"Same", "Same", "Other"});

    EXPECT_EQ(testenv::FolderEntries(groupFolder_), (std::vector<std::string>{"Other.lnk", "Same.lnk"}));
    ExpectLink(LinkPath("Same"), target_.Path(), kReadMe);
    ExpectLink(LinkPath("Other"), target_.Path(), kUninstall);
}

TEST_F(StartMenuGroupTest, MissingTargetFilesStillGetShortcuts) {
    ScratchFolder emptyTarget("smempty");
    RunStep(emptyTarget.Path(), appName_, {"a", "b", "c"}, changes_);

    ExpectLink(LinkPath("a"), emptyTarget.Path(), kStart);
    ExpectLink(LinkPath("b"), emptyTarget.Path(), kReadMe);
    ExpectLink(LinkPath("c"), emptyTarget.Path(), kUninstall);
}

// A group folder left by an earlier install, in the states the reset must handle.
struct ExistingGroupCase {
    const char* label;
    bool exists;
    DWORD attributes;       // of the folder, when it exists
    const char* otherFile;  // a file of someone else inside it, or null
};

class ExistingGroupTest : public StartMenuGroupTest, public ::testing::WithParamInterface<ExistingGroupCase> {};

TEST_P(ExistingGroupTest, EndsAsANormalFolderHoldingTheShortcuts) {
    const ExistingGroupCase& existing = GetParam();
    if (existing.exists) {
        ASSERT_TRUE(CreateDirectoryA(groupFolder_.c_str(), nullptr));
        if (existing.otherFile != nullptr) {
            ASSERT_TRUE(testenv::WriteFileBytes(groupFolder_ + "\\" + existing.otherFile, "keep me"));
        }
        if (existing.attributes != FILE_ATTRIBUTE_NORMAL) {
            ASSERT_TRUE(SetFileAttributesA(groupFolder_.c_str(), existing.attributes));
            ASSERT_EQ(AttributesOf(groupFolder_) & existing.attributes, existing.attributes);
        }
    }

    CreateGroup({"s", "r", "u"});

    DWORD attributes = AttributesOf(groupFolder_);
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), 0u);
    std::vector<std::string> expected{"r.lnk", "s.lnk", "u.lnk"};
    if (existing.otherFile != nullptr) {
        std::string kept;
        EXPECT_TRUE(testenv::ReadFileBytes(groupFolder_ + "\\" + existing.otherFile, kept));
        EXPECT_EQ(kept, "keep me");
        expected.push_back(existing.otherFile);
        std::sort(expected.begin(), expected.end());
    }
    EXPECT_EQ(testenv::FolderEntries(groupFolder_), expected);
    ExpectLink(LinkPath("u"), target_.Path(), kUninstall);
    EXPECT_EQ(folders_.back(), groupFolder_);
}

INSTANTIATE_TEST_SUITE_P(
    Reset, ExistingGroupTest,
    ::testing::Values(ExistingGroupCase{"Missing", false, 0, nullptr},
                      ExistingGroupCase{"EmptyNormal", true, FILE_ATTRIBUTE_NORMAL, nullptr},
                      ExistingGroupCase{"EmptyHidden", true, FILE_ATTRIBUTE_HIDDEN, nullptr},
                      ExistingGroupCase{"EmptySystemHidden", true, FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN,
                                        nullptr},
                      ExistingGroupCase{"SystemWithAFile", true, FILE_ATTRIBUTE_SYSTEM, "notes.txt"},
                      ExistingGroupCase{"HiddenWithAFile", true, FILE_ATTRIBUTE_HIDDEN, "zz other.url"}),
    [](const ::testing::TestParamInfo<ExistingGroupCase>& info) { return std::string(info.param.label); });

TEST_F(StartMenuGroupTest, ShortcutsOfTheSameNamesAreOverwritten) {
    ASSERT_TRUE(CreateDirectoryA(groupFolder_.c_str(), nullptr));
    ASSERT_TRUE(testenv::WriteFileBytes(LinkPath("r"), "not a link"));

    CreateGroup({"s", "r", "u"});

    ExpectLink(LinkPath("r"), target_.Path(), kReadMe);
    // The earlier file was set aside and is gone once the install is kept.
    EXPECT_EQ(testenv::FolderEntries(groupFolder_), (std::vector<std::string>{"r.lnk", "s.lnk", "u.lnk"}));
}

// An install that fails after this step undoes it: a group folder it made
// goes, and an earlier file under a link's name comes back as it was.
TEST_F(StartMenuGroupTest, RollBackRemovesANewGroupAndPutsBackEarlierFiles) {
    RunStep(target_.Path(), appName_, {"s", "r", "u"}, changes_);
    ASSERT_TRUE(testenv::PathExists(LinkPath("u")));
    RollBack(changes_);
    EXPECT_FALSE(testenv::PathExists(groupFolder_));

    ASSERT_TRUE(CreateDirectoryA(groupFolder_.c_str(), nullptr));
    ASSERT_TRUE(testenv::WriteFileBytes(LinkPath("r"), "not a link"));
    InstallChanges again;
    RunStep(target_.Path(), appName_, {"s", "r", "u"}, again);
    ASSERT_TRUE(testenv::PathExists(LinkPath("u")));
    RollBack(again);
    EXPECT_EQ(testenv::FolderEntries(groupFolder_), std::vector<std::string>{"r.lnk"});
    std::string earlier;
    EXPECT_TRUE(testenv::ReadFileBytes(LinkPath("r"), earlier));
    EXPECT_EQ(earlier, "not a link");
}

TEST_F(StartMenuGroupTest, GroupFolderThatCantBeMadeIsStillRecordedWithItsShortcuts) {
    // No folder can have this name.
    const std::string appName = "Bad|Name " + std::to_string(GetCurrentProcessId());
    const std::string group = programsFolder_ + "\\" + appName;

    RunStep(target_.Path(), appName, {"s", "r", "u"}, changes_);

    EXPECT_FALSE(testenv::PathExists(group));
    EXPECT_EQ(folders_, (std::vector<std::string>{"earlier", group}));
    EXPECT_EQ(files_, (std::vector<std::string>{"earlier\\Setup.ini", "earlier\\Setup.exe", group + "\\s.lnk",
                                                group + "\\r.lnk", group + "\\u.lnk"}));
}

// A group is a folder right under the Programs folder: an AppName that
// leads elsewhere (up, deeper, or the Programs folder itself) gets no group,
// and a shortcut name that leads out of the group, or names a device, no shortcut.
class GroupOffGroundTest : public StartMenuGroupTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(GroupOffGroundTest, MakesAndRecordsNothingThere) {
    const std::string tag = std::to_string(GetCurrentProcessId());
    std::string appName = GetParam();
    appName.replace(appName.find('%'), 1, tag);
    const std::string escaped = programsFolder_ + "\\..\\Escaped" + tag;
    testenv::RemoveTree(escaped);

    RunStep(target_.Path(), appName, {"s", "r", "u"}, changes_);

    EXPECT_EQ(folders_, (std::vector<std::string>{"earlier"}));
    EXPECT_EQ(files_, (std::vector<std::string>{"earlier\\Setup.ini", "earlier\\Setup.exe"}));
    EXPECT_FALSE(testenv::PathExists(escaped));
    EXPECT_FALSE(testenv::PathExists(programsFolder_ + "\\Sub" + tag));
}

INSTANTIATE_TEST_SUITE_P(AppNames, GroupOffGroundTest, ::testing::Values("..\\Escaped%", "Sub%\\Group", ".\\..\\Escaped%"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::to_string(info.index); });

TEST_F(StartMenuGroupTest, ShortcutNamesOutOfTheGroupOrOfDevicesGetNoShortcut) {
    CreateGroup({"..\\..\\Out", "CON", "Remove it"});

    EXPECT_EQ(files_, (std::vector<std::string>{"earlier\\Setup.ini", "earlier\\Setup.exe", LinkPath("Remove it")}));
    EXPECT_EQ(testenv::FolderEntries(groupFolder_), (std::vector<std::string>{"Remove it.lnk"}));
    EXPECT_FALSE(testenv::PathExists(programsFolder_ + "\\..\\Out.lnk"));
}

TEST_F(StartMenuGroupTest, AppNameEndingInABackslashDoublesItBeforeTheLinkName) {
    RunStep(target_.Path(), appName_ + "\\", {"s", "r", "u"}, changes_);

    EXPECT_EQ(folders_.back(), groupFolder_ + "\\");
    ASSERT_EQ(files_.size(), 5u);
    EXPECT_EQ(files_[2], groupFolder_ + "\\\\s.lnk");
    EXPECT_EQ(files_[4], groupFolder_ + "\\\\u.lnk");
    EXPECT_TRUE(testenv::IsFolder(groupFolder_));
}

// The Programs folder moved to a folder of the test's choosing for one test.
class MovedProgramsFolderTest : public StartMenuGroupTest {
protected:
    bool MovePrograms(const std::string& folder) { return programs_.SetString(folder, REG_EXPAND_SZ); }
    bool MoveProgramsWide(const std::wstring& folder) { return programs_.SetWideString(folder, REG_EXPAND_SZ); }

    RegistryValueGuard programs_{HKEY_CURRENT_USER, links::kShellFoldersKey, links::kProgramsValue};
};

TEST_F(MovedProgramsFolderTest, ProgramsFolderThatCantBeFoundAddsNothing) {
    ScratchFolder parent("smgone");
    ASSERT_TRUE(MovePrograms(parent / "does not exist"));
    ASSERT_EQ(links::ProgramsFolder(), "") << "the shell still finds the Programs folder";

    CreateGroup({"s", "r", "u"});

    EXPECT_EQ(folders_, (std::vector<std::string>{"earlier"}));
    EXPECT_EQ(files_, (std::vector<std::string>{"earlier\\Setup.ini", "earlier\\Setup.exe"}));
    EXPECT_EQ(testenv::FolderEntries(parent.Path()), std::vector<std::string>{});
}

TEST_F(MovedProgramsFolderTest, ProgramsFolderIsTakenFromTheShell) {
    ScratchFolder moved("smprograms");
    ASSERT_TRUE(MovePrograms(moved.Path()));

    CreateGroup({"s", "r", "u"});

    std::string group = moved / appName_;
    EXPECT_EQ(folders_.back(), group);
    EXPECT_EQ(files_.back(), group + "\\u.lnk");
    ExpectLink(group + "\\u.lnk", target_.Path(), kUninstall);
    EXPECT_FALSE(testenv::PathExists(groupFolder_));
}

// Under a name that the code page can't hold, best fitted it would name
// another folder (Lodz for Łódź), or none at all (?e???).
TEST_F(MovedProgramsFolderTest, ProgramsFolderOutsideTheCodePageIsTakenWhole) {
    ScratchFolder parent("smunicode");
    const std::string moved = parent / testenv::kForeignName;
    ASSERT_TRUE(CreateDirectoryW(testenv::WideFromUtf8(moved).c_str(), nullptr));
    ASSERT_TRUE(MoveProgramsWide(testenv::WideFromUtf8(moved)));

    CreateGroup({"s", "r", "u"});

    const std::string group = moved + "\\" + appName_;
    EXPECT_EQ(folders_.back(), group);
    EXPECT_EQ(files_.back(), group + "\\u.lnk");
    EXPECT_NE(GetFileAttributesW(testenv::WideFromUtf8(group + "\\u.lnk").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(testenv::PathExists(groupFolder_));
}

TEST_F(MovedProgramsFolderTest, ProgramsFolderAtADriveRootGetsNoSecondBackslash) {
    ASSERT_TRUE(MovePrograms("C:\\"));
    std::string group = "C:\\" + appName_;
    testenv::RemoveTree(group);

    CreateGroup({"s", "r", "u"});

    EXPECT_EQ(folders_.back(), group);
    EXPECT_EQ(files_.back(), group + "\\u.lnk");
    ExpectLink(group + "\\u.lnk", target_.Path(), kUninstall);
    testenv::RemoveTree(group);
}

}  // namespace
