#include "process/module_path.h"

#include <windows.h>

#include <vector>

#include "ui/globals.h"
#include "setupfile/paths.h"

namespace {

bool IsAnsiLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

}  // namespace

std::string ExecutablePath(unsigned limit) {
    std::vector<char> buffer(limit + 1, '\0');
    DWORD length = GetModuleFileNameA(g_instance, buffer.data(), limit);
    // 0 is a failure; `limit` means the path was cut and names no file.
    if (length == 0 || length >= limit) {
        return std::string();
    }
    return std::string(buffer.data(), length);
}

std::string ExecutableFolderOf(const std::string& path) {
    return DirectoryPart(path, IsAnsiLeadByte);
}
