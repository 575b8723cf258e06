#pragma once
// One registry key handle, or none.

#include <windows.h>

#include <string>

// Characters that a string value may take, its terminator included; a
// longer value reads as empty.
constexpr DWORD kMaxStringValueCharacters = 256;

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { Close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens an existing sub-key with full access; false if one is already held
    // or the open fails. Never creates a key.
    bool Open(const char* subKey, HKEY root);
    // True only for a value of type REG_SZ.
    bool IsStringValue(const wchar_t* valueName) const;
    // The REG_SZ value's text, whole in UTF-16, or empty (also when it needs
    // more than kMaxStringValueCharacters characters).
    std::wstring ReadString(const wchar_t* valueName) const;
    void Close();

private:
    HKEY key_ = nullptr;
};
