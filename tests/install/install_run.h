#pragma once
// Install mode driven as a person would: a medium with Setup.exe, Setup.ini
// and the patch's files, a Program Files folder of the test's own (the
// registry value ProgramFilesDir points at it while the test runs), and the
// windows of Setup.exe read and answered.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "apps_entries.h"
#include "test_env.h"
#include "window_driver.h"

namespace installtest {

using testenv::kCurrentVersionKey;
using testenv::kProgramFilesValue;

// The texts of the standard source Setup.ini (see SourceSetupIni).
extern const char kAppName[];
extern const char kErrorHeader[];
extern const char kErrorFileShown[];         // ErrorFile with its line break expanded
extern const char kErrorPermissionsShown[];  // ErrorPermissions, expanded
extern const char kErrorFileInUseShown[];    // ErrorFileInUse's default, expanded
extern const char kSuccessHeader[];
extern const char kSuccessInstallShown[];    // SuccessInstall, expanded
extern const char kDialogAbortHeader[];
extern const char kDialogAbortShown[];       // DialogAbort, expanded
extern const char kDialogInstallTextShown[];
extern const char kDialogInstallLabel[];
extern const char kDialogExitLabel[];

// Exit status -1 as the parent sees it.
constexpr DWORD kFailureStatus = 0xFFFFFFFF;

// A source Setup.ini that sets every text install shows and most values it
// copies, with the given TargetFolder and Files entries (keys 1, 2, ...).
std::string SourceSetupIni(const std::string& targetFolder, const std::vector<std::string>& files);

// The installed Setup.ini that the standard source file gives, with the
// install record of the two lists.
std::string ExpectedInstalledSetup(const std::vector<std::string>& createdFiles,
                                   const std::vector<std::string>& createdFolders);

using testenv::ProgramsFolder;
std::string GroupFolder();

// The record of a finished install into `targetFolder` (as install built
// it) that copied `names` after Setup.exe: files first, then folders.
std::vector<std::string> ExpectedCreatedFiles(const std::string& targetFolder, const std::vector<std::string>& names);
std::vector<std::string> ExpectedCreatedFolders(const std::string& targetFolder);

// Size of a file of any size; 0 when it can't be taken.
std::uint64_t FileSizeOf(const std::string& path);

// Bytes of every value 0 to 255 in an order that changes with `seed`, so a
// text-mode copy (CR LF, Ctrl-Z) or a misplaced chunk shows.
std::string PatternBytes(std::size_t size, unsigned seed);

// What a run showed and how it ended.
struct InstallRun {
    bool started = false;
    bool dialogShown = false;
    std::string dialogCaption;
    std::string dialogHeading;
    std::string dialogBody;
    std::string okLabel;
    std::string cancelLabel;
    bool boxShown = false;
    driver::MessageBoxContents box;
    bool exited = false;
    DWORD exitCode = 0;
};

// Starts `exe` without arguments in `folder`, confirms the setup dialog with
// its OK button if it comes, closes the message box that follows with OK and
// waits for the end. A second box keeps the process from ending, so `exited`
// is then false. `workTimeoutMs` bounds the wait from the confirmed dialog to
// the box.
InstallRun RunInstall(const std::string& exe, const std::string& folder,
                      DWORD workTimeoutMs = driver::kDefaultTimeoutMs);

// The next message box of the process, or null when the process ends or the
// time runs out first. The setup dialog is never taken for one, although its
// picture has the control id of a box's text (0xFFFF).
HWND WaitForMessageBoxOnly(const driver::ChildProcess& process, DWORD timeoutMs = driver::kDefaultTimeoutMs);

// The setup dialog or a message box, whichever the process shows first; null
// when it ends or the time runs out first.
HWND WaitForDialogOrBox(const driver::ChildProcess& process, DWORD timeoutMs = driver::kDefaultTimeoutMs);

// What a folder holds, at any depth: every name with its bytes and
// attributes, the folder's own look as ".", or "<no folder>".
struct Held {
    std::string bytes;
    DWORD attributes;
    bool operator==(const Held& other) const { return bytes == other.bytes && attributes == other.attributes; }
};
using FolderState = std::map<std::string, Held>;
FolderState StateOf(const std::string& folder);
// The names of a state, for readable failures.
std::string Names(const FolderState& state);

// The entries of a folder, "" when it is missing; for readable failures.
std::string DescribeFolder(const std::string& path);

// A medium and a Program Files folder of the test's own. The group folder
// that an install makes in the Start menu is removed afterwards.
class InstallTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Setup.exe and Setup.ini on the medium.
    void PrepareMedium(const std::string& targetFolder, const std::vector<std::string>& files);
    void AddMediumFile(const std::string& name, const std::string& bytes);
    // Runs the medium's Setup.exe in the medium folder.
    InstallRun RunFromMedium();
    // Starts the medium's Setup.exe in the medium folder and waits for its
    // dialog, which the test then answers; null when it doesn't come.
    HWND StartFromMedium(driver::ChildProcess& process);

    std::string TargetFolder() const { return programFiles_ / kTargetName; }

    // Every file in `names` reached the target folder byte for byte.
    void ExpectCopiedFromMedium(const std::string& targetFolder, const std::vector<std::string>& names);
    void ExpectSuccessBox(const InstallRun& run);
    void ExpectErrorFileBox(const InstallRun& run);

    static constexpr const char* kTargetName = "Target";

    testenv::ScratchFolder medium_{"medium"};
    testenv::ScratchFolder programFiles_{"pf"};
    testenv::RegistryValueGuard programFilesDir_{HKEY_LOCAL_MACHINE, kCurrentVersionKey, kProgramFilesValue};
};

}  // namespace installtest
