#include "uninstall/apps_entry_removal.h"

#include <windows.h>

#include <cwchar>

#include "process/file_names.h"
#include "process/mode.h"
#include "setupfile/path_hash.h"
#include "setupfile/text.h"

namespace {

const wchar_t kUninstallStringValue[] = L"UninstallString";
const wchar_t kDisplayNameValue[] = L"DisplayName";
const wchar_t kInstallLocationValue[] = L"InstallLocation";
const wchar_t kNoModifyValue[] = L"NoModify";
const wchar_t kNoRepairValue[] = L"NoRepair";
const wchar_t kEntryPrefix[] = L"PatchSetup.";
constexpr wchar_t kQuote = L'"';
// Key names of the Apps list are at most this long.
constexpr DWORD kKeyNameSize = 256;
constexpr DWORD kYes = 1;

// A string value of the key, or empty when there is none.
std::wstring StringValueOf(HKEY key, const wchar_t* name) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) {
        return std::wstring();
    }
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS) {
        return std::wstring();
    }
    return std::wstring(text.data());
}

bool SetString(HKEY key, const wchar_t* name, const std::wstring& text) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool SetNumber(HKEY key, const wchar_t* name, DWORD number) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number)) ==
           ERROR_SUCCESS;
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
    return PathKey(command.substr(1, closing - 1)) == PathKey(executable) &&
           CompareNoCase(rest, std::wstring(L" ") + kUninstallSwitchWide) == 0;
}

std::wstring UninstallCommandOf(const std::wstring& executable) {
    return kQuote + executable + kQuote + L" " + kUninstallSwitchWide;
}

std::wstring EntryPathOf(const std::wstring& folder) {
    return AppsEntryKeyPath(AppsEntryName(PathKey(folder)));
}

}  // namespace

void RemoveAppsEntry(const std::wstring& folder, const std::wstring& executable) {
    const std::wstring path = EntryPathOf(folder);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    const bool ours = StartsThisUninstall(StringValueOf(key, kUninstallStringValue), executable);
    // Only read.
    (void)RegCloseKey(key);
    if (ours) {
        // Without the rights to delete it the entry stays; Settings then
        // offers an uninstall that finds nothing to remove, and says so.
        (void)RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
    }
}

bool PointAppsEntryAt(const std::wstring& folder, const std::wstring& executable, const std::wstring& parked,
                      const std::wstring& appName, EntryBefore& before) {
    before = EntryBefore{};
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, EntryPathOf(folder).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        &disposition) != ERROR_SUCCESS) {
        return false;
    }
    before.existed = disposition == REG_OPENED_EXISTING_KEY;
    before.command = StringValueOf(key, kUninstallStringValue);
    if (before.existed && !StartsThisUninstall(before.command, executable)) {
        // Someone else's: it says nothing of this patch.
        (void)RegCloseKey(key);
        return true;
    }
    before.pointed = true;
    bool written = SetString(key, kUninstallStringValue, UninstallCommandOf(parked));
    if (!before.existed) {
        written = SetString(key, kDisplayNameValue, appName) && SetString(key, kInstallLocationValue, folder) &&
                  SetNumber(key, kNoModifyValue, kYes) && SetNumber(key, kNoRepairValue, kYes) && written;
    }
    // Written through this handle; a failed close would have failed the writes.
    (void)RegCloseKey(key);
    if (!written) {
        RestoreAppsEntry(folder, before);
    }
    return written;
}

void RestoreAppsEntry(const std::wstring& folder, const EntryBefore& before) {
    if (!before.pointed) {
        return;
    }
    const std::wstring path = EntryPathOf(folder);
    if (!before.existed) {
        // Written by this uninstall alone.
        (void)RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
        return;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
        return;
    }
    // Should it fail, the entry still finishes the uninstall from the parked copy.
    (void)SetString(key, kUninstallStringValue, before.command);
    (void)RegCloseKey(key);
}

std::vector<std::wstring> FoldersLeftTo(const std::wstring& parked) {
    std::vector<std::wstring> folders;
    HKEY entries = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAppsEntriesKey, 0, KEY_READ, &entries) != ERROR_SUCCESS) {
        return folders;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[kKeyNameSize];
        DWORD nameLength = kKeyNameSize;
        if (RegEnumKeyExW(entries, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        const std::wstring entryName(name, nameLength);
        HKEY entry = nullptr;
        if (entryName.compare(0, std::wcslen(kEntryPrefix), kEntryPrefix) != 0 ||
            RegOpenKeyExW(entries, name, 0, KEY_READ, &entry) != ERROR_SUCCESS) {
            continue;
        }
        const bool startsParked = StartsThisUninstall(StringValueOf(entry, kUninstallStringValue), parked);
        const std::wstring location = StringValueOf(entry, kInstallLocationValue);
        // Only read.
        (void)RegCloseKey(entry);
        // An entry that names another folder than its own name says is
        // nothing this program wrote.
        if (startsParked && !location.empty() && AppsEntryName(PathKey(location)) == entryName) {
            folders.push_back(location);
        }
    }
    (void)RegCloseKey(entries);
    return folders;
}
