#include "process/module_path.h"

#include <windows.h>

#include <vector>

#include "setupfile/paths.h"
#include "ui/globals.h"

std::wstring ExecutablePath(unsigned limit) {
    std::vector<wchar_t> buffer(limit + 1, L'\0');
    const DWORD length = GetModuleFileNameW(g_instance, buffer.data(), limit);
    // 0 is a failure; `limit` means the path was cut and names no file.
    if (length == 0 || length >= limit) {
        return std::wstring();
    }
    return std::wstring(buffer.data(), length);
}

std::wstring ExecutableFolderOf(const std::wstring& path) {
    return DirectoryPart(path);
}
