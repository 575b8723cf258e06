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

// Only a part with a tilde can be a short name: a path without one has no
// second spelling that the full path doesn't undo, and costs no look-up.
bool MayHoldShortName(const std::wstring& path) {
    return path.find(L'~') != std::wstring::npos;
}

bool LongPathOf(const std::wstring& path, std::wstring& longPath) {
    const DWORD needed = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) {
        return false;
    }
    std::vector<wchar_t> buffer(needed, L'\0');
    const DWORD length = GetLongPathNameW(path.c_str(), buffer.data(), needed);
    if (length == 0 || length >= needed) {
        return false;
    }
    longPath.assign(buffer.data(), length);
    return true;
}

// The platform expands only a path that exists: the longest part of `full`
// that does is expanded, the rest, which can't be spelt short yet, follows.
std::wstring WithLongNames(const std::wstring& full) {
    for (std::size_t end = full.size(); end != std::wstring::npos && end > 0;
         end = full.find_last_of(L'\\', end - 1)) {
        std::wstring existing = full.substr(0, end);
        if (existing.size() == 2 && existing[1] == L':') {
            existing += L'\\';  // the drive's root, not its current folder
        }
        std::wstring expanded;
        if (LongPathOf(existing, expanded)) {
            // What follows starts with its backslash, or is empty.
            return WithoutFinalBackslash(expanded) + full.substr(end);
        }
    }
    return full;
}

bool IsDriveRoot(const std::wstring& path) {
    return path.size() == 3 && path[1] == L':' && path[2] == L'\\';
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

std::wstring CanonicalPath(const std::wstring& path) {
    std::wstring canonical = FullPathOf(path);
    if (MayHoldShortName(canonical)) {
        canonical = WithLongNames(canonical);
    }
    return IsDriveRoot(canonical) ? canonical : WithoutFinalBackslash(canonical);
}

std::wstring PathKey(const std::wstring& folder) {
    return UpperCase(CanonicalPath(folder));
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
    // The journal is named after the folder's one name, whatever the
    // spelling by which this start found it.
    const std::wstring canonical = CanonicalPath(folder);
    return !IsDriveRoot(canonical) && GetFileAttributesW(JournalPathOf(canonical).c_str()) != INVALID_FILE_ATTRIBUTES;
}
