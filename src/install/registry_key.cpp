#include "install/registry_key.h"

#include <cstring>

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

bool RegistryKey::IsStringValue(const char* valueName) const {
    if (key_ == nullptr) {
        return false;
    }
    DWORD type = REG_NONE;
    if (RegQueryValueExA(key_, valueName, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return type == REG_SZ;
}

std::string RegistryKey::ReadString(const char* valueName) const {
    if (key_ == nullptr) {
        return std::string();
    }
    // One query gives both the type and the data; a value of any type that
    // doesn't fit the buffer fails it with ERROR_MORE_DATA.
    char text[kMaxStringValueBytes];
    DWORD size = sizeof(text);
    DWORD type = REG_NONE;
    if (RegQueryValueExA(key_, valueName, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::string();
    }
    // The stored data need not end in a terminator: a value that fills the
    // whole buffer without one is longer than the limit.
    if (std::memchr(text, '\0', size) == nullptr) {
        return size < sizeof(text) ? std::string(text, size) : std::string();
    }
    return std::string(text);
}

void RegistryKey::Close() {
    if (key_ == nullptr) {
        return;
    }
    // Nothing was written through the key, so a failed close loses nothing.
    (void)RegCloseKey(key_);
    key_ = nullptr;
}
