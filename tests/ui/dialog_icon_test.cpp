// The setup dialog in this process, for what Wine doesn't answer across
// processes: its big icon is g_dialogIcon, and it has no small icon.

#include <gtest/gtest.h>

#include "ui/globals.h"
#include "ui/resource.h"
#include "ui/setup_dialog.h"
#include "window_driver.h"

namespace {

struct DialogIcons {
    bool found = false;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
};

DWORD WINAPI ReadIconsAndConfirm(LPVOID parameter) {
    auto* icons = static_cast<DialogIcons*>(parameter);
    HWND dialog = driver::WaitForSetupDialog(GetCurrentProcessId());
    if (dialog == nullptr) {
        return 1;
    }
    icons->found = true;
    icons->bigIcon = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));
    icons->smallIcon = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));
    (void)driver::PressButton(dialog, IDOK);
    return 0;
}

TEST(SetupDialogIcon, BigIconIsTheProgramIconAndNoSmallIconIsSet) {
    g_instance = GetModuleHandleA(nullptr);
    g_dialogIcon = LoadIconA(g_instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    ASSERT_NE(g_dialogIcon, nullptr);
    DialogTexts.caption = "Icon";
    g_confirmCancel = false;
    DialogIcons icons;
    HANDLE thread = CreateThread(nullptr, 0, ReadIconsAndConfirm, &icons, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(RunSetupDialog(), IDOK);
    (void)WaitForSingleObject(thread, INFINITE);
    (void)CloseHandle(thread);
    ASSERT_TRUE(icons.found);
    EXPECT_EQ(icons.bigIcon, g_dialogIcon);
    EXPECT_EQ(icons.smallIcon, nullptr);
}

}  // namespace
