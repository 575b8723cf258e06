#pragma once
// Reads a saved shell link back through the shell's own link object.

#include <string>

namespace links {

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

// The Programs folder of the Start menu as the shell reports it now, or empty.
std::string ProgramsFolder();

}  // namespace links
