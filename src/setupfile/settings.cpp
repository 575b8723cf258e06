#include "setupfile/settings.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <unordered_map>

#include "setupfile/code_page.h"
#include "setupfile/ini_lines.h"
#include "setupfile/text.h"

namespace {

const wchar_t kSetupFileName[] = L".\\Setup.ini";
// What a file saved as UTF-16 little-endian begins with.
const unsigned char kUtf16Mark[] = {0xFF, 0xFE};

// One byte more than the reader may fill: a spare for the terminator the
// reader writes and for safety at the end.
constexpr DWORD kReadBufferSize = 8192;
constexpr DWORD kReaderSize = kMaxSettingLength + 1;
static_assert(kReaderSize <= kReadBufferSize, "the reader must not be told more than the buffer holds");

// Names of sections and keys, and the defaults, are ASCII.
std::wstring WideOfAscii(const char* text) {
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

}  // namespace

// Read through the wide reader, which takes a file with the UTF-16 mark in
// full and any other in the ANSI code page, as the ANSI reader does.
std::string ReadSetting(const char* section, const char* key, const char* defaultValue) {
    wchar_t buffer[kReadBufferSize];
    DWORD length = GetPrivateProfileStringW(WideOfAscii(section).c_str(), WideOfAscii(key).c_str(),
                                            WideOfAscii(defaultValue).c_str(), buffer, kReaderSize, kSetupFileName);
    if (length == 0) {
        return defaultValue;
    }
    if (length >= kReaderSize) {
        length = kReaderSize - 1;
    }
    return TextOfWide(std::wstring(buffer, length));
}

bool HoldsUtf16Mark(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    unsigned char start[sizeof(kUtf16Mark)] = {};
    DWORD read = 0;
    const bool marked = ReadFile(file, start, sizeof(start), &read, nullptr) && read == sizeof(start) &&
                        start[0] == kUtf16Mark[0] && start[1] == kUtf16Mark[1];
    // Only read.
    (void)CloseHandle(file);
    return marked;
}

bool SetupFileIsUtf16() {
    return HoldsUtf16Mark(kSetupFileName);
}

std::string ReadSetting(const SetupKey& key) {
    return ReadSetting(key.section, key.name, key.defaultValue);
}

std::string ReadSettingIfSet(const SetupKey& key) {
    return ReadSetting(key.section, key.name, "");
}

std::string ReadText(const char* key, const char* defaultValue) {
    return ExpandLineBreaks(ReadSetting("Text", key, defaultValue));
}

std::string ReadText(const SetupKey& key) {
    return ReadText(key.name, key.defaultValue);
}

namespace {

// A section's lines as the platform's reader gives them all at once: each
// "name=value" (a line without "=" as its name alone), names and values
// trimmed, quotation marks still on, each ended by a NUL, the last by two.
std::vector<wchar_t> SectionLines(const std::wstring& file, const char* section) {
    constexpr DWORD kFirstSectionSize = 1 << 16;
    // A record of 100,000 long paths fits many times over; a file that
    // doesn't is read as far as it goes.
    constexpr DWORD kLargestSectionSize = 1 << 26;
    std::vector<wchar_t> lines(kFirstSectionSize, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(lines.size());
        const DWORD length = GetPrivateProfileSectionW(WideOfAscii(section).c_str(), lines.data(), size, file.c_str());
        // Size less two is the reader's way of saying that the lines were cut.
        if (length + 2 < size || size >= kLargestSectionSize) {
            lines.resize(std::min<std::size_t>(length + 2, size));
            lines[lines.size() - 2] = L'\0';
            lines[lines.size() - 1] = L'\0';
            return lines;
        }
        lines.assign(static_cast<std::size_t>(size) * 2, L'\0');
    }
}

// The value as the reader gives it for its key: one pair of the same
// quotation marks around it removed, cut at the read limit.
std::wstring ValueOfStored(const std::wstring& stored) {
    std::wstring value = stored;
    if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0]) {
        value = value.substr(1, value.size() - 2);
    }
    if (value.size() > kMaxSettingLength) {
        value.resize(kMaxSettingLength);
    }
    return value;
}

}  // namespace

// The whole section is read once and its entries looked up here: the
// platform's reader looks each key up from the start of its section, which
// makes a list of n entries cost n squared.
std::vector<std::wstring> ReadNumberedListOf(const std::wstring& file, const char* section) {
    const std::vector<wchar_t> lines = SectionLines(file, section);
    std::unordered_map<std::wstring, std::wstring> firstOfName;
    for (const wchar_t* line = lines.data(); *line != L'\0'; line += std::wcslen(line) + 1) {
        const wchar_t* equals = std::wcschr(line, L'=');
        const std::wstring name = equals == nullptr ? std::wstring(line) : std::wstring(line, equals);
        // The first entry of a name hides any later one, as for the reader.
        (void)firstOfName.emplace(name, equals == nullptr ? std::wstring() : ValueOfStored(equals + 1));
    }
    std::vector<std::wstring> entries;
    for (int number = 1;; ++number) {
        const auto entry = firstOfName.find(std::to_wstring(number));
        if (entry == firstOfName.end() || entry->second.empty()) {
            return entries;
        }
        entries.push_back(entry->second);
    }
}

std::vector<std::string> ReadNumberedList(const char* section) {
    std::vector<std::string> entries;
    for (const std::wstring& entry : ReadNumberedListOf(kSetupFileName, section)) {
        entries.push_back(TextOfWide(entry));
    }
    return entries;
}
