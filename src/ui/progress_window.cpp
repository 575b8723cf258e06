#include "ui/progress_window.h"

#include <commctrl.h>

#include "ui/globals.h"
#include "ui/message_box.h"
#include "ui/resource.h"

namespace {

// A quick install shows no window at all.
constexpr DWORD kDelayMs = 1000;
// Messages are let through this often: often enough for a window that
// answers, seldom enough to cost the copy nothing.
constexpr DWORD kLookEveryMs = 50;
// The bar's range: a total in bytes may not fit the control's.
constexpr int kBarSteps = 1000;

INT_PTR CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            (void)SetWindowLongPtrW(window, DWLP_USER, lParam);
            return TRUE;
        case WM_COMMAND: {
            // The button, Esc and the close box all arrive as Cancel.
            auto* progress = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, DWLP_USER));
            if (LOWORD(wParam) == IDCANCEL && progress != nullptr && progress->cancelAllowed) {
                progress->cancelAsked = true;
            }
            return TRUE;
        }
        default:
            return FALSE;
    }
}

int BarPosition(const ProgressWindow& progress) {
    if (progress.total == 0) {
        return 0;
    }
    const std::uint64_t done = progress.done < progress.total ? progress.done : progress.total;
    return static_cast<int>(done * kBarSteps / progress.total);
}

void MakeWindow(ProgressWindow& progress) {
    if (progress.registerBar == nullptr || !progress.registerBar()) {
        progress.unavailable = true;
        return;
    }
    progress.window = CreateDialogParamW(g_instance, MAKEINTRESOURCEW(IDD_PROGRESS), nullptr, ProgressProc,
                                         reinterpret_cast<LPARAM>(&progress));
    if (progress.window == nullptr) {
        progress.unavailable = true;
        return;
    }
    // A control missing from the template simply stays as it is.
    (void)SetWindowTextW(progress.window, progress.texts.caption.c_str());
    (void)SetDlgItemTextW(progress.window, IDC_PROGRESS_TEXT, progress.texts.line.c_str());
    (void)SetDlgItemTextW(progress.window, IDCANCEL, progress.texts.cancelLabel.c_str());
    (void)SendDlgItemMessageW(progress.window, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, kBarSteps);
    (void)EnableWindow(GetDlgItem(progress.window, IDCANCEL), progress.cancelAllowed);
    (void)ShowWindow(progress.window, SW_SHOW);
}

void LetMessagesThrough(ProgressWindow& progress) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (progress.window == nullptr || !IsDialogMessageW(progress.window, &message)) {
            (void)TranslateMessage(&message);
            (void)DispatchMessageW(&message);
        }
    }
}

}  // namespace

void StartProgress(ProgressWindow& progress, const ProgressTexts& texts, std::uint64_t total) {
    progress.texts = texts;
    progress.total = total;
    progress.done = 0;
    progress.started = GetTickCount();
    progress.lastLook = progress.started;
}

void ShowProgressItem(ProgressWindow& progress, const std::wstring& item) {
    progress.item = item;
    progress.itemShown = false;
}

bool AdvanceProgress(ProgressWindow& progress, std::uint64_t units) {
    progress.done += units;
    const DWORD now = GetTickCount();
    if (now - progress.lastLook < kLookEveryMs) {
        return false;
    }
    progress.lastLook = now;
    if (progress.window == nullptr) {
        if (progress.unavailable || now - progress.started < kDelayMs) {
            return false;
        }
        MakeWindow(progress);
        if (progress.window == nullptr) {
            return false;
        }
    }
    if (!progress.itemShown) {
        (void)SetDlgItemTextW(progress.window, IDC_PROGRESS_FILE, progress.item.c_str());
        progress.itemShown = true;
    }
    (void)SendDlgItemMessageW(progress.window, IDC_PROGRESS_BAR, PBM_SETPOS, BarPosition(progress), 0);
    LetMessagesThrough(progress);
    const bool asked = progress.cancelAsked;
    progress.cancelAsked = false;
    return asked;
}

bool ConfirmCancel(const ProgressWindow& progress) {
    if (progress.texts.abortQuestion.empty()) {
        return true;
    }
    return ShowMessage(progress.texts.abortQuestion, progress.texts.abortCaption, MB_YESNO) == IDYES;
}

void AllowCancel(ProgressWindow& progress, bool allowed) {
    progress.cancelAllowed = allowed;
    if (progress.window != nullptr) {
        (void)EnableWindow(GetDlgItem(progress.window, IDCANCEL), allowed);
    }
}

void EndProgress(ProgressWindow& progress) {
    if (progress.window != nullptr) {
        (void)DestroyWindow(progress.window);
        progress.window = nullptr;
    }
}
