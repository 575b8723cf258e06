#pragma once
// Reading Setup.ini of the current directory. Every read opens the file anew,
// so a change of the current directory takes effect at the next read.

#include <string>
#include <vector>

#include "setupfile/ini_lines.h"
#include "setupfile/setup_keys.h"

// Longest value a read returns; longer stored values are cut.
constexpr unsigned kMaxSettingLength = 8189;

// Texts come as UTF-8, whatever the form of the file: UTF-16 with its mark,
// read in full, or ANSI, read in the code page.

// The stored value, or `defaultValue` when the file, section or key is
// missing or the value is empty (also after its quotation marks are removed).
std::string ReadSetting(const char* section, const char* key, const char* defaultValue);
std::string ReadSetting(const SetupKey& key);

// The stored value, or empty when the file doesn't set the key.
std::string ReadSettingIfSet(const SetupKey& key);

// ReadSetting of section Text with the line-break escape expanded.
std::string ReadText(const char* key, const char* defaultValue);
std::string ReadText(const SetupKey& key);

// Reads key 1 of the numbered list `section` and hands its number and value
// to `visit`, then key 2, and so on, up to the first empty or missing value.
// Each entry is visited before the next is read, so a visitor that acts on
// it (writes or loads it) does so in the order of the list.
template <typename Visit>
void ForEachNumberedEntry(const char* section, Visit visit) {
    for (int number = 1;; ++number) {
        const std::string value = ReadSetting(section, NumberedKey(number).c_str(), "");
        if (value.empty()) {
            return;
        }
        visit(number, value);
    }
}

// Whether the file at `path`, or Setup.ini of the current directory, is
// saved as UTF-16 little-endian with its mark.
bool HoldsUtf16Mark(const std::wstring& path);
bool SetupFileIsUtf16();

// Values of keys 1, 2, 3, ... of `section`, up to the first empty or missing
// one; of Setup.ini of the current directory, or of the file at `file`.
std::vector<std::string> ReadNumberedList(const char* section);
std::vector<std::wstring> ReadNumberedListOf(const std::wstring& file, const char* section);
