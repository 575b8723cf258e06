#pragma once
// Drives another process's windows the way a person would: start it, find
// its windows, read their texts, press buttons and keys, wait for its end.

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

// Control ids by which the two kinds of dialog are told apart.
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kSetupHeadingId = 1000;
constexpr int kSetupBodyId = 1001;

// The setup dialog holds its body text box. A message box holds its text
// (0xFFFF) and no body: the setup dialog's picture has id -1, which
// GetDlgItem also finds for 0xFFFF.
bool IsSetupDialog(HWND dialog);
bool IsMessageBox(HWND dialog);

// How long a test waits for a window or an exit before giving up.
constexpr DWORD kDefaultTimeoutMs = 15000;

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `commandLine` (program name first) in `workingDirectory`, with
    // `applicationName` as the file to run (empty: taken from the command line);
    // all three in UTF-8, as the test environment writes paths.
    bool Start(const std::string& applicationName, const std::string& commandLine,
               const std::string& workingDirectory);

    DWORD Id() const { return processId_; }
    HANDLE Handle() const { return process_; }

    // Waits for the end; true and the whole 32-bit status when it ended in time.
    bool WaitForExit(DWORD& exitCode, DWORD timeoutMs = kDefaultTimeoutMs);
    bool HasExited() const;
    // Ends a process that a failed test left running.
    void Kill();

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

// Visible top-level windows of a process.
std::vector<HWND> TopLevelWindows(DWORD processId);

// Waits for a visible, enabled top-level dialog (#32770) of the process that
// holds a control with `controlId`. A message box holds 0xFFFF (its text)
// and no 1001; the setup dialog holds 1001 (its body). Null on time-out.
HWND WaitForDialogWithControl(DWORD processId, int controlId, DWORD timeoutMs = kDefaultTimeoutMs);
HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs = kDefaultTimeoutMs);
HWND WaitForSetupDialog(DWORD processId, DWORD timeoutMs = kDefaultTimeoutMs);

// Waits until the window is gone; false on time-out.
bool WaitForWindowGone(HWND window, DWORD timeoutMs = kDefaultTimeoutMs);

// Text of a window or control of any process (WM_GETTEXT, marshalled).
std::string WindowText(HWND window);
std::string ControlText(HWND dialog, int controlId);
// The same through the wide calls, as UTF-8: every character the window holds.
std::string FullWindowText(HWND window);
std::string FullControlText(HWND dialog, int controlId);
std::string ClassName(HWND window);

// Presses a button as a click would: the dialog receives WM_COMMAND with the
// button's id. Posted, so a box that the press opens doesn't block the caller.
bool PressButton(HWND dialog, int controlId);

// A key stroke to the window that has the keyboard focus in the dialog's
// thread (Enter, Esc, ...), posted as key down and key up.
bool PressKey(HWND dialog, UINT virtualKey);

// The close box of the caption.
bool PressCloseBox(HWND window);

// Text of a message box, its caption, and whether it holds a given button.
struct MessageBoxContents {
    std::string caption;
    std::string text;
    bool hasOk = false;
    bool hasYes = false;
    bool hasNo = false;
    bool hasIcon = false;    // the icon control shows an icon
    bool hasOwner = false;   // an owner window was given
};
MessageBoxContents ReadMessageBox(HWND box);

}  // namespace driver
