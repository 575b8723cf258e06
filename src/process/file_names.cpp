#include "process/file_names.h"

#include <windows.h>

#include <vector>

#include "process/library_search.h"

namespace {

using CompareStringOrdinalFunction = int(WINAPI*)(LPCWCH first, int firstLength, LPCWCH second, int secondLength,
                                                  BOOL ignoreCase);

std::wstring WideFromAnsi(const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    (void)MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

// What the file system compares: every letter in its upper case.
std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) {
        (void)CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    }
    return text;
}

}  // namespace

std::string FullPathOf(const std::string& path) {
    const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return path;
    }
    std::vector<char> buffer(needed, '\0');
    const DWORD length = GetFullPathNameA(path.c_str(), needed, buffer.data(), nullptr);
    if (length == 0 || length >= needed) {
        return path;
    }
    return std::string(buffer.data(), length);
}

bool SameFileName(const std::string& first, const std::string& second) {
    const std::wstring a = WideFromAnsi(first);
    const std::wstring b = WideFromAnsi(second);
    // The platform's own comparison where it has one (Vista and later);
    // before it, upper case by the same table is as close as it gets.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto compareOrdinal =
        kernel != nullptr ? LibraryFunction<CompareStringOrdinalFunction>(kernel, "CompareStringOrdinal") : nullptr;
    if (compareOrdinal != nullptr) {
        return compareOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
               CSTR_EQUAL;
    }
    return UpperCase(a) == UpperCase(b);
}
