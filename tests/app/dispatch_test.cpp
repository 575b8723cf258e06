// Which mode a start selects, seen from outside: the invalid-switch box and
// status -1 for every refused command line, the setup dialog of install or
// uninstall mode, or run mode, for the accepted ones.

#include <gtest/gtest.h>

#include <string>

#include "observe.h"
#include "test_env.h"

namespace {

const char kMediumErrorHeader[] = "Header From Setup.ini";
const char kProbeTargetFolder[] = "DispatchProbeTarget";

// A source file with the given mode that also overrides the error caption
// and names a target folder of its own, so that an install would be seen.
std::string SetupIniWithMode(const std::string& mode) {
    return "[General]\r\nMode=" + mode + "\r\nTargetFolder=" + kProbeTargetFolder + "\r\n\r\n[Text]\r\nErrorHeader=" +
           kMediumErrorHeader + "\r\n";
}

std::string ProgramFilesFolder() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return std::string();
    }
    char value[MAX_PATH] = "";
    DWORD size = sizeof(value);
    DWORD type = 0;
    const LONG status =
        RegQueryValueExA(key, "ProgramFilesDir", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    (void)RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? std::string(value) : std::string();
}

bool AnyCdRomDrive() {
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if ((drives & (1u << (letter - 'A'))) == 0) {
            continue;
        }
        const char root[] = {letter, ':', '\\', '\0'};
        if (GetDriveTypeA(root) == DRIVE_CDROM) {
            return true;
        }
    }
    return false;
}

void ExpectOnlyTheInvalidSwitchBox(const Observation& seen) {
    ASSERT_TRUE(seen.exited) << Describe(seen);
    EXPECT_EQ(seen.exitCode, kFailureStatus) << Describe(seen);
    EXPECT_TRUE(seen.dialogs.empty()) << Describe(seen);
    ASSERT_EQ(seen.boxes.size(), 1u) << Describe(seen);
    const driver::MessageBoxContents& box = seen.boxes[0];
    // Built-in texts: the ErrorHeader of Setup.ini does not reach this box.
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.text, "Invalid switch specified.");
    EXPECT_TRUE(box.hasOk);
    EXPECT_FALSE(box.hasYes);
    EXPECT_TRUE(box.hasIcon);
    EXPECT_FALSE(box.hasOwner);
}

// ---------------------------------------------------------------- refused

struct RefusedCase {
    const char* name;
    std::string rest;  // after the quoted program name
    const char* mode;
};

class RefusedCommandLine : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedCommandLine, ShowsTheInvalidSwitchBoxAndEndsWithMinusOne) {
    testenv::ScratchFolder medium("disc");
    testenv::PrepareMedium(medium, SetupIniWithMode(GetParam().mode));
    const std::string exe = medium / "Setup.exe";
    std::string line = testenv::CommandLineFor(exe, "");
    line += GetParam().rest;
    bool started = false;
    const Observation seen = StartAndObserve(exe, line, medium.Path(), started);
    ASSERT_TRUE(started);
    ExpectOnlyTheInvalidSwitchBox(seen);
    // Refused before any mode ran: nothing installed, the medium untouched.
    const std::string programFiles = ProgramFilesFolder();
    ASSERT_FALSE(programFiles.empty());
    EXPECT_FALSE(testenv::PathExists(programFiles + "\\" + kProbeTargetFolder));
    EXPECT_EQ(testenv::FolderEntries(medium.Path()), (std::vector<std::string>{"Setup.exe", "Setup.ini"}));
}

std::string CaseName(const ::testing::TestParamInfo<RefusedCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedCommandLine,
    ::testing::Values(RefusedCase{"SwitchAndAnotherArgument", " -install x", "Install"},
                      RefusedCase{"ValidSwitchTwice", " -install -install", "Install"},
                      RefusedCase{"SlashInsteadOfDash", " /install", "run"},
                      RefusedCase{"TabAfterTheSwitch", " -install\t", "run"},
                      RefusedCase{"OneEmptyArgument", " \"\"", "Install"},
                      RefusedCase{"LoneQuoteAtTheEnd", " \"", "run"},
                      RefusedCase{"TextRightAfterTheClosingQuote", " \"-install\"x", "run"},
                      RefusedCase{"QuoteInsideAToken", " ab\"cd", "run"},
                      RefusedCase{"SwitchOfAnotherMode", " -run", "run"},
                      RefusedCase{"AccentedLetterInTheSwitch", " -\xC3\x89NSTALL", "run"},
                      RefusedCase{"TokenOf1024Characters", " " + std::string(1024, 'x'), "run"},
                      // Kept whole, not cut: its first part is a valid switch.
                      RefusedCase{"SwitchFollowedByAThousandCharacters",
                                  " \"-uninstall" + std::string(1100, ' ') + "\"", "run"},
                      RefusedCase{"TokenOf20000Characters", " " + std::string(20000, 'y'), "Install"}),
    CaseName);

TEST(RefusedCommandLine, UnquotedProgramPathWithSpacesLeavesAnArgument) {
    testenv::ScratchFolder medium("patch disc");
    testenv::PrepareMedium(medium, SetupIniWithMode("Install"));
    const std::string exe = medium / "Setup.exe";
    ASSERT_NE(exe.find(' '), std::string::npos);
    bool started = false;
    const Observation seen = StartAndObserve(exe, exe, medium.Path(), started);
    ASSERT_TRUE(started);
    ExpectOnlyTheInvalidSwitchBox(seen);
}

// The platform passes at most 32,766 characters (a 40,000-character line
// is refused by CreateProcess itself, error 87): the longest line it passes.
TEST(RefusedCommandLine, LongestCommandLineThePlatformPasses) {
    constexpr std::size_t kLongestCommandLine = 32766;
    testenv::ScratchFolder medium("disc");
    testenv::PrepareMedium(medium, SetupIniWithMode("Install"));
    const std::string exe = medium / "Setup.exe";
    std::string line = testenv::CommandLineFor(exe, "-install ");
    ASSERT_LT(line.size(), kLongestCommandLine);
    line += std::string(kLongestCommandLine - line.size(), 'z');
    bool started = false;
    const Observation seen = StartAndObserve(exe, line, medium.Path(), started);
    ASSERT_TRUE(started) << "error " << GetLastError();
    ExpectOnlyTheInvalidSwitchBox(seen);
}

// ---------------------------------------------------------------- accepted

// UninstallRefused: uninstall mode beside a Setup.ini that no install wrote
// (install writes Mode "Run"), which it refuses with a box.
enum class Expected { Install, Uninstall, UninstallRefused, Run };

struct AcceptedCase {
    const char* name;
    const char* rest;
    const char* mode;  // null: no Setup.ini at all
    Expected expected;
};

void ExpectMode(const Observation& seen, Expected expected) {
    ASSERT_TRUE(seen.exited) << Describe(seen);
    EXPECT_FALSE(SawInvalidSwitchBox(seen)) << Describe(seen);
    switch (expected) {
        case Expected::Install:
        case Expected::Uninstall:
            ASSERT_EQ(seen.dialogs.size(), 1u) << Describe(seen);
            EXPECT_EQ(seen.dialogs[0].caption, "Patch");
            EXPECT_EQ(seen.dialogs[0].heading, "Patch");
            EXPECT_EQ(seen.dialogs[0].okLabel, expected == Expected::Install ? "&Install" : "&Uninstall");
            EXPECT_EQ(seen.dialogs[0].cancelLabel, "Exit");
            // Only install asks before it leaves, with the built-in question.
            if (expected == Expected::Install) {
                ASSERT_EQ(seen.boxes.size(), 1u) << Describe(seen);
                EXPECT_EQ(seen.boxes[0].caption, "Exit");
                EXPECT_EQ(seen.boxes[0].text, "Really exit without installing the patch?");
            } else {
                EXPECT_TRUE(seen.boxes.empty()) << Describe(seen);
            }
            // Cancelled: quietly, with status 0.
            EXPECT_EQ(seen.exitCode, 0u) << Describe(seen);
            break;
        case Expected::UninstallRefused:
            EXPECT_TRUE(seen.dialogs.empty()) << Describe(seen);
            ASSERT_EQ(seen.boxes.size(), 1u) << Describe(seen);
            EXPECT_EQ(seen.boxes[0].text, "No installed patch was found beside this Setup.exe, so nothing was removed");
            EXPECT_EQ(seen.exitCode, kFailureStatus) << Describe(seen);
            break;
        case Expected::Run:
            EXPECT_TRUE(seen.dialogs.empty()) << Describe(seen);
            if (AnyCdRomDrive()) {
                // Neither Volume nor ExecuteCD is set: any CD-ROM drive is the disc.
                EXPECT_TRUE(seen.boxes.empty()) << Describe(seen);
                EXPECT_EQ(seen.exitCode, 0u) << Describe(seen);
            } else {
                ASSERT_EQ(seen.boxes.size(), 1u) << Describe(seen);
                EXPECT_EQ(seen.boxes[0].text, "The CD could not be located");
                EXPECT_EQ(seen.exitCode, kFailureStatus);
            }
            break;
    }
}

class AcceptedCommandLine : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(AcceptedCommandLine, RunsTheModeOfTheDispatchTable) {
    testenv::ScratchFolder medium("disc");
    if (GetParam().mode == nullptr) {
        ASSERT_TRUE(testenv::CopyOneFile(testenv::SetupExePath(), medium / "Setup.exe"));
    } else {
        // Only the mode and the start of a record, so that uninstall takes it
        // for an installed file: every text is its built-in default.
        testenv::PrepareMedium(medium, std::string("[General]\r\nMode=") + GetParam().mode +
                                           "\r\n[Files]\r\n1=Setup.ini\r\n");
    }
    const std::string exe = medium / "Setup.exe";
    bool started = false;
    const Observation seen =
        StartAndObserve(exe, testenv::CommandLineFor(exe, "") + GetParam().rest, medium.Path(), started);
    ASSERT_TRUE(started);
    ExpectMode(seen, GetParam().expected);
}

std::string AcceptedName(const ::testing::TestParamInfo<AcceptedCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, AcceptedCommandLine,
    ::testing::Values(AcceptedCase{"NothingAndNoSetupIni", "", nullptr, Expected::Run},
                      AcceptedCase{"NothingAndLowercaseInstall", "", "install", Expected::Run},
                      AcceptedCase{"NothingAndUppercaseInstall", "", "INSTALL", Expected::Run},
                      AcceptedCase{"NothingAndInstall", "", "Install", Expected::Install},
                      AcceptedCase{"OnlySpacesAndRun", "   ", "run", Expected::Run},
                      AcceptedCase{"UninstallOutranksInstallMode", " -uninstall", "Install", Expected::UninstallRefused},
                      AcceptedCase{"UninstallInMixedCase", " -UnInstall", "Run", Expected::Uninstall},
                      AcceptedCase{"InstallInCapitals", " -INSTALL", "run", Expected::Install},
                      AcceptedCase{"InstallInRunMode", " -install", "Run", Expected::Install},
                      AcceptedCase{"QuotedSwitch", " \"-install\"", "run", Expected::Install},
                      AcceptedCase{"SwitchRightAfterTheQuotedProgram", "-install", "run", Expected::Install},
                      AcceptedCase{"SwitchFollowedBySpaces", " -uninstall   ", "Run", Expected::Uninstall}),
    AcceptedName);

TEST(AcceptedCommandLine, QuotedProgramPathWithSpacesAndUninstall) {
    testenv::ScratchFolder medium("patch disc");
    testenv::PrepareMedium(medium, SetupIniWithMode("Install"));
    const std::string exe = medium / "Setup.exe";
    bool started = false;
    const Observation seen =
        StartAndObserve(exe, testenv::CommandLineFor(exe, "-uninstall"), medium.Path(), started);
    ASSERT_TRUE(started);
    ExpectMode(seen, Expected::UninstallRefused);
}

}  // namespace
