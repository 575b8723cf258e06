// The checker's measure of the setup dialog's heading and body against the
// dialog itself, made from Setup.exe's template in the font it names: the
// widths of its table, the controls' sizes, which headings fit, and how many
// lines the body's edit control wraps generated texts into.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "check/dialog_text.h"
#include "check/text_encoding.h"
#include "ui/resource.h"

namespace {

// Debian's Wine keeps its MS Sans Serif here but doesn't find it by itself.
constexpr wchar_t kDialogFontFile[] = L"Z:\\usr\\share\\wine\\fonts\\sserife.fon";
constexpr int kGeneratedTexts = 300;
constexpr UINT kMeasure = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK;
constexpr UINT kHeadingFormat = DT_LEFT;
constexpr UINT kBodyFormat = DT_EDITCONTROL;

std::wstring Wide(const std::string& utf8) {
    std::u16string units = Utf16FromUtf8(utf8);
    return std::wstring(units.begin(), units.end());
}

// Setup.exe's template of the dialog with its font, "MS Shell Dlg", named
// "MS Sans Serif" instead: Windows maps the first to Microsoft Sans Serif,
// made with the metrics of the second, which Wine has as sserife.fon and
// maps the first to a font of other widths. The items follow the name at
// the next four-byte boundary.
std::vector<WORD> TemplateInMsSansSerif() {
    std::vector<WORD> words;
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_SETUP), reinterpret_cast<LPCWSTR>(RT_DIALOG));
    HGLOBAL loaded = found == nullptr ? nullptr : LoadResource(nullptr, found);
    if (loaded == nullptr) {
        return words;
    }
    const WORD* first = static_cast<const WORD*>(LockResource(loaded));
    const std::vector<WORD> original(first, first + SizeofResource(nullptr, found) / sizeof(WORD));
    const std::wstring shellFace(L"MS Shell Dlg", sizeof("MS Shell Dlg"));  // with its terminator
    const auto face = std::search(original.begin(), original.end(), shellFace.begin(), shellFace.end());
    if (face == original.end()) {
        return words;
    }
    const std::size_t faceStart = static_cast<std::size_t>(face - original.begin());
    const std::size_t itemsStart = (faceStart + shellFace.size() + 1) / 2 * 2;
    const std::wstring sansFace(L"MS Sans Serif", sizeof("MS Sans Serif"));
    words.assign(original.begin(), face);
    words.insert(words.end(), sansFace.begin(), sansFace.end());
    if (words.size() % 2 != 0) {
        words.push_back(0);
    }
    words.insert(words.end(), original.begin() + static_cast<std::ptrdiff_t>(itemsStart), original.end());
    return words;
}

INT_PTR CALLBACK IgnoreEverything(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

class DialogTextMeasure : public ::testing::Test {
protected:
    void SetUp() override {
        if (AddFontResourceExW(kDialogFontFile, FR_PRIVATE, nullptr) == 0) {
            GTEST_SKIP() << "no MS Sans Serif of Wine's to measure";
        }
        dialogTemplate_ = TemplateInMsSansSerif();
        ASSERT_FALSE(dialogTemplate_.empty()) << "the template names no MS Shell Dlg";
        dialog_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                             reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate_.data()), nullptr,
                                             IgnoreEverything, 0);
        ASSERT_NE(dialog_, nullptr) << GetLastError();
        dc_ = GetDC(dialog_);
        ASSERT_NE(dc_, nullptr);
        wchar_t face[LF_FACESIZE] = {};
        (void)SelectObject(dc_, reinterpret_cast<HFONT>(SendMessageW(dialog_, WM_GETFONT, 0, 0)));
        (void)GetTextFaceW(dc_, LF_FACESIZE, face);
        ASSERT_EQ(std::wstring(face), L"MS Sans Serif");
    }
    void TearDown() override {
        if (dc_ != nullptr) {
            (void)ReleaseDC(dialog_, dc_);
        }
        if (dialog_ != nullptr) {
            (void)DestroyWindow(dialog_);
        }
        (void)RemoveFontResourceExW(kDialogFontFile, FR_PRIVATE, nullptr);
    }

    // How many lines DrawText lays the text out in at the width: for the
    // heading as its static control draws it, for the body as Windows'
    // multiline edit control lays it out (Wine's own edit control breaks
    // lines by other rules: after hyphens too, with the blanks at a break
    // moved to the next line). A word too long for the heading's line is not
    // broken there but cut at the control's edge: it takes a line more.
    int Lines(const std::string& text, int width, UINT format) {
        RECT rect = {0, 0, width, 0};
        std::wstring wide = Wide(text);
        int height = DrawTextW(dc_, wide.c_str(), static_cast<int>(wide.size()), &rect, format | kMeasure);
        TEXTMETRICW metrics;
        EXPECT_TRUE(GetTextMetricsW(dc_, &metrics));
        return height / metrics.tmHeight + (rect.right > width ? 1 : 0);
    }
    bool FitsHeading(const std::string& text) { return Lines(text, kHeadingWidth, kHeadingFormat) == 1; }

    // The pixels of the heading's one line with the text drawn as its
    // static control draws it, clipped to the control.
    std::vector<std::uint32_t> HeadingPixels(const std::string& text) {
        TEXTMETRICW metrics;
        EXPECT_TRUE(GetTextMetricsW(dc_, &metrics));
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kHeadingWidth, -metrics.tmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC memory = CreateCompatibleDC(dc_);
        EXPECT_TRUE(bitmap != nullptr && memory != nullptr);
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        HGDIOBJ oldFont = SelectObject(memory, GetCurrentObject(dc_, OBJ_FONT));
        EXPECT_TRUE(PatBlt(memory, 0, 0, kHeadingWidth, metrics.tmHeight, WHITENESS));
        RECT rect = {0, 0, kHeadingWidth, metrics.tmHeight};
        std::wstring wide = Wide(text);
        (void)DrawTextW(memory, wide.c_str(), static_cast<int>(wide.size()), &rect,
                        DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
        (void)GdiFlush();
        const auto* first = static_cast<const std::uint32_t*>(bits);
        // Colours only: the text's background leaves the unused byte clear.
        std::vector<std::uint32_t> pixels(first, first + kHeadingWidth * metrics.tmHeight);
        for (std::uint32_t& pixel : pixels) {
            pixel &= 0xFFFFFF;
        }
        (void)SelectObject(memory, oldFont);
        (void)SelectObject(memory, oldBitmap);
        (void)DeleteDC(memory);
        (void)DeleteObject(bitmap);
        return pixels;
    }

    std::vector<WORD> dialogTemplate_;
    HWND dialog_ = nullptr;
    HDC dc_ = nullptr;
};

TEST_F(DialogTextMeasure, HasTheCheckersWidthsAndSizes) {
    for (unsigned c = 0x20; c <= 0xFF; ++c) {
        std::string utf8 = Utf8FromAnsi(std::string(1, static_cast<char>(c)));
        std::wstring wide = Wide(utf8);
        SIZE size;
        ASSERT_TRUE(GetTextExtentPoint32W(dc_, wide.c_str(), 1, &size));
        EXPECT_EQ(DialogTextWidth(utf8), size.cx) << "character 0x" << std::hex << c;
    }
    RECT heading;
    ASSERT_TRUE(GetClientRect(GetDlgItem(dialog_, IDC_HEADING), &heading));
    EXPECT_EQ(heading.right, kHeadingWidth);
    RECT body;
    (void)SendMessageW(GetDlgItem(dialog_, IDC_BODY), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&body));
    TEXTMETRICW metrics;
    ASSERT_TRUE(GetTextMetricsW(dc_, &metrics));
    EXPECT_EQ(body.right - body.left, kBodyWidth);
    EXPECT_EQ((body.bottom - body.top) / metrics.tmHeight, kBodyLines);
}

// Words of many lengths between runs of blanks, one too long for a line
// among them but never first; for the body, with line breaks, and without
// that word, which the checker breaks a line away from where DrawText does
// now and then. No dashes but hyphens: Wine breaks lines by the Unicode
// rules, which keep "\u2014  \u2014" on one line, where the checker holds
// to the blanks and hyphens of Western text.
std::string GeneratedText(std::mt19937& random, bool body) {
    const char* const pieces[] = {"a",    "Il",   "patch", "WWWWWW", "Lantern", "\xC3\xA9t\xC3\xA9", "2.0.2",
                                  "Ltd.", "\xC2\xAB\xC3\x9C\xC2\xBB", "mountain-track", "--", "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM"};
    const char* const gaps[] = {" ", " ", " ", "  ", "   "};
    auto below = [&random](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    std::string text;
    std::size_t words = 1 + below(60);
    for (std::size_t i = 0; i < words; ++i) {
        text += pieces[below(std::size(pieces) - (body || i == 0 ? 1 : 0))];
        text += body && below(12) == 0 ? "\r\n" : gaps[below(std::size(gaps))];
    }
    // Blanks at the end show nothing: the heading takes the text without them.
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

TEST_F(DialogTextMeasure, HeadingFitsWhereTheCheckerSaysSo) {
    std::mt19937 random(20261209);
    int differences = 0;
    for (int n = 0; n < kGeneratedTexts && differences < 20; ++n) {
        std::string text = GeneratedText(random, false);
        std::string shown = HeadingShows(text);
        // The heading looks the same with only the part the checker names.
        bool fits = text.find_first_not_of(' ', shown.size()) == std::string::npos;
        bool agrees = FitsHeading(text) == fits && HeadingPixels(text) == HeadingPixels(shown);
        if (!agrees) {
            ++differences;
            ADD_FAILURE() << "\"" << text << "\": the checker shows \"" << shown << "\"";
        }
    }
    EXPECT_EQ(differences, 0);
}

TEST_F(DialogTextMeasure, BodyWrapsIntoTheCheckersLines) {
    std::mt19937 random(20261210);
    int differences = 0;
    for (int n = 0; n < kGeneratedTexts && differences < 20; ++n) {
        std::string text = GeneratedText(random, true);
        // The edit control has a last, empty line after a last line break,
        // which DrawText leaves out.
        std::size_t platform = static_cast<std::size_t>(Lines(text, kBodyWidth, kBodyFormat)) +
                               (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0 ? 1 : 0);
        if (platform != BodyLineCount(text)) {
            ++differences;
            ADD_FAILURE() << "\"" << text << "\": " << platform << " lines, the checker counts "
                          << BodyLineCount(text);
        }
    }
    EXPECT_EQ(differences, 0);
}

}  // namespace
