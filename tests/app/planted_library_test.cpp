// Libraries planted beside Setup.exe and in the folder it is started in,
// under every name that the program loads on its roads: none of them may
// run, in any mode. Each planted copy is the recorder library, which writes
// a line to the record the moment a process loads it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "observe.h"
#include "recorder_log.h"
#include "test_env.h"

namespace {

using testenv::ScratchFolder;

// What Setup.exe loads on the roads below (seen with the loader's trace),
// the common-controls library that a manifest may bring in, and what the
// shell's own process loads for the same work.
const char* const kLoadedNames[] = {
    "actxprxy.dll", "advapi32.dll", "combase.dll", "comctl32.dll", "gdi32.dll",
    "imm32.dll", "kernel32.dll", "kernelbase.dll", "msimg32.dll", "msvcrt.dll",
    "ole32.dll", "oleaut32.dll", "rpcrt4.dll", "sechost.dll", "shcore.dll",
    "shell32.dll", "shlwapi.dll", "ucrtbase.dll", "user32.dll", "uxtheme.dll",
    "version.dll", "win32u.dll", "windowscodecs.dll", "zlib1.dll",
};

const char kRecordVariable[] = "RECORDER_LOG";
const char kMarker[] = "load_recorder.dll";
const char kTargetName[] = "Planted";
// The folder (or file, for a manifest) beside a program that makes the
// platform take libraries from elsewhere first.
const char kRedirection[] = "Setup.exe.local";

enum class Road { Install, Uninstall, Run, InvalidSwitch, Redirected, RedirectedByFile, RedirectedInAForeignFolder };

struct PlantedCase {
    const char* name;
    Road road;
};

void Plant(const std::string& folder) {
    for (const char* name : kLoadedNames) {
        ASSERT_TRUE(testenv::CopyOneFile(testenv::HelpersDir() + "\\" + kMarker, folder + "\\" + name)) << name;
    }
}

class PlantedLibraries : public ::testing::TestWithParam<PlantedCase> {
protected:
    void SetUp() override {
        ASSERT_FALSE(testenv::HelpersDir().empty()) << "TEST_HELPERS_DIR is not set";
        if (ProgramFolder() != program_.Path()) {
            ASSERT_TRUE(CreateDirectoryW(testenv::WideFromUtf8(ProgramFolder()).c_str(), nullptr));
        }
        ASSERT_TRUE(testenv::CopyOneFile(testenv::SetupExePath(), Exe()));
        Plant(ProgramFolder());
        Plant(start_.Path());
        ASSERT_TRUE(SetEnvironmentVariableA(kRecordVariable, record_.c_str()));
    }
    void TearDown() override {
        (void)SetEnvironmentVariableA(kRecordVariable, nullptr);
        testenv::RemoveTree(GroupFolder());
    }

    // A folder under a name outside the code page, where the road asks for one.
    std::string ProgramFolder() const {
        return GetParam().road == Road::RedirectedInAForeignFolder ? program_ / testenv::kForeignName
                                                                   : program_.Path();
    }
    std::string Exe() const { return ProgramFolder() + "\\Setup.exe"; }
    std::string GroupFolder() const { return testenv::ProgramsFolder() + "\\" + appName_; }

    Observation Run(const std::string& arguments, SetupDialogAnswer answer) {
        bool started = false;
        Observation seen =
            StartAndObserve(Exe(), testenv::CommandLineFor(Exe(), arguments), start_.Path(), started, answer);
        EXPECT_TRUE(started);
        EXPECT_TRUE(seen.exited) << Describe(seen);
        return seen;
    }

    const std::string appName_ = "Planted " + std::to_string(GetCurrentProcessId());
    ScratchFolder program_{"program"};
    ScratchFolder start_{"start"};
    ScratchFolder records_{"records"};
    ScratchFolder programFiles_{"pf"};
    const std::string record_ = records_ / "record.log";
};

TEST_P(PlantedLibraries, NoneRuns) {
    switch (GetParam().road) {
        case Road::Install: {
            testenv::RegistryValueGuard programFilesDir(HKEY_LOCAL_MACHINE, testenv::kCurrentVersionKey,
                                                        testenv::kProgramFilesValue);
            ASSERT_TRUE(programFilesDir.SetString(programFiles_.Path()));
            // The medium is the folder it starts in: Setup.exe is copied from there.
            ASSERT_TRUE(testenv::CopyOneFile(Exe(), start_ / "Setup.exe"));
            ASSERT_TRUE(testenv::WriteFileBytes(
                start_ / "Setup.ini", "[General]\r\nMode=\"Install\"\r\nAppName=\"" + appName_ +
                                          "\"\r\nTargetFolder=\"" + kTargetName +
                                          "\"\r\n[Text]\r\nShortcutStart=\"Start\"\r\nShortcutReadMe=\"Read\"\r\n"
                                          "ShortcutUninstall=\"Remove\"\r\n"));
            const Observation seen = Run("", SetupDialogAnswer::Confirm);
            ASSERT_EQ(seen.boxes.size(), 1u) << Describe(seen);
            EXPECT_EQ(seen.boxes[0].text, "Patch process completed");
            EXPECT_EQ(seen.exitCode, 0u);
            // The shell and COM did their part.
            EXPECT_TRUE(testenv::PathExists(GroupFolder() + "\\Remove.lnk"));
            break;
        }
        case Road::Uninstall: {
            const std::string ini = ProgramFolder() + "\\Setup.ini";
            ASSERT_TRUE(testenv::WriteFileBytes(ini, "[General]\r\nMode=\"Run\"\r\n[Files]\r\n1=\"" + ini +
                                                         "\"\r\n2=\"" + Exe() + "\"\r\n"));
            const Observation seen = Run("-uninstall", SetupDialogAnswer::Confirm);
            ASSERT_EQ(seen.boxes.size(), 1u) << Describe(seen);
            EXPECT_EQ(seen.boxes[0].text, "Patch removed");
            EXPECT_EQ(seen.exitCode, 0u);
            EXPECT_FALSE(testenv::PathExists(ini));
            break;
        }
        case Road::Run: {
            ASSERT_TRUE(testenv::WriteFileBytes(start_ / "Setup.ini", "[General]\r\nMode=\"Run\"\r\n"));
            // Without a CD-ROM drive, the box that says so.
            const Observation seen = Run("", SetupDialogAnswer::Cancel);
            EXPECT_TRUE(seen.dialogs.empty()) << Describe(seen);
            ASSERT_EQ(seen.boxes.size(), 1u) << Describe(seen);
            EXPECT_EQ(seen.boxes[0].text, "The CD could not be located");
            EXPECT_EQ(seen.exitCode, kFailureStatus);
            break;
        }
        case Road::InvalidSwitch: {
            const Observation seen = Run("-bogus", SetupDialogAnswer::Cancel);
            EXPECT_TRUE(SawInvalidSwitchBox(seen)) << Describe(seen);
            EXPECT_EQ(seen.exitCode, kFailureStatus);
            break;
        }
        case Road::Redirected:
        case Road::RedirectedByFile:
        case Road::RedirectedInAForeignFolder: {
            const std::string redirection = ProgramFolder() + "\\" + kRedirection;
            if (GetParam().road == Road::Redirected) {
                ASSERT_TRUE(CreateDirectoryW(testenv::WideFromUtf8(redirection).c_str(), nullptr));
                Plant(redirection);
            } else {
                ASSERT_TRUE(testenv::WriteFileBytes(redirection, ""));
            }
            // Ends at once, without even the invalid-switch box.
            const Observation seen = Run("-bogus", SetupDialogAnswer::Cancel);
            EXPECT_TRUE(seen.boxes.empty() && seen.dialogs.empty()) << Describe(seen);
            EXPECT_EQ(seen.exitCode, kFailureStatus);
            break;
        }
    }
    std::string loaded;
    for (const recorder::Event& event : recorder::ReadEvents(record_)) {
        if (event.field == "load") {
            loaded += event.module + "; ";
        }
    }
    EXPECT_EQ(loaded, "");
}

INSTANTIATE_TEST_SUITE_P(Roads, PlantedLibraries,
                         ::testing::Values(PlantedCase{"Install", Road::Install},
                                           PlantedCase{"Uninstall", Road::Uninstall}, PlantedCase{"Run", Road::Run},
                                           PlantedCase{"InvalidSwitch", Road::InvalidSwitch},
                                           PlantedCase{"RedirectionBesideTheProgram", Road::Redirected},
                                           PlantedCase{"RedirectionFileBesideTheProgram", Road::RedirectedByFile},
                                           PlantedCase{"RedirectionBesideTheProgramInAForeignFolder",
                                                       Road::RedirectedInAForeignFolder}),
                         [](const ::testing::TestParamInfo<PlantedCase>& info) { return info.param.name; });

}  // namespace
