#include "process/file_names.h"

#include <windows.h>

#include <vector>

#include "process/library_search.h"
#include "setupfile/journal_lines.h"
#include "setupfile/paths.h"

namespace {

using CompareStringOrdinalFunction = int(WINAPI*)(LPCWCH first, int firstLength, LPCWCH second, int secondLength,
                                                  BOOL ignoreCase);

// What the file system compares: every letter in its upper case.
std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) {
        (void)CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    }
    return text;
}

}  // namespace

std::wstring FullPathOf(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return path;
    }
    std::vector<wchar_t> buffer(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, buffer.data(), nullptr);
    if (length == 0 || length >= needed) {
        return path;
    }
    return std::wstring(buffer.data(), length);
}

std::wstring PathKey(const std::wstring& folder) {
    return UpperCase(WithoutFinalBackslash(FullPathOf(folder)));
}

bool SameFileName(const std::wstring& first, const std::wstring& second) {
    // The platform's own comparison where it has one (Vista and later);
    // before it, upper case by the same table is as close as it gets.
    const auto compareOrdinal = KernelFunction<CompareStringOrdinalFunction>("CompareStringOrdinal");
    if (compareOrdinal != nullptr) {
        return compareOrdinal(first.c_str(), static_cast<int>(first.size()), second.c_str(),
                              static_cast<int>(second.size()), TRUE) == CSTR_EQUAL;
    }
    return UpperCase(first) == UpperCase(second);
}

bool InterruptedInstallBeside(const std::wstring& folder) {
    const std::wstring full = WithoutFinalBackslash(FullPathOf(folder));
    const bool driveRoot = full.size() == 2 && full[1] == L':';
    return !driveRoot && GetFileAttributesW(JournalPathOf(full).c_str()) != INVALID_FILE_ATTRIBUTES;
}
