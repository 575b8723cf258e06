#include "setupfile/settings.h"

#include <windows.h>

#include "setupfile/ini_lines.h"
#include "setupfile/text.h"

namespace {

const char kSetupFileName[] = ".\\Setup.ini";

// One byte more than the reader may fill: a spare for the terminator the
// reader writes and for safety at the end.
constexpr DWORD kReadBufferSize = 8192;
constexpr DWORD kReaderSize = kMaxSettingLength + 1;
static_assert(kReaderSize <= kReadBufferSize, "the reader must not be told more than the buffer holds");

}  // namespace

std::string ReadSetting(const char* section, const char* key, const char* defaultValue) {
    char buffer[kReadBufferSize];
    DWORD length = GetPrivateProfileStringA(section, key, defaultValue, buffer, kReaderSize, kSetupFileName);
    if (length == 0) {
        return defaultValue;
    }
    if (length >= kReaderSize) {
        length = kReaderSize - 1;
    }
    buffer[length] = '\0';
    return std::string(buffer);
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
