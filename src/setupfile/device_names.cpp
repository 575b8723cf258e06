#include "setupfile/device_names.h"

namespace {

const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
const wchar_t* const kNumberedDevices[] = {L"COM", L"LPT"};
// Windows counts the superscript digits too: COM¹ is a port.
const wchar_t kPortDigits[] = L"123456789\u00B9\u00B2\u00B3";

wchar_t UpperAToZ(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool EqualsIgnoringAToZ(const std::wstring& text, const wchar_t* word) {
    std::size_t i = 0;
    for (; word[i] != L'\0'; ++i) {
        if (i >= text.size() || UpperAToZ(text[i]) != word[i]) {
            return false;
        }
    }
    return i == text.size();
}

}  // namespace

bool IsDeviceName(const std::wstring& name) {
    // The device is named by what comes before the first dot, blanks and
    // dots at its end aside.
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && (base.back() == L' ' || base.back() == L'.')) {
        base.pop_back();
    }
    for (const wchar_t* device : kDevices) {
        if (EqualsIgnoringAToZ(base, device)) {
            return true;
        }
    }
    if (base.size() != 4) {
        return false;
    }
    for (const wchar_t* prefix : kNumberedDevices) {
        if (EqualsIgnoringAToZ(base.substr(0, 3), prefix) && std::wstring(kPortDigits).find(base[3]) != std::wstring::npos) {
            return true;
        }
    }
    return false;
}

bool HoldsDeviceName(const std::wstring& path) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find_first_of(L"\\/", start);
        if (IsDeviceName(path.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start))) {
            return true;
        }
        if (end == std::wstring::npos) {
            return false;
        }
        start = end + 1;
    }
}
