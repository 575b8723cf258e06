#include "uninstall_run.h"

#include <vector>

namespace uninstalltest {

namespace {

const char kParkingName[] = "_$_Morvelan_Remove_Me_$_";
const char kUninstallSwitch[] = "-uninstall";

void RemoveFile(const std::string& path) {
    (void)SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    (void)DeleteFileA(path.c_str());
}

}  // namespace

std::string ParkingPath() {
    char temp[MAX_PATH + 1] = "";
    const DWORD length = GetTempPathA(sizeof(temp), temp);
    if (length == 0 || length >= sizeof(temp)) {
        return std::string();
    }
    return std::string(temp, length) + kParkingName;
}

DWORD AttributesOf(const std::string& path) {
    return GetFileAttributesA(path.c_str());
}

std::string FileBytes(const std::string& path) {
    std::string bytes;
    return testenv::ReadFileBytes(path, bytes) ? bytes : std::string("<missing>");
}

std::string NumberedSection(const std::string& name, const NumberedEntries& entries) {
    std::string text = "[" + name + "]\r\n";
    for (const auto& entry : entries) {
        text += std::to_string(entry.first) + "=\"" + entry.second + "\"\r\n";
    }
    return text + "\r\n";
}

std::string RecordSection(const std::string& name, const std::vector<std::string>& paths) {
    NumberedEntries entries;
    for (const std::string& path : paths) {
        entries.emplace_back(static_cast<int>(entries.size()) + 1, path);
    }
    return NumberedSection(name, entries);
}

ParkingSpotCleaner::ParkingSpotCleaner() {
    RemoveFile(ParkingPath());
}

ParkingSpotCleaner::~ParkingSpotCleaner() {
    RemoveFile(ParkingPath());
}

FileRemover::~FileRemover() {
    RemoveFile(path_);
}

EnvironmentGuard::EnvironmentGuard(const std::string& name, const std::string& value) : name_(name) {
    const DWORD needed = GetEnvironmentVariableA(name_.c_str(), nullptr, 0);
    if (needed > 0) {
        std::vector<char> buffer(needed, '\0');
        const DWORD length = GetEnvironmentVariableA(name_.c_str(), buffer.data(), needed);
        existed_ = length > 0 && length < needed;
        oldValue_.assign(buffer.data(), existed_ ? length : 0);
    }
    (void)SetEnvironmentVariableA(name_.c_str(), value.c_str());
}

EnvironmentGuard::~EnvironmentGuard() {
    (void)SetEnvironmentVariableA(name_.c_str(), existed_ ? oldValue_.c_str() : nullptr);
}

DialogContents ReadSetupDialog(HWND dialog) {
    DialogContents contents;
    contents.caption = driver::WindowText(dialog);
    contents.heading = driver::ControlText(dialog, 1000);
    contents.body = driver::ControlText(dialog, 1001);
    contents.okLabel = driver::ControlText(dialog, IDOK);
    contents.cancelLabel = driver::ControlText(dialog, IDCANCEL);
    return contents;
}

ConfirmedRun ConfirmAndFinish(driver::ChildProcess& process, HWND dialog) {
    ConfirmedRun run;
    // The dialog's picture has the id 0xFFFF of a box's text, so the box is
    // looked for only once the dialog is gone.
    if (!driver::PressButton(dialog, IDOK) || !driver::WaitForWindowGone(dialog)) {
        return run;
    }
    return FinishAtTheBox(process);
}

ConfirmedRun FinishAtTheBox(driver::ChildProcess& process) {
    ConfirmedRun run;
    HWND box = driver::WaitForMessageBox(process.Id());
    run.boxShown = box != nullptr;
    if (run.boxShown) {
        run.box = driver::ReadMessageBox(box);
        (void)driver::PressButton(box, IDOK);
    }
    run.exited = process.WaitForExit(run.exitCode);
    return run;
}

bool StartUninstall(driver::ChildProcess& process, const std::string& exe, const std::string& workingDirectory) {
    return process.Start("", testenv::CommandLineFor(exe, kUninstallSwitch), workingDirectory);
}

}  // namespace uninstalltest
