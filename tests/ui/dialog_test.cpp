// The setup dialog driven from another process: its texts, its buttons and
// keys, and the cancel question.

#include <gtest/gtest.h>

#include <string>

#include "setupfile/text.h"
#include "test_env.h"
#include "window_driver.h"

namespace {

using driver::kSetupBodyId;
using driver::kSetupHeadingId;
constexpr DWORD kDialogCancelled = 2;
constexpr DWORD kDialogConfirmed = 1;

struct Texts {
    std::string caption = "Caption";
    std::string heading = "Heading";
    std::string body = "Body";
    std::string okLabel = "&Install";
    std::string cancelLabel = "Exit";
    std::string abortQuestion = "Really exit without installing the patch?";
    std::string abortCaption = "Exit";
};

std::string HostPath() {
    char self[MAX_PATH + 1] = "";
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof(self));
    std::string path(self, length < sizeof(self) ? length : 0);
    return path.substr(0, path.find_last_of('\\') + 1) + "dialog_host.exe";
}

// One dialog_host process showing the dialog with `texts`.
class ShownDialog {
public:
    ShownDialog(const Texts& texts, bool confirmCancel) {
        const std::string file = folder_ / "texts.bin";
        std::string bytes;
        for (const std::string* text : {&texts.caption, &texts.heading, &texts.body, &texts.okLabel,
                                        &texts.cancelLabel, &texts.abortQuestion, &texts.abortCaption}) {
            bytes += *text;
            bytes += '\0';
        }
        if (!testenv::WriteFileBytes(file, bytes)) {
            return;
        }
        const std::string host = HostPath();
        const std::string line = "\"" + host + "\" \"" + file + "\" " + (confirmCancel ? "1" : "0");
        if (process_.Start(host, line, folder_.Path())) {
            dialog_ = driver::WaitForSetupDialog(process_.Id());
        }
    }

    HWND Dialog() const { return dialog_; }
    DWORD Id() const { return process_.Id(); }

    // The exit status, or a value no dialog gives when it did not end in time.
    DWORD ExitStatus() {
        DWORD status = 0;
        return process_.WaitForExit(status) ? status : 0xDEADu;
    }
    bool StillRunning() const { return !process_.HasExited(); }

private:
    testenv::ScratchFolder folder_{"dialog"};
    driver::ChildProcess process_;
    HWND dialog_ = nullptr;
};

HWND FocusOf(HWND dialog) {
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

// Blocking: Wine's SendMessageTimeoutA across processes reports a failure
// when the answer is 0. The dialog's thread is always pumping here.
LRESULT SendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(window, message, wParam, lParam);
}

TEST(SetupDialog, ShowsEachTextInItsControl) {
    Texts texts;
    texts.caption = "R&D Patch 1.2";
    texts.heading = "R&D Patch 1.2";
    texts.body = ExpandLineBreaks("First line\\nSecond line\\n\\nFourth line");
    texts.okLabel = "&Install";
    texts.cancelLabel = "Exit";
    ShownDialog shown(texts, true);
    HWND dialog = shown.Dialog();
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(driver::WindowText(dialog), texts.caption);
    EXPECT_EQ(driver::ControlText(dialog, kSetupHeadingId), texts.heading);
    EXPECT_EQ(driver::ControlText(dialog, kSetupBodyId), "First line\r\nSecond line\r\n\r\nFourth line");
    EXPECT_EQ(driver::ControlText(dialog, IDOK), "&Install");
    EXPECT_EQ(driver::ControlText(dialog, IDCANCEL), "Exit");
    // Each escape became a line break of the body.
    HWND body = GetDlgItem(dialog, kSetupBodyId);
    EXPECT_EQ(SendTo(body, EM_GETLINECOUNT), 4);
    EXPECT_EQ(SendTo(body, EM_LINEINDEX, 1), 12);

    // No owner (its icons are checked in-process: Wine answers WM_GETICON
    // from another process with 0).
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    // OK is the default button and has the focus.
    const LRESULT defaultId = SendTo(dialog, DM_GETDEFID);
    EXPECT_EQ(HIWORD(defaultId), DC_HASDEFID);
    EXPECT_EQ(LOWORD(defaultId), IDOK);
    EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDOK));

    ASSERT_TRUE(driver::PressButton(dialog, IDOK));
    EXPECT_EQ(shown.ExitStatus(), kDialogConfirmed);
}

TEST(SetupDialog, EmptyBodyAndLongLinesThatWrap) {
    Texts texts;
    texts.body = "";
    ShownDialog empty(texts, false);
    ASSERT_NE(empty.Dialog(), nullptr);
    EXPECT_EQ(driver::ControlText(empty.Dialog(), kSetupBodyId), "");
    ASSERT_TRUE(driver::PressButton(empty.Dialog(), IDOK));
    EXPECT_EQ(empty.ExitStatus(), kDialogConfirmed);

    std::string longLine;
    for (int word = 0; word < 80; ++word) {
        longLine += "word ";
    }
    texts.body = longLine;
    ShownDialog wrapped(texts, false);
    ASSERT_NE(wrapped.Dialog(), nullptr);
    // No horizontal scrolling: the one line is shown on several.
    EXPECT_GT(SendTo(GetDlgItem(wrapped.Dialog(), kSetupBodyId), EM_GETLINECOUNT), 2);
    ASSERT_TRUE(driver::PressButton(wrapped.Dialog(), IDOK));
    EXPECT_EQ(wrapped.ExitStatus(), kDialogConfirmed);
}

TEST(SetupDialog, EnterOnOpeningProceeds) {
    ShownDialog shown(Texts(), true);
    ASSERT_NE(shown.Dialog(), nullptr);
    ASSERT_TRUE(driver::PressKey(shown.Dialog(), VK_RETURN));
    EXPECT_EQ(shown.ExitStatus(), kDialogConfirmed);
}

// The three ways a user cancels; the platform turns each into IDCANCEL.
enum class CancelWay { Button, EscapeKey, CloseBox };

bool Cancel(HWND dialog, CancelWay way) {
    switch (way) {
        case CancelWay::Button:
            return driver::PressButton(dialog, IDCANCEL);
        case CancelWay::EscapeKey:
            return driver::PressKey(dialog, VK_ESCAPE);
        case CancelWay::CloseBox:
            return driver::PressCloseBox(dialog);
    }
    return false;
}

std::string WayName(const ::testing::TestParamInfo<CancelWay>& info) {
    switch (info.param) {
        case CancelWay::Button:
            return "Button";
        case CancelWay::EscapeKey:
            return "EscapeKey";
        case CancelWay::CloseBox:
            return "CloseBox";
    }
    return "Unknown";
}

class CancelWithQuestion : public ::testing::TestWithParam<CancelWay> {};

TEST_P(CancelWithQuestion, NoKeepsTheDialogAndYesEndsItWithTwo) {
    Texts texts;
    texts.caption = "Patch";
    texts.heading = "Patch";
    texts.body = "Body\r\ntext";
    texts.abortQuestion = "Leave\r\nnow?";
    texts.abortCaption = "Leaving";
    ShownDialog shown(texts, true);
    HWND dialog = shown.Dialog();
    ASSERT_NE(dialog, nullptr);

    ASSERT_TRUE(Cancel(dialog, GetParam()));
    HWND question = driver::WaitForMessageBox(shown.Id());
    ASSERT_NE(question, nullptr);
    const driver::MessageBoxContents asked = driver::ReadMessageBox(question);
    EXPECT_EQ(asked.caption, "Leaving");
    EXPECT_EQ(asked.text, "Leave\r\nnow?");
    EXPECT_TRUE(asked.hasYes);
    EXPECT_TRUE(asked.hasNo);
    EXPECT_FALSE(asked.hasOk);
    EXPECT_TRUE(asked.hasIcon);
    EXPECT_FALSE(asked.hasOwner);
    // Task-modal: the dialog waits, disabled, until the question is answered.
    EXPECT_FALSE(IsWindowEnabled(dialog));

    ASSERT_TRUE(driver::PressButton(question, IDNO));
    ASSERT_TRUE(driver::WaitForWindowGone(question));
    ASSERT_EQ(driver::WaitForSetupDialog(shown.Id()), dialog);
    EXPECT_TRUE(shown.StillRunning());
    EXPECT_EQ(driver::WindowText(dialog), "Patch");
    EXPECT_EQ(driver::ControlText(dialog, kSetupHeadingId), "Patch");
    EXPECT_EQ(driver::ControlText(dialog, kSetupBodyId), "Body\r\ntext");
    EXPECT_EQ(driver::ControlText(dialog, IDOK), "&Install");
    EXPECT_EQ(driver::ControlText(dialog, IDCANCEL), "Exit");

    ASSERT_TRUE(Cancel(dialog, GetParam()));
    question = driver::WaitForMessageBox(shown.Id());
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(driver::PressButton(question, IDYES));
    EXPECT_EQ(shown.ExitStatus(), kDialogCancelled);
}

INSTANTIATE_TEST_SUITE_P(Ways, CancelWithQuestion,
                         ::testing::Values(CancelWay::Button, CancelWay::EscapeKey, CancelWay::CloseBox), WayName);

TEST(CancelWithQuestion, EnterAnswersYes) {
    ShownDialog shown(Texts(), true);
    ASSERT_NE(shown.Dialog(), nullptr);
    ASSERT_TRUE(driver::PressButton(shown.Dialog(), IDCANCEL));
    HWND question = driver::WaitForMessageBox(shown.Id());
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(driver::PressKey(question, VK_RETURN));
    EXPECT_EQ(shown.ExitStatus(), kDialogCancelled);
}

class CancelWithoutQuestion : public ::testing::TestWithParam<CancelWay> {};

TEST_P(CancelWithoutQuestion, EndsTheDialogAtOnceWithTwo) {
    ShownDialog shown(Texts(), false);
    ASSERT_NE(shown.Dialog(), nullptr);
    ASSERT_TRUE(Cancel(shown.Dialog(), GetParam()));
    // A question would keep the process waiting past this.
    EXPECT_EQ(shown.ExitStatus(), kDialogCancelled);
}

INSTANTIATE_TEST_SUITE_P(Ways, CancelWithoutQuestion,
                         ::testing::Values(CancelWay::Button, CancelWay::EscapeKey, CancelWay::CloseBox), WayName);

}  // namespace
