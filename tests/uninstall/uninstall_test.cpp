// Uninstall mode against an installed folder built by hand: a target folder
// with a copy of Setup.exe, an installed Setup.ini whose record the test
// writes, and the recorded files.

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apps_entries.h"
#include "test_env.h"
#include "uninstall_run.h"
#include "window_driver.h"

namespace uninstalltest {
namespace {

using testenv::FolderEntries;
using testenv::IsFolder;
using testenv::PathExists;
using testenv::ScratchFolder;
using testenv::WriteFileBytes;

const char kStandardGeneral[] =
    "[General]\r\n"
    "Mode=\"Run\"\r\n"
    "AppName=\"Demo & Co\"\r\n"
    "\r\n";
const char kStandardText[] =
    "[Text]\r\n"
    "ErrorHeader=\"Problem\"\r\n"
    "DialogExit=\"Leave\"\r\n"
    "DialogUninstall=\"&Remove\"\r\n"
    "DialogText=\"First line\\nSecond line\"\r\n"
    "SuccessHeader=\"Done\\nfor now\"\r\n"
    "SuccessUninstall=\"All gone\\nThank you\"\r\n"
    "\r\n";

const char kStandardSuccessCaption[] = "Done\\nfor now";
const char kNotInstalledText[] = "No installed patch was found beside this Setup.exe, so nothing was removed";
const char kFilesStayedText[] =
    "Some files of the patch could not be removed.\r\nClose the patch's programs and try again";
const char kStandardSuccessText[] = "All gone\r\nThank you";

// A file a test keeps an eye on: its bytes before the run.
const char kContents[] = "contents";

class UninstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(testenv::SetupExePath().empty()) << "SETUP_EXE is not set";
        ASSERT_TRUE(testenv::CopyOneFile(testenv::SetupExePath(), Exe()));
        ASSERT_TRUE(testenv::ReadFileBytes(Exe(), exeBytes_));
    }

    std::string Exe() const { return target_ / "Setup.exe"; }
    std::string Ini() const { return target_ / "Setup.ini"; }

    // An installed Setup.ini with the standard texts and the given record.
    void WriteStandardIni(const std::string& record) {
        ASSERT_TRUE(WriteFileBytes(Ini(), std::string(kStandardGeneral) + kStandardText + record));
    }

    void AddFile(const std::string& path) { ASSERT_TRUE(WriteFileBytes(path, kContents)); }
    void AddFolder(const std::string& path) { ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)); }

    // Starts the target folder's Setup.exe with "-uninstall" and waits for its dialog.
    HWND StartAndWaitForDialog(const std::string& workingDirectory) {
        EXPECT_TRUE(StartUninstall(process_, Exe(), workingDirectory));
        HWND dialog = driver::WaitForSetupDialog(process_.Id());
        EXPECT_NE(dialog, nullptr) << "no setup dialog";
        return dialog;
    }

    // Starts, confirms and expects the standard success box and status 0.
    void RunConfirmedWithStandardTexts() {
        HWND dialog = StartAndWaitForDialog(elsewhere_.Path());
        ASSERT_NE(dialog, nullptr);
        ConfirmedRun run = ConfirmAndFinish(process_, dialog);
        ASSERT_TRUE(run.boxShown);
        EXPECT_EQ(run.box.caption, kStandardSuccessCaption);
        EXPECT_EQ(run.box.text, kStandardSuccessText);
        ASSERT_TRUE(run.exited);
        EXPECT_EQ(run.exitCode, 0u);
    }

    void ExpectParkedHere() {
        EXPECT_FALSE(PathExists(Exe())) << "the executable was not moved away";
        EXPECT_EQ(FileBytes(ParkingPath()), exeBytes_) << "the parked file is not the executable";
        const DWORD attributes = AttributesOf(ParkingPath());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY), DWORD{FILE_ATTRIBUTE_HIDDEN});
    }

    ParkingSpotCleaner parking_;
    ScratchFolder target_{"target"};
    // A Start-menu group lies right under the Programs folder: an uninstall
    // touches no other.
    ScratchFolder group_{"group", testenv::ProgramsFolder()};
    ScratchFolder elsewhere_{"cwd"};
    ScratchFolder records_{"records"};
    std::string exeBytes_;
    driver::ChildProcess process_;  // last, so a hung child ends before its folders go
};

TEST_F(UninstallTest, ConfirmedRemovesTheRecordAndParksItselfWhateverTheWorkingDirectory) {
    AddFile(target_ / "data.bin");
    AddFile(group_ / "Start.lnk");
    WriteStandardIni(RecordSection("Files", {Ini(), Exe(), target_ / "data.bin", group_ / "Start.lnk"}) +
                     RecordSection("Folders", {target_.Path(), group_.Path()}));
    PlaceEarlierAppsEntry(target_.Path(), "\"" + Exe() + "\" -uninstall");
    // The working directory holds a Setup.ini of its own, recording a file of its own.
    AddFile(elsewhere_ / "decoy.txt");
    ASSERT_TRUE(WriteFileBytes(elsewhere_ / "Setup.ini",
                               "[General]\r\nAppName=\"Decoy\"\r\n" + RecordSection("Files", {elsewhere_ / "decoy.txt"}) +
                                   RecordSection("Folders", {elsewhere_.Path()})));

    HWND dialog = StartAndWaitForDialog(elsewhere_.Path());
    ASSERT_NE(dialog, nullptr);
    const DialogContents shown = ReadSetupDialog(dialog);
    EXPECT_EQ(shown.caption, "Demo & Co");
    EXPECT_EQ(shown.heading, "Demo & Co");
    EXPECT_EQ(shown.body, "First line\r\nSecond line");
    EXPECT_EQ(shown.okLabel, "&Remove");
    EXPECT_EQ(shown.cancelLabel, "Leave");

    ConfirmedRun run = ConfirmAndFinish(process_, dialog);
    ASSERT_TRUE(run.boxShown);
    EXPECT_EQ(run.box.caption, kStandardSuccessCaption) << "the caption is not expanded";
    EXPECT_EQ(run.box.text, kStandardSuccessText);
    EXPECT_TRUE(run.box.hasOk);
    ASSERT_TRUE(run.exited) << "a second box or a hang";
    EXPECT_EQ(run.exitCode, 0u);

    EXPECT_FALSE(PathExists(target_.Path())) << "target folder stayed";
    EXPECT_FALSE(PathExists(group_.Path())) << "group folder stayed";
    EXPECT_TRUE(PathExists(elsewhere_ / "decoy.txt")) << "the working directory's Setup.ini was used";
    ExpectParkedHere();
    EXPECT_TRUE(AppsEntriesOf(target_.Path()).empty()) << "the Apps entry stayed";
}

// Whether the process has loaded the library `name`, by its file name.
bool HasLoaded(DWORD processId, const char* name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    EXPECT_NE(snapshot, INVALID_HANDLE_VALUE);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return false;
    }
    MODULEENTRY32 module{};
    module.dwSize = sizeof(module);
    bool loaded = false;
    for (BOOL more = Module32First(snapshot, &module); more && !loaded; more = Module32Next(snapshot, &module)) {
        loaded = lstrcmpiA(module.szModule, name) == 0;
    }
    (void)CloseHandle(snapshot);
    return loaded;
}

// The group lies under the Programs folder that the registry names for the
// shell, and that is enough: the shell, slower to load than the rest of a
// small uninstall, is asked only where the registry names no such folder.
class UninstallProgramsFolderTest : public UninstallTest, public ::testing::WithParamInterface<bool> {};

TEST_P(UninstallProgramsFolderTest, RemovesTheGroupAskingTheShellOnlyWithoutTheRegistrysWord) {
    const bool registryNamesIt = GetParam();
    AddFile(group_ / "Start.lnk");
    WriteStandardIni(RecordSection("Files", {Ini(), Exe(), group_ / "Start.lnk"}) +
                     RecordSection("Folders", {target_.Path(), group_.Path()}));
    testenv::RegistryValueGuard programs(HKEY_CURRENT_USER,
                                         "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                                         "Programs");
    if (!registryNamesIt) {
        ASSERT_TRUE(programs.Delete());
    }

    HWND dialog = StartAndWaitForDialog(elsewhere_.Path());
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(driver::PressButton(dialog, IDOK));
    ASSERT_TRUE(driver::WaitForWindowGone(dialog));
    // At the success box everything is done and the process is still there.
    ASSERT_NE(driver::WaitForMessageBox(process_.Id()), nullptr);
    EXPECT_EQ(HasLoaded(process_.Id(), "shell32.dll"), !registryNamesIt);
    const ConfirmedRun run = FinishAtTheBox(process_);
    EXPECT_EQ(run.box.text, kStandardSuccessText);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(PathExists(group_.Path())) << "group folder stayed";
    EXPECT_FALSE(PathExists(target_.Path())) << "target folder stayed";
}

INSTANTIATE_TEST_SUITE_P(RegistrysWord, UninstallProgramsFolderTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Named" : "Missing";
                         });

enum class CancelWay { Button, EscapeKey, CloseBox };

struct CancelCase {
    const char* name;
    CancelWay way;
};

class UninstallCancelTest : public UninstallTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(UninstallCancelTest, EndsAtOnceAndTouchesNothing) {
    AddFile(target_ / "data.bin");
    AddFile(group_ / "Start.lnk");
    WriteStandardIni(RecordSection("Files", {Ini(), Exe(), target_ / "data.bin", group_ / "Start.lnk"}) +
                     RecordSection("Folders", {target_.Path(), group_.Path()}));
    // An earlier uninstall's parked copy must survive too.
    ASSERT_TRUE(WriteFileBytes(ParkingPath(), "earlier"));
    ASSERT_TRUE(SetFileAttributesA(ParkingPath().c_str(), FILE_ATTRIBUTE_HIDDEN));
    const std::string iniBefore = FileBytes(Ini());
    const std::vector<std::string> targetBefore = FolderEntries(target_.Path());
    const std::vector<std::string> groupBefore = FolderEntries(group_.Path());
    const std::string tempFolder = ParkingPath().substr(0, ParkingPath().rfind('\\'));
    const std::vector<std::string> tempBefore = FolderEntries(tempFolder);

    HWND dialog = StartAndWaitForDialog(target_.Path());
    ASSERT_NE(dialog, nullptr);
    switch (GetParam().way) {
        case CancelWay::Button:
            ASSERT_TRUE(driver::PressButton(dialog, IDCANCEL));
            break;
        case CancelWay::EscapeKey:
            ASSERT_TRUE(driver::PressKey(dialog, VK_ESCAPE));
            break;
        case CancelWay::CloseBox:
            ASSERT_TRUE(driver::PressCloseBox(dialog));
            break;
    }
    // Any box (a question or a message) would keep the process from ending.
    DWORD status = 0xDEAD;
    ASSERT_TRUE(process_.WaitForExit(status)) << "the process did not end at once";
    EXPECT_EQ(status, 0u);

    EXPECT_EQ(FolderEntries(target_.Path()), targetBefore);
    EXPECT_EQ(FolderEntries(group_.Path()), groupBefore);
    EXPECT_EQ(FileBytes(Exe()), exeBytes_);
    EXPECT_EQ(FileBytes(Ini()), iniBefore);
    EXPECT_EQ(FileBytes(target_ / "data.bin"), kContents);
    EXPECT_EQ(FolderEntries(tempFolder), tempBefore);
    EXPECT_EQ(FileBytes(ParkingPath()), "earlier");
    EXPECT_EQ(AttributesOf(ParkingPath()) & FILE_ATTRIBUTE_HIDDEN, DWORD{FILE_ATTRIBUTE_HIDDEN});
}

INSTANTIATE_TEST_SUITE_P(Ways, UninstallCancelTest,
                         ::testing::Values(CancelCase{"CancelButton", CancelWay::Button},
                                           CancelCase{"EscapeKey", CancelWay::EscapeKey},
                                           CancelCase{"CloseBox", CancelWay::CloseBox}),
                         [](const ::testing::TestParamInfo<CancelCase>& info) { return info.param.name; });

TEST_F(UninstallTest, RecordWithAGapEndsAtTheGap) {
    for (const char* name : {"one.txt", "two.txt", "four.txt"}) {
        AddFile(target_ / name);
    }
    for (const char* name : {"f1", "f2", "f4"}) {
        AddFolder(target_ / name);
    }
    // The record names its own file in another letter case: still the same file.
    std::string ini = Ini();
    (void)CharUpperBuffA(&ini[0], static_cast<DWORD>(ini.size()));
    WriteStandardIni(NumberedSection("Files", {{1, ini}, {2, target_ / "one.txt"}, {3, target_ / "two.txt"},
                                               {5, target_ / "four.txt"}}) +
                     NumberedSection("Folders", {{1, target_ / "f1"}, {2, target_ / "f2"}, {4, target_ / "f4"}}));

    RunConfirmedWithStandardTexts();

    EXPECT_FALSE(PathExists(target_ / "one.txt"));
    EXPECT_FALSE(PathExists(target_ / "two.txt"));
    EXPECT_TRUE(PathExists(target_ / "four.txt"));
    EXPECT_FALSE(PathExists(target_ / "f1"));
    EXPECT_FALSE(PathExists(target_ / "f2"));
    EXPECT_TRUE(IsFolder(target_ / "f4"));
}

TEST_F(UninstallTest, MarkedFilesAndFoldersAreRemovedAllTheSame) {
    // Wine keeps no read-only mark on folders, so only a hidden one is tried.
    struct Marked {
        const char* name;
        DWORD attributes;
        bool folder;
    };
    const Marked marked[] = {
        {"read-only.txt", FILE_ATTRIBUTE_READONLY, false},
        {"hidden.txt", FILE_ATTRIBUTE_HIDDEN, false},
        {"system.txt", FILE_ATTRIBUTE_SYSTEM, false},
        {"all-three.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false},
        {"hidden-folder", FILE_ATTRIBUTE_HIDDEN, true},
    };
    std::vector<std::string> files = {Ini(), Exe()};
    std::vector<std::string> folders;
    // Shortcuts lie right in the group; a folder of the patch's, in the target folder.
    const auto placeOf = [this](const Marked& entry) { return entry.folder ? target_ / entry.name : group_ / entry.name; };
    for (const Marked& entry : marked) {
        const std::string path = placeOf(entry);
        if (entry.folder) {
            AddFolder(path);
            folders.push_back(path);
        } else {
            AddFile(path);
            files.push_back(path);
        }
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), entry.attributes));
        ASSERT_EQ(AttributesOf(path) & entry.attributes, entry.attributes) << entry.name;
    }
    folders.push_back(group_.Path());
    folders.push_back(target_.Path());
    WriteStandardIni(RecordSection("Files", files) + RecordSection("Folders", folders));

    RunConfirmedWithStandardTexts();

    for (const Marked& entry : marked) {
        EXPECT_FALSE(PathExists(placeOf(entry))) << entry.name;
    }
    EXPECT_FALSE(PathExists(group_.Path()));
    EXPECT_FALSE(PathExists(target_.Path()));
}

TEST_F(UninstallTest, FolderHoldingAFileOfTheUserStaysSilently) {
    AddFile(target_ / "data.bin");
    AddFile(target_ / "saved-by-the-user.dat");
    AddFile(group_ / "Start.lnk");
    // The user made a folder where a recorded file was: not the install's file.
    AddFolder(target_ / "notes");
    AddFile(target_ / "notes\\mine.txt");
    WriteStandardIni(
        RecordSection("Files", {Ini(), Exe(), target_ / "data.bin", target_ / "notes", group_ / "Start.lnk"}) +
        RecordSection("Folders", {target_.Path(), group_.Path()}));
    // An entry of that name that starts another program is not this patch's.
    const AppsEntry foreign = PlaceEarlierAppsEntry(target_.Path(), "\"C:\\Other\\Setup.exe\" -uninstall");

    RunConfirmedWithStandardTexts();
    EXPECT_EQ(AppsEntriesOf(target_.Path()), std::vector<AppsEntry>{foreign});

    EXPECT_EQ(FolderEntries(target_.Path()), (std::vector<std::string>{"notes", "saved-by-the-user.dat"}));
    EXPECT_EQ(FileBytes(target_ / "saved-by-the-user.dat"), kContents);
    EXPECT_FALSE(PathExists(group_.Path()));
}

TEST_F(UninstallTest, CopyParkedByAnEarlierUninstallIsReplaced) {
    ASSERT_TRUE(WriteFileBytes(ParkingPath(), "parked by an earlier uninstall"));
    ASSERT_TRUE(SetFileAttributesA(ParkingPath().c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    WriteStandardIni(RecordSection("Files", {Ini(), Exe()}) + RecordSection("Folders", {target_.Path()}));

    RunConfirmedWithStandardTexts();

    ExpectParkedHere();
    EXPECT_FALSE(PathExists(target_.Path()));
}

TEST_F(UninstallTest, MissingSetupIniIsRefusedWithTheBuiltInTexts) {
    EXPECT_TRUE(StartUninstall(process_, Exe(), elsewhere_.Path()));
    const ConfirmedRun run = FinishAtTheBox(process_);
    ASSERT_TRUE(run.boxShown) << "no box, or the dialog instead";
    EXPECT_EQ(run.box.caption, "Error");
    EXPECT_EQ(run.box.text, kNotInstalledText);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);

    // Nothing to go by, so nothing moves.
    EXPECT_EQ(FileBytes(Exe()), exeBytes_);
    EXPECT_FALSE(PathExists(ParkingPath()));
}

// A Setup.ini beside the executable that no install wrote (install always
// writes Mode "Run"): its Files name the patch's sources on a medium.
struct NotInstalledCase {
    const char* name;
    const char* setupIni;
    const char* caption;
    const char* text;
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const NotInstalledCase& scenario, std::ostream* out) {
    *out << scenario.name;
}

class UninstallRefusalTest : public UninstallTest, public ::testing::WithParamInterface<NotInstalledCase> {};

TEST_P(UninstallRefusalTest, RemovesAndMovesNothing) {
    AddFile(target_ / "GamePatch.exe");
    AddFile(target_ / "GamePatch.txt");
    ASSERT_TRUE(WriteFileBytes(Ini(), std::string(GetParam().setupIni) +
                                          RecordSection("Files", {"GamePatch.exe", "GamePatch.txt", Exe()}) +
                                          RecordSection("Folders", {target_.Path()})));
    const std::vector<std::string> before = FolderEntries(target_.Path());

    EXPECT_TRUE(StartUninstall(process_, Exe(), elsewhere_.Path()));
    const ConfirmedRun run = FinishAtTheBox(process_);
    ASSERT_TRUE(run.boxShown) << "no box, or the dialog instead";
    EXPECT_EQ(run.box.caption, GetParam().caption);
    EXPECT_EQ(run.box.text, GetParam().text);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);

    EXPECT_EQ(FolderEntries(target_.Path()), before);
    EXPECT_EQ(FileBytes(target_ / "GamePatch.exe"), kContents);
    EXPECT_EQ(FileBytes(Exe()), exeBytes_);
    EXPECT_FALSE(PathExists(ParkingPath()));
}

INSTANTIATE_TEST_SUITE_P(
    Files, UninstallRefusalTest,
    ::testing::Values(
        NotInstalledCase{"SourceFileOfAMedium", "[General]\r\nMode=\"Install\"\r\n[Text]\r\nErrorHeader=\"Medium\"\r\n",
                         "Medium", kNotInstalledText},
        NotInstalledCase{"NoMode", "[General]\r\nAppName=\"Demo\"\r\n", "Error", kNotInstalledText},
        NotInstalledCase{"ModeRunInLowercase", "[General]\r\nMode=\"run\"\r\n", "Error", kNotInstalledText},
        // A medium meant for "-install" whose file says Run: its Files are sources.
        NotInstalledCase{"ModeRunButFilesOfAMedium", "[General]\r\nMode=\"Run\"\r\n", "Error", kNotInstalledText},
        NotInstalledCase{"OwnText", "[General]\r\nMode=\"Install\"\r\n[Text]\r\nErrorNotInstalled=\"Not here\\nSorry\"\r\n",
                         "Error", "Not here\r\nSorry"}),
    [](const ::testing::TestParamInfo<NotInstalledCase>& info) { return std::string(info.param.name); });

// What keeps a recorded file from being deleted while the user is asked to
// close the patch's programs and try again.
enum class Holder { OpenWithoutLeaveToDelete, RunningProgram, RecordHeldOpen };

struct HolderCase {
    const char* name;
    Holder holder;
};

class UninstallHeldFileTest : public UninstallTest, public ::testing::WithParamInterface<HolderCase> {};

TEST_P(UninstallHeldFileTest, StopsBeforeAnythingChangesAndNamesTheFile) {
    const Holder holder = GetParam().holder;
    const std::string program = target_ / "GamePatch.exe";
    const std::string held = holder == Holder::RecordHeldOpen ? Ini() : program;
    // Marked before the held file is reached: its read-only mark must come back.
    AddFile(target_ / "data.bin");
    ASSERT_TRUE(SetFileAttributesA((target_ / "data.bin").c_str(), FILE_ATTRIBUTE_READONLY));
    AddFile(group_ / "Start.lnk");
    driver::ChildProcess running;
    if (holder == Holder::RunningProgram) {
        ASSERT_TRUE(testenv::CopyOneFile(testenv::HelpersDir() + "\\run_recorder.exe", program));
        ASSERT_TRUE(WriteFileBytes(program + ".sleep", "60000"));
        // Its record goes elsewhere, so that the target folder holds only what the test put there.
        EnvironmentGuard log("RECORDER_LOG", records_ / "recorder.log");
        ASSERT_TRUE(running.Start(program, "\"" + program + "\"", target_.Path()));
    } else {
        AddFile(program);
    }
    WriteStandardIni(RecordSection("Files", {Ini(), Exe(), target_ / "data.bin", program, group_ / "Start.lnk"}) +
                     RecordSection("Folders", {target_.Path(), group_.Path()}));
    HANDLE inUse = INVALID_HANDLE_VALUE;
    if (holder != Holder::RunningProgram) {
        inUse = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
        ASSERT_NE(inUse, INVALID_HANDLE_VALUE);
    }
    const std::string iniBefore = FileBytes(Ini());
    const std::vector<std::string> targetBefore = FolderEntries(target_.Path());
    const AppsEntry entry = PlaceEarlierAppsEntry(target_.Path(), "\"" + Exe() + "\" -uninstall");

    HWND dialog = StartAndWaitForDialog(elsewhere_.Path());
    ASSERT_NE(dialog, nullptr);
    ConfirmedRun run = ConfirmAndFinish(process_, dialog);
    if (inUse != INVALID_HANDLE_VALUE) {
        (void)CloseHandle(inUse);
    }
    running.Kill();
    ASSERT_TRUE(run.boxShown);
    EXPECT_EQ(run.box.caption, "Problem");
    // A running program is named after its file: here the file itself.
    const std::string holderLine = holder == Holder::RunningProgram ? "\r\n" + held : std::string();
    EXPECT_EQ(run.box.text, std::string(kFilesStayedText) + "\r\n\r\n" + held + holderLine);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);

    // A second try finds everything as it was, after the process is gone: the
    // record, the shortcut, the executable, a read-only file still read-only.
    EXPECT_EQ(FolderEntries(target_.Path()), targetBefore);
    EXPECT_EQ(FileBytes(Ini()), iniBefore);
    EXPECT_EQ(FileBytes(Exe()), exeBytes_);
    EXPECT_EQ(FileBytes(group_ / "Start.lnk"), kContents);
    EXPECT_EQ(AttributesOf(target_ / "data.bin") & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY});
    (void)SetFileAttributesA((target_ / "data.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(PathExists(ParkingPath()));
    // Still listed, so that the user can try again from Settings.
    EXPECT_EQ(AppsEntriesOf(target_.Path()), std::vector<AppsEntry>{entry});
}

INSTANTIATE_TEST_SUITE_P(Holders, UninstallHeldFileTest,
                         ::testing::Values(HolderCase{"OpenWithoutLeaveToDelete", Holder::OpenWithoutLeaveToDelete},
                                           HolderCase{"RunningProgram", Holder::RunningProgram},
                                           // The record goes last, by itself; the other marks are taken back.
                                           HolderCase{"RecordHeldOpen", Holder::RecordHeldOpen}),
                         [](const ::testing::TestParamInfo<HolderCase>& info) { return info.param.name; });

// A record edited to name what no install of the patch makes: a file or a
// folder elsewhere, or a relative path out of the own folder. Nothing of it
// goes, nor anything else.
enum class OffGround { FileElsewhere, RelativeFileOutside, FolderElsewhere, FileInAGroupsSubfolder };

class UninstallOffGroundTest : public UninstallTest, public ::testing::WithParamInterface<OffGround> {};

TEST_P(UninstallOffGroundTest, RefusesAndRemovesNothing) {
    AddFile(target_ / "data.bin");
    AddFile(elsewhere_ / "victim.dll");
    AddFolder(elsewhere_ / "keepdir");
    AddFolder(group_ / "sub");
    AddFile(group_ / "sub\\deep.lnk");
    // Beside the target folder, both in the temporary folder.
    const std::string besideTarget = "..\\" + elsewhere_.Path().substr(elsewhere_.Path().rfind('\\') + 1);
    std::vector<std::string> files = {Ini(), Exe(), target_ / "data.bin"};
    std::vector<std::string> folders = {target_.Path()};
    std::string named;
    switch (GetParam()) {
        case OffGround::FileElsewhere:
            named = elsewhere_ / "victim.dll";
            files.push_back(named);
            break;
        case OffGround::RelativeFileOutside:
            files.push_back(besideTarget + "\\victim.dll");
            named = elsewhere_ / "victim.dll";
            break;
        case OffGround::FolderElsewhere:
            named = elsewhere_ / "keepdir";
            folders.push_back(named);
            break;
        case OffGround::FileInAGroupsSubfolder:
            named = group_ / "sub\\deep.lnk";
            files.push_back(named);
            break;
    }
    WriteStandardIni(RecordSection("Files", files) + RecordSection("Folders", folders));

    HWND dialog = StartAndWaitForDialog(elsewhere_.Path());
    ASSERT_NE(dialog, nullptr);
    const ConfirmedRun run = ConfirmAndFinish(process_, dialog);
    ASSERT_TRUE(run.boxShown);
    EXPECT_EQ(run.box.caption, "Problem");
    EXPECT_EQ(run.box.text.substr(0, std::string(kFilesStayedText).size()), kFilesStayedText);
    EXPECT_NE(run.box.text.find(named.substr(named.rfind('\\'))), std::string::npos) << run.box.text;
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);
    EXPECT_EQ(FileBytes(elsewhere_ / "victim.dll"), kContents);
    EXPECT_TRUE(IsFolder(elsewhere_ / "keepdir"));
    EXPECT_EQ(FileBytes(group_ / "sub\\deep.lnk"), kContents);
    EXPECT_EQ(FileBytes(target_ / "data.bin"), kContents);
    EXPECT_EQ(FileBytes(Exe()), exeBytes_);
}

INSTANTIATE_TEST_SUITE_P(Entries, UninstallOffGroundTest,
                         ::testing::Values(OffGround::FileElsewhere, OffGround::RelativeFileOutside,
                                           OffGround::FolderElsewhere, OffGround::FileInAGroupsSubfolder));

// An install into the folder was killed half-way: its installed Setup.ini
// may be half written, or an earlier one, and only the medium's start puts
// the folder right.
TEST_F(UninstallTest, BesideTheJournalOfAKilledInstallItChangesNothing) {
    AddFile(target_ / "data.bin");
    WriteStandardIni(RecordSection("Files", {Ini(), Exe(), target_ / "data.bin"}) +
                     RecordSection("Folders", {target_.Path()}));
    const std::string journal = target_.Path() + ".install-journal";
    FileRemover removeJournal(journal);
    AddFile(journal);
    const std::vector<std::string> before = FolderEntries(target_.Path());

    EXPECT_TRUE(StartUninstall(process_, Exe(), elsewhere_.Path()));
    const ConfirmedRun run = FinishAtTheBox(process_);
    ASSERT_TRUE(run.boxShown) << "no box, or the dialog instead";
    EXPECT_EQ(run.box.caption, "Problem");
    EXPECT_EQ(run.box.text,
              "The last setup of this patch was interrupted.\r\nStart the setup from the disc again to set it right.");
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);
    EXPECT_EQ(FolderEntries(target_.Path()), before);
    EXPECT_EQ(FileBytes(Exe()), exeBytes_);
}

TEST_F(UninstallTest, RelativeRecordEntriesMeanTheOwnFolder) {
    // A name unlikely to clash with anything else in the shared temporary folder.
    const std::string relative = "relative-entry-" + std::to_string(GetCurrentProcessId());
    AddFolder(target_ / relative);
    AddFile(target_ / relative + "\\data.txt");
    // The same empty folder in the temporary folder, where the parked
    // executable lies, must not be mistaken for it.
    const std::string tempTwin = ParkingPath().substr(0, ParkingPath().rfind('\\') + 1) + relative;
    AddFolder(tempTwin);
    WriteStandardIni(RecordSection("Files", {"Setup.ini", "Setup.exe", relative + "\\data.txt"}) +
                     RecordSection("Folders", {relative, target_.Path()}));

    RunConfirmedWithStandardTexts();
    const bool twinKept = IsFolder(tempTwin);
    (void)RemoveDirectoryA(tempTwin.c_str());

    EXPECT_FALSE(PathExists(target_.Path())) << testenv::FolderEntries(target_.Path()).size() << " entries left";
    EXPECT_TRUE(twinKept) << "a folder of the temporary folder was removed";
}

// A temporary folder (from TMP and TEMP) of this many characters can't be taken.
struct TempCase {
    const char* name;
    std::size_t tempPathLength;
};

class UninstallWithoutTempFolderTest : public UninstallTest, public ::testing::WithParamInterface<TempCase> {};

TEST_P(UninstallWithoutTempFolderTest, StopsBeforeAnythingChangesAndNamesTheExecutable) {
    // Taken now: with the variables below this process has no temporary folder either.
    const std::string parkingPath = ParkingPath();
    ASSERT_TRUE(WriteFileBytes(parkingPath, "earlier"));
    AddFile(target_ / "data.bin");
    AddFile(group_ / "Start.lnk");
    WriteStandardIni(RecordSection("Files", {Ini(), Exe(), target_ / "data.bin", group_ / "Start.lnk"}) +
                     RecordSection("Folders", {group_.Path()}));
    const std::string iniBefore = FileBytes(Ini());
    // An earlier parked copy must not be touched when there is nowhere to park.
    // The child inherits these; the temporary folder is taken from them first.
    const std::string tooLong = "C:\\" + std::string(GetParam().tempPathLength - 3, 'x');
    EnvironmentGuard tmp("TMP", tooLong);
    EnvironmentGuard temp("TEMP", tooLong);

    HWND dialog = StartAndWaitForDialog(elsewhere_.Path());
    ASSERT_NE(dialog, nullptr);
    ConfirmedRun run = ConfirmAndFinish(process_, dialog);
    ASSERT_TRUE(run.boxShown);
    // The running executable can't delete itself where it lies.
    EXPECT_EQ(run.box.caption, "Problem");
    EXPECT_EQ(run.box.text, std::string(kFilesStayedText) + "\r\n\r\n" + Exe());
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);

    EXPECT_EQ(FileBytes(Exe()), exeBytes_);
    EXPECT_EQ(FileBytes(target_ / "data.bin"), kContents);
    EXPECT_EQ(FileBytes(Ini()), iniBefore);
    EXPECT_EQ(FileBytes(group_ / "Start.lnk"), kContents);
    EXPECT_EQ(FileBytes(parkingPath), "earlier");
}

INSTANTIATE_TEST_SUITE_P(Lengths, UninstallWithoutTempFolderTest,
                         ::testing::Values(TempCase{"BeyondTheLimit", 256}, TempCase{"BeyondThePlatform", 300}),
                         [](const ::testing::TestParamInfo<TempCase>& info) { return info.param.name; });

}  // namespace
}  // namespace uninstalltest
