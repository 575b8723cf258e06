// Where the uninstalling executable lies decides which Setup.ini it reads:
// a drive's root, and paths at the limit of what it takes of its own path.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "test_env.h"
#include "uninstall_run.h"
#include "window_driver.h"

namespace uninstalltest {
namespace {

using testenv::PathExists;
using testenv::ScratchFolder;
using testenv::WriteFileBytes;

const char kSetupExeName[] = "\\Setup.exe";

// A Setup.ini in the working directory that records a file of its own: it
// must never be the one that is read.
void PlaceDecoy(const ScratchFolder& workingDirectory) {
    ASSERT_TRUE(WriteFileBytes(workingDirectory / "decoy.txt", "decoy"));
    ASSERT_TRUE(WriteFileBytes(workingDirectory / "Setup.ini",
                               "[General]\r\nAppName=\"Decoy\"\r\n" +
                                   RecordSection("Files", {workingDirectory / "decoy.txt"})));
}

// A bare "C:" as the current directory would name the directory the program
// was started in (when that lies on C:), not the root.
TEST(UninstallFromDriveRootTest, ReadsTheSetupIniOfTheRoot) {
    ParkingSpotCleaner parking;
    ScratchFolder installed("installed");
    ScratchFolder workingDirectory("cwd");
    const std::string exe = "C:\\uninstall-root-" + std::to_string(GetCurrentProcessId()) + ".exe";
    const std::string ini = "C:\\Setup.ini";
    ASSERT_FALSE(PathExists(ini)) << "a Setup.ini of someone else lies in C:\\";
    FileRemover removeExe(exe);
    FileRemover removeIni(ini);
    ASSERT_TRUE(testenv::CopyOneFile(testenv::SetupExePath(), exe));
    ASSERT_TRUE(WriteFileBytes(installed / "data.bin", "data"));
    ASSERT_TRUE(WriteFileBytes(ini, "[General]\r\nMode=\"Run\"\r\nAppName=\"From the root\"\r\n" +
                                        RecordSection("Files", {ini, exe, installed / "data.bin"}) +
                                        RecordSection("Folders", {installed.Path()})));
    PlaceDecoy(workingDirectory);
    ASSERT_EQ(workingDirectory.Path().substr(0, 3), "C:\\") << "the working directory must lie on the same drive";

    driver::ChildProcess process;
    ASSERT_TRUE(StartUninstall(process, exe, workingDirectory.Path()));
    HWND dialog = driver::WaitForSetupDialog(process.Id());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ReadSetupDialog(dialog).caption, "From the root");
    ConfirmedRun run = ConfirmAndFinish(process, dialog);
    ASSERT_TRUE(run.boxShown);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);

    EXPECT_FALSE(PathExists(installed.Path()));
    EXPECT_FALSE(PathExists(ini));
    EXPECT_FALSE(PathExists(exe));
    EXPECT_TRUE(PathExists(workingDirectory / "decoy.txt"));
}

// Full paths of the executable around the 256-character limit of what the
// program takes of its own path.
struct LengthCase {
    const char* name;
    std::size_t exePathLength;
    bool fits;
};

class UninstallPathLengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(UninstallPathLengthTest, OwnPathBeyondTheLimitIsReportedWithoutReadingAnything) {
    ParkingSpotCleaner parking;
    ScratchFolder base("long");
    ScratchFolder workingDirectory("cwd");
    const std::size_t fixed = base.Path().size() + 1 + std::string(kSetupExeName).size();
    ASSERT_LT(fixed, GetParam().exePathLength);
    const std::string folder = base / std::string(GetParam().exePathLength - fixed, 'd');
    const std::string exe = folder + kSetupExeName;
    ASSERT_EQ(exe.size(), GetParam().exePathLength);
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(testenv::CopyOneFile(testenv::SetupExePath(), exe));
    ASSERT_TRUE(WriteFileBytes(folder + "\\data.bin", "data"));
    ASSERT_TRUE(WriteFileBytes(folder + "\\Setup.ini",
                               "[General]\r\nMode=\"Run\"\r\nAppName=\"Deep\"\r\n" +
                                   RecordSection("Files", {folder + "\\Setup.ini", folder + "\\data.bin"})));
    PlaceDecoy(workingDirectory);

    driver::ChildProcess process;
    ASSERT_TRUE(StartUninstall(process, exe, workingDirectory.Path()));
    if (GetParam().fits) {
        HWND dialog = driver::WaitForSetupDialog(process.Id());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(ReadSetupDialog(dialog).caption, "Deep");
        ConfirmedRun run = ConfirmAndFinish(process, dialog);
        ASSERT_TRUE(run.exited);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_FALSE(PathExists(folder + "\\data.bin"));
    } else {
        // The built-in texts: the Setup.ini beside it can't be found.
        const ConfirmedRun run = FinishAtTheBox(process);
        ASSERT_TRUE(run.boxShown) << "no box, or the dialog instead";
        EXPECT_EQ(run.box.caption, "Error");
        EXPECT_EQ(run.box.text, "Some files of the patch could not be removed.\r\nClose the patch's programs and try again");
        ASSERT_TRUE(run.exited);
        EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);
        EXPECT_TRUE(PathExists(folder + "\\data.bin"));
        EXPECT_TRUE(PathExists(exe)) << "moved away without knowing its folder";
        EXPECT_FALSE(PathExists(ParkingPath()));
    }
    EXPECT_TRUE(PathExists(workingDirectory / "decoy.txt"));
}

INSTANTIATE_TEST_SUITE_P(Lengths, UninstallPathLengthTest,
                         ::testing::Values(LengthCase{"LongestThatFits", 255, true},
                                           LengthCase{"OneBeyond", 256, false}),
                         [](const ::testing::TestParamInfo<LengthCase>& info) { return info.param.name; });

}  // namespace
}  // namespace uninstalltest
