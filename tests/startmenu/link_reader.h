#pragma once
// Reads a saved shell link back through the shell's own link object and
// compares it with what install makes.

#include <string>

namespace links {

// Where the shell takes the Programs folder from; pointing it at a folder that
// doesn't exist makes the shell's lookup fail.
inline constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
inline constexpr char kProgramsValue[] = "Programs";

struct LinkFields {
    std::string target;
    std::string arguments;
    std::string workingDirectory;
    std::string description;
    std::string iconFile;
    int iconIndex = -1;
};

// Loads the link file at `linkPath`; false when it can't be loaded.
bool ReadLink(const std::string& linkPath, LinkFields& fields);

// What install puts into one of its three shortcuts besides the target folder.
struct ExpectedLink {
    const char* targetName;
    const char* description;
    const char* arguments;
    int iconIndex;
};

extern const ExpectedLink kStart;
extern const ExpectedLink kReadMe;
extern const ExpectedLink kUninstall;

// Every field install sets, compared in one go so a failure shows them all.
void ExpectLink(const std::string& linkPath, const std::string& targetFolder, const ExpectedLink& expected);

// The Programs folder of the Start menu as the shell reports it now, or empty.
std::string ProgramsFolder();

}  // namespace links
