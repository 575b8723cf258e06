#include "observe.h"

#include <map>
#include <sstream>

namespace {

constexpr DWORD kObserveTimeoutMs = 20000;
constexpr DWORD kPollMs = 20;
// A window answered this long ago and still there lost the answer: answer again.
constexpr DWORD kAnswerAgainMs = 2000;
using driver::kMessageBoxTextId;
using driver::kSetupBodyId;
using driver::kSetupHeadingId;

bool IsDialog(HWND window) {
    return driver::ClassName(window) == "#32770" && IsWindowEnabled(window);
}

void Answer(HWND window, SetupDialogAnswer dialogAnswer, Observation& seen) {
    // The body first: the setup dialog's picture also has the id 0xFFFF.
    if (GetDlgItem(window, kSetupBodyId) != nullptr) {
        seen.dialogs.push_back(SeenDialog{driver::WindowText(window), driver::ControlText(window, kSetupHeadingId),
                                          driver::ControlText(window, IDOK), driver::ControlText(window, IDCANCEL)});
        (void)driver::PressButton(window, dialogAnswer == SetupDialogAnswer::Confirm ? IDOK : IDCANCEL);
    } else if (GetDlgItem(window, kMessageBoxTextId) != nullptr) {
        const driver::MessageBoxContents box = driver::ReadMessageBox(window);
        seen.boxes.push_back(box);
        (void)driver::PressButton(window, box.hasYes ? IDYES : IDOK);
    }
}

}  // namespace

Observation StartAndObserve(const std::string& applicationName, const std::string& commandLine,
                            const std::string& workingDirectory, bool& started, SetupDialogAnswer dialogAnswer) {
    Observation seen;
    driver::ChildProcess process;
    started = process.Start(applicationName, commandLine, workingDirectory);
    if (!started) {
        return seen;
    }
    std::map<HWND, DWORD> answeredAt;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kObserveTimeoutMs) {
        if (process.HasExited()) {
            seen.exited = process.WaitForExit(seen.exitCode, 0);
            return seen;
        }
        for (HWND window : driver::TopLevelWindows(process.Id())) {
            if (!IsDialog(window)) {
                continue;
            }
            auto answered = answeredAt.find(window);
            if (answered != answeredAt.end() && GetTickCount() - answered->second < kAnswerAgainMs) {
                continue;
            }
            Answer(window, dialogAnswer, seen);
            answeredAt[window] = GetTickCount();
        }
        Sleep(kPollMs);
    }
    return seen;  // still running: the destructor ends it
}

bool IsInvalidSwitchBox(const driver::MessageBoxContents& box) {
    return box.text == "Invalid switch specified.";
}

bool SawInvalidSwitchBox(const Observation& seen) {
    for (const driver::MessageBoxContents& box : seen.boxes) {
        if (IsInvalidSwitchBox(box)) {
            return true;
        }
    }
    return false;
}

std::string Describe(const Observation& seen) {
    std::ostringstream out;
    for (const driver::MessageBoxContents& box : seen.boxes) {
        out << "box [" << box.caption << "] [" << box.text << "]" << (box.hasYes ? " yes/no" : "") << "; ";
    }
    for (const SeenDialog& dialog : seen.dialogs) {
        out << "dialog [" << dialog.caption << "] ok [" << dialog.okLabel << "] cancel [" << dialog.cancelLabel
            << "]; ";
    }
    if (seen.exited) {
        out << "exit status 0x" << std::hex << seen.exitCode;
    } else {
        out << "did not end";
    }
    return out.str();
}
