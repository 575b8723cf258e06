#include "install/registry_key.h"


bool RegistryKey::Open(const char* subKey, HKEY root) {
    if (key_ != nullptr) {
        return false;
    }
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) {
        return false;
    }
    key_ = opened;
    return true;
}

bool RegistryKey::IsStringValue(const wchar_t* valueName) const {
    if (key_ == nullptr) {
        return false;
    }
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key_, valueName, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return type == REG_SZ;
}

std::wstring RegistryKey::ReadString(const wchar_t* valueName) const {
    if (key_ == nullptr) {
        return std::wstring();
    }
    // One query gives both the type and the data; a value of any type that
    // doesn't fit the buffer fails it with ERROR_MORE_DATA.
    wchar_t text[kMaxStringValueCharacters];
    DWORD size = sizeof(text);
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key_, valueName, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::wstring();
    }
    // The stored data need not end in a terminator: a value that fills the
    // whole buffer without one is longer than the limit.
    const std::size_t characters = size / sizeof(wchar_t);
    const std::wstring stored(text, characters);
    const std::size_t terminator = stored.find(L'\0');
    if (terminator == std::wstring::npos) {
        return characters < kMaxStringValueCharacters ? stored : std::wstring();
    }
    return stored.substr(0, terminator);
}

void RegistryKey::Close() {
    if (key_ == nullptr) {
        return;
    }
    // Nothing was written through the key, so a failed close loses nothing.
    (void)RegCloseKey(key_);
    key_ = nullptr;
}
