#include "window_driver.h"

#include "test_env.h"

#include <vector>

namespace driver {

namespace {

// Polling step while waiting for windows: short enough to keep tests quick.
constexpr DWORD kPollMs = 20;
constexpr UINT kMessageTimeoutMs = 5000;
constexpr int kMessageBoxIconId = 1088;

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) {
        search->windows.push_back(window);
    }
    return TRUE;
}

bool TimedOut(DWORD start, DWORD timeoutMs) {
    return GetTickCount() - start >= timeoutMs;
}

}  // namespace

ChildProcess::~ChildProcess() {
    if (process_ != nullptr) {
        if (!HasExited()) {
            Kill();
        }
        CloseHandle(process_);
    }
}

bool ChildProcess::Start(const std::string& applicationName, const std::string& commandLine,
                         const std::string& workingDirectory) {
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info;
    ZeroMemory(&info, sizeof(info));
    const std::wstring application = testenv::WideFromUtf8(applicationName);
    const std::wstring folder = testenv::WideFromUtf8(workingDirectory);
    std::wstring mutableLine = testenv::WideFromUtf8(commandLine);
    if (!CreateProcessW(application.empty() ? nullptr : application.c_str(), &mutableLine[0], nullptr, nullptr, FALSE,
                        0, nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    return true;
}

bool ChildProcess::WaitForExit(DWORD& exitCode, DWORD timeoutMs) {
    if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    return GetExitCodeProcess(process_, &exitCode) != FALSE;
}

bool ChildProcess::HasExited() const {
    return process_ == nullptr || WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

void ChildProcess::Kill() {
    if (process_ != nullptr) {
        TerminateProcess(process_, 0xDEAD);
        WaitForSingleObject(process_, kDefaultTimeoutMs);
    }
}

std::vector<HWND> TopLevelWindows(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

namespace {

// Waits for a visible, enabled top-level dialog of the process that `matches`.
template <typename Match>
HWND WaitForDialog(DWORD processId, DWORD timeoutMs, Match matches) {
    const DWORD start = GetTickCount();
    for (;;) {
        for (HWND window : TopLevelWindows(processId)) {
            if (ClassName(window) == "#32770" && IsWindowEnabled(window) && matches(window)) {
                return window;
            }
        }
        if (TimedOut(start, timeoutMs)) {
            return nullptr;
        }
        Sleep(kPollMs);
    }
}

}  // namespace

HWND WaitForDialogWithControl(DWORD processId, int controlId, DWORD timeoutMs) {
    return WaitForDialog(processId, timeoutMs,
                         [controlId](HWND window) { return GetDlgItem(window, controlId) != nullptr; });
}

bool IsSetupDialog(HWND dialog) {
    return GetDlgItem(dialog, kSetupBodyId) != nullptr;
}

bool IsMessageBox(HWND dialog) {
    return GetDlgItem(dialog, kMessageBoxTextId) != nullptr && !IsSetupDialog(dialog);
}

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
    return WaitForDialog(processId, timeoutMs, IsMessageBox);
}

HWND WaitForSetupDialog(DWORD processId, DWORD timeoutMs) {
    return WaitForDialogWithControl(processId, kSetupBodyId, timeoutMs);
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (TimedOut(start, timeoutMs)) {
            return false;
        }
        Sleep(kPollMs);
    }
    return true;
}

std::string WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length)) {
        return std::string();
    }
    std::vector<char> buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied)) {
        return std::string();
    }
    return std::string(buffer.data(), copied);
}

std::string ControlText(HWND dialog, int controlId) {
    HWND control = GetDlgItem(dialog, controlId);
    return control == nullptr ? std::string() : WindowText(control);
}

std::string FullWindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length)) {
        return std::string();
    }
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied)) {
        return std::string();
    }
    return testenv::Utf8FromWide(std::wstring(buffer.data(), copied).c_str());
}

std::string FullControlText(HWND dialog, int controlId) {
    HWND control = GetDlgItem(dialog, controlId);
    return control == nullptr ? std::string() : FullWindowText(control);
}

std::string ClassName(HWND window) {
    char name[256] = "";
    int length = GetClassNameA(window, name, sizeof(name));
    return std::string(name, length > 0 ? length : 0);
}

bool PressButton(HWND dialog, int controlId) {
    HWND button = GetDlgItem(dialog, controlId);
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED), reinterpret_cast<LPARAM>(button)) !=
           FALSE;
}

bool PressKey(HWND dialog, UINT virtualKey) {
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    HWND target = dialog;
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr) {
        target = info.hwndFocus;
    }
    const UINT scan = MapVirtualKeyA(virtualKey, 0);
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    const LPARAM up = down | (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
    return PostMessageA(target, WM_KEYDOWN, virtualKey, down) && PostMessageA(target, WM_KEYUP, virtualKey, up);
}

bool PressCloseBox(HWND window) {
    return PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
}

MessageBoxContents ReadMessageBox(HWND box) {
    MessageBoxContents contents;
    contents.caption = WindowText(box);
    contents.text = ControlText(box, kMessageBoxTextId);
    contents.hasOk = GetDlgItem(box, IDOK) != nullptr;
    contents.hasYes = GetDlgItem(box, IDYES) != nullptr;
    contents.hasNo = GetDlgItem(box, IDNO) != nullptr;
    HWND icon = GetDlgItem(box, kMessageBoxIconId);
    DWORD_PTR iconHandle = 0;
    if (icon != nullptr &&
        SendMessageTimeoutA(icon, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &iconHandle)) {
        contents.hasIcon = iconHandle != 0;
    }
    contents.hasOwner = GetWindow(box, GW_OWNER) != nullptr;
    return contents;
}

}  // namespace driver
