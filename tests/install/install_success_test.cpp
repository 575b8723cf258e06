// Installs that succeed: what lands in the target folder and what the
// installed Setup.ini says, for the ways the Program Files folder is found.

#include <cstdio>
#include <string>
#include <vector>

#include "install_run.h"

namespace installtest {
namespace {

// Today as an Apps entry gives the date of its install.
std::string Today() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[16];
    std::snprintf(date, sizeof(date), "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return date;
}

using testenv::FolderEntries;

TEST_F(InstallTest, FullInstallCopiesEveryFileAndWritesTheInstalledSetupFile) {
    const std::vector<std::string> names = {"alpha.bin", "readme.txt", "data.pak"};
    PrepareMedium(kTargetName, names);
    AddMediumFile("alpha.bin", PatternBytes(100000, 1));
    // Line ends and a Ctrl-Z that a text-mode copy would change or stop at.
    AddMediumFile("readme.txt", "line one\nline two\r\n\x1a after the end-of-file mark\r");
    AddMediumFile("data.pak", PatternBytes(3 * 65536 + 17, 2));

    const InstallRun run = RunFromMedium();

    ASSERT_TRUE(run.dialogShown);
    EXPECT_EQ(run.dialogCaption, kAppName);
    EXPECT_EQ(run.dialogHeading, kAppName);
    EXPECT_EQ(run.dialogBody, kDialogInstallTextShown);
    EXPECT_EQ(run.okLabel, kDialogInstallLabel);
    EXPECT_EQ(run.cancelLabel, kDialogExitLabel);
    ExpectSuccessBox(run);

    const std::string target = TargetFolder();
    EXPECT_EQ(FolderEntries(programFiles_.Path()), std::vector<std::string>{kTargetName});
    EXPECT_EQ(FolderEntries(target),
              (std::vector<std::string>{"Setup.exe", "Setup.ini", "alpha.bin", "data.pak", "readme.txt"}));
    ExpectCopiedFromMedium(target, {"Setup.exe", "alpha.bin", "readme.txt", "data.pak"});

    std::string installed;
    ASSERT_TRUE(testenv::ReadFileBytes(target + "\\Setup.ini", installed));
    EXPECT_EQ(installed, ExpectedInstalledSetup(ExpectedCreatedFiles(target, names), ExpectedCreatedFolders(target)));

    // Listed in Settings > Apps, with the KiB that were copied.
    std::uint64_t copied = 0;
    for (const char* name : {"Setup.exe", "alpha.bin", "readme.txt", "data.pak"}) {
        copied += FileSizeOf(target + "\\" + name);
    }
    const std::vector<AppsEntry> entries = AppsEntriesOf(target);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0], (AppsEntry{{"DisplayName", kAppName},
                                     {"UninstallString", "\"" + target + "\\Setup.exe\" -uninstall"},
                                     {"DisplayIcon", target + "\\Setup.exe"},
                                     {"InstallLocation", target},
                                     {"EstimatedSize", std::to_string((copied + 1023) / 1024)},
                                     {"InstallDate", Today()},
                                     {"NoModify", "1"},
                                     {"NoRepair", "1"}}));
}

// The keys of Setup.ini that shape the Apps entry, beside the ones above.
struct AppsEntryCase {
    const char* name;
    std::string generalLines;  // put first in [General]
    bool listed;
    std::string displayName;
    const char* displayVersion;  // null: not there
    const char* publisher;
};

class InstallAppsEntryTest : public InstallTest, public ::testing::WithParamInterface<AppsEntryCase> {};

TEST_P(InstallAppsEntryTest, TakesItsValuesFromTheSetupFile) {
    const AppsEntryCase& row = GetParam();
    std::string ini = SourceSetupIni(kTargetName, {});
    ini.insert(ini.find("[General]\r\n") + 11, row.generalLines);
    testenv::PrepareMedium(medium_, ini);

    ExpectSuccessBox(RunFromMedium());

    const std::vector<AppsEntry> entries = AppsEntriesOf(TargetFolder());
    ASSERT_EQ(entries.size(), row.listed ? 1u : 0u);
    if (!row.listed) {
        return;
    }
    AppsEntry entry = entries[0];
    EXPECT_EQ(entry["DisplayName"], row.displayName);
    EXPECT_EQ(entry.count("DisplayVersion") != 0, row.displayVersion != nullptr);
    if (row.displayVersion != nullptr) {
        EXPECT_EQ(entry["DisplayVersion"], row.displayVersion);
    }
    EXPECT_EQ(entry.count("Publisher") != 0, row.publisher != nullptr);
    if (row.publisher != nullptr) {
        EXPECT_EQ(entry["Publisher"], row.publisher);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, InstallAppsEntryTest,
    ::testing::Values(AppsEntryCase{"VersionAndPublisher", "DisplayVersion=1.1.4\r\nPublisher=\"Rally Works\"\r\n", true,
                                    kAppName, "1.1.4", "Rally Works"},
                      AppsEntryCase{"LeftOut", "AppsEntry=0\r\n", false, "", nullptr, nullptr},
                      // Only exactly 0 leaves it out.
                      AppsEntryCase{"OtherValuesKeepIt", "AppsEntry=no\r\n", true, kAppName, nullptr, nullptr},
                      // Settings shows 259 characters of a name.
                      AppsEntryCase{"LongNameCut", "AppName=" + std::string(300, 'x') + "\r\n", true,
                                    std::string(259, 'x'), nullptr, nullptr}),
    [](const ::testing::TestParamInfo<AppsEntryCase>& info) { return std::string(info.param.name); });

// With or without a final backslash, the Program Files folder gives one target folder.
class InstallProgramFilesBackslashTest : public InstallTest, public ::testing::WithParamInterface<bool> {};

TEST_P(InstallProgramFilesBackslashTest, JoinsTheTargetFolderWithOneBackslash) {
    const bool finalBackslash = GetParam();
    ASSERT_TRUE(programFilesDir_.SetString(programFiles_.Path() + (finalBackslash ? "\\" : "")));
    PrepareMedium(kTargetName, {});

    const InstallRun run = RunFromMedium();

    ExpectSuccessBox(run);
    const std::string target = programFiles_.Path() + "\\" + kTargetName;
    EXPECT_EQ(FolderEntries(target), (std::vector<std::string>{"Setup.exe", "Setup.ini"}));
    std::string installed;
    ASSERT_TRUE(testenv::ReadFileBytes(target + "\\Setup.ini", installed));
    EXPECT_EQ(installed, ExpectedInstalledSetup(ExpectedCreatedFiles(target, {}), ExpectedCreatedFolders(target)));
}

INSTANTIATE_TEST_SUITE_P(WithoutAndWith, InstallProgramFilesBackslashTest, ::testing::Bool());

// A Program Files value that can't be taken as it is: empty, so the target
// folder lies at the root of the current drive (the medium's).
struct UnusableProgramFiles {
    const char* name;
    DWORD type;
    std::size_t length;  // 0: the test's Program Files folder, as REG_EXPAND_SZ
};

class InstallUnusableProgramFilesTest : public InstallTest,
                                        public ::testing::WithParamInterface<UnusableProgramFiles> {};

TEST_P(InstallUnusableProgramFilesTest, PutsTheTargetFolderAtTheRootOfTheCurrentDrive) {
    const UnusableProgramFiles& value = GetParam();
    const std::string stored = value.length == 0 ? programFiles_.Path() : "C:\\" + std::string(value.length - 3, 'p');
    ASSERT_TRUE(programFilesDir_.SetString(stored, value.type));
    const std::string targetName = "InstallRootTest-" + std::to_string(GetCurrentProcessId());
    const std::string targetOnDisk = "C:\\" + targetName;
    testenv::RemoveTree(targetOnDisk);
    PrepareMedium(targetName, {"one.bin"});
    AddMediumFile("one.bin", PatternBytes(70000, 3));

    const InstallRun run = RunFromMedium();

    ExpectSuccessBox(run);
    EXPECT_TRUE(FolderEntries(programFiles_.Path()).empty());
    EXPECT_EQ(FolderEntries(targetOnDisk), (std::vector<std::string>{"Setup.exe", "Setup.ini", "one.bin"}));
    ExpectCopiedFromMedium(targetOnDisk, {"Setup.exe", "one.bin"});
    // The record holds the paths as install built them: without a drive.
    const std::string built = "\\" + targetName;
    std::string installed;
    ASSERT_TRUE(testenv::ReadFileBytes(targetOnDisk + "\\Setup.ini", installed));
    EXPECT_EQ(installed,
              ExpectedInstalledSetup(ExpectedCreatedFiles(built, {"one.bin"}), ExpectedCreatedFolders(built)));
    testenv::RemoveTree(targetOnDisk);
}

INSTANTIATE_TEST_SUITE_P(Values, InstallUnusableProgramFilesTest,
                         ::testing::Values(UnusableProgramFiles{"ExpandString", REG_EXPAND_SZ, 0},
                                           UnusableProgramFiles{"Over255Characters", REG_SZ, 256},
                                           UnusableProgramFiles{"Of300Characters", REG_SZ, 300}),
                         [](const ::testing::TestParamInfo<UnusableProgramFiles>& info) {
                             return std::string(info.param.name);
                         });

// A folder that holds files already (a game's, a Setup.ini that no install
// wrote): they are overwritten, and the earlier ones are kept, bytes and all,
// in the hidden kept place, for the uninstall to put back.
TEST_F(InstallTest, ReusesAnExistingTargetFolderAndStillRecordsItFirst) {
    const std::string target = TargetFolder();
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    ASSERT_TRUE(testenv::WriteFileBytes(target + "\\keep.txt", "from before"));
    ASSERT_TRUE(testenv::WriteFileBytes(target + "\\Setup.ini", "[General]\r\nMode=\"Run\"\r\n"));
    ASSERT_TRUE(testenv::WriteFileBytes(target + "\\one.bin", "earlier one"));
    PrepareMedium(kTargetName, {"one.bin"});
    AddMediumFile("one.bin", PatternBytes(1000, 4));

    const InstallRun run = RunFromMedium();

    ExpectSuccessBox(run);
    EXPECT_EQ(FolderEntries(target),
              (std::vector<std::string>{"Setup.exe", "Setup.ini", "_$_Originals_$_", "keep.txt", "one.bin"}));
    EXPECT_EQ(FolderEntries(target + "\\_$_Originals_$_"), (std::vector<std::string>{"Setup.ini", "one.bin"}));
    EXPECT_NE(GetFileAttributesA((target + "\\_$_Originals_$_").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    std::string earlierOne;
    ASSERT_TRUE(testenv::ReadFileBytes(target + "\\_$_Originals_$_\\one.bin", earlierOne));
    EXPECT_EQ(earlierOne, "earlier one");
    ExpectCopiedFromMedium(target, {"Setup.exe", "one.bin"});
    std::string kept;
    ASSERT_TRUE(testenv::ReadFileBytes(target + "\\keep.txt", kept));
    EXPECT_EQ(kept, "from before");
    std::string installed;
    ASSERT_TRUE(testenv::ReadFileBytes(target + "\\Setup.ini", installed));
    EXPECT_EQ(installed,
              ExpectedInstalledSetup(ExpectedCreatedFiles(target, {"one.bin"}), ExpectedCreatedFolders(target)));
}

}  // namespace
}  // namespace installtest
