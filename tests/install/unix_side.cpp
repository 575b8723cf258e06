#include "unix_side.h"

#include <windows.h>

#include <vector>

namespace unixside {

namespace {

// Wine's own export; absent on Windows.
using UnixFileNameFunction = char*(CDECL*)(const WCHAR*);

constexpr DWORD kEffectTimeoutMs = 10000;
constexpr DWORD kPollMs = 20;

std::wstring Widened(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::vector<WCHAR> wide(length);
    if (MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length) != length) {
        return std::wstring();
    }
    return std::wstring(wide.data());
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Starts a Unix program given by its absolute Unix path.
bool StartUnixProgram(const std::string& program, const std::string& arguments) {
    const std::string application = "Z:" + program;
    std::string line = Quoted(program) + " " + arguments;
    std::vector<char> mutableLine(line.begin(), line.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info;
    ZeroMemory(&info, sizeof(info));
    if (!CreateProcessA(application.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return false;
    }
    if (info.hThread != nullptr) {
        CloseHandle(info.hThread);
    }
    if (info.hProcess != nullptr) {
        CloseHandle(info.hProcess);
    }
    return true;
}

template <typename Condition>
bool WaitUntil(Condition condition) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= kEffectTimeoutMs) {
            return false;
        }
        Sleep(kPollMs);
    }
    return true;
}

std::uint64_t VolumeSize(const std::string& folder) {
    ULARGE_INTEGER available;
    ULARGE_INTEGER total;
    ULARGE_INTEGER free;
    if (!GetDiskFreeSpaceExA((folder + "\\").c_str(), &available, &total, &free)) {
        return 0;
    }
    return total.QuadPart;
}

}  // namespace

std::string UnixPathOf(const std::string& windowsPath) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) {
        return std::string();
    }
    auto toUnix = reinterpret_cast<UnixFileNameFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
    if (toUnix == nullptr) {
        return std::string();
    }
    const std::wstring wide = Widened(windowsPath);
    char* unixPath = toUnix(wide.c_str());
    if (unixPath == nullptr) {
        return std::string();
    }
    std::string result(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

TmpfsMount::~TmpfsMount() {
    if (unixFolder_.empty()) {
        return;
    }
    // Lazily: a Wine process that still holds the folder must not keep the
    // mount, which would outlive the test and the prefix it lies in.
    if (StartUnixProgram("/bin/umount", "-l " + Quoted(unixFolder_))) {
        (void)WaitUntil([&] { return VolumeSize(windowsFolder_) != sizeBytes_; });
    }
}

bool TmpfsMount::Mount(const std::string& windowsFolder, std::uint64_t sizeBytes) {
    const std::string unixFolder = UnixPathOf(windowsFolder);
    if (unixFolder.empty() || VolumeSize(windowsFolder) == sizeBytes) {
        return false;
    }
    const std::string options = "-t tmpfs -o size=" + std::to_string(sizeBytes) + " tmpfs " + Quoted(unixFolder);
    if (!StartUnixProgram("/bin/mount", options)) {
        return false;
    }
    // Set before the wait: a mount that shows up late must still be undone.
    windowsFolder_ = windowsFolder;
    unixFolder_ = unixFolder;
    sizeBytes_ = sizeBytes;
    return WaitUntil([&] { return VolumeSize(windowsFolder) == sizeBytes; });
}

}  // namespace unixside
