#include "setupfile/code_page.h"

#include <windows.h>

#include "setupfile/record_path.h"
#include "setupfile/utf8.h"

std::u16string Utf16Of(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

std::wstring WideOf(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

std::wstring WideFromAnsi(const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    // Asked for the length just before, with the same bytes: it fits.
    (void)MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], length);
    return wide;
}

std::wstring WideOfText(const std::string& text) {
    std::u16string wide;
    return Utf16OfUtf8(text, wide) ? WideOf(wide) : WideFromAnsi(text);
}

std::string TextOfWide(const std::wstring& text) {
    return Utf8Of(Utf16Of(text));
}

std::string AnsiOfText(const std::string& text) {
    const std::wstring wide = WideOfText(text);
    if (wide.empty()) {
        return std::string();
    }
    // The flags of the platform's own ANSI reader: a text read from an ANSI
    // file comes back as the bytes that reader gave.
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return std::string();
    }
    std::string ansi(static_cast<std::size_t>(length), '\0');
    // Asked for the length just before, with the same text: it fits.
    (void)WideCharToMultiByte(CP_ACP, 0, wide.data(), size, &ansi[0], length, nullptr, nullptr);
    return ansi;
}

bool ExactAnsiFrom(const std::wstring& text, std::string& ansi) {
    if (text.empty()) {
        ansi.clear();
        return true;
    }
    const int size = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int length =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) {
        return false;
    }
    std::string converted(static_cast<std::size_t>(length), '\0');
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, &converted[0], length, nullptr,
                            &usedDefault) != length ||
        usedDefault) {
        return false;
    }
    // Some code pages map several characters to one byte without calling
    // it a default: only a text that comes back the same was held exactly.
    if (WideFromAnsi(converted) != text) {
        return false;
    }
    ansi = converted;
    return true;
}

std::string RecordValueOf(const std::wstring& path) {
    std::string ansi;
    if (ExactAnsiFrom(path, ansi)) {
        return ansi;
    }
    return MarkedUnicodePath(Utf16Of(path));
}

std::wstring PathOfRecordValue(const std::wstring& value) {
    std::string ascii;
    std::u16string path;
    // The marked form is plain ASCII, the same in every code page.
    if (ExactAnsiFrom(value, ascii) && ReadMarkedUnicodePath(ascii, path)) {
        return WideOf(path);
    }
    return value;
}

std::wstring PathOfRecordValue(const std::string& value) {
    std::u16string path;
    if (ReadMarkedUnicodePath(value, path)) {
        return WideOf(path);
    }
    return WideOfText(value);
}
