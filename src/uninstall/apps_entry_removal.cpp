#include "uninstall/apps_entry_removal.h"

#include <windows.h>

#include <vector>

#include "process/file_names.h"
#include "process/mode.h"
#include "setupfile/path_hash.h"
#include "setupfile/text.h"

namespace {

const wchar_t kUninstallStringValue[] = L"UninstallString";
constexpr wchar_t kQuote = L'"';

// The entry's command, or empty when there is none.
std::wstring UninstallStringOf(HKEY key) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(key, kUninstallStringValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::wstring();
    }
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, kUninstallStringValue, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS) {
        return std::wstring();
    }
    return std::wstring(text.data());
}

// Whether the command is this executable, quoted, then the uninstall switch.
bool StartsThisUninstall(const std::wstring& command, const std::wstring& executable) {
    if (command.empty() || command[0] != kQuote) {
        return false;
    }
    const std::size_t closing = command.find(kQuote, 1);
    if (closing == std::wstring::npos) {
        return false;
    }
    const std::wstring rest = command.substr(closing + 1);
    return SameFileName(FullPathOf(command.substr(1, closing - 1)), executable) &&
           CompareNoCase(rest, std::wstring(L" ") + kUninstallSwitchWide) == 0;
}

}  // namespace

void RemoveAppsEntry(const std::wstring& folder, const std::wstring& executable) {
    const std::wstring path = AppsEntryKeyPath(AppsEntryName(PathKey(folder)));
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    const bool ours = StartsThisUninstall(UninstallStringOf(key), executable);
    // Only read.
    (void)RegCloseKey(key);
    if (ours) {
        // Without the rights to delete it the entry stays; Settings then
        // offers an uninstall that finds nothing to remove, and says so.
        (void)RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
    }
}
