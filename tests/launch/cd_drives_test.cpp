// Run mode against simulated CD-ROM drives, as with_cd_drives.sh makes them
// for this configuration: D: without a disc, E: labelled "PATCHDISC" and F:
// labelled "PatchDisc". Each test puts the programs and libraries it needs
// on the discs and beside the launcher; a recorder program tells where it
// ran from, in which folder, with which command line and flags.

#include <algorithm>

#include "launch_test_env.h"

namespace {

using launchtest::IniText;
using launchtest::SamePath;
using recorder::Event;
using recorder::IndexOf;
using recorder::ValueOf;

// A program that sleeps this long is still running well after a launcher
// that doesn't wait for it has ended.
constexpr DWORD kLongRunMs = 1500;
const char kForceOnFeedback[] = "64";  // STARTF_FORCEONFEEDBACK

class CdDrives : public launchtest::LaunchTest {
protected:
    void SetUp() override {
        const std::vector<launchtest::CdDrive> drives = launchtest::CdDrives();
        std::string seen;
        for (const launchtest::CdDrive& drive : drives) {
            seen += drive.root + "\"" + drive.label + "\" ";
        }
        ASSERT_EQ(seen, "D:\\\"\" E:\\\"PATCHDISC\" F:\\\"PatchDisc\" ")
            << "run through with_cd_drives.sh with the drives d=- e=PATCHDISC f=PatchDisc";
        LaunchTest::SetUp();
    }

    int Starts(const std::vector<Event>& events) const {
        return static_cast<int>(
            std::count_if(events.begin(), events.end(), [](const Event& event) { return event.field == "started"; }));
    }
};

// Where each program ran from and in which folder.
struct RunCheck {
    std::string program;  // its full path
    std::string folder;   // its current directory
};

void ExpectRuns(const std::vector<Event>& events, const std::vector<RunCheck>& runs) {
    std::vector<std::string> started;
    for (const Event& event : events) {
        if (event.field == "started") {
            started.push_back(event.module);
        }
    }
    ASSERT_EQ(started.size(), runs.size());
    for (size_t i = 0; i < runs.size(); ++i) {
        EXPECT_TRUE(SamePath(started[i], runs[i].program)) << started[i] << " ran, not " << runs[i].program;
        const std::string name = recorder::ModuleName(runs[i].program);
        EXPECT_EQ(ValueOf(events, name, "folder"), runs[i].folder) << name;
    }
}

TEST_F(CdDrives, WithoutVolumeAndExecuteCDTheFirstCdRomDriveIsTakenEvenWithoutADisc) {
    PutProgram(InLauncherFolder("prog.exe"));
    const launchtest::LaunchResult result =
        Launch(IniText({"[General]", "Execute=\"prog.exe\"", "WaitExecute=\"1\""}));
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.status, 0u);
    // D: without a disc can't be made current, so the program starts in the
    // launcher's folder; had E: or F: been taken, it would start there.
    ExpectRuns(result.eventsAtEnd, {{InLauncherFolder("prog.exe"), LauncherFolder().Path()}});
}

// Volume against the labels "" (D:), "PATCHDISC" (E:) and "PatchDisc" (F:).
struct VolumeCase {
    const char* name;
    const char* volumeLine;
    const char* acceptedRoot;  // null: no drive qualifies
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const VolumeCase& scenario, std::ostream* out) {
    *out << scenario.name;
}

class CdDrivesVolume : public CdDrives, public ::testing::WithParamInterface<VolumeCase> {};

TEST_P(CdDrivesVolume, PicksTheLowestDriveWhoseLabelMatches) {
    const VolumeCase& scenario = GetParam();
    PutProgram(InLauncherFolder("prog.exe"));
    const std::string setupIni = IniText({"[General]", scenario.volumeLine, "Execute=\"prog.exe\"", "WaitExecute=\"1\""});
    if (scenario.acceptedRoot == nullptr) {
        const launchtest::BoxResult result = LaunchUntilBox(setupIni);
        ASSERT_TRUE(result.shown);
        EXPECT_EQ(result.box.text, "The CD could not be located");
        ASSERT_TRUE(result.ended);
        EXPECT_EQ(result.status, 0xFFFFFFFFu);
        EXPECT_EQ(Starts(result.eventsAtEnd), 0);
        return;
    }
    const launchtest::LaunchResult result = Launch(setupIni);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.status, 0u);
    ExpectRuns(result.eventsAtEnd, {{InLauncherFolder("prog.exe"), scenario.acceptedRoot}});
}

const VolumeCase kVolumeCases[] = {
    // E: and F: both match once A to Z are folded: the lower letter wins, and
    // the empty drive D:, lower still, fails the label test.
    {"AllLowercase", "Volume=\"patchdisc\"", "E:\\"},
    {"ExactlyAsOnTheHigherDrive", "Volume=\"PatchDisc\"", "E:\\"},
    {"ExactlyAsOnTheLowerDrive", "Volume=\"PATCHDISC\"", "E:\\"},
    {"OtherLabel", "Volume=\"PATCHDISK\"", nullptr},
    {"LabelWithATrailingSpace", "Volume=\"PATCHDISC \"", nullptr},
    {"PartOfTheLabel", "Volume=\"PATCH\"", nullptr},
};

INSTANTIATE_TEST_SUITE_P(Labels, CdDrivesVolume, ::testing::ValuesIn(kVolumeCases),
                         [](const ::testing::TestParamInfo<VolumeCase>& info) { return std::string(info.param.name); });

TEST_F(CdDrives, AnExecuteCDThatNamesAFolderRejectsTheDrive) {
    PutFolder("E:\\bin\\game.exe");
    PutProgram("F:\\bin\\game.exe");
    const launchtest::LaunchResult result =
        Launch(IniText({"[General]", "ExecuteCD=\"bin\\game.exe\"", "WaitExecuteCD=\"1\""}));
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.status, 0u);
    ExpectRuns(result.eventsAtEnd, {{"F:\\bin\\game.exe", "F:\\"}});
}

TEST_F(CdDrives, OfTwoDiscsWithTheProgramTheLowerLetterWins) {
    PutProgram("E:\\game.exe");
    PutProgram("F:\\game.exe");
    const launchtest::LaunchResult result =
        Launch(IniText({"[General]", "ExecuteCD=\"game.exe\"", "WaitExecuteCD=\"1\""}));
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.status, 0u);
    ExpectRuns(result.eventsAtEnd, {{"E:\\game.exe", "E:\\"}});
}

TEST_F(CdDrives, ProgramsStartFromTheLauncherFolderAndTheDiscWithTheCdRootCurrent) {
    // Started from another folder, which holds the settings, so that neither
    // the start folder nor the CD root can pass for the launcher's folder.
    testenv::ScratchFolder start("start");
    PutProgram(start / "prog.exe");
    PutProgram("E:\\prog.exe");
    PutProgram(InLauncherFolder("prog.exe"));
    PutProgram("E:\\game.exe");
    PutProgram(start / "game.exe");
    const launchtest::LaunchResult result = Launch(IniText({"[General]", "Volume=\"PATCHDISC\"",
                                                            "Execute=\"prog.exe\"", "WaitExecute=\"1\"",
                                                            "ExecuteCD=\"game.exe\"", "WaitExecuteCD=\"1\""}),
                                                   start.Path());
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.status, 0u);
    const std::vector<Event>& events = result.eventsAtEnd;
    ExpectRuns(events, {{InLauncherFolder("prog.exe"), "E:\\"}, {"E:\\game.exe", "E:\\"}});
    for (const char* program : {"prog.exe", "game.exe"}) {
        const std::string commandLine = ValueOf(events, program, "commandline");
        EXPECT_EQ(recorder::ArgumentsOf(commandLine), "") << commandLine;
        EXPECT_NE(recorder::ModuleName(commandLine).find(program), std::string::npos) << commandLine;
        EXPECT_EQ(ValueOf(events, program, "flags"), kForceOnFeedback) << program;
    }
    // Waiting for the first program comes before the second start.
    EXPECT_LT(IndexOf(events, "prog.exe", "ended"), IndexOf(events, "game.exe", "started"));
}

TEST_F(CdDrives, AnEmptyExecuteStartsOnlyTheDiscProgram) {
    PutProgram(InLauncherFolder("prog.exe"));
    PutProgram("E:\\game.exe");
    const launchtest::LaunchResult result = Launch(
        IniText({"[General]", "Volume=\"PATCHDISC\"", "Execute=", "WaitExecute=\"1\"", "ExecuteCD=\"game.exe\"",
                 "WaitExecuteCD=\"1\""}));
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.status, 0u);
    ExpectRuns(result.eventsAtEnd, {{"E:\\game.exe", "E:\\"}});
}

// Each wait setting, with the other one set to "1" so that mixing them up shows.
struct WaitCase {
    const char* name;
    bool onDisc;           // the program is ExecuteCD, else Execute
    const char* waitLine;  // the wait setting of that program
    bool waits;
    bool firstThreadEnds = false;  // the program runs on after its first thread
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const WaitCase& scenario, std::ostream* out) {
    *out << scenario.name;
}

class CdDrivesWait : public CdDrives, public ::testing::WithParamInterface<WaitCase> {};

TEST_P(CdDrivesWait, TheLauncherWaitsOnlyForExactlyOne) {
    const WaitCase& scenario = GetParam();
    std::string setupIni;
    std::string program;
    if (scenario.onDisc) {
        program = "E:\\game.exe";
        setupIni = IniText({"[General]", "Volume=\"PATCHDISC\"", "WaitExecute=\"1\"", "ExecuteCD=\"game.exe\"",
                            scenario.waitLine});
    } else {
        program = InLauncherFolder("prog.exe");
        setupIni = IniText({"[General]", "Volume=\"PATCHDISC\"", "Execute=\"prog.exe\"", scenario.waitLine,
                            "WaitExecuteCD=\"1\""});
    }
    PutProgram(program, kLongRunMs);
    if (scenario.firstThreadEnds) {
        DetachFirstThread(program);
    }
    const launchtest::LaunchResult result = Launch(setupIni);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.status, 0u);
    const std::string name = recorder::ModuleName(program);
    EXPECT_EQ(IndexOf(result.eventsAtEnd, name, "ended") >= 0, scenario.waits)
        << (scenario.waits ? "the launcher ended before its program" : "the launcher waited for its program");
    // Started either way.
    EXPECT_TRUE(recorder::WaitForEvent(RecordFile(), name, "ended", launchtest::kProgramTimeoutMs));
}

const WaitCase kWaitCases[] = {
    {"ExecuteOne", false, "WaitExecute=\"1\"", true},
    {"ExecuteEmpty", false, "WaitExecute=", false},
    {"ExecuteZeroOne", false, "WaitExecute=\"01\"", false},
    {"ExecuteYes", false, "WaitExecute=\"yes\"", false},
    {"ExecuteSpaceOne", false, "WaitExecute=\" 1\"", false},
    {"ExecuteCDOne", true, "WaitExecuteCD=\"1\"", true},
    {"ExecuteCDEmpty", true, "WaitExecuteCD=", false},
    {"ExecuteCDZeroOne", true, "WaitExecuteCD=\"01\"", false},
    {"ExecuteCDYes", true, "WaitExecuteCD=\"yes\"", false},
    // The wait is for the program, not for its first thread.
    {"ExecuteOneFirstThreadEndsEarly", false, "WaitExecute=\"1\"", true, true},
    {"ExecuteCDOneFirstThreadEndsEarly", true, "WaitExecuteCD=\"1\"", true, true},
};

INSTANTIATE_TEST_SUITE_P(Values, CdDrivesWait, ::testing::ValuesIn(kWaitCases),
                         [](const ::testing::TestParamInfo<WaitCase>& info) { return std::string(info.param.name); });

TEST_F(CdDrives, LibrariesAreLoadedBeforeTheStartsAndFreedInLoadOrderAfterTheWaits) {
    // The names are found in the start folder, current only until the starts.
    testenv::ScratchFolder start("start");
    PutLibrary(start / "one.dll");
    PutLibrary(start / "two.dll");
    PutLibrary(start / "four.dll");
    PutProgram(InLauncherFolder("prog.exe"));
    PutProgram("E:\\game.exe");
    const launchtest::LaunchResult result = Launch(
        IniText({"[General]", "Volume=\"PATCHDISC\"", "Execute=\"prog.exe\"", "WaitExecute=\"1\"",
                 "ExecuteCD=\"game.exe\"", "WaitExecuteCD=\"1\"", "[PreloadDLLs]", "1=\"one.dll\"", "2=\"two.dll\"",
                 "4=\"four.dll\""}),
        start.Path());
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.status, 0u);
    const std::vector<Event>& events = result.eventsAtEnd;
    const int order[] = {
        IndexOf(events, "one.dll", "load"),     IndexOf(events, "two.dll", "load"),
        IndexOf(events, "prog.exe", "started"), IndexOf(events, "prog.exe", "ended"),
        IndexOf(events, "game.exe", "started"), IndexOf(events, "game.exe", "ended"),
        IndexOf(events, "one.dll", "unload"),   IndexOf(events, "two.dll", "unload"),
    };
    EXPECT_GE(order[0], 0);
    EXPECT_TRUE(std::is_sorted(std::begin(order), std::end(order)))
        << "one load " << order[0] << ", two load " << order[1] << ", prog " << order[2] << "-" << order[3]
        << ", game " << order[4] << "-" << order[5] << ", one unload " << order[6] << ", two unload " << order[7];
    EXPECT_EQ(IndexOf(events, "four.dll", "load"), -1) << "the list ends before the gap";
    // The launcher loads them with critical-error boxes turned off.
    EXPECT_EQ(std::stoul(ValueOf(events, "one.dll", "errormode")) & SEM_FAILCRITICALERRORS,
              static_cast<unsigned long>(SEM_FAILCRITICALERRORS));
}

// Where an entry of PreloadDLLs is taken from: the launcher's folder before
// the start folder, a relative path under either, a full path as it is.
struct PreloadCase {
    const char* name;
    const char* entry;  // "<start>" stands for the start folder
    bool inLauncherFolder;
    const char* inStartFolder;  // relative path of a copy there, or null
    const char* loadedFrom;     // "<launcher>" or "<start>" and the rest of the path
};

void PrintTo(const PreloadCase& scenario, std::ostream* out) {
    *out << scenario.name;
}

std::string Expand(std::string text, const std::string& launcher, const std::string& start) {
    for (const auto& [mark, folder] : {std::pair<std::string, std::string>{"<launcher>", launcher}, {"<start>", start}}) {
        const std::size_t at = text.find(mark);
        if (at != std::string::npos) {
            text.replace(at, mark.size(), folder);
        }
    }
    return text;
}

class CdDrivesPreload : public CdDrives, public ::testing::WithParamInterface<PreloadCase> {};

TEST_P(CdDrivesPreload, TakesTheLibraryFromWhereTheLoaderFoundItBefore) {
    const PreloadCase& scenario = GetParam();
    testenv::ScratchFolder start("start");
    if (scenario.inLauncherFolder) {
        PutLibrary(InLauncherFolder("fix.dll"));
    }
    if (scenario.inStartFolder != nullptr) {
        const std::string copy = start / scenario.inStartFolder;
        const std::string folder = copy.substr(0, copy.rfind('\\'));
        if (!testenv::PathExists(folder)) {
            ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        }
        PutLibrary(copy);
    }
    const std::string entry = Expand(scenario.entry, LauncherFolder().Path(), start.Path());
    const launchtest::LaunchResult result = Launch(
        IniText({"[General]", "Volume=\"PATCHDISC\"", "[PreloadDLLs]", ("1=\"" + entry + "\"").c_str()}), start.Path());
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.status, 0u);
    std::vector<std::string> loaded;
    for (const Event& event : result.eventsAtEnd) {
        if (event.field == "load") {
            loaded.push_back(event.module);
        }
    }
    ASSERT_EQ(loaded.size(), 1u);
    const std::string expected = Expand(scenario.loadedFrom, LauncherFolder().Path(), start.Path());
    EXPECT_TRUE(SamePath(loaded[0], expected)) << loaded[0] << " was loaded, not " << expected;
}

const PreloadCase kPreloadCases[] = {
    {"LauncherFolder", "fix.dll", true, nullptr, "<launcher>\\fix.dll"},
    {"StartFolder", "fix.dll", false, "fix.dll", "<start>\\fix.dll"},
    {"LauncherFolderBeforeStartFolder", "fix.dll", true, "fix.dll", "<launcher>\\fix.dll"},
    {"NameWithoutExtension", "fix", false, "fix.dll", "<start>\\fix.dll"},
    {"RelativePath", "libs\\fix.dll", false, "libs\\fix.dll", "<start>\\libs\\fix.dll"},
    {"FullPath", "<start>\\libs\\fix.dll", true, "libs\\fix.dll", "<start>\\libs\\fix.dll"},
};

INSTANTIATE_TEST_SUITE_P(Places, CdDrivesPreload, ::testing::ValuesIn(kPreloadCases),
                         [](const ::testing::TestParamInfo<PreloadCase>& info) { return std::string(info.param.name); });

TEST_F(CdDrives, AnEntryThatFailsToLoadDoesNotStopTheNext) {
    PutLibrary(InLauncherFolder("one.dll"));
    PutLibrary(InLauncherFolder("two.dll"));
    // Not a library at all.
    ASSERT_TRUE(testenv::WriteFileBytes(InLauncherFolder("broken.dll"), "not a library"));
    const launchtest::LaunchResult result =
        Launch(IniText({"[General]", "Volume=\"PATCHDISC\"", "[PreloadDLLs]", "1=\"absent.dll\"", "2=\"one.dll\"",
                        "3=\"broken.dll\"", "4=\"two.dll\""}));
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.status, 0u);
    const std::vector<Event>& events = result.eventsAtEnd;
    EXPECT_GE(IndexOf(events, "one.dll", "load"), 0);
    EXPECT_GE(IndexOf(events, "two.dll", "load"), 0);
    EXPECT_LT(IndexOf(events, "one.dll", "unload"), IndexOf(events, "two.dll", "unload"));
}

TEST_F(CdDrives, ALauncherPathPastTheLimitSaysSoAndStartsNothing) {
    // The launcher's own path is one character longer than the 255 that run
    // mode takes it with (254 and the terminator): the path can't be had.
    constexpr size_t kOwnPathLength = 256;
    const std::string tail = "\\Setup.exe";
    const size_t nameLength = kOwnPathLength - tail.size() - LauncherFolder().Path().size() - 1;
    ASSERT_LT(nameLength, 250u);
    const std::string deep = LauncherFolder() / std::string(nameLength, 'x');
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    const std::string launcher = deep + tail;
    ASSERT_EQ(launcher.size(), kOwnPathLength);
    ASSERT_TRUE(testenv::CopyOneFile(testenv::SetupExePath(), launcher));
    PutProgram(deep + "\\r.exe");
    // What "\" + Execute would name once the CD root is current.
    PutProgram("E:\\r.exe");
    PutProgram("E:\\game.exe");
    ASSERT_TRUE(testenv::WriteFileBytes(deep + "\\Setup.ini",
                                        IniText({"[General]", "Volume=\"PATCHDISC\"", "Execute=\"r.exe\"",
                                                 "ExecuteCD=\"game.exe\"", "[Text]", "ErrorHeader=\"Patch\""})));
    driver::ChildProcess process;
    ASSERT_TRUE(process.Start(launcher, testenv::CommandLineFor(launcher, ""), deep));
    HWND box = driver::WaitForMessageBox(process.Id());
    ASSERT_NE(box, nullptr) << "no box: the path was passed over in silence";
    const driver::MessageBoxContents said = driver::ReadMessageBox(box);
    EXPECT_EQ(said.caption, "Patch");
    EXPECT_EQ(said.text,
              "The path of this Setup.exe is too long to start the patch from.\r\nMove it to a folder with a shorter path.");
    ASSERT_TRUE(driver::PressButton(box, IDOK));
    DWORD status = 0;
    ASSERT_TRUE(process.WaitForExit(status));
    EXPECT_EQ(status, 0xFFFFFFFFu);
    EXPECT_TRUE(Events().empty()) << "started " << Events().front().module;
}

}  // namespace
