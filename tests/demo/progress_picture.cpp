#include "progress_picture.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "ui/resource.h"
#include "window_driver.h"

namespace {

constexpr int kFailedStatus = 1;
constexpr DWORD kPollMs = 20;
constexpr UINT kBarQueryMs = 5000;
constexpr int kTextCapacity = 1024;
// Each change of the test build's install waits this long. The copy looks at
// its messages about once a change, and the sample has only a few files: so
// it lasts seconds after the window appears, time enough on a busy machine
// for the picture (taken within one change's wait, the bar part-way) and for
// Cancel to reach the copy before it ends.
const char kStepDelayVariable[] = "SETUP_STEP_DELAY_MS";
const char kStepDelayMs[] = "1000";
// The roll-back after Yes and the end of the process.
constexpr DWORD kEndAfterYesMs = 30 * 1000;

// The text that the system keeps for a window of another process, read
// without a message: the slowed copy answers messages only between its
// files, and every message sent would cost one of the few left before the
// copy ends. Read right after the picture, it is what the picture shows.
std::string KeptText(HWND window) {
    char text[kTextCapacity] = "";
    return GetWindowTextA(window, text, sizeof(text)) > 0 ? std::string(text) : std::string();
}

// The bar's position, or -1 when the window doesn't answer.
int BarPosition(HWND window) {
    DWORD_PTR position = 0;
    if (!SendMessageTimeoutW(GetDlgItem(window, IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, kBarQueryMs,
                             &position)) {
        return -1;
    }
    return static_cast<int>(position);
}

// Waits until the bar stands past `from`; its position then, or -1. Each
// question waits for the copy's next look at its messages.
int BarMovedPast(HWND window, int from) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < driver::kDefaultTimeoutMs) {
        const int position = BarPosition(window);
        if (position > from) {
            return position;
        }
        Sleep(kPollMs);
    }
    return -1;
}

bool StartSlowed(driver::ChildProcess& child, const std::string& program, const std::string& folder) {
    std::printf("start: %s (working folder %s, each change taking %s ms)\n", program.c_str(), folder.c_str(),
                kStepDelayMs);
    // Only the child is slowed: the variable goes again once it has it.
    if (!SetEnvironmentVariableA(kStepDelayVariable, kStepDelayMs)) {
        std::printf("could not slow it down (error %lu)\n", GetLastError());
        return false;
    }
    const bool started = child.Start(program, "\"" + program + "\"", folder);
    const DWORD startError = GetLastError();
    (void)SetEnvironmentVariableA(kStepDelayVariable, nullptr);
    if (!started) {
        std::printf("could not start (error %lu)\n", startError);
    }
    return started;
}

bool ConfirmSetupDialog(const driver::ChildProcess& child) {
    HWND dialog = driver::WaitForSetupDialog(child.Id());
    if (dialog == nullptr) {
        std::printf("no setup dialog\n");
        return false;
    }
    std::printf("setup dialog of %s\n", ProgramOf(dialog).c_str());
    std::printf("  pressed: %s\n", driver::ControlText(dialog, IDOK).c_str());
    return driver::PressButton(dialog, IDOK);
}

bool PictureAndCancel(const driver::ChildProcess& child, const RoadStepOptions& options) {
    HWND window = driver::WaitForDialogWithControl(child.Id(), IDC_PROGRESS_BAR);
    if (window == nullptr) {
        std::printf("no progress window\n");
        return false;
    }
    std::printf("progress window of %s\n", ProgramOf(window).c_str());
    const int first = BarPosition(window);
    const int moved = first < 0 ? -1 : BarMovedPast(window, first);
    if (moved < 0) {
        std::printf("  the bar stood still at %d\n", first);
        return false;
    }
    std::printf("  bar: moved from %d to %d\n", first, moved);
    if (!TakePicture(window, options.stepName + "-window", options)) {
        return false;
    }
    std::printf("  caption: %s\n", KeptText(window).c_str());
    PrintText("  text:", KeptText(GetDlgItem(window, IDC_PROGRESS_TEXT)));
    std::printf("  file: %s\n", KeptText(GetDlgItem(window, IDC_PROGRESS_FILE)).c_str());
    const std::string cancelLabel = KeptText(GetDlgItem(window, IDCANCEL));
    std::printf("  buttons: [%s]\n", cancelLabel.c_str());
    std::printf("  pressed: %s\n", cancelLabel.c_str());
    return driver::PressButton(window, IDCANCEL);
}

bool AnswerYes(const driver::ChildProcess& child) {
    HWND question = driver::WaitForMessageBox(child.Id());
    if (question == nullptr) {
        std::printf("no question after Cancel\n");
        return false;
    }
    if (!PrintMessageBox(question).hasYes) {
        return false;
    }
    std::printf("  pressed: Yes\n");
    return driver::PressButton(question, IDYES) && driver::WaitForWindowGone(question);
}

// Follows the roll-back to the end: a box now would be a fault, printed and
// closed with OK so that the process can end.
bool EndsWithoutABox(driver::ChildProcess& child) {
    bool boxShown = false;
    const DWORD start = GetTickCount();
    while (!child.HasExited()) {
        if (GetTickCount() - start >= kEndAfterYesMs) {
            std::printf("timed out\n");
            return false;
        }
        for (HWND window : driver::TopLevelWindows(child.Id())) {
            if (driver::IsMessageBox(window) && IsWindowEnabled(window)) {
                boxShown = true;
                (void)PrintMessageBox(window);
                (void)driver::PressButton(window, IDOK);
                (void)driver::WaitForWindowGone(window);
            }
        }
        Sleep(kPollMs);
    }
    DWORD status = 0;
    if (!child.WaitForExit(status)) {
        std::printf("exit status: unknown\n");
        return false;
    }
    std::printf("exit status: %ld\n", static_cast<long>(status));
    return !boxShown && status == 0;
}

}  // namespace

int PictureProgressWindow(const std::string& program, const std::string& folder, const RoadStepOptions& options) {
    driver::ChildProcess child;
    const bool done = StartSlowed(child, program, folder) && ConfirmSetupDialog(child) &&
                      PictureAndCancel(child, options) && AnswerYes(child) && EndsWithoutABox(child);
    // Should it have failed midway, the child's destructor ends it.
    return done ? 0 : kFailedStatus;
}
