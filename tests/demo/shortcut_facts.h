#pragma once
// What a shell link file says: target, arguments, working folder, description, icon.

#include <string>

struct ShortcutFacts {
    std::string target;
    std::string arguments;
    std::string workingFolder;
    std::string description;
    std::string iconFile;
    int iconIndex = 0;
};

// Loads the link through the shell's link object; false when it can't be read.
bool ReadShortcut(const std::string& linkPath, ShortcutFacts& facts);
