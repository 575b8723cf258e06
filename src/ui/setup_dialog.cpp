#include "ui/setup_dialog.h"

#include "setupfile/code_page.h"
#include "ui/dialog_picture.h"
#include "ui/globals.h"
#include "ui/message_box.h"
#include "ui/resource.h"

SetupDialogTexts DialogTexts;
bool g_confirmCancel = false;

namespace {

// The texts are set wide: an ANSI call would turn every character outside
// the code page into a question mark.
void SetControlText(HWND dialog, int controlId, const std::string& text) {
    // A control missing from the template simply stays as it is.
    (void)SetWindowTextW(GetDlgItem(dialog, controlId), WideOfText(text).c_str());
}

BOOL OnInitDialog(HWND dialog) {
    (void)SetWindowTextW(dialog, WideOfText(DialogTexts.caption).c_str());
    SetControlText(dialog, IDC_HEADING, DialogTexts.heading);
    SetControlText(dialog, IDC_BODY, DialogTexts.body);
    SetControlText(dialog, IDOK, DialogTexts.okLabel);
    SetControlText(dialog, IDCANCEL, DialogTexts.cancelLabel);
    (void)SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_dialogIcon));
    FitPictureToScreen(dialog);
    return TRUE;  // the platform focuses the first tab stop, the OK button
}

void OnCommand(HWND dialog, int controlId) {
    if (controlId == IDOK) {
        (void)EndDialog(dialog, kDialogConfirmed);
        return;
    }
    if (controlId != IDCANCEL) {
        return;
    }
    // Cancel, Esc, the close box and Alt+F4 all arrive here.
    if (g_confirmCancel && ShowMessage(DialogTexts.abortQuestion, DialogTexts.abortCaption, MB_YESNO) != IDYES) {
        return;
    }
    (void)EndDialog(dialog, kDialogCancelled);
}

}  // namespace

INT_PTR CALLBACK SetupDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(window);
        case WM_COMMAND:
            OnCommand(window, LOWORD(wParam));
            return FALSE;
        case WM_DESTROY:
            RestoreOriginalPicture(window);
            return FALSE;
        default:
            return FALSE;
    }
}

INT_PTR RunSetupDialog() {
    return DialogBoxParamW(g_instance, MAKEINTRESOURCEW(IDD_SETUP), nullptr, SetupDialogProc, 0);
}
