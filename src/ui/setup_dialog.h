#pragma once
// The one setup dialog, shown by install and uninstall mode.

#include <windows.h>

#include <string>

// What the dialog shows; the mode procedure fills it before opening it.
struct SetupDialogTexts {
    std::string caption;
    std::string heading;
    std::string body;
    std::string okLabel;
    std::string cancelLabel;
    std::string abortQuestion;  // asked on Cancel when g_confirmCancel is set
    std::string abortCaption;
};

extern SetupDialogTexts DialogTexts;
extern bool g_confirmCancel;

// Dialog results that callers act on.
constexpr INT_PTR kDialogConfirmed = IDOK;
constexpr INT_PTR kDialogCancelled = IDCANCEL;
constexpr INT_PTR kDialogNotShown = -1;

INT_PTR CALLBACK SetupDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Shows IDD_SETUP modally without owner; 1 confirmed, 2 cancelled, -1 not shown.
INT_PTR RunSetupDialog();
