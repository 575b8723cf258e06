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

// A Setup.ini saved as UTF-16 with its mark, on a machine whose code page
// holds none of its scripts: every text reaches the user whole, in install,
// run and uninstall mode, and the installed file keeps the form.
struct ScriptText {
    const char* sourceLine;     // as the source Setup.ini sets it
    const char* installedLine;  // as the installed one holds it, "" for none
};
const char kRussianName[] = u8"Патч для ралли";
const char kJapaneseFolder[] = u8"ラリー パッチ";
const ScriptText kScriptTexts[] = {
    {u8"AppName=Патч для ралли", u8"AppName=\"Патч для ралли\""},
    {u8"ErrorHeader=Ошибка", u8"ErrorHeader=\"Ошибка\""},
    {u8"ErrorCD=ディスクを\\n入れてください", u8"ErrorCD=\"ディスクを\\n入れてください\""},
    {u8"DialogAbortHeader=Έξοδος;", ""},
    {u8"DialogAbort=Naprawdę\\nwyjść?", ""},
    {u8"SuccessHeader=Готово", u8"SuccessHeader=\"Готово\""},
    {u8"SuccessInstall=インストール\\n完了", ""},
    {u8"DialogInstallText=Καλώς ήρθατε\\nστο μπάλωμα", ""},
    {u8"DialogUninstallText=Αφαίρεση;", u8"DialogText=\"Αφαίρεση;\""},
    {u8"DialogInstall=&Zainstaluj łatkę", ""},
    {u8"DialogExit=終了", u8"DialogExit=\"終了\""},
    {u8"ShortcutStart=Uruchom grę", ""},
    {u8"ShortcutReadMe=Διάβασέ με", ""},
    {u8"ShortcutUninstall=Удалить", ""},
};

// `text` with the line of each key set in `lines` replaced by that line.
std::string WithLines(std::string text, bool installed) {
    for (const ScriptText& line : kScriptTexts) {
        const std::string wanted = installed ? line.installedLine : line.sourceLine;
        if (wanted.empty()) {
            continue;
        }
        const std::string key = wanted.substr(0, wanted.find('=') + 1);
        const std::size_t start = text.find("\r\n" + key);
        EXPECT_NE(start, std::string::npos) << key;
        if (start != std::string::npos) {
            text.replace(start + 2, text.find("\r\n", start + 2) - start - 2, wanted);
        }
    }
    return text;
}

std::string Utf16FileOf(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t unit : testenv::WideFromUtf8(text)) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

struct Shown {
    std::string caption;
    std::string text;
};

// The next box of the process, read through the wide calls, answered with `button`.
Shown AnswerBox(const driver::ChildProcess& process, int button) {
    HWND box = WaitForMessageBoxOnly(process);
    EXPECT_NE(box, nullptr);
    if (box == nullptr) {
        return Shown{};
    }
    Shown shown{driver::FullWindowText(box), driver::FullControlText(box, driver::kMessageBoxTextId)};
    EXPECT_TRUE(driver::PressButton(box, button));
    EXPECT_TRUE(driver::WaitForWindowGone(box));
    return shown;
}

TEST_F(InstallTest, AUtf16SetupFileSpeaksEveryScriptInEveryMode) {
    const std::vector<std::string> names = {u8"Δεδομένα.dat", u8"データ.bin"};
    PrepareMedium(kTargetName, names);
    ASSERT_TRUE(testenv::WriteFileBytes(medium_ / "Setup.ini", Utf16FileOf(WithLines(
        SourceSetupIni(kJapaneseFolder, names), false))));
    AddMediumFile(names[0], "alpha");
    AddMediumFile(names[1], "beta");
    const std::string target = programFiles_ / kJapaneseFolder;
    const std::string group = ProgramsFolder() + "\\" + kRussianName;
    testenv::RemoveTree(group);

    driver::ChildProcess install;
    HWND dialog = StartFromMedium(install);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(driver::FullWindowText(dialog), kRussianName);
    EXPECT_EQ(driver::FullControlText(dialog, driver::kSetupHeadingId), kRussianName);
    EXPECT_EQ(driver::FullControlText(dialog, driver::kSetupBodyId), u8"Καλώς ήρθατε\r\nστο μπάλωμα");
    EXPECT_EQ(driver::FullControlText(dialog, IDOK), u8"&Zainstaluj łatkę");
    EXPECT_EQ(driver::FullControlText(dialog, IDCANCEL), u8"終了");
    ASSERT_TRUE(driver::PressButton(dialog, IDCANCEL));
    const Shown question = AnswerBox(install, IDNO);
    EXPECT_EQ(question.caption, u8"Έξοδος;");
    EXPECT_EQ(question.text, u8"Naprawdę\r\nwyjść?");
    ASSERT_TRUE(driver::PressButton(dialog, IDOK));
    const Shown success = AnswerBox(install, IDOK);
    EXPECT_EQ(success.caption, u8"Готово");
    EXPECT_EQ(success.text, u8"インストール\r\n完了");
    DWORD status = 1;
    ASSERT_TRUE(install.WaitForExit(status));
    EXPECT_EQ(status, 0u);

    const std::vector<std::string> links = {group + u8"\\Uruchom grę.lnk", group + u8"\\Διάβασέ με.lnk",
                                            group + u8"\\Удалить.lnk"};
    std::vector<std::string> files = {target + "\\Setup.ini", target + "\\Setup.exe", target + "\\" + names[0],
                                      target + "\\" + names[1]};
    files.insert(files.end(), links.begin(), links.end());
    for (const std::string& file : files) {
        EXPECT_TRUE(testenv::PathExists(file)) << file;
    }
    const std::vector<AppsEntry> entries = AppsEntriesOf(target);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].at("DisplayName"), kRussianName);
    std::string installed;
    ASSERT_TRUE(testenv::ReadFileBytes(target + "\\Setup.ini", installed));
    EXPECT_EQ(installed, Utf16FileOf(WithLines(ExpectedInstalledSetup(files, {target, group}), true)));

    // Run mode, without the disc: its box, from the installed file.
    const std::string exe = target + "\\Setup.exe";
    driver::ChildProcess run;
    ASSERT_TRUE(run.Start(exe, testenv::CommandLineFor(exe, ""), target));
    const Shown noDisc = AnswerBox(run, IDOK);
    EXPECT_EQ(noDisc.caption, u8"Ошибка");
    EXPECT_EQ(noDisc.text, u8"ディスクを\r\n入れてください");
    ASSERT_TRUE(run.WaitForExit(status));
    EXPECT_EQ(status, kFailureStatus);

    driver::ChildProcess uninstall;
    ASSERT_TRUE(uninstall.Start(exe, testenv::CommandLineFor(exe, "-uninstall"), target));
    dialog = driver::WaitForSetupDialog(uninstall.Id());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(driver::FullWindowText(dialog), kRussianName);
    EXPECT_EQ(driver::FullControlText(dialog, driver::kSetupBodyId), u8"Αφαίρεση;");
    EXPECT_EQ(driver::FullControlText(dialog, IDCANCEL), u8"終了");
    ASSERT_TRUE(driver::PressButton(dialog, IDOK));
    const Shown removed = AnswerBox(uninstall, IDOK);
    EXPECT_EQ(removed.caption, u8"Готово");
    ASSERT_TRUE(uninstall.WaitForExit(status));
    EXPECT_EQ(status, 0u);
    EXPECT_FALSE(testenv::PathExists(target)) << DescribeFolder(target);
    EXPECT_FALSE(testenv::PathExists(group)) << DescribeFolder(group);
    EXPECT_TRUE(AppsEntriesOf(target).empty());
}

}  // namespace
}  // namespace installtest
