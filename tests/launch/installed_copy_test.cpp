// The road of a patch: install from a medium, start the installed copy
// without arguments from its target folder (it must find the disc and run its
// programs from there), then remove it again. Runs with the drives of the
// CdDrives configuration. The rows put the folders that the system hands
// over under names that the ANSI code page can't hold: best fitted, such a
// path would name another folder, or none.

#include <shlobj.h>

#include <algorithm>
#include <memory>

#include "launch_test_env.h"
#include "setupfile/code_page.h"

namespace {

using launchtest::IniText;
using launchtest::SamePath;
using recorder::Event;
using recorder::IndexOf;
using recorder::ValueOf;
using testenv::kForeignName;
using testenv::WideFromUtf8;

using testenv::kCurrentVersionKey;
using testenv::kProgramFilesValue;
const char kTargetName[] = "Launch Target";
const char kSuccessText[] = "Patch process completed";
const char kRemovedText[] = "Patch removed";
const char kParkingName[] = "_$_Morvelan_Remove_Me_$_";
const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const char kProgramsValue[] = "Programs";

// The folders that a row names outside the code page.
enum ForeignFolder : unsigned {
    kNoForeignFolder = 0,
    kForeignPrograms = 1,
    kForeignTemp = 2,
    kForeignProgramFiles = 4,
    kForeignMedium = 8,
    kEveryFolderForeign = 15,
};

struct RoadCase {
    const char* name;
    unsigned foreign;
};

// Sets an environment variable of this process, which the programs it starts
// inherit, and puts the old value back when the object goes.
class WideVariable {
public:
    WideVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
        wchar_t old[MAX_PATH + 1] = L"";
        const DWORD length = GetEnvironmentVariableW(name, old, MAX_PATH + 1);
        existed_ = length > 0 && length <= MAX_PATH;
        old_.assign(old, existed_ ? length : 0);
        (void)SetEnvironmentVariableW(name, value.c_str());
    }
    ~WideVariable() { (void)SetEnvironmentVariableW(name_, existed_ ? old_.c_str() : nullptr); }
    WideVariable(const WideVariable&) = delete;
    WideVariable& operator=(const WideVariable&) = delete;

private:
    const wchar_t* name_;
    bool existed_ = false;
    std::wstring old_;
};

class CdDrivesInstalled : public launchtest::LaunchTest, public ::testing::WithParamInterface<RoadCase> {
protected:
    void SetUp() override {
        ASSERT_EQ(launchtest::CdDrives().size(), 3u) << "run through with_cd_drives.sh";
        LaunchTest::SetUp();
        appName_ = "Launch Test Patch " + std::to_string(GetCurrentProcessId());
        const unsigned foreign = GetParam().foreign;
        programFiles_ = Place(programFilesBase_, foreign & kForeignProgramFiles);
        medium_ = Place(mediumBase_, foreign & kForeignMedium);
        ASSERT_TRUE(programFilesDir_.SetWideString(WideFromUtf8(programFiles_)));
        if (foreign & kForeignPrograms) {
            ASSERT_TRUE(programs_.SetWideString(WideFromUtf8(Place(programsBase_, true)), REG_EXPAND_SZ));
        }
        if (foreign & kForeignTemp) {
            const std::wstring temp = WideFromUtf8(Place(tempBase_, true));
            tmp_ = std::make_unique<WideVariable>(L"TMP", temp);
            temp_ = std::make_unique<WideVariable>(L"TEMP", temp);
        }
        const std::string programs = testenv::ProgramsFolder();
        ASSERT_FALSE(programs.empty());
        groupFolder_ = programs + "\\" + appName_;
    }

    void TearDown() override {
        LaunchTest::TearDown();
        testenv::RemoveTree(groupFolder_);
        testenv::RemoveTree(TemporaryFolder() + kParkingName);
    }

    // `base` itself, or a folder of the foreign name in it.
    static std::string Place(const testenv::ScratchFolder& base, bool foreign) {
        if (!foreign) {
            return base.Path();
        }
        const std::string folder = base / kForeignName;
        EXPECT_TRUE(CreateDirectoryW(WideFromUtf8(folder).c_str(), nullptr)) << folder;
        return folder;
    }

    // The temporary folder as the programs started now see it.
    static std::string TemporaryFolder() {
        wchar_t temp[MAX_PATH + 1] = L"";
        const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
        return testenv::Utf8FromWide(std::wstring(temp, length <= MAX_PATH ? length : 0));
    }

    // Starts `exe` with `arguments` in `folder`, confirms its dialog and the
    // box that follows, which must say `expectedText`; ends with status 0.
    void ConfirmRun(const std::string& exe, const std::string& arguments, const std::string& folder,
                    const char* expectedText) {
        driver::ChildProcess process;
        ASSERT_TRUE(process.Start(exe, testenv::CommandLineFor(exe, arguments), folder));
        HWND dialog = driver::WaitForSetupDialog(process.Id());
        ASSERT_NE(dialog, nullptr) << "no setup dialog";
        ASSERT_TRUE(driver::PressButton(dialog, IDOK));
        // The dialog's picture has the id of a box's text: wait for it to go first.
        ASSERT_TRUE(driver::WaitForWindowGone(dialog));
        HWND box = driver::WaitForMessageBox(process.Id());
        ASSERT_NE(box, nullptr) << "no box after the dialog";
        EXPECT_EQ(driver::ReadMessageBox(box).text, expectedText);
        ASSERT_TRUE(driver::PressButton(box, IDOK));
        DWORD status = 1;
        ASSERT_TRUE(process.WaitForExit(status));
        ASSERT_EQ(status, 0u);
    }

    // The record of the installed Setup.ini, each entry as the path it names.
    std::vector<std::wstring> RecordedPaths(const wchar_t* section) const {
        std::vector<std::wstring> paths;
        const std::wstring ini = WideFromUtf8(TargetFolder() + "\\Setup.ini");
        for (int number = 1;; ++number) {
            wchar_t value[MAX_PATH * 4] = L"";
            if (GetPrivateProfileStringW(section, std::to_wstring(number).c_str(), L"", value, MAX_PATH * 4,
                                         ini.c_str()) == 0) {
                return paths;
            }
            // What the program reads of the file: the value in the code page.
            std::string ansi;
            EXPECT_TRUE(ExactAnsiFrom(value, ansi));
            paths.push_back(PathOfRecordValue(ansi));
        }
    }

    std::string TargetFolder() const { return programFiles_ + "\\" + kTargetName; }

    testenv::ScratchFolder mediumBase_{"medium"};
    testenv::ScratchFolder programFilesBase_{"pf"};
    testenv::ScratchFolder programsBase_{"programs"};
    testenv::ScratchFolder tempBase_{"temp"};
    std::string medium_;
    std::string programFiles_;
    std::string groupFolder_;
    testenv::RegistryValueGuard programFilesDir_{HKEY_LOCAL_MACHINE, kCurrentVersionKey, kProgramFilesValue};
    testenv::RegistryValueGuard programs_{HKEY_CURRENT_USER, kShellFoldersKey, kProgramsValue};
    std::unique_ptr<WideVariable> tmp_;
    std::unique_ptr<WideVariable> temp_;
    std::string appName_;
};

TEST_P(CdDrivesInstalled, TheInstalledCopyRunsItsProgramsFromTheDiscAndIsRemovedWhole) {
    testenv::PrepareMedium(medium_, IniText({"[General]", "Mode=\"Install\"", ("AppName=\"" + appName_ + "\"").c_str(),
                                             "TargetFolder=\"Launch Target\"", "Volume=\"patchdisc\"",
                                             "Execute=\"prog.exe\"", "WaitExecute=\"1\"", "ExecuteCD=\"game.exe\"",
                                             "WaitExecuteCD=\"1\"", "[PreloadDLLs]", "1=\"one.dll\"", "[Files]",
                                             "1=\"prog.exe\"", "2=\"one.dll\""}));
    PutProgram(medium_ + "\\prog.exe");
    PutLibrary(medium_ + "\\one.dll");
    PutProgram("E:\\game.exe");
    PutProgram("F:\\game.exe");
    ConfirmRun(medium_ + "\\Setup.exe", "", medium_, kSuccessText);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(Events().empty()) << "the install started or loaded something";

    // The group lies where the shell says the Programs folder is, and the
    // record names every real path.
    const std::string target = TargetFolder();
    const std::vector<std::string> files = {target + "\\Setup.ini", target + "\\Setup.exe", target + "\\prog.exe",
                                            target + "\\one.dll", groupFolder_ + "\\.lnk", groupFolder_ + "\\.lnk",
                                            groupFolder_ + "\\.lnk"};
    std::vector<std::wstring> expectedFiles;
    for (const std::string& file : files) {
        EXPECT_TRUE(testenv::PathExists(file)) << file;
        expectedFiles.push_back(WideFromUtf8(file));
    }
    EXPECT_TRUE(RecordedPaths(L"Files") == expectedFiles);
    EXPECT_TRUE(RecordedPaths(L"Folders") ==
                (std::vector<std::wstring>{WideFromUtf8(target), WideFromUtf8(groupFolder_)}));

    const launchtest::LaunchResult result = RunLauncher(target + "\\Setup.exe", target);
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
    EXPECT_TRUE(SamePath(events[order[0]].module, target + "\\one.dll")) << events[order[0]].module;
    ASSERT_GE(order[1], 0);
    EXPECT_TRUE(SamePath(events[order[1]].module, target + "\\prog.exe")) << events[order[1]].module;
    EXPECT_EQ(ValueOf(events, "prog.exe", "folder"), "E:\\");
    ASSERT_GE(order[3], 0);
    EXPECT_TRUE(SamePath(events[order[3]].module, "E:\\game.exe")) << events[order[3]].module;
    EXPECT_EQ(ValueOf(events, "game.exe", "folder"), "E:\\");

    // The medium's own Setup.exe in run mode takes the program beside it.
    testenv::ScratchFolder start("runstart");
    const launchtest::LaunchResult fromMedium =
        Launch(IniText({"[General]", "Execute=\"prog.exe\"", "WaitExecute=\"1\""}), start.Path(),
               medium_ + "\\Setup.exe");
    ASSERT_TRUE(fromMedium.ended);
    EXPECT_EQ(fromMedium.status, 0u);
    const std::string mediumProgram = medium_ + "\\prog.exe";
    EXPECT_TRUE(std::any_of(fromMedium.eventsAtEnd.begin(), fromMedium.eventsAtEnd.end(), [&](const Event& event) {
        return event.field == "started" && SamePath(event.module, mediumProgram);
    })) << "the medium's program did not start";

    std::string exeBytes;
    ASSERT_TRUE(testenv::ReadFileBytes(target + "\\Setup.exe", exeBytes));
    ConfirmRun(target + "\\Setup.exe", "-uninstall", target, kRemovedText);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_FALSE(testenv::PathExists(target)) << target;
    EXPECT_FALSE(testenv::PathExists(groupFolder_)) << groupFolder_;
    std::string parked;
    EXPECT_TRUE(testenv::ReadFileBytes(TemporaryFolder() + kParkingName, parked)) << TemporaryFolder();
    EXPECT_TRUE(parked == exeBytes) << "the parked file is not the installed Setup.exe";
}

INSTANTIATE_TEST_SUITE_P(Folders, CdDrivesInstalled,
                         ::testing::Values(RoadCase{"AllInTheCodePage", kNoForeignFolder},
                                           RoadCase{"ProgramsFolderOutsideIt", kForeignPrograms},
                                           RoadCase{"TemporaryFolderOutsideIt", kForeignTemp},
                                           RoadCase{"ProgramFilesOutsideIt", kForeignProgramFiles},
                                           RoadCase{"MediumOutsideIt", kForeignMedium},
                                           RoadCase{"EveryFolderOutsideIt", kEveryFolderForeign}),
                         [](const ::testing::TestParamInfo<RoadCase>& info) { return std::string(info.param.name); });

}  // namespace
