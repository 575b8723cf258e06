#pragma once
// Uninstall mode driven as a person would: Setup.exe started with
// "-uninstall", its dialog read and answered, its success box read.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "test_env.h"
#include "window_driver.h"

namespace uninstalltest {

// The fixed file in the temporary folder where an uninstall parks its executable.
std::string ParkingPath();

// File attributes, or INVALID_FILE_ATTRIBUTES when the path is missing.
DWORD AttributesOf(const std::string& path);

// The whole file, or "<missing>" when it can't be read; for comparisons.
std::string FileBytes(const std::string& path);

// A numbered section: "[name]" and one line per (key, value), values quoted
// as install writes them.
using NumberedEntries = std::vector<std::pair<int, std::string>>;
std::string NumberedSection(const std::string& name, const NumberedEntries& entries);

// The same with keys 1, 2, 3, ... in list order.
std::string RecordSection(const std::string& name, const std::vector<std::string>& paths);

// Leaves the parking file missing now and again when the object goes, so
// tests neither see a copy from another test nor leave one behind.
class ParkingSpotCleaner {
public:
    ParkingSpotCleaner();
    ~ParkingSpotCleaner();
    ParkingSpotCleaner(const ParkingSpotCleaner&) = delete;
    ParkingSpotCleaner& operator=(const ParkingSpotCleaner&) = delete;
};

// Removes one file (attributes reset first) when the object goes.
class FileRemover {
public:
    explicit FileRemover(std::string path) : path_(std::move(path)) {}
    ~FileRemover();
    FileRemover(const FileRemover&) = delete;
    FileRemover& operator=(const FileRemover&) = delete;

private:
    std::string path_;
};

// Sets an environment variable of this process (inherited by the programs
// it starts) and restores the old value when the object goes.
class EnvironmentGuard {
public:
    EnvironmentGuard(const std::string& name, const std::string& value);
    ~EnvironmentGuard();
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    std::string name_;
    bool existed_ = false;
    std::string oldValue_;
};

struct DialogContents {
    std::string caption;
    std::string heading;
    std::string body;
    std::string okLabel;
    std::string cancelLabel;
};
DialogContents ReadSetupDialog(HWND dialog);

// What happens after the dialog was confirmed: the success box and the end.
struct ConfirmedRun {
    bool boxShown = false;
    driver::MessageBoxContents box;
    bool exited = false;
    DWORD exitCode = 0;
};

// Presses OK in the dialog, reads the box that follows, closes it with OK
// and waits for the end.
ConfirmedRun ConfirmAndFinish(driver::ChildProcess& process, HWND dialog);

// The same without a dialog: reads the box the process shows (a setup
// dialog is no box), closes it with OK and waits for the end.
ConfirmedRun FinishAtTheBox(driver::ChildProcess& process);

// Starts `exe` with "-uninstall" in `workingDirectory`.
bool StartUninstall(driver::ChildProcess& process, const std::string& exe, const std::string& workingDirectory);

}  // namespace uninstalltest
