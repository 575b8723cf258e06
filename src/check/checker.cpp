#include "check/checker.h"

#include <cstring>

#include "check/medium_files.h"
#include "setupfile/text.h"

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

std::string Shown(char c) {
    if (IsControl(static_cast<unsigned char>(c))) {
        return FormatString("the control character %d", static_cast<unsigned char>(c));
    }
    return std::string("\"") + c + "\"";
}

namespace {

const char* const kDeviceNames[] = {"CON", "PRN", "AUX", "NUL", "COM1", "COM2", "COM3", "COM4",
                                    "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
                                    "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9", "CONIN$", "CONOUT$",
                                    // The superscript digits, in UTF-8, count as digits here.
                                    "COM\u00B9", "COM\u00B2", "COM\u00B3", "LPT\u00B9", "LPT\u00B2", "LPT\u00B3"};

// The first character that no file or folder name can hold, or 0.
char ForbiddenNameCharacter(const std::string& name) {
    for (unsigned char c : name) {
        if (IsControl(c) || std::strchr("\\/:*?\"<>|", c) != nullptr) {
            return static_cast<char>(c);
        }
    }
    return 0;
}

}  // namespace

// Older Windows take a device's name for the device whatever follows its
// first dot, and with blanks before that dot.
bool IsDeviceName(const std::string& name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') {
        stem.pop_back();
    }
    for (const char* device : kDeviceNames) {
        if (CompareNoCase(stem, device) == 0) {
            return true;
        }
    }
    return false;
}

bool EndsInDotOrBlank(const std::string& name) {
    return !name.empty() && (name.back() == '.' || name.back() == ' ');
}

std::string AsWindowsKeepsIt(std::string name) {
    while (EndsInDotOrBlank(name)) {
        name.pop_back();
    }
    return name;
}

std::string WhyWindowsRefuses(const std::string& name) {
    if (char c = ForbiddenNameCharacter(name)) {
        return "holds " + Shown(c) + ", which a file or folder name can't hold";
    }
    if (IsDeviceName(name)) {
        return "is the name of a device, which Windows opens instead of a folder";
    }
    return std::string();
}

std::string BadName(const std::string& name) {
    std::string refused = WhyWindowsRefuses(name);
    if (refused.empty() && EndsInDotOrBlank(name)) {
        return "ends in a dot or blank, which Windows drops from the name";
    }
    return refused;
}

std::u32string FileNameKey(const std::string& path) {
    std::string key;
    for (const std::string& name : PathNames(path)) {
        key += "\\" + AsWindowsKeepsIt(name);
    }
    return FoldedUtf8Name(key);
}

bool SameFileName(const std::string& a, const char* b) {
    return FileNameKey(a) == FileNameKey(b);
}

bool ListHolds(const std::vector<std::string>& list, const std::string& name) {
    for (const std::string& entry : list) {
        if (SameFileName(entry, name.c_str())) {
            return true;
        }
    }
    return false;
}
