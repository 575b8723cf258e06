#include "program_names.h"

#include <tlhelp32.h>

namespace {

std::string FileNameOf(const std::string& path) {
    const size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

// The first module of a process is its program file.
bool RunsProgram(DWORD processId, const std::string& programPath) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return false;
    }
    MODULEENTRY32 module;
    ZeroMemory(&module, sizeof(module));
    module.dwSize = sizeof(module);
    const bool runs = Module32First(snapshot, &module) && lstrcmpiA(module.szExePath, programPath.c_str()) == 0;
    (void)CloseHandle(snapshot);
    return runs;
}

}  // namespace

std::string ProgramNameOf(DWORD processId) {
    std::string name = "process " + std::to_string(processId);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return name;
    }
    PROCESSENTRY32 entry;
    ZeroMemory(&entry, sizeof(entry));
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == processId) {
            name = entry.szExeFile;
            break;
        }
    }
    (void)CloseHandle(snapshot);
    return name;
}

HANDLE OpenProcessOfProgram(const std::string& programPath) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    const std::string fileName = FileNameOf(programPath);
    HANDLE process = nullptr;
    PROCESSENTRY32 entry;
    ZeroMemory(&entry, sizeof(entry));
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more && process == nullptr;
         more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, fileName.c_str()) == 0 && RunsProgram(entry.th32ProcessID, programPath)) {
            process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE,
                                  entry.th32ProcessID);
        }
    }
    (void)CloseHandle(snapshot);
    return process;
}
