#include "setupfile/settings.h"

#include <windows.h>

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

std::vector<std::string> ReadNumberedList(const char* section) {
    std::vector<std::string> entries;
    ForEachNumberedEntry(section, [&entries](int, const std::string& value) { entries.push_back(value); });
    return entries;
}
