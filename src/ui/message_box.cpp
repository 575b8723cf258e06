#include "ui/message_box.h"

#include <windows.h>

#include "setupfile/code_page.h"
#include "ui/globals.h"
#include "ui/resource.h"

namespace {

// The icon bits of a message-box type; the program icon replaces them.
constexpr unsigned kIconBits = MB_ICONHAND | MB_ICONQUESTION | MB_ICONEXCLAMATION | MB_ICONASTERISK;

}  // namespace

int ShowMessage(const std::string& text, const std::string& caption, unsigned type) {
    return ShowMessage(WideOfText(text), caption, type);
}

int ShowMessage(const std::wstring& text, const std::string& caption, unsigned type) {
    return ShowMessage(text, WideOfText(caption), type);
}

int ShowMessage(const std::wstring& text, const std::wstring& wideCaption, unsigned type) {
    MSGBOXPARAMSW params;
    ZeroMemory(&params, sizeof(params));
    params.cbSize = sizeof(params);
    params.hwndOwner = nullptr;  // task-modal instead: the open dialog is disabled too
    params.hInstance = g_instance;
    params.lpszText = text.c_str();
    params.lpszCaption = wideCaption.c_str();
    params.dwStyle = (type & ~kIconBits) | MB_USERICON | MB_TASKMODAL;
    params.lpszIcon = MAKEINTRESOURCEW(IDI_PROGRAM);
    params.dwContextHelpId = 0;
    params.lpfnMsgBoxCallback = nullptr;
    params.dwLanguageId = 0;
    return MessageBoxIndirectW(&params);
}
