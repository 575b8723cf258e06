#include "setupfile/path_hash.h"

#include <cstdint>
#include <cstdio>

namespace {

// FNV-1a, 32 bits.
constexpr std::uint32_t kFnvOffset = 2166136261u;
constexpr std::uint32_t kFnvPrime = 16777619u;
constexpr std::size_t kHexSize = 9;  // eight digits and the terminator
const wchar_t kAppsEntryPrefix[] = L"PatchSetup.";

}  // namespace

std::string PathHashHex(const std::wstring& path) {
    std::uint32_t hash = kFnvOffset;
    // Each character's code, two bytes of it at a time as the platform holds it.
    for (wchar_t c : path) {
        const std::uint32_t folded = (c >= L'A' && c <= L'Z') ? static_cast<std::uint32_t>(c - L'A' + L'a')
                                                              : static_cast<std::uint32_t>(c);
        hash = (hash ^ (folded & 0xFF)) * kFnvPrime;
        hash = (hash ^ ((folded >> 8) & 0xFF)) * kFnvPrime;
    }
    char hex[kHexSize];
    std::snprintf(hex, sizeof(hex), "%08x", static_cast<unsigned>(hash));
    return hex;
}

std::wstring AppsEntryName(const std::wstring& folderKey) {
    const std::string hex = PathHashHex(folderKey);
    return kAppsEntryPrefix + std::wstring(hex.begin(), hex.end());
}

std::wstring AppsEntryKeyPath(const std::wstring& name) {
    return std::wstring(kAppsEntriesKey) + L"\\" + name;
}
