// Times, under Wine, what the benchmark compares on the Windows side, and
// prints the figures as key=value lines for bench/measure.py:
//   bench_driver install MEDIUM_FOLDER      Setup.exe from the medium: the
//       seconds from pressing the dialog's OK to the success box
//   bench_driver uninstall TARGET_FOLDER    the installed Setup.exe -uninstall:
//       the same span, from OK to the box that ends it
//   bench_driver startup EXE FOLDER         the seconds from process creation
//       to the first dialog page on screen; the process is then ended
//   bench_driver run FOLDER COMMAND_LINE    the seconds from process creation
//       to its exit (silent installers and uninstallers)

#include <windows.h>

#include <cstdio>
#include <string>

#include "window_driver.h"

namespace {

constexpr int kUsageStatus = 2;
constexpr int kFailureStatus = 1;
// Fine enough to time spans of a few hundred milliseconds, coarse enough not
// to crowd the wineserver that the timed program needs for every file.
constexpr DWORD kPollMs = 2;
constexpr DWORD kStartTimeoutMs = 60000;
// How long one press of the box's OK gets to end the program.
constexpr DWORD kPressAgainMs = 5000;
// The slowest timed span (thousands of files under Wine) stays well below this.
constexpr DWORD kWorkTimeoutMs = 600000;

double Now() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    (void)QueryPerformanceFrequency(&frequency);
    (void)QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Dialogs only are searched for; a disabled one waits behind a box.
bool IsEnabled(HWND window) {
    return IsWindowEnabled(window) != FALSE;
}

// Ours: the setup dialog, which holds the body text box.
bool IsSetupDialog(HWND window) {
    return IsEnabled(window) && driver::IsSetupDialog(window);
}

// The dialog, still on screen just after OK, is no box.
bool IsMessageBox(HWND window) {
    return IsEnabled(window) && driver::IsMessageBox(window);
}

// The peer's wizard: an outer dialog whose page is a visible child dialog.
bool IsWizardWithPage(HWND window) {
    if (!IsEnabled(window)) {
        return false;
    }
    for (HWND child = FindWindowExA(window, nullptr, "#32770", nullptr); child != nullptr;
         child = FindWindowExA(window, child, "#32770", nullptr)) {
        if (IsWindowVisible(child)) {
            return true;
        }
    }
    return false;
}

bool IsFirstPage(HWND window) {
    return IsSetupDialog(window) || IsWizardWithPage(window);
}

// Polls the process's visible top-level dialogs until one passes `wanted`;
// null when the process ends or the time runs out first. Only windows of the
// dialog class are listed: each listed window costs a round trip to the
// wineserver, which the timed program needs for every file it creates.
HWND WaitForWindow(const driver::ChildProcess& process, bool (*wanted)(HWND), DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        for (HWND window = FindWindowExA(nullptr, nullptr, "#32770", nullptr); window != nullptr;
             window = FindWindowExA(nullptr, window, "#32770", nullptr)) {
            DWORD owner = 0;
            (void)GetWindowThreadProcessId(window, &owner);
            if (owner == process.Id() && IsWindowVisible(window) && wanted(window)) {
                return window;
            }
        }
        if (process.HasExited() || GetTickCount() - start >= timeoutMs) {
            return nullptr;
        }
        Sleep(kPollMs);
    }
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = '|';
        }
    }
    return text;
}

// Starts `exe` with `arguments` in `folder`, presses OK in the setup dialog and
// times the span until a message box shows; the box is then closed with OK.
int TimeDialogToBox(const std::string& exe, const std::string& arguments, const std::string& folder) {
    driver::ChildProcess process;
    const std::string commandLine = arguments.empty() ? Quoted(exe) : Quoted(exe) + " " + arguments;
    if (!process.Start(exe, commandLine, folder)) {
        std::fprintf(stderr, "bench_driver: can't start %s (error %lu)\n", exe.c_str(), GetLastError());
        return kFailureStatus;
    }
    HWND dialog = WaitForWindow(process, IsSetupDialog, kStartTimeoutMs);
    if (dialog == nullptr) {
        std::fprintf(stderr, "bench_driver: no setup dialog\n");
        return kFailureStatus;
    }
    const double start = Now();
    if (!driver::PressButton(dialog, IDOK)) {
        std::fprintf(stderr, "bench_driver: can't press OK\n");
        return kFailureStatus;
    }
    HWND box = WaitForWindow(process, IsMessageBox, kWorkTimeoutMs);
    const double end = Now();
    if (box == nullptr) {
        std::fprintf(stderr, "bench_driver: no message box after OK\n");
        return kFailureStatus;
    }
    const driver::MessageBoxContents contents = driver::ReadMessageBox(box);
    // A press posted while the box is still being set up can be lost on a
    // slow machine; pressing again once the first had its time is harmless
    // (a box already gone takes nothing).
    DWORD exitCode = 0;
    bool exited = false;
    for (DWORD waited = 0; !exited && waited < kStartTimeoutMs; waited += kPressAgainMs) {
        (void)driver::PressButton(box, IDOK);
        exited = process.WaitForExit(exitCode, kPressAgainMs);
    }
    if (!exited) {
        std::fprintf(stderr, "bench_driver: no exit after the box\n");
        return kFailureStatus;
    }
    std::printf("seconds=%.6f\nexit=%ld\ncaption=%s\ntext=%s\n", end - start, static_cast<long>(exitCode),
                OneLine(contents.caption).c_str(), OneLine(contents.text).c_str());
    return 0;
}

int TimeStartup(const std::string& exe, const std::string& folder) {
    driver::ChildProcess process;
    const double start = Now();
    if (!process.Start(exe, Quoted(exe), folder)) {
        std::fprintf(stderr, "bench_driver: can't start %s (error %lu)\n", exe.c_str(), GetLastError());
        return kFailureStatus;
    }
    HWND page = WaitForWindow(process, IsFirstPage, kStartTimeoutMs);
    const double end = Now();
    if (page == nullptr) {
        std::fprintf(stderr, "bench_driver: no first page\n");
        return kFailureStatus;
    }
    // Nothing has been written yet; ending the process leaves nothing behind.
    process.Kill();
    std::printf("seconds=%.6f\n", end - start);
    return 0;
}

int TimeRun(const std::string& folder, const std::string& commandLine) {
    driver::ChildProcess process;
    const double start = Now();
    if (!process.Start("", commandLine, folder)) {
        std::fprintf(stderr, "bench_driver: can't start %s (error %lu)\n", commandLine.c_str(), GetLastError());
        return kFailureStatus;
    }
    DWORD exitCode = 0;
    const bool exited = process.WaitForExit(exitCode, kWorkTimeoutMs);
    const double end = Now();
    if (!exited) {
        std::fprintf(stderr, "bench_driver: no exit in time\n");
        return kFailureStatus;
    }
    std::printf("seconds=%.6f\nexit=%ld\n", end - start, static_cast<long>(exitCode));
    return 0;
}

std::string JoinPath(const std::string& folder, const char* name) {
    return (!folder.empty() && folder.back() == '\\') ? folder + name : folder + "\\" + name;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "install" && argc == 3) {
        return TimeDialogToBox(JoinPath(argv[2], "Setup.exe"), "", argv[2]);
    }
    if (command == "uninstall" && argc == 3) {
        // As the uninstall shortcut starts it: in the target folder.
        return TimeDialogToBox(JoinPath(argv[2], "Setup.exe"), "-uninstall", argv[2]);
    }
    if (command == "startup" && argc == 4) {
        return TimeStartup(argv[2], argv[3]);
    }
    if (command == "run" && argc == 4) {
        return TimeRun(argv[2], argv[3]);
    }
    std::fprintf(stderr,
                 "usage: bench_driver install MEDIUM | uninstall TARGET | startup EXE FOLDER |"
                 " run FOLDER COMMAND_LINE\n");
    return kUsageStatus;
}
