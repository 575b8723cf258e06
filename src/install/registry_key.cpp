#include "install/registry_key.h"

bool RegistryKey::Open(const char*, HKEY) {
    return false;
}

bool RegistryKey::IsStringValue(const char*) const {
    return false;
}

std::string RegistryKey::ReadString(const char*) const {
    return std::string();
}

void RegistryKey::Close() {
    key_ = nullptr;
}
