#include "process/file_holders.h"

#include <windows.h>
#include <restartmanager.h>
#include <tlhelp32.h>

#include <vector>

#include "process/file_names.h"
#include "process/library_search.h"

namespace {

// Loaded from the system folder only when a file is held: a start that
// finds none pays nothing for it.
const wchar_t kRestartManagerLibrary[] = L"rstrtmgr.dll";
using RmStartSessionFunction = DWORD(WINAPI*)(DWORD* session, DWORD flags, WCHAR* key);
using RmRegisterResourcesFunction = DWORD(WINAPI*)(DWORD session, UINT files, LPCWSTR* names, UINT processes,
                                                   RM_UNIQUE_PROCESS* uniqueProcesses, UINT services,
                                                   LPCWSTR* serviceNames);
using RmGetListFunction = DWORD(WINAPI*)(DWORD session, UINT* needed, UINT* count, RM_PROCESS_INFO* affected,
                                         DWORD* reasons);
using RmEndSessionFunction = DWORD(WINAPI*)(DWORD session);
using QueryFullProcessImageNameFunction = BOOL(WINAPI*)(HANDLE process, DWORD flags, LPWSTR name, PDWORD size);

constexpr DWORD kProcessQueryLimitedInformation = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION
// A program's path, as long as the system's own paths go.
constexpr DWORD kLongestProgramPath = 32768;
// The Restart Manager names the holders of one file: a few at the most.
constexpr UINT kHolderRoom = 8;

std::wstring ProgramOfProcess(DWORD processId) {
    const auto queryName = KernelFunction<QueryFullProcessImageNameFunction>("QueryFullProcessImageNameW");
    HANDLE process = queryName == nullptr ? nullptr : OpenProcess(kProcessQueryLimitedInformation, FALSE, processId);
    if (process == nullptr) {
        return std::wstring();
    }
    std::vector<wchar_t> name(kLongestProgramPath, L'\0');
    DWORD size = kLongestProgramPath;
    const bool named = queryName(process, 0, name.data(), &size) != FALSE;
    // Only asked.
    (void)CloseHandle(process);
    return named ? std::wstring(name.data(), size) : std::wstring();
}

std::wstring AskRestartManager(const std::wstring& file) {
    HMODULE library = LoadSystemLibrary(kRestartManagerLibrary);
    if (library == nullptr) {
        return std::wstring();
    }
    const auto start = LibraryFunction<RmStartSessionFunction>(library, "RmStartSession");
    const auto registerFiles = LibraryFunction<RmRegisterResourcesFunction>(library, "RmRegisterResources");
    const auto getList = LibraryFunction<RmGetListFunction>(library, "RmGetList");
    const auto end = LibraryFunction<RmEndSessionFunction>(library, "RmEndSession");
    if (start == nullptr || registerFiles == nullptr || getList == nullptr || end == nullptr) {
        return std::wstring();
    }
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = L"";
    if (start(&session, 0, key) != ERROR_SUCCESS) {
        return std::wstring();
    }
    std::wstring program;
    LPCWSTR names[] = {file.c_str()};
    RM_PROCESS_INFO holders[kHolderRoom];
    UINT needed = 0;
    UINT count = kHolderRoom;
    DWORD reasons = 0;
    if (registerFiles(session, 1, names, 0, nullptr, 0, nullptr) == ERROR_SUCCESS &&
        getList(session, &needed, &count, holders, &reasons) == ERROR_SUCCESS) {
        for (UINT i = 0; i < count && program.empty(); ++i) {
            if (holders[i].Process.dwProcessId == GetCurrentProcessId()) {
                continue;
            }
            program = ProgramOfProcess(holders[i].Process.dwProcessId);
            if (program.empty()) {
                program = holders[i].strAppName;
            }
        }
    }
    // The session held nothing of ours.
    (void)end(session);
    return program;
}

// A process whose program file, or one of whose libraries, is `file`: the
// holder that the system shows everywhere, also where it has no Restart
// Manager that answers.
std::wstring FindAmongProcesses(const std::wstring& file) {
    const std::wstring fileKey = PathKey(file);
    HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (processes == INVALID_HANDLE_VALUE) {
        return std::wstring();
    }
    std::wstring program;
    PROCESSENTRY32W process;
    process.dwSize = sizeof(process);
    for (BOOL more = Process32FirstW(processes, &process); more && program.empty();
         more = Process32NextW(processes, &process)) {
        if (process.th32ProcessID == GetCurrentProcessId()) {
            continue;
        }
        const std::wstring image = ProgramOfProcess(process.th32ProcessID);
        if (!image.empty() && PathKey(image) == fileKey) {
            program = image;
            break;
        }
        HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, process.th32ProcessID);
        if (modules == INVALID_HANDLE_VALUE) {
            continue;
        }
        MODULEENTRY32W module;
        module.dwSize = sizeof(module);
        std::wstring first;
        for (BOOL moreModules = Module32FirstW(modules, &module); moreModules;
             moreModules = Module32NextW(modules, &module)) {
            if (first.empty()) {
                first = module.szExePath;  // the program comes first
            }
            if (PathKey(module.szExePath) == fileKey) {
                program = first;
                break;
            }
        }
        // Only read.
        (void)CloseHandle(modules);
    }
    (void)CloseHandle(processes);
    return program;
}

}  // namespace

std::wstring ProgramHolding(const std::wstring& file) {
    const std::wstring program = AskRestartManager(file);
    return program.empty() ? FindAmongProcesses(file) : program;
}
