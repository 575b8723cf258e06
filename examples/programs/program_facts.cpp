#include "program_facts.h"

#include <windows.h>

namespace {

// Long enough for every path the sample programs meet under Program Files.
constexpr DWORD kPathCapacity = MAX_PATH + 1;

}  // namespace

std::string OwnProgramPath() {
    char path[kPathCapacity] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) {
        return std::string();
    }
    return std::string(path, length);
}

std::string WorkingFolder() {
    char folder[kPathCapacity] = "";
    const DWORD length = GetCurrentDirectoryA(sizeof(folder), folder);
    if (length == 0 || length >= sizeof(folder)) {
        return std::string();
    }
    return std::string(folder, length);
}

std::string EnvironmentValue(const char* name) {
    char value[kPathCapacity] = "";
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    if (length == 0 || length >= sizeof(value)) {
        return std::string();
    }
    return std::string(value, length);
}

std::string DescribeStart(const std::string& lead) {
    const std::string patchData = EnvironmentValue(kPatchDataVariable);
    return lead + "\r\n\r\nProgram: " + OwnProgramPath() + "\r\nWorking folder: " + WorkingFolder() +
           "\r\nPatch data: " + (patchData.empty() ? std::string("none (RallyFix.dll was not preloaded)") : patchData);
}
