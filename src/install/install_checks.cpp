#include "install/install_checks.h"

#include <windows.h>

#include <algorithm>
#include <map>

#include "install/install_changes.h"
#include "process/file_names.h"
#include "process/kept_files.h"
#include "process/module_path.h"
#include "process/patch_ground.h"
#include "setupfile/device_names.h"
#include "setupfile/paths.h"

namespace {

const wchar_t kSetupExeName[] = L"Setup.exe";
const wchar_t kAllNames[] = L"*";
// Sources are named relative to the current directory, the medium.
const wchar_t kCurrentFolder[] = L".";

// Every file of `folder` by its name as the file system compares it.
std::map<std::wstring, std::uint64_t> FileSizesIn(const std::wstring& folder) {
    std::map<std::wstring, std::uint64_t> sizes;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(JoinWithBackslash(folder, kAllNames).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return sizes;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            sizes[PathKey(JoinWithBackslash(folder, found.cFileName))] =
                (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        }
    } while (FindNextFileW(search, &found));
    // Only read.
    (void)FindClose(search);
    return sizes;
}

}  // namespace

bool InstalledExePathFits(const std::wstring& targetFolder) {
    const std::wstring installedExe = JoinWithBackslash(targetFolder, kSetupExeName);
    // Asked without a buffer, the call gives the size the path needs,
    // terminator included, or 0.
    const DWORD size = GetFullPathNameW(installedExe.c_str(), 0, nullptr, nullptr);
    return size != 0 && size <= std::min(kLaunchPathLimit, kUninstallPathLimit);
}

bool CopiesStayInTarget(const std::vector<std::wstring>& names, const std::wstring& targetFolder,
                        const std::wstring& installedSetup) {
    const std::wstring installedKey = PathKey(installedSetup);
    const std::wstring keptPlace = KeptPlaceOf(CanonicalPath(targetFolder));
    for (const std::wstring& name : names) {
        const std::wstring destination = JoinWithBackslash(targetFolder, name);
        if (HoldsDeviceName(name) || name.find(L':') != std::wstring::npos || !LiesInside(destination, targetFolder) ||
            PathKey(destination) == installedKey || PathKey(destination) == PathKey(keptPlace) ||
            LiesInside(destination, keptPlace)) {
            return false;
        }
    }
    return true;
}

std::wstring FirstHeldDestination(const std::vector<std::wstring>& destinations) {
    for (const std::wstring& destination : destinations) {
        if (IsHeld(destination)) {
            return destination;
        }
    }
    return std::wstring();
}

std::uint64_t SourceBytes(const std::vector<std::wstring>& names) {
    std::map<std::wstring, std::map<std::wstring, std::uint64_t>> folders;
    std::uint64_t bytes = 0;
    for (const std::wstring& name : names) {
        const std::wstring source = JoinWithBackslash(kCurrentFolder, name);
        const std::wstring folderKey = PathKey(DirectoryPart(source));
        auto listed = folders.find(folderKey);
        if (listed == folders.end()) {
            listed = folders.emplace(folderKey, FileSizesIn(DirectoryPart(source))).first;
        }
        const auto size = listed->second.find(PathKey(source));
        bytes += size == listed->second.end() ? 0 : size->second;
    }
    return bytes;
}

bool FreeBytesFor(const std::wstring& folder, std::uint64_t& freeBytes) {
    // The nearest folder that is there: the target folder may be made only now.
    std::wstring existing = CanonicalPath(folder);
    while (!PathExists(existing)) {
        const std::wstring parent = WithoutFinalBackslash(DirectoryPart(existing));
        if (parent.empty() || parent == existing) {
            return false;
        }
        existing = parent;
    }
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExW(WithFinalBackslash(existing).c_str(), &available, nullptr, nullptr)) {
        return false;
    }
    freeBytes = available.QuadPart;
    return true;
}
