#include "road_step.h"

#include <cstdio>
#include <vector>

#include "program_names.h"
#include "window_driver.h"
#include "window_picture.h"

namespace {

using driver::kMessageBoxTextId;
using driver::kSetupBodyId;
using driver::kSetupHeadingId;
constexpr DWORD kPollMs = 20;
// A new window paints after it shows; the picture waits for that.
constexpr DWORD kPaintSettleMs = 400;
// Automatic steps end in seconds; a person may take their time.
constexpr DWORD kAutomaticStepMs = 30 * 1000;
constexpr DWORD kPersonStepMs = 30 * 60 * 1000;

struct StepState {
    const RoadStepOptions& options;
    std::vector<HWND> answered;
    int boxCount = 0;
};

bool Contains(const std::vector<HWND>& windows, HWND window) {
    for (HWND known : windows) {
        if (known == window) {
            return true;
        }
    }
    return false;
}

struct DialogSearch {
    const std::vector<HWND>* known;
    HWND found;
};

// A visible, enabled dialog of any process that is a setup dialog or a
// message box and has not been handled yet.
BOOL CALLBACK FindNewDialog(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<DialogSearch*>(parameter);
    if (!IsWindowVisible(window) || !IsWindowEnabled(window) || Contains(*search->known, window) ||
        driver::ClassName(window) != "#32770") {
        return TRUE;
    }
    if (GetDlgItem(window, kSetupBodyId) == nullptr && GetDlgItem(window, kMessageBoxTextId) == nullptr) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

HWND NewDialog(const std::vector<HWND>& known) {
    DialogSearch search{&known, nullptr};
    (void)EnumWindows(FindNewDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Handles that were closed may be handed out again; forget them.
void ForgetClosed(std::vector<HWND>& windows) {
    std::vector<HWND> open;
    for (HWND window : windows) {
        if (IsWindow(window)) {
            open.push_back(window);
        }
    }
    windows.swap(open);
}

void HandleSetupDialog(HWND dialog, StepState& state) {
    std::printf("setup dialog of %s\n", ProgramOf(dialog).c_str());
    std::printf("  caption: %s\n", driver::WindowText(dialog).c_str());
    std::printf("  heading: %s\n", driver::ControlText(dialog, kSetupHeadingId).c_str());
    PrintText("  body:", driver::ControlText(dialog, kSetupBodyId));
    const std::string cancelLabel = driver::ControlText(dialog, IDCANCEL);
    const std::string okLabel = driver::ControlText(dialog, IDOK);
    std::printf("  buttons: [%s] [%s]\n", cancelLabel.c_str(), okLabel.c_str());
    (void)TakePicture(dialog, state.options.stepName + "-dialog", state.options);
    if (!state.options.personAnswers) {
        std::printf("  pressed: %s\n", okLabel.c_str());
        (void)driver::PressButton(dialog, IDOK);
    }
}

void HandleMessageBox(HWND box, StepState& state) {
    const driver::MessageBoxContents contents = PrintMessageBox(box);
    (void)TakePicture(box, state.options.stepName + "-box-" + std::to_string(++state.boxCount), state.options);
    if (!state.options.personAnswers && contents.hasOk) {
        std::printf("  pressed: OK\n");
        (void)driver::PressButton(box, IDOK);
    }
}

}  // namespace

std::string ProgramOf(HWND window) {
    DWORD processId = 0;
    (void)GetWindowThreadProcessId(window, &processId);
    return ProgramNameOf(processId);
}

bool TakePicture(HWND window, const std::string& name, const RoadStepOptions& options) {
    if (options.picturesFolder.empty()) {
        return true;
    }
    Sleep(kPaintSettleMs);
    const std::string file = name + ".bmp";
    if (!SaveWindowPicture(window, options.picturesFolder + "\\" + file)) {
        std::printf("  picture: %s could not be taken\n", file.c_str());
        return false;
    }
    std::printf("  picture: %s\n", file.c_str());
    return true;
}

driver::MessageBoxContents PrintMessageBox(HWND box) {
    const driver::MessageBoxContents contents = driver::ReadMessageBox(box);
    std::printf("message box of %s\n", ProgramOf(box).c_str());
    std::printf("  caption: %s\n", contents.caption.c_str());
    PrintText("  text:", contents.text);
    std::printf("  buttons:%s%s%s\n", contents.hasOk ? " [OK]" : "", contents.hasYes ? " [Yes]" : "",
                contents.hasNo ? " [No]" : "");
    return contents;
}

void PrintText(const char* label, const std::string& text) {
    std::printf("%s\n", label);
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::printf("    >%s%s\n", line.empty() ? "" : " ", line.c_str());
        if (end == std::string::npos) {
            break;
        }
        start = end + 2;
    }
}

bool FollowToExit(HANDLE process, const RoadStepOptions& options) {
    StepState state{options, {}, 0};
    const DWORD limitMs = options.personAnswers ? kPersonStepMs : kAutomaticStepMs;
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process, kPollMs) == WAIT_TIMEOUT) {
        if (GetTickCount() - start >= limitMs) {
            std::printf("timed out\n");
            (void)TerminateProcess(process, 1);
            return false;
        }
        ForgetClosed(state.answered);
        HWND dialog = NewDialog(state.answered);
        if (dialog == nullptr) {
            continue;
        }
        state.answered.push_back(dialog);
        if (GetDlgItem(dialog, kSetupBodyId) != nullptr) {
            HandleSetupDialog(dialog, state);
        } else {
            HandleMessageBox(dialog, state);
        }
        (void)std::fflush(stdout);
    }
    DWORD status = 0;
    if (!GetExitCodeProcess(process, &status)) {
        std::printf("exit status: unknown\n");
        return false;
    }
    std::printf("exit status: %ld\n", static_cast<long>(status));
    return true;
}
