#pragma once
// What the run-mode tests share: a launcher folder holding a copy of
// Setup.exe, recorder programs and libraries put where the launcher should
// find them, one record that all of them write into, and a start of
// Setup.exe that reports what had happened by the time it ended.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recorder_log.h"
#include "test_env.h"
#include "window_driver.h"

namespace launchtest {

// How long a test waits for a started program that sleeps to end.
constexpr DWORD kProgramTimeoutMs = 20000;

struct LaunchResult {
    bool ended = false;  // the launcher ended in time
    DWORD status = 0;    // its whole 32-bit exit status
    // The record as it stood the moment the launcher had ended.
    std::vector<recorder::Event> eventsAtEnd;
};

struct BoxResult {
    bool shown = false;  // a message box came up
    driver::MessageBoxContents box;
    bool ended = false;  // the launcher ended in time after OK was pressed
    DWORD status = 0;
    std::vector<recorder::Event> eventsAtEnd;
};

// A CD-ROM drive as the test sees it: its root and its label.
struct CdDrive {
    std::string root;
    std::string label;
};
std::vector<CdDrive> CdDrives();

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The folder with the launcher (Setup.exe).
    const testenv::ScratchFolder& LauncherFolder() const { return launcher_; }
    std::string InLauncherFolder(const std::string& name) const { return launcher_ / name; }

    // A copy of the recorder program at `path` that first sleeps `sleepMs`;
    // paths outside the scratch folders (on a CD) are removed after the test.
    void PutProgram(const std::string& path, DWORD sleepMs = 0);
    // Makes the program at `path` end its first thread at once and run on
    // in a second one.
    void DetachFirstThread(const std::string& path);
    // A copy of the recorder library at `path`.
    void PutLibrary(const std::string& path);
    // A folder (with its parents inside a CD root), removed after the test.
    void PutFolder(const std::string& path);

    // Writes `setupIni` as Setup.ini into `startFolder`, starts the launcher
    // there and waits for its end. No box is expected: one that shows up is
    // reported as a failure and closed.
    // `launcher` is the Setup.exe to start (empty: the one in LauncherFolder()).
    LaunchResult Launch(const std::string& setupIni, const std::string& startFolder,
                        const std::string& launcher = std::string());
    LaunchResult Launch(const std::string& setupIni) { return Launch(setupIni, launcher_.Path()); }
    // The same with the Setup.ini that `startFolder` holds already.
    LaunchResult RunLauncher(const std::string& launcher, const std::string& startFolder);

    // The same, for a start that should end in a message box: reads the box,
    // presses OK and waits for the end.
    BoxResult LaunchUntilBox(const std::string& setupIni);

    // The record of every recorder started or loaded so far.
    std::vector<recorder::Event> Events() const { return recorder::ReadEvents(recordFile_); }
    const std::string& RecordFile() const { return recordFile_; }

    // Waits until every recorder program that started has ended.
    bool WaitForProgramsToEnd(DWORD timeoutMs = kProgramTimeoutMs) const;

private:
    bool WriteSetupIni(const std::string& setupIni, const std::string& startFolder);
    bool StartLauncher(driver::ChildProcess& process, const std::string& launcher, const std::string& startFolder);
    void RemoveLater(const std::string& path);

    testenv::ScratchFolder launcher_{"launcher"};
    testenv::ScratchFolder records_{"records"};
    std::string recordFile_;
    std::vector<std::string> removeAfterwards_;
};

// The lines joined, each ended by CR LF: the text of a Setup.ini.
std::string IniText(std::initializer_list<const char*> lines);

// Paths compared as Windows does, without regard to letter case.
bool SamePath(const std::string& a, const std::string& b);

}  // namespace launchtest
