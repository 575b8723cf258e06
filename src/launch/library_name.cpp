#include "launch/library_name.h"

namespace {

const char kLibraryExtension[] = ".dll";

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

bool IsSearchedLibraryName(const std::string& name) {
    if (!name.empty() && IsSeparator(name[0])) {
        return false;
    }
    return !(name.size() >= 2 && name[1] == ':');
}

std::string WithLibraryExtension(const std::string& name) {
    const std::size_t separator = name.find_last_of("\\/");
    const std::size_t fileStart = separator == std::string::npos ? 0 : separator + 1;
    if (name.find('.', fileStart) != std::string::npos) {
        return name;
    }
    return name + kLibraryExtension;
}
