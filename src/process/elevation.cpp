#include "process/elevation.h"

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "process/library_search.h"
#include "process/module_path.h"

namespace {


// The shell is loaded from the system folder only when a start needs it.
const wchar_t kShellLibrary[] = L"shell32.dll";
using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW* info);

// Exit status of a second start whose end can't be learnt.
constexpr int kUnknownStatus = -1;

// A second start can't be told by its command line (one argument at most)
// nor by its environment (an elevated process gets a fresh one from the
// user's profile). It is told by an object that the first start holds
// while it waits: named after the executable, in the session's namespace,
// which both starts share.
bool RestartMarkerExists(const std::string& name) {
    HANDLE marker = OpenEventA(SYNCHRONIZE, FALSE, name.c_str());
    if (marker != nullptr) {
        (void)CloseHandle(marker);
        return true;
    }
    // An object that exists but may not be opened still marks.
    return GetLastError() == ERROR_ACCESS_DENIED;
}

std::wstring CurrentFolder() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) {
        return std::wstring();
    }
    std::vector<wchar_t> buffer(needed, L'\0');
    const DWORD length = GetCurrentDirectoryW(needed, buffer.data());
    if (length == 0 || length >= needed) {
        return std::wstring();
    }
    return std::wstring(buffer.data(), length);
}

// The process that started this one, or 0 when the system can't say.
DWORD ParentProcessId() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    const DWORD self = GetCurrentProcessId();
    DWORD parent = 0;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == self) {
            parent = entry.th32ParentProcessID;
            break;
        }
    }
    // Only read.
    (void)CloseHandle(snapshot);
    return parent;
}

int WaitForExitStatus(HANDLE process) {
    if (process == nullptr) {
        return kUnknownStatus;
    }
    DWORD status = 0;
    if (WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &status)) {
        status = static_cast<DWORD>(kUnknownStatus);
    }
    (void)CloseHandle(process);
    return static_cast<int>(status);
}

}  // namespace

bool HasAdministrativeRights() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRightsTestKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        return false;
    }
    // Opened only to ask; nothing was written through it.
    (void)RegCloseKey(key);
    return true;
}

ElevatedOutcome StartAgainElevated(Mode mode) {
    const ElevatedOutcome notStarted{ElevatedStart::NotStarted, 0};
    const std::wstring executable = ExecutablePath(MAX_PATH);
    if (executable.empty()) {
        return notStarted;
    }
    // Another first start of the same executable at the same moment is no
    // second start: it asks for rights of its own, and its second start then
    // finds this run's lock.
    const ElevationFacts facts{mode, true, CurrentTokenKind(),
                               RestartMarkerExists(RestartMarkerName(executable, ParentProcessId()))};
    const std::string markerName = RestartMarkerName(executable, GetCurrentProcessId());
    if (!ShouldRestartElevated(facts)) {
        return notStarted;
    }
    HMODULE shell = LoadSystemLibrary(kShellLibrary);
    const auto shellExecuteEx =
        shell != nullptr ? LibraryFunction<ShellExecuteExFunction>(shell, "ShellExecuteExW") : nullptr;
    if (shellExecuteEx == nullptr) {
        return notStarted;
    }
    // Without the marker the second start could start a third.
    HANDLE marker = CreateEventA(nullptr, TRUE, FALSE, markerName.c_str());
    if (marker == nullptr) {
        return notStarted;
    }

    const std::wstring arguments = ArgumentsAfterProgramName(GetCommandLineW());
    const std::wstring folder = CurrentFolder();
    SHELLEXECUTEINFOW start = {};
    start.cbSize = sizeof(start);
    // The failures are ours to report, in the patch's own words.
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    start.lpVerb = L"runas";
    start.lpFile = executable.c_str();
    start.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    start.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    start.nShow = SW_SHOWNORMAL;

    ElevatedOutcome outcome = notStarted;
    if (shellExecuteEx(&start)) {
        // A folder that is some process's current directory can't be removed,
        // and the second start may be about to remove ours.
        const std::wstring systemFolder = SystemFolder();
        if (!systemFolder.empty()) {
            (void)SetCurrentDirectoryW(systemFolder.c_str());
        }
        outcome = ElevatedOutcome{ElevatedStart::Finished, WaitForExitStatus(start.hProcess)};
    } else if (GetLastError() == ERROR_CANCELLED) {
        outcome = ElevatedOutcome{ElevatedStart::Declined, 0};
    }
    (void)CloseHandle(marker);
    return outcome;
}
