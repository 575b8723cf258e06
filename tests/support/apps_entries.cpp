#include "apps_entries.h"

#include <cstring>

#include "process/file_names.h"
#include "setupfile/path_hash.h"
#include "test_env.h"

namespace {

constexpr DWORD kRegistryNameSize = 256;
constexpr DWORD kRegistryDataSize = 4096;

}  // namespace

std::vector<AppsEntry> AppsEntriesOf(const std::string& folder) {
    std::vector<AppsEntry> found;
    HKEY entries = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAppsEntriesKey, 0, KEY_READ, &entries) != ERROR_SUCCESS) {
        return found;
    }
    wchar_t name[kRegistryNameSize];
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = kRegistryNameSize;
        if (RegEnumKeyExW(entries, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        HKEY entry = nullptr;
        if (RegOpenKeyExW(entries, name, 0, KEY_READ, &entry) != ERROR_SUCCESS) {
            continue;
        }
        AppsEntry values;
        for (DWORD valueIndex = 0;; ++valueIndex) {
            wchar_t valueName[kRegistryNameSize];
            DWORD valueNameLength = kRegistryNameSize;
            BYTE data[kRegistryDataSize];
            DWORD size = sizeof(data);
            DWORD type = REG_NONE;
            if (RegEnumValueW(entry, valueIndex, valueName, &valueNameLength, nullptr, &type, data, &size) !=
                ERROR_SUCCESS) {
                break;
            }
            std::string text;
            if (type == REG_DWORD && size == sizeof(DWORD)) {
                DWORD number = 0;
                std::memcpy(&number, data, sizeof(number));
                text = std::to_string(number);
            } else {
                text = testenv::Utf8FromWide(
                    std::wstring(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t)).c_str());
            }
            values[testenv::Utf8FromWide(std::wstring(valueName, valueNameLength))] = text;
        }
        RegCloseKey(entry);
        if (values["InstallLocation"] == folder) {
            found.push_back(values);
        }
    }
    RegCloseKey(entries);
    return found;
}

namespace {

std::wstring EntryKeyOf(const std::string& folder) {
    return AppsEntryKeyPath(AppsEntryName(PathKey(testenv::WideFromUtf8(folder))));
}

}  // namespace

void RemoveAppsEntryOf(const std::string& folder) {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, EntryKeyOf(folder).c_str());
}

AppsEntry PlaceEarlierAppsEntry(const std::string& folder, const std::string& uninstallString) {
    // Exactly these values, whatever an entry of that name held before.
    RemoveAppsEntryOf(folder);
    const std::wstring name = EntryKeyOf(folder);
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return AppsEntry{};
    }
    const std::wstring location = testenv::WideFromUtf8(folder);
    const wchar_t displayName[] = L"An earlier patch";
    const DWORD custom = 7;
    RegSetValueExW(key, L"InstallLocation", 0, REG_SZ, reinterpret_cast<const BYTE*>(location.c_str()),
                   static_cast<DWORD>((location.size() + 1) * sizeof(wchar_t)));
    RegSetValueExW(key, L"DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(displayName), sizeof(displayName));
    RegSetValueExW(key, L"Custom", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&custom), sizeof(custom));
    AppsEntry placed{{"InstallLocation", folder}, {"DisplayName", "An earlier patch"}, {"Custom", "7"}};
    if (!uninstallString.empty()) {
        const std::wstring command = testenv::WideFromUtf8(uninstallString);
        RegSetValueExW(key, L"UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
        placed["UninstallString"] = uninstallString;
    }
    RegCloseKey(key);
    return placed;
}

