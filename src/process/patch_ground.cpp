#include "process/patch_ground.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "process/file_names.h"
#include "process/shell_folders.h"

namespace {

constexpr wchar_t kSeparator = L'\\';

// A key of the folder that holds `key`; a drive's root keeps its backslash.
std::wstring ParentKey(const std::wstring& key) {
    const std::size_t separator = key.find_last_of(kSeparator);
    if (separator == std::wstring::npos) {
        return std::wstring();
    }
    if (separator == 2 && key[1] == L':') {
        return key.substr(0, 3);
    }
    return key.substr(0, separator);
}

bool StartsWith(const std::wstring& text, const std::wstring& start) {
    return text.size() > start.size() && text.compare(0, start.size(), start) == 0;
}

// Whether the key lies below the folder's key: a root ends in a backslash
// already, every other folder gets one.
bool KeyLiesInside(const std::wstring& key, const std::wstring& folderKey) {
    if (folderKey.empty()) {
        return false;
    }
    const std::wstring prefix = folderKey.back() == kSeparator ? folderKey : folderKey + kSeparator;
    return StartsWith(key, prefix);
}

bool IsOtherUsersPrograms(PatchGround& ground, const std::wstring& key) {
    if (ground.profilesKey.empty() || ground.programsBelowProfile.empty() || !KeyLiesInside(key, ground.profilesKey)) {
        return false;
    }
    // One profile's name, then the same path as in this user's profile.
    const std::wstring rest = key.substr(ground.profilesKey.size() + 1);
    const std::size_t separator = rest.find(kSeparator);
    return separator != 0 && separator != std::wstring::npos && rest.substr(separator) == ground.programsBelowProfile;
}

void AddShellFolderKey(int csidl, std::vector<std::wstring>& keys) {
    std::wstring folder;
    if (FindShellFolder(csidl, folder)) {
        keys.push_back(PathKey(folder));
    }
}

void AskTheShell(PatchGround& ground) {
    if (ground.shellAsked) {
        return;
    }
    ground.shellAsked = true;
    AddShellFolderKey(CSIDL_PROGRAMS, ground.programsKeys);
    AddShellFolderKey(CSIDL_COMMON_PROGRAMS, ground.programsKeys);
    std::wstring profile;
    if (!ground.programsKeys.empty() && FindShellFolder(CSIDL_PROFILE, profile)) {
        const std::wstring profileKey = PathKey(profile);
        const std::wstring& programsKey = ground.programsKeys.front();
        if (KeyLiesInside(programsKey, profileKey)) {
            ground.profilesKey = ParentKey(profileKey);
            ground.programsBelowProfile = programsKey.substr(profileKey.size());
        }
    }
}

void ReadTheRegistry(PatchGround& ground) {
    if (ground.registryRead) {
        return;
    }
    ground.registryRead = true;
    for (const std::wstring& folder : RegisteredProgramsFolders()) {
        ground.registeredProgramsKeys.push_back(PathKey(folder));
    }
}

bool IsAmong(const std::wstring& key, const std::vector<std::wstring>& keys) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

bool IsProgramsKey(PatchGround& ground, const std::wstring& key) {
    ReadTheRegistry(ground);
    if (IsAmong(key, ground.registeredProgramsKeys)) {
        return true;
    }
    AskTheShell(ground);
    return IsAmong(key, ground.programsKeys) || IsOtherUsersPrograms(ground, key);
}

}  // namespace

PatchGround GroundOf(const std::wstring& targetFolder) {
    PatchGround ground;
    ground.targetKey = PathKey(targetFolder);
    return ground;
}

bool LiesInside(const std::wstring& path, const std::wstring& folder) {
    return KeyLiesInside(PathKey(path), PathKey(folder));
}

bool IsGroupFolder(PatchGround& ground, const std::wstring& folder) {
    return IsProgramsKey(ground, ParentKey(PathKey(folder)));
}

bool IsGroundFile(PatchGround& ground, const std::wstring& path) {
    const std::wstring key = PathKey(path);
    return KeyLiesInside(key, ground.targetKey) || IsProgramsKey(ground, ParentKey(ParentKey(key)));
}

bool IsGroundFolder(PatchGround& ground, const std::wstring& folder) {
    const std::wstring key = PathKey(folder);
    return key == ground.targetKey || KeyLiesInside(key, ground.targetKey) || IsProgramsKey(ground, ParentKey(key));
}
