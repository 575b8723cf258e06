#include "record_file.h"

#include <cstdio>
#include <vector>

#include "utf8.h"

namespace recorder {

namespace {

const wchar_t kRecordVariable[] = L"RECORDER_LOG";
const char kRecordSuffix[] = ".log";
constexpr DWORD kPathBufferSize = 32768;
// Another process may hold the file for a moment: Wine's sharing checks can
// refuse an open while a write of another process is in flight.
constexpr int kOpenAttempts = 50;
constexpr DWORD kOpenRetryMs = 20;

}  // namespace

std::string RecordFileFor(const std::string& modulePath) {
    wchar_t shared[MAX_PATH + 1];
    const DWORD length = GetEnvironmentVariableW(kRecordVariable, shared, MAX_PATH + 1);
    if (length > 0 && length < MAX_PATH + 1) {
        return Utf8FromWide(std::wstring(shared, length));
    }
    return modulePath + kRecordSuffix;
}

void AppendRecord(const std::string& modulePath, const Field* fields, size_t count) {
    std::string lines;
    for (size_t i = 0; i < count; ++i) {
        lines += modulePath + "\t" + fields[i].name + "\t" + fields[i].value + "\r\n";
    }
    const std::string file = RecordFileFor(modulePath);
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        // Append-only access: every write lands at the end, whoever wrote last.
        HANDLE handle = CreateFileW(WideFromUtf8(file).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            Sleep(kOpenRetryMs);
            continue;
        }
        DWORD written = 0;
        (void)WriteFile(handle, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
        (void)CloseHandle(handle);
        return;
    }
}

std::string ModulePath(HMODULE module) {
    std::vector<wchar_t> path(kPathBufferSize);
    const DWORD length = GetModuleFileNameW(module, path.data(), kPathBufferSize);
    return (length > 0 && length < kPathBufferSize) ? Utf8FromWide(std::wstring(path.data(), length))
                                                    : std::string("?");
}

UINT CurrentErrorMode() {
    // SetErrorMode is the only way to read the mode before Vista.
    const UINT mode = SetErrorMode(0);
    (void)SetErrorMode(mode);
    return mode;
}

std::string TimeNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    char text[32];
    std::snprintf(text, sizeof(text), "%llu", ticks);
    return text;
}

}  // namespace recorder
