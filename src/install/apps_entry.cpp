#include "install/apps_entry.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "install/install_changes.h"
#include "process/change_step.h"
#include "setupfile/code_page.h"
#include "setupfile/path_hash.h"
#include "setupfile/record_path.h"

namespace {

// NoModify and NoRepair say yes: the patch can only be removed.
constexpr DWORD kYes = 1;
// A value's type in the journal: eight hex digits, then this.
constexpr std::size_t kTypeDigits = 8;
constexpr char kTypeSeparator = ':';

// A value's type and bytes as plain ASCII for the journal: the type in eight
// hex digits, a colon, then the bytes in hex.
std::string DetailOf(const RegistryValue& value) {
    char type[kTypeDigits + 1];
    (void)std::snprintf(type, sizeof(type), "%08lX", static_cast<unsigned long>(value.type));
    return type + std::string(1, kTypeSeparator) + HexOfBytes(value.data);
}

bool ValueOfDetail(const std::wstring& name, const std::string& detail, RegistryValue& value) {
    if (detail.size() <= kTypeDigits || detail[kTypeDigits] != kTypeSeparator) {
        return false;
    }
    char* typeEnd = nullptr;
    const unsigned long type = std::strtoul(detail.substr(0, kTypeDigits).c_str(), &typeEnd, 16);
    std::string data;
    if (*typeEnd != '\0' || !BytesOfHex(detail.substr(kTypeDigits + 1), data)) {
        return false;
    }
    value = RegistryValue{name, static_cast<DWORD>(type), data};
    return true;
}

// Every value of an open key.
std::vector<RegistryValue> ValuesOf(HKEY key) {
    std::vector<RegistryValue> values;
    DWORD count = 0;
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
        return values;
    }
    for (DWORD index = 0; index < count; ++index) {
        std::vector<wchar_t> name(longestName + 1, L'\0');
        std::vector<BYTE> data(longestData + 1, 0);
        DWORD nameLength = longestName + 1;
        DWORD dataSize = longestData + 1;
        DWORD type = REG_NONE;
        if (RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize) ==
            ERROR_SUCCESS) {
            values.push_back(RegistryValue{std::wstring(name.data(), nameLength), type,
                                           std::string(reinterpret_cast<const char*>(data.data()), dataSize)});
        }
    }
    return values;
}

bool SetValue(HKEY key, const RegistryValue& value) {
    return RegSetValueExW(key, value.name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

RegistryValue StringValue(const wchar_t* name, const std::wstring& text) {
    // With its terminator, as the registry keeps a string.
    const char* bytes = reinterpret_cast<const char*>(text.c_str());
    return RegistryValue{name, REG_SZ, std::string(bytes, (text.size() + 1) * sizeof(wchar_t))};
}

RegistryValue NumberValue(const wchar_t* name, DWORD number) {
    return RegistryValue{name, REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof(number))};
}

// Empties the key of every value it holds, then gives it `values`.
bool ReplaceValues(HKEY key, const std::vector<RegistryValue>& values) {
    bool replaced = true;
    for (const RegistryValue& old : ValuesOf(key)) {
        replaced = RegDeleteValueW(key, old.name.c_str()) == ERROR_SUCCESS && replaced;
    }
    for (const RegistryValue& value : values) {
        replaced = SetValue(key, value) && replaced;
    }
    return replaced;
}

std::vector<RegistryValue> ValuesToWrite(const AppsEntryValues& values) {
    std::vector<RegistryValue> written = {
        StringValue(L"DisplayName", values.displayName),
        StringValue(L"UninstallString", values.uninstallString),
        StringValue(L"DisplayIcon", values.displayIcon),
        StringValue(L"InstallLocation", values.installLocation),
        NumberValue(L"EstimatedSize", values.estimatedSizeKiB),
        StringValue(L"InstallDate", values.installDate),
        NumberValue(L"NoModify", kYes),
        NumberValue(L"NoRepair", kYes),
    };
    if (!values.displayVersion.empty()) {
        written.push_back(StringValue(L"DisplayVersion", values.displayVersion));
    }
    if (!values.publisher.empty()) {
        written.push_back(StringValue(L"Publisher", values.publisher));
    }
    return written;
}

}  // namespace

bool WriteAppsEntry(const std::wstring& name, const AppsEntryValues& values, InstallChanges& changes) {
    AppsEntryChange change;
    change.name = name;
    HKEY earlier = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, AppsEntryKeyPath(name).c_str(), 0, KEY_READ, &earlier) == ERROR_SUCCESS) {
        change.existed = true;
        change.earlier = ValuesOf(earlier);
        // Only read.
        (void)RegCloseKey(earlier);
    }
    if (changes.journal != nullptr) {
        for (const RegistryValue& value : change.earlier) {
            if (!WriteAhead(*changes.journal,
                            JournalEntry{JournalEntryKind::EntryValue, Utf16Of(name), Utf16Of(value.name),
                                         DetailOf(value)},
                            false)) {
                return false;
            }
        }
        // An earlier entry's values are at stake from here on; a new entry
        // puts nothing of the user's at stake, so its line waits for the
        // next flush like the new files' lines do.
        const JournalEntry entry{JournalEntryKind::AppsEntry, Utf16Of(name), u"",
                                 change.existed ? kEntryWasThere : kEntryWasNot};
        if (!WriteAhead(*changes.journal, entry, change.existed)) {
            return false;
        }
    }
    changes.appsEntry = change;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, AppsEntryKeyPath(name).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const bool written = ReplaceValues(key, ValuesToWrite(values));
    // Written through this handle; a failed close would have failed the writes.
    (void)RegCloseKey(key);
    AfterChange();
    return written;
}

bool UndoAppsEntry(const AppsEntryChange& change) {
    if (change.name.empty()) {
        return true;
    }
    const std::wstring path = AppsEntryKeyPath(change.name);
    if (!change.existed) {
        const LONG deleted = RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
        return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    const bool restored = ReplaceValues(key, change.earlier);
    (void)RegCloseKey(key);
    return restored;
}

bool AppsEntryValueOfJournal(const JournalEntry& entry, RegistryValue& value) {
    return ValueOfDetail(WideOf(entry.setAside), entry.detail, value);
}
