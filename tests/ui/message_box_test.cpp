// ShowMessage in this process, with the program's resources linked in: the
// box is checked from a second thread while the first waits in it.

#include <gtest/gtest.h>

#include <string>

#include "ui/globals.h"
#include "ui/message_box.h"
#include "ui/resource.h"
#include "window_driver.h"

namespace {

constexpr int kMessageBoxIconId = 1088;

// What the second thread saw while the box was open.
struct SeenBox {
    bool found = false;
    driver::MessageBoxContents contents;
    bool ownerWindowEnabled = true;
    HICON icon = nullptr;
};

struct Watch {
    HWND ownerCandidate;   // a top-level window of the thread that shows the box
    int answerButton;      // pressed when non-zero
    UINT answerKey;        // else this key is pressed
    SeenBox seen;
};

DWORD WINAPI WatchBox(LPVOID parameter) {
    auto* watch = static_cast<Watch*>(parameter);
    HWND box = driver::WaitForMessageBox(GetCurrentProcessId());
    if (box == nullptr) {
        return 1;
    }
    watch->seen.found = true;
    watch->seen.contents = driver::ReadMessageBox(box);
    watch->seen.ownerWindowEnabled = IsWindowEnabled(watch->ownerCandidate) != FALSE;
    DWORD_PTR icon = 0;
    if (SendMessageTimeoutA(GetDlgItem(box, kMessageBoxIconId), STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon)) {
        watch->seen.icon = reinterpret_cast<HICON>(icon);
    }
    if (watch->answerButton != 0) {
        (void)driver::PressButton(box, watch->answerButton);
    } else {
        (void)driver::PressKey(box, watch->answerKey);
    }
    return 0;
}

class ShowMessageTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_instance = GetModuleHandleA(nullptr);
        window_ = CreateWindowExA(0, "STATIC", "Main window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                  nullptr, nullptr, g_instance, nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        if (window_ != nullptr) {
            (void)DestroyWindow(window_);
        }
    }

    // Shows the box on this thread and answers it from another one.
    int ShowAndAnswer(const std::string& text, const std::string& caption, unsigned type, int button,
                      UINT key, SeenBox& seen) {
        Watch watch{window_, button, key, SeenBox()};
        HANDLE thread = CreateThread(nullptr, 0, WatchBox, &watch, 0, nullptr);
        if (thread == nullptr) {
            return -100;
        }
        const int answer = ShowMessage(text, caption, type);
        (void)WaitForSingleObject(thread, INFINITE);
        (void)CloseHandle(thread);
        seen = watch.seen;
        return answer;
    }

    HWND window_ = nullptr;
};

struct BoxCase {
    const char* name;
    unsigned type;
    int button;  // 0: press the key instead
    UINT key;
    bool yesNo;
    int expected;
};

class ShowMessageCases : public ShowMessageTest, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(ShowMessageCases, TaskModalWithoutOwnerAndAlwaysTheProgramIcon) {
    const BoxCase& box = GetParam();
    SeenBox seen;
    const int answer =
        ShowAndAnswer("First line\r\nSecond line", "Caption \\n kept", box.type, box.button, box.key, seen);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(answer, box.expected);
    EXPECT_EQ(seen.contents.caption, "Caption \\n kept");
    EXPECT_EQ(seen.contents.text, "First line\r\nSecond line");
    EXPECT_EQ(seen.contents.hasOk, !box.yesNo);
    EXPECT_EQ(seen.contents.hasYes, box.yesNo);
    EXPECT_EQ(seen.contents.hasNo, box.yesNo);
    EXPECT_FALSE(seen.contents.hasOwner);
    // Task-modal: the thread's other top-level window waits, disabled.
    EXPECT_FALSE(seen.ownerWindowEnabled);
    EXPECT_TRUE(IsWindowEnabled(window_));
    // Icons are shared per module and resource: the same handle means the same icon.
    EXPECT_EQ(seen.icon, LoadIconA(g_instance, MAKEINTRESOURCEA(IDI_PROGRAM)));
    EXPECT_NE(seen.icon, nullptr);
}

std::string BoxName(const ::testing::TestParamInfo<BoxCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Types, ShowMessageCases,
    ::testing::Values(BoxCase{"OkBox", MB_OK, IDOK, 0, false, IDOK},
                      BoxCase{"OkBoxEnter", MB_OK, 0, VK_RETURN, false, IDOK},
                      BoxCase{"YesNoAnsweredYes", MB_YESNO, IDYES, 0, true, IDYES},
                      BoxCase{"YesNoAnsweredNo", MB_YESNO, IDNO, 0, true, IDNO},
                      // No default-button flag: Yes, the first button, is the default.
                      BoxCase{"YesNoEnterMeansYes", MB_YESNO, 0, VK_RETURN, true, IDYES},
                      BoxCase{"ExclamationFlagReplaced", MB_OK | MB_ICONEXCLAMATION, IDOK, 0, false, IDOK},
                      BoxCase{"ErrorFlagReplaced", MB_YESNO | MB_ICONHAND, IDNO, 0, true, IDNO},
                      BoxCase{"QuestionFlagReplaced", MB_YESNO | MB_ICONQUESTION, IDYES, 0, true, IDYES},
                      BoxCase{"InformationFlagReplaced", MB_OK | MB_ICONASTERISK, IDOK, 0, false, IDOK}),
    BoxName);

TEST_F(ShowMessageTest, NotTheSystemIcons) {
    SeenBox seen;
    (void)ShowAndAnswer("text", "caption", MB_OK | MB_ICONEXCLAMATION, IDOK, 0, seen);
    ASSERT_TRUE(seen.found);
    ASSERT_NE(seen.icon, nullptr);
    for (LPCSTR systemIcon : {IDI_EXCLAMATION, IDI_HAND, IDI_QUESTION, IDI_ASTERISK, IDI_APPLICATION}) {
        EXPECT_NE(seen.icon, LoadIconA(nullptr, systemIcon));
    }
}

}  // namespace
