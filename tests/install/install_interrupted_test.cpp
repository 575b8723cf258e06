// Installs that are killed half-way, started twice at once, or run over an
// earlier install: the next start from the medium puts the disk back
// exactly as it was, one run at a time changes a folder, and an uninstall
// removes every version.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "install_run.h"

namespace installtest {
namespace {

using testenv::FolderEntries;
using testenv::PathExists;

constexpr DWORD kKilledStatus = 0xDEAD;
const char kRepairedShown[] =
    "The last setup of this patch was interrupted.\r\nEverything it had changed is back as it was.";
const char kAlreadyRunningShown[] = "Setup is already running.";
const char kUninstalledShown[] = "Patch removed";
const char kKillVariable[] = "SETUP_KILL_AFTER_STEP";

// Set-aside copies and journals that a finished run must not leave.
bool HoldsLeftovers(const std::string& folder) {
    for (const std::string& name : FolderEntries(folder)) {
        if (name.rfind("old", 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == ".tmp") {
            return true;
        }
    }
    return false;
}

class InterruptedInstallTest : public InstallTest {
protected:
    void TearDown() override {
        (void)SetEnvironmentVariableA(kKillVariable, nullptr);
        // A journal that a test placed, or one that a failed test left.
        (void)DeleteFileA(Journal().c_str());
        InstallTest::TearDown();
    }

    // The folders the patch writes into, as a user's machine may hold them:
    // files that the install overwrites (one read-only, one hidden), one that
    // it leaves alone, and a file under the name of its uninstall shortcut.
    void PlaceEarlierState(const std::vector<std::string>& overwritten) {
        testenv::RemoveTree(TargetFolder());
        testenv::RemoveTree(GroupFolder());
        ASSERT_TRUE(CreateDirectoryA(TargetFolder().c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(GroupFolder().c_str(), nullptr));
        for (std::size_t i = 0; i < overwritten.size(); ++i) {
            ASSERT_TRUE(testenv::WriteFileBytes(TargetFolder() + "\\" + overwritten[i], "earlier " + overwritten[i]));
        }
        if (!overwritten.empty()) {
            ASSERT_TRUE(SetFileAttributesA((TargetFolder() + "\\" + overwritten[0]).c_str(), FILE_ATTRIBUTE_READONLY));
            ASSERT_TRUE(SetFileAttributesA((TargetFolder() + "\\" + overwritten.back()).c_str(),
                                           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
        }
        ASSERT_TRUE(testenv::WriteFileBytes(TargetFolder() + "\\keep.txt", "the user's own"));
        ASSERT_TRUE(testenv::WriteFileBytes(GroupFolder() + "\\Remove It.lnk", "earlier shortcut"));
        // A group whose look the user chose; install shows it with normal attributes.
        ASSERT_TRUE(SetFileAttributesA(GroupFolder().c_str(), FILE_ATTRIBUTE_HIDDEN));
        earlierEntry_ = PlaceEarlierAppsEntry(TargetFolder());
    }

    // Nothing of the patch's on the machine: no target folder, no group, no entry.
    void PlaceNothing() {
        testenv::RemoveTree(TargetFolder());
        testenv::RemoveTree(GroupFolder());
        RemoveAppsEntryOf(TargetFolder());
        earlierEntry_.clear();
    }

    AppsEntry earlierEntry_;

    std::string Journal() const { return TargetFolder() + ".install-journal"; }

    // Setup.exe started again as the user would, with the medium current:
    // the box it shows before its dialog, if any, is read and closed, and
    // the dialog is left. The box's text, or empty when none came.
    std::string StartAgainAndCancel(const std::string& medium = "") {
        driver::ChildProcess process;
        const std::string exe = testenv::SetupExePath();
        EXPECT_TRUE(process.Start(exe, testenv::CommandLineFor(exe, ""), medium.empty() ? medium_.Path() : medium));
        HWND window = WaitForDialogOrBox(process);
        std::string boxText;
        if (window != nullptr && driver::IsMessageBox(window)) {
            boxText = driver::ReadMessageBox(window).text;
            EXPECT_TRUE(driver::PressButton(window, IDOK));
            EXPECT_TRUE(driver::WaitForWindowGone(window));
            window = WaitForDialogOrBox(process);
        }
        EXPECT_TRUE(window != nullptr && driver::IsSetupDialog(window)) << "no dialog after the repair";
        if (window != nullptr && driver::IsSetupDialog(window)) {
            EXPECT_TRUE(driver::PressButton(window, IDCANCEL));
            HWND question = WaitForMessageBoxOnly(process);
            EXPECT_NE(question, nullptr);
            if (question != nullptr) {
                EXPECT_TRUE(driver::PressButton(question, IDYES));
            }
        }
        DWORD status = 1;
        EXPECT_TRUE(process.WaitForExit(status));
        EXPECT_EQ(status, 0u);
        return boxText;
    }

    // Starts the installed Setup.exe with "-uninstall" and confirms its dialog.
    void StartUninstallAndConfirm(driver::ChildProcess& process) {
        const std::string exe = TargetFolder() + "\\Setup.exe";
        ASSERT_TRUE(process.Start(exe, testenv::CommandLineFor(exe, "-uninstall"), TargetFolder()));
        HWND dialog = driver::WaitForSetupDialog(process.Id());
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(driver::PressButton(dialog, IDOK));
        ASSERT_TRUE(driver::WaitForWindowGone(dialog));
    }

    // The same, through to its success box.
    void Uninstall() {
        driver::ChildProcess process;
        StartUninstallAndConfirm(process);
        ASSERT_FALSE(HasFatalFailure());
        HWND box = WaitForMessageBoxOnly(process);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(driver::ReadMessageBox(box).text, kUninstalledShown);
        ASSERT_TRUE(driver::PressButton(box, IDOK));
        DWORD status = 1;
        ASSERT_TRUE(process.WaitForExit(status));
        EXPECT_EQ(status, 0u);
    }

    // Starts the command of the patch's Apps entry in `folder`, as Settings
    // does, and answers its dialog if it shows one; the box that follows.
    driver::MessageBoxContents UninstallThroughTheEntry(const std::string& folder) {
        const std::vector<AppsEntry> entries = AppsEntriesOf(folder);
        EXPECT_EQ(entries.size(), 1u) << "no single entry";
        if (entries.size() != 1) {
            return driver::MessageBoxContents{};
        }
        const std::string command = entries[0].at("UninstallString");
        const std::size_t closing = command.find('"', 1);
        EXPECT_EQ(command[0], '"');
        driver::ChildProcess process;
        EXPECT_TRUE(process.Start(command.substr(1, closing - 1), command, "C:\\windows")) << command;
        HWND window = WaitForDialogOrBox(process);
        if (window != nullptr && driver::IsSetupDialog(window)) {
            EXPECT_TRUE(driver::PressButton(window, IDOK));
            EXPECT_TRUE(driver::WaitForWindowGone(window));
            window = WaitForMessageBoxOnly(process);
        }
        EXPECT_NE(window, nullptr) << "no box from " << command;
        if (window == nullptr) {
            return driver::MessageBoxContents{};
        }
        const driver::MessageBoxContents box = driver::ReadMessageBox(window);
        EXPECT_TRUE(driver::PressButton(window, IDOK));
        DWORD status = 1;
        EXPECT_TRUE(process.WaitForExit(status));
        EXPECT_EQ(status, 0u) << box.text;
        return box;
    }

    // A game's folder as the patch finds it: files it replaces (one
    // read-only, one hidden, one in a sub-folder), files it leaves alone,
    // nothing of the patch's. Its state, to compare with.
    FolderState PlaceGame() {
        PlaceNothing();
        const std::string game = TargetFolder();
        EXPECT_TRUE(CreateDirectoryA(game.c_str(), nullptr));
        EXPECT_TRUE(CreateDirectoryA((game + "\\Data").c_str(), nullptr));
        for (const char* name : {"Rally.exe", "Data\\Tracks.dat", "Data\\Cars.dat", "Data\\Sky.dat", "Readme.txt"}) {
            EXPECT_TRUE(testenv::WriteFileBytes(game + "\\" + name, std::string("the game's ") + name));
        }
        EXPECT_TRUE(SetFileAttributesA((game + "\\Data\\Tracks.dat").c_str(), FILE_ATTRIBUTE_READONLY));
        EXPECT_TRUE(SetFileAttributesA((game + "\\Data\\Cars.dat").c_str(), FILE_ATTRIBUTE_HIDDEN));
        return StateOf(game);
    }

    // A medium of a patch that replaces `replaced` and adds GamePatch.exe.
    static void PreparePatchMedium(const testenv::ScratchFolder& medium, const std::vector<std::string>& replaced,
                                   const std::string& version) {
        std::vector<std::string> files = replaced;
        files.push_back("GamePatch.exe");
        testenv::PrepareMedium(medium, SourceSetupIni(kTargetName, files));
        (void)CreateDirectoryA((medium / "Data").c_str(), nullptr);
        for (const std::string& name : files) {
            ASSERT_TRUE(testenv::WriteFileBytes(medium / name, name + " of patch " + version));
        }
    }

    // After an install and its uninstall: the user's own file, nothing else.
    void ExpectNothingLeftBut(const FolderState& kept) {
        EXPECT_EQ(StateOf(TargetFolder()), kept) << Names(StateOf(TargetFolder()));
        EXPECT_FALSE(PathExists(GroupFolder())) << DescribeFolder(GroupFolder());
        EXPECT_FALSE(PathExists(Journal()));
        EXPECT_TRUE(AppsEntriesOf(TargetFolder()).empty()) << "the Apps entry outlived the patch";
    }

    FolderState KeptByTheUser() const {
        FolderState kept;
        kept["."] = Held{"", FILE_ATTRIBUTE_DIRECTORY};
        kept["keep.txt"] = Held{"the user's own", FILE_ATTRIBUTE_ARCHIVE};
        return kept;
    }
};

// What the machine holds before the install that is killed.
enum class Before { EarlierFilesGroupAndEntry, Nothing };

struct KillCase {
    const char* name;
    Before before;
};

class KilledAfterEachChangeTest : public InterruptedInstallTest, public ::testing::WithParamInterface<KillCase> {};

TEST_P(KilledAfterEachChangeTest, IsPutRightByTheNextStart) {
    const std::vector<std::string> names = {"A.bin", "B.bin", "C.bin"};
    PrepareMedium(kTargetName, names);
    for (std::size_t i = 0; i < names.size(); ++i) {
        AddMediumFile(names[i], PatternBytes(3000 + i, static_cast<unsigned>(i)));
    }
    ASSERT_TRUE(testenv::CopyOneFile(testenv::HelpersDir() + "\\kill_after_step_setup.exe", medium_ / "Setup.exe"));

    bool finishedOnce = false;
    FolderState asBeforeThePatch;
    unsigned step = 1;
    for (;; ++step) {
        SCOPED_TRACE("killed right after change " + std::to_string(step));
        if (GetParam().before == Before::Nothing) {
            PlaceNothing();
        } else {
            PlaceEarlierState({"A.bin", "B.bin"});
        }
        const FolderState targetBefore = StateOf(TargetFolder());
        const FolderState groupBefore = StateOf(GroupFolder());
        asBeforeThePatch = targetBefore;
        ASSERT_TRUE(SetEnvironmentVariableA(kKillVariable, std::to_string(step).c_str()));
        const InstallRun run = RunFromMedium();
        ASSERT_TRUE(SetEnvironmentVariableA(kKillVariable, nullptr));
        ASSERT_TRUE(run.dialogShown);
        if (run.boxShown) {
            // It ran to its end: there was no change of that number.
            ExpectSuccessBox(run);
            break;
        }
        ASSERT_TRUE(run.exited);
        ASSERT_EQ(run.exitCode, kKilledStatus);

        const std::string repaired = StartAgainAndCancel();
        EXPECT_FALSE(PathExists(Journal()));
        if (!repaired.empty()) {
            EXPECT_FALSE(finishedOnce) << "undone after a kill that came later than one that found it done";
            EXPECT_EQ(repaired, kRepairedShown);
            EXPECT_EQ(StateOf(TargetFolder()), targetBefore) << Names(StateOf(TargetFolder()));
            EXPECT_EQ(StateOf(GroupFolder()), groupBefore) << Names(StateOf(GroupFolder()));
            EXPECT_EQ(AppsEntriesOf(TargetFolder()),
                      earlierEntry_.empty() ? std::vector<AppsEntry>{} : std::vector<AppsEntry>{earlierEntry_});
        } else {
            // Killed while it deleted the set-aside copies: it was done, and
            // the next start only finished that, quietly.
            finishedOnce = true;
            ExpectCopiedFromMedium(TargetFolder(), names);
            EXPECT_FALSE(HoldsLeftovers(TargetFolder())) << DescribeFolder(TargetFolder());
            EXPECT_FALSE(HoldsLeftovers(GroupFolder())) << DescribeFolder(GroupFolder());
        }
        if (HasFailure()) {
            return;
        }
    }
    // Each copy, shortcut and the record with its journal entry at the least.
    EXPECT_GT(step, 20u);
    EXPECT_TRUE(finishedOnce) << "no kill came after the install was done";

    // Installed once more over that, and removed: nothing stays but what the user had.
    ASSERT_TRUE(testenv::CopyOneFile(testenv::SetupExePath(), medium_ / "Setup.exe"));
    ExpectSuccessBox(RunFromMedium());
    Uninstall();
    // The files the patch replaced are back, with their bytes and attributes.
    ExpectNothingLeftBut(asBeforeThePatch);
}

INSTANTIATE_TEST_SUITE_P(Machines, KilledAfterEachChangeTest,
                         ::testing::Values(KillCase{"WithEarlierFilesGroupAndEntry", Before::EarlierFilesGroupAndEntry},
                                           KillCase{"WithNothingBefore", Before::Nothing}),
                         [](const ::testing::TestParamInfo<KillCase>& info) { return info.param.name; });

// The real Setup.exe ended from outside while it copies 1,000 files into a
// folder that holds earlier copies of some of them.
constexpr int kManyFiles = 1000;
constexpr int kEveryTenth = 10;

struct OutsideKillCase {
    const char* name;
    int filesWritten;  // the kill comes once the target folder holds this many more
};

class KilledFromOutsideTest : public InterruptedInstallTest, public ::testing::WithParamInterface<OutsideKillCase> {
protected:
    std::vector<std::string> PrepareManyFiles() {
        std::vector<std::string> names;
        for (int i = 0; i < kManyFiles; ++i) {
            names.push_back("f" + std::to_string(1000 + i) + ".bin");
        }
        PrepareMedium(kTargetName, names);
        for (std::size_t i = 0; i < names.size(); ++i) {
            AddMediumFile(names[i], PatternBytes(1024, static_cast<unsigned>(i)));
        }
        return names;
    }
};

// Waits until the folder, with the place where the files it replaces are
// kept, holds `count` entries or more; false when the process ends first or
// the copy ends without reaching them.
bool WaitForEntries(const std::string& folder, std::size_t count, const driver::ChildProcess& process) {
    constexpr DWORD kLongestCopyMs = 120000;
    const DWORD start = GetTickCount();
    while (FolderEntries(folder).size() + FolderEntries(folder + "\\_$_Originals_$_").size() < count) {
        if (process.HasExited() || GetTickCount() - start > kLongestCopyMs) {
            return false;
        }
        Sleep(1);
    }
    return true;
}

TEST_P(KilledFromOutsideTest, TheNextStartPutsTheDiskBack) {
    const std::vector<std::string> names = PrepareManyFiles();
    std::vector<std::string> earlier;
    for (std::size_t i = 0; i < names.size(); i += kEveryTenth) {
        earlier.push_back(names[i]);
    }
    PlaceEarlierState(earlier);
    const FolderState targetBefore = StateOf(TargetFolder());
    const FolderState groupBefore = StateOf(GroupFolder());

    driver::ChildProcess process;
    HWND dialog = StartFromMedium(process);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(driver::PressButton(dialog, IDOK));
    ASSERT_TRUE(WaitForEntries(TargetFolder(), targetBefore.size() + GetParam().filesWritten, process))
        << "it ended before the kill";
    process.Kill();

    EXPECT_EQ(StartAgainAndCancel(), kRepairedShown);
    EXPECT_FALSE(PathExists(Journal()));
    const FolderState targetAfter = StateOf(TargetFolder());
    EXPECT_TRUE(targetAfter == targetBefore) << targetAfter.size() << " entries instead of " << targetBefore.size();
    EXPECT_EQ(StateOf(GroupFolder()), groupBefore) << Names(StateOf(GroupFolder()));
    EXPECT_EQ(AppsEntriesOf(TargetFolder()), std::vector<AppsEntry>{earlierEntry_});
}

INSTANTIATE_TEST_SUITE_P(Moments, KilledFromOutsideTest,
                         ::testing::Values(OutsideKillCase{"AtTheStart", 5}, OutsideKillCase{"HalfWay", 500},
                                           OutsideKillCase{"NearTheEnd", 950}),
                         [](const ::testing::TestParamInfo<OutsideKillCase>& info) { return info.param.name; });

// An uninstall ended from outside keeps the record, the installed Setup.ini,
// to the end: a new install from the medium and its uninstall finish the job.
TEST_F(KilledFromOutsideTest, AKilledUninstallLeavesWhatAnotherRunFinishes) {
    PrepareManyFiles();
    PlaceEarlierState({});
    ExpectSuccessBox(RunFromMedium());
    const std::size_t installed = FolderEntries(TargetFolder()).size();

    driver::ChildProcess process;
    StartUninstallAndConfirm(process);
    ASSERT_FALSE(HasFatalFailure());
    while (FolderEntries(TargetFolder()).size() > installed / 2 && !process.HasExited()) {
        Sleep(1);
    }
    process.Kill();
    EXPECT_TRUE(PathExists(TargetFolder() + "\\Setup.ini")) << "the record went before the files";

    ExpectSuccessBox(RunFromMedium());
    Uninstall();
    ExpectNothingLeftBut(KeptByTheUser());
}

TEST_F(InterruptedInstallTest, OfTwoStartsAtOnceOneInstallsAndTheOtherSaysSo) {
    PrepareMedium(kTargetName, {"one.bin"});
    AddMediumFile("one.bin", "one");
    driver::ChildProcess first;
    driver::ChildProcess second;
    const std::string exe = medium_ / "Setup.exe";
    ASSERT_TRUE(first.Start(exe, testenv::CommandLineFor(exe, ""), medium_.Path()));
    ASSERT_TRUE(second.Start(exe, testenv::CommandLineFor(exe, ""), medium_.Path()));
    HWND firstWindow = WaitForDialogOrBox(first);
    HWND secondWindow = WaitForDialogOrBox(second);
    ASSERT_TRUE(firstWindow != nullptr && secondWindow != nullptr);
    ASSERT_NE(driver::IsSetupDialog(firstWindow), driver::IsSetupDialog(secondWindow)) << "not one dialog and one box";
    const bool firstInstalls = driver::IsSetupDialog(firstWindow);
    driver::ChildProcess& refused = firstInstalls ? second : first;
    HWND box = firstInstalls ? secondWindow : firstWindow;
    HWND dialog = firstInstalls ? firstWindow : secondWindow;

    const driver::MessageBoxContents said = driver::ReadMessageBox(box);
    EXPECT_EQ(said.caption, kErrorHeader);
    EXPECT_EQ(said.text, kAlreadyRunningShown);
    ASSERT_TRUE(driver::PressButton(box, IDOK));
    DWORD status = 0;
    ASSERT_TRUE(refused.WaitForExit(status));
    EXPECT_EQ(status, kFailureStatus);
    EXPECT_FALSE(PathExists(TargetFolder())) << "the refused start changed something";

    driver::ChildProcess& installing = firstInstalls ? first : second;
    ASSERT_TRUE(driver::PressButton(dialog, IDOK));
    HWND success = WaitForMessageBoxOnly(installing);
    ASSERT_NE(success, nullptr);
    EXPECT_EQ(driver::ReadMessageBox(success).text, kSuccessInstallShown);
    ASSERT_TRUE(driver::PressButton(success, IDOK));
    ASSERT_TRUE(installing.WaitForExit(status));
    EXPECT_EQ(status, 0u);
    std::string installedSetup;
    ASSERT_TRUE(testenv::ReadFileBytes(TargetFolder() + "\\Setup.ini", installedSetup));
    EXPECT_EQ(installedSetup.find("[Files]"), installedSetup.rfind("[Files]")) << "two records";
}

// Version 1 installs A and B, version 2 (under another name) A and C into the
// same folder: the one uninstall removes both, version 1's group included.
TEST_F(InterruptedInstallTest, AnInstallOverAnEarlierOneCarriesItsRecordOn) {
    const std::string secondName = std::string(kAppName) + " 2";
    const std::string secondGroup = ProgramsFolder() + "\\" + secondName;
    testenv::RemoveTree(secondGroup);
    PrepareMedium(kTargetName, {"A.bin", "B.bin"});
    AddMediumFile("A.bin", "A of version 1");
    AddMediumFile("B.bin", "B of version 1");
    ExpectSuccessBox(RunFromMedium());

    testenv::ScratchFolder second("medium2");
    std::string ini = SourceSetupIni(kTargetName, {"A.bin", "C.bin"});
    const std::string appName = std::string("AppName=") + kAppName + "\r\n";
    ini.replace(ini.find(appName), appName.size(), "AppName=" + secondName + "\r\n");
    testenv::PrepareMedium(second, ini);
    ASSERT_TRUE(testenv::WriteFileBytes(second / "A.bin", "A of version 2"));
    ASSERT_TRUE(testenv::WriteFileBytes(second / "C.bin", "C of version 2"));
    ExpectSuccessBox(RunInstall(second / "Setup.exe", second.Path()));
    ASSERT_TRUE(PathExists(TargetFolder() + "\\B.bin"));
    // One folder, one entry: the second install's.
    const std::vector<AppsEntry> entries = AppsEntriesOf(TargetFolder());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].at("DisplayName"), secondName);

    Uninstall();
    EXPECT_TRUE(AppsEntriesOf(TargetFolder()).empty()) << "the entry outlived the patch";
    const bool secondGroupStayed = PathExists(secondGroup);
    testenv::RemoveTree(secondGroup);
    EXPECT_FALSE(PathExists(TargetFolder())) << DescribeFolder(TargetFolder());
    EXPECT_FALSE(PathExists(GroupFolder())) << "version 1's group stayed";
    EXPECT_FALSE(secondGroupStayed) << "version 2's group stayed";
}

// A journal is a file that anyone with the rights may have written: one that
// names a document beside the target folder (or a folder or entry of another
// program) is not acted on, and the setup says ErrorFile until it is moved away.
class JournalOffGroundTest : public InterruptedInstallTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(JournalOffGroundTest, IsNotActedOn) {
    PrepareMedium(kTargetName, {"one.bin"});
    AddMediumFile("one.bin", "one");
    const std::string document = programFiles_ / "thesis.txt";
    ASSERT_TRUE(testenv::WriteFileBytes(document, "three years of work"));
    const std::string line = std::string(GetParam()) + "\t" + document + "\r\n";
    const std::string journal = "Patch Setup install journal 1\r\n" + line;
    ASSERT_TRUE(testenv::WriteFileBytes(Journal(), journal));

    const InstallRun run = RunFromMedium();
    EXPECT_FALSE(run.dialogShown);
    ExpectErrorFileBox(run);
    std::string kept;
    EXPECT_TRUE(testenv::ReadFileBytes(document, kept));
    EXPECT_EQ(kept, "three years of work");
    std::string journalAfter;
    EXPECT_TRUE(testenv::ReadFileBytes(Journal(), journalAfter));
    EXPECT_EQ(journalAfter, journal);
}

INSTANTIATE_TEST_SUITE_P(Lines, JournalOffGroundTest, ::testing::Values("new-file", "new-folder"));

// Two uninstalls started together: the refused one lets go of the folder
// before its box, so that the other removes it.
TEST_F(InterruptedInstallTest, OfTwoUninstallsAtOnceTheRefusedOneLeavesNoFolderBehind) {
    PrepareMedium(kTargetName, {"one.bin"});
    AddMediumFile("one.bin", "one");
    ExpectSuccessBox(RunFromMedium());
    const std::string exe = TargetFolder() + "\\Setup.exe";
    driver::ChildProcess first;
    ASSERT_TRUE(first.Start(exe, testenv::CommandLineFor(exe, "-uninstall"), TargetFolder()));
    HWND dialog = driver::WaitForSetupDialog(first.Id());
    ASSERT_NE(dialog, nullptr);
    driver::ChildProcess second;
    ASSERT_TRUE(second.Start(exe, testenv::CommandLineFor(exe, "-uninstall"), TargetFolder()));
    HWND refusal = WaitForMessageBoxOnly(second);
    ASSERT_NE(refusal, nullptr);
    EXPECT_EQ(driver::ReadMessageBox(refusal).text, kAlreadyRunningShown);

    // While the refusal is still up, the first removes everything.
    ASSERT_TRUE(driver::PressButton(dialog, IDOK));
    HWND done = WaitForMessageBoxOnly(first);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(driver::ReadMessageBox(done).text, kUninstalledShown);
    EXPECT_FALSE(PathExists(TargetFolder())) << DescribeFolder(TargetFolder());
    ASSERT_TRUE(driver::PressButton(done, IDOK));
    ASSERT_TRUE(driver::PressButton(refusal, IDOK));
    DWORD status = 1;
    ASSERT_TRUE(first.WaitForExit(status));
    EXPECT_EQ(status, 0u);
    ASSERT_TRUE(second.WaitForExit(status));
    EXPECT_EQ(status, kFailureStatus);
}

// The note that the install is done can't be written (the disk filled up
// just then): no success box over the set-aside files; the journal stays and
// the next start from the medium puts the folder right.
TEST_F(InterruptedInstallTest, AFinishedNoteThatCantBeWrittenIsNoSuccess) {
    PrepareMedium(kTargetName, {"A.bin", "B.bin"});
    AddMediumFile("A.bin", "A of the patch");
    AddMediumFile("B.bin", "B of the patch");
    ASSERT_TRUE(testenv::CopyOneFile(testenv::HelpersDir() + "\\kill_after_step_setup.exe", medium_ / "Setup.exe"));
    PlaceEarlierState({"A.bin", "B.bin"});
    ASSERT_TRUE(SetEnvironmentVariableA("SETUP_FAIL_FLUSH", "finished"));
    const InstallRun run = RunFromMedium();
    ASSERT_TRUE(SetEnvironmentVariableA("SETUP_FAIL_FLUSH", nullptr));
    ExpectErrorFileBox(run);
    EXPECT_TRUE(PathExists(Journal()));

    StartAgainAndCancel();
    EXPECT_FALSE(PathExists(Journal()));
    EXPECT_FALSE(HoldsLeftovers(TargetFolder())) << DescribeFolder(TargetFolder());
    EXPECT_FALSE(HoldsLeftovers(GroupFolder())) << DescribeFolder(GroupFolder());
}

// An earlier record in the forms that installs have written: relative
// entries, taken in the target folder, and a path outside the code page in
// its marked UTF-8 form. Carried on, so that the one uninstall removes both.
enum class EarlierForm { RelativeEntries, MarkedUnicodeEntry };

class EarlierRecordFormTest : public InterruptedInstallTest, public ::testing::WithParamInterface<EarlierForm> {};

TEST_P(EarlierRecordFormTest, IsCarriedOn) {
    PlaceNothing();
    ASSERT_TRUE(CreateDirectoryA(TargetFolder().c_str(), nullptr));
    const bool relative = GetParam() == EarlierForm::RelativeEntries;
    const std::string earlierFile = TargetFolder() + (relative ? "\\Old.dat" : u8"\\\u0141.dat");
    ASSERT_TRUE(testenv::WriteFileBytes(earlierFile, "of version 1"));
    ASSERT_TRUE(testenv::CopyOneFile(testenv::SetupExePath(), TargetFolder() + "\\Setup.exe"));
    const std::string record =
        relative ? "1=\"Setup.ini\"\r\n2=\"Setup.exe\"\r\n3=\"Old.dat\"\r\n"
                 : "1=\"" + TargetFolder() + "\\Setup.ini\"\r\n2=\"" + TargetFolder() + "\\Setup.exe\"\r\n3=\"<utf-8>" +
                       TargetFolder() + "\\%C5%81.dat\"\r\n";
    ASSERT_TRUE(testenv::WriteFileBytes(TargetFolder() + "\\Setup.ini", "[General]\r\nMode=\"Run\"\r\n\r\n[Files]\r\n" +
                                                                         record + "\r\n[Folders]\r\n1=\"" +
                                                                         TargetFolder() + "\"\r\n\r\n"));
    PrepareMedium(kTargetName, {"A.bin"});
    AddMediumFile("A.bin", "A");
    ExpectSuccessBox(RunFromMedium());

    Uninstall();
    EXPECT_FALSE(PathExists(earlierFile)) << "the earlier version's file was not carried on";
    EXPECT_FALSE(PathExists(TargetFolder())) << DescribeFolder(TargetFolder());
}

INSTANTIATE_TEST_SUITE_P(Forms, EarlierRecordFormTest,
                         ::testing::Values(EarlierForm::RelativeEntries, EarlierForm::MarkedUnicodeEntry));

// Two spellings of one folder in TargetFolder: a final dot or blank, which
// the file system drops, or the short 8.3 name. The second is the same
// install as the first: one entry, the record carried on, the journal of a
// killed run found by the installed copy and put right from the medium.
struct SpellingCase {
    const char* name;
    const char* first;
    const char* onDisk;
    const char* second;  // null: the short name of the folder
};

class TargetFolderSpellingTest : public InterruptedInstallTest, public ::testing::WithParamInterface<SpellingCase> {
protected:
    void TearDown() override {
        testenv::RemoveTree(OnDisk());
        (void)DeleteFileA((OnDisk() + ".install-journal").c_str());
        RemoveAppsEntryOf(OnDisk());
        InterruptedInstallTest::TearDown();
    }

    std::string OnDisk() const { return programFiles_ / GetParam().onDisk; }

    std::string SecondSpelling() const {
        if (GetParam().second != nullptr) {
            return GetParam().second;
        }
        wchar_t shortPath[MAX_PATH] = L"";
        EXPECT_NE(GetShortPathNameW(testenv::WideFromUtf8(OnDisk()).c_str(), shortPath, MAX_PATH), 0u);
        const std::string spelt = testenv::Utf8FromWide(shortPath);
        EXPECT_NE(spelt.find('~'), std::string::npos) << "no short name: " << spelt;
        return spelt.substr(spelt.rfind('\\') + 1);
    }

    // A second medium for the second version, with `exe` as its Setup.exe.
    void PrepareSecondMedium(const std::string& exe) {
        testenv::PrepareMedium(secondMedium_, SourceSetupIni(SecondSpelling(), {"A.bin", "C.bin"}));
        ASSERT_TRUE(testenv::CopyOneFile(exe, secondMedium_ / "Setup.exe"));
        ASSERT_TRUE(testenv::WriteFileBytes(secondMedium_ / "A.bin", "A of version 2"));
        ASSERT_TRUE(testenv::WriteFileBytes(secondMedium_ / "C.bin", "C of version 2"));
    }

    void InstallFirst() {
        PrepareMedium(GetParam().first, {"A.bin", "B.bin"});
        AddMediumFile("A.bin", "A of version 1");
        AddMediumFile("B.bin", "B of version 1");
        ExpectSuccessBox(RunFromMedium());
        ASSERT_TRUE(testenv::IsFolder(OnDisk())) << DescribeFolder(programFiles_.Path());
    }

    testenv::ScratchFolder secondMedium_{"medium2"};
};

TEST_P(TargetFolderSpellingTest, IsOneInstall) {
    InstallFirst();
    ASSERT_FALSE(HasFatalFailure());
    PrepareSecondMedium(testenv::SetupExePath());
    ExpectSuccessBox(RunInstall(secondMedium_ / "Setup.exe", secondMedium_.Path()));

    EXPECT_EQ(AppsEntriesOf(OnDisk()).size(), 1u) << "two entries for one folder";
    std::string record;
    ASSERT_TRUE(testenv::ReadFileBytes(OnDisk() + "\\Setup.ini", record));
    for (const char* name : {"\\A.bin\"", "\\B.bin\"", "\\C.bin\""}) {
        const std::size_t at = record.find(name);
        EXPECT_NE(at, std::string::npos) << name << " not recorded:\n" << record;
        EXPECT_EQ(record.find(name, at + 1), std::string::npos) << name << " recorded twice:\n" << record;
    }
    const driver::MessageBoxContents box = UninstallThroughTheEntry(OnDisk());
    EXPECT_EQ(box.text, kUninstalledShown);
    EXPECT_FALSE(PathExists(OnDisk())) << DescribeFolder(OnDisk());
    EXPECT_FALSE(PathExists(GroupFolder())) << DescribeFolder(GroupFolder());
    EXPECT_TRUE(AppsEntriesOf(OnDisk()).empty());
}

TEST_P(TargetFolderSpellingTest, KilledUnderTheOtherSpellingIsPutRight) {
    InstallFirst();
    ASSERT_FALSE(HasFatalFailure());
    const FolderState before = StateOf(OnDisk());
    PrepareSecondMedium(testenv::HelpersDir() + "\\kill_after_step_setup.exe");
    // Killed once its new Setup.ini is written, while the earlier Setup.exe still lies there.
    ASSERT_TRUE(SetEnvironmentVariableA(kKillVariable, "4"));
    const InstallRun killed = RunInstall(secondMedium_ / "Setup.exe", secondMedium_.Path());
    ASSERT_TRUE(SetEnvironmentVariableA(kKillVariable, nullptr));
    ASSERT_TRUE(killed.exited);
    ASSERT_EQ(killed.exitCode, kKilledStatus);

    // The installed copy finds the journal, whichever spelling made it.
    driver::ChildProcess process;
    const std::string exe = OnDisk() + "\\Setup.exe";
    ASSERT_TRUE(process.Start(exe, testenv::CommandLineFor(exe, "-uninstall"), OnDisk()));
    HWND window = WaitForDialogOrBox(process);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(driver::IsMessageBox(window)) << "the uninstall went ahead beside the journal";
    EXPECT_EQ(driver::ReadMessageBox(window).text,
              "The last setup of this patch was interrupted.\r\nStart the setup from the disc again to set it right.");
    ASSERT_TRUE(driver::PressButton(window, IDOK));
    DWORD status = 0;
    ASSERT_TRUE(process.WaitForExit(status));
    EXPECT_EQ(status, kFailureStatus);

    EXPECT_EQ(StartAgainAndCancel(secondMedium_.Path()), kRepairedShown);
    EXPECT_EQ(StateOf(OnDisk()), before) << Names(StateOf(OnDisk()));
}

INSTANTIATE_TEST_SUITE_P(Spellings, TargetFolderSpellingTest,
                         ::testing::Values(SpellingCase{"FinalDot", "Rally Inc.", "Rally Inc", "Rally Inc."},
                                           SpellingCase{"FinalBlank", "Rally Inc ", "Rally Inc", "Rally Inc."},
                                           SpellingCase{"ShortName", "Long Folder Name Of The Patch",
                                                        "Long Folder Name Of The Patch", nullptr}),
                         [](const ::testing::TestParamInfo<SpellingCase>& info) { return info.param.name; });

// An uninstall that ends itself after each of its changes, as a kill would:
// the Apps entry's command then finishes it, and nothing of the patch stays.
// Into a game's folder, and out again: the files the patch replaced come
// back as they were, the rest is untouched: after one version, after a
// second over it, and after an install that fails and rolls back.
enum class GameRoad { OneVersion, TwoVersions, FailedInstall };

class GameFolderTest : public InterruptedInstallTest, public ::testing::WithParamInterface<GameRoad> {};

TEST_P(GameFolderTest, IsGivenBackAsItWas) {
    const FolderState before = PlaceGame();
    PreparePatchMedium(medium_, {"Data\\Tracks.dat", "Data\\Cars.dat"}, "1");
    if (GetParam() == GameRoad::FailedInstall) {
        // A source that isn't there: the copy fails at the end.
        std::string ini = SourceSetupIni(kTargetName, {"Data\\Tracks.dat", "Data\\Cars.dat", "GamePatch.exe", "gone.bin"});
        ASSERT_TRUE(testenv::WriteFileBytes(medium_ / "Setup.ini", ini));
        ExpectErrorFileBox(RunFromMedium());
        EXPECT_EQ(StateOf(TargetFolder()), before) << Names(StateOf(TargetFolder()));
        return;
    }
    ExpectSuccessBox(RunFromMedium());
    std::string patched;
    ASSERT_TRUE(testenv::ReadFileBytes(TargetFolder() + "\\Data\\Tracks.dat", patched));
    EXPECT_EQ(patched, "Data\\Tracks.dat of patch 1");
    if (GetParam() == GameRoad::TwoVersions) {
        testenv::ScratchFolder second("medium2");
        PreparePatchMedium(second, {"Data\\Tracks.dat", "Rally.exe"}, "2");
        ExpectSuccessBox(RunInstall(second / "Setup.exe", second.Path()));
    }
    // Settings counts what the patch keeps of the game as its own.
    const std::vector<AppsEntry> entries = AppsEntriesOf(TargetFolder());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_GE(std::stoul(entries[0].at("EstimatedSize")), 1u);

    Uninstall();
    EXPECT_EQ(StateOf(TargetFolder()), before) << Names(StateOf(TargetFolder()));
}

INSTANTIATE_TEST_SUITE_P(Roads, GameFolderTest,
                         ::testing::Values(GameRoad::OneVersion, GameRoad::TwoVersions, GameRoad::FailedInstall));

TEST_F(InterruptedInstallTest, AnUninstallKilledAfterEachChangeIsFinishedFromSettings) {
    unsigned step = 1;
    for (;; ++step) {
        SCOPED_TRACE("uninstall killed right after change " + std::to_string(step));
        const FolderState before = PlaceGame();
        PreparePatchMedium(medium_, {"Data\\Tracks.dat", "Data\\Cars.dat"}, "1");
        ASSERT_TRUE(testenv::CopyOneFile(testenv::HelpersDir() + "\\kill_after_step_setup.exe", medium_ / "Setup.exe"));
        ExpectSuccessBox(RunFromMedium());
        ASSERT_TRUE(SetEnvironmentVariableA(kKillVariable, std::to_string(step).c_str()));
        driver::ChildProcess process;
        StartUninstallAndConfirm(process);
        ASSERT_TRUE(SetEnvironmentVariableA(kKillVariable, nullptr));
        ASSERT_FALSE(HasFatalFailure());
        HWND box = WaitForMessageBoxOnly(process);
        if (box != nullptr) {
            // It ran to its end: there was no change of that number.
            EXPECT_EQ(driver::ReadMessageBox(box).text, kUninstalledShown);
            ASSERT_TRUE(driver::PressButton(box, IDOK));
            DWORD status = 1;
            ASSERT_TRUE(process.WaitForExit(status));
            EXPECT_EQ(status, 0u);
            break;
        }
        DWORD status = 0;
        ASSERT_TRUE(process.WaitForExit(status));
        ASSERT_EQ(status, kKilledStatus);
        if (!AppsEntriesOf(TargetFolder()).empty()) {
            EXPECT_EQ(UninstallThroughTheEntry(TargetFolder()).text, kUninstalledShown);
        }
        ExpectNothingLeftBut(before);
        if (HasFailure()) {
            return;
        }
    }
    // Each file's mark and deletion, the parking, the folders, the record and the entry.
    EXPECT_GT(step, 12u);
}

}  // namespace
}  // namespace installtest
