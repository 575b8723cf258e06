// A program for tests to start: it records where and how it was started (see
// CMakeLists.txt beside it for the record's form).

#include <windows.h>

#include <cstdlib>
#include <string>

#include "record_file.h"
#include "utf8.h"

namespace {

const char kSleepSuffix[] = ".sleep";
const char kDetachSuffix[] = ".detach";
constexpr DWORD kSleepTextSize = 32;

// Milliseconds named by "<own path>.sleep", or 0 when there is no such file.
DWORD SleepTimeFor(const std::string& ownPath) {
    const std::string file = ownPath + kSleepSuffix;
    HANDLE handle = CreateFileW(WideFromUtf8(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return 0;
    }
    char text[kSleepTextSize] = "";
    DWORD got = 0;
    const BOOL read = ReadFile(handle, text, sizeof(text) - 1, &got, nullptr);
    (void)CloseHandle(handle);
    if (!read) {
        return 0;
    }
    text[got] = '\0';
    return static_cast<DWORD>(std::strtoul(text, nullptr, 10));
}

std::string CurrentFolder() {
    wchar_t folder[MAX_PATH + 1] = L"";
    const DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, folder);
    return (length > 0 && length < MAX_PATH + 1) ? Utf8FromWide(std::wstring(folder, length)) : std::string("?");
}

// The sleep and the record of how the program was started.
DWORD WINAPI SleepAndRecord(LPVOID) {
    const std::string ownPath = recorder::ModulePath(nullptr);
    const DWORD sleepMs = SleepTimeFor(ownPath);
    if (sleepMs > 0) {
        Sleep(sleepMs);
    }

    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);

    const recorder::Field record[] = {
        {"folder", CurrentFolder()},
        {"commandline", Utf8FromWide(GetCommandLineW())},
        {"flags", std::to_string(startup.dwFlags)},
        {"errormode", std::to_string(recorder::CurrentErrorMode())},
        {"ended", recorder::TimeNow()},
    };
    recorder::AppendRecord(ownPath, record, sizeof(record) / sizeof(record[0]));
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string ownPath = recorder::ModulePath(nullptr);
    const recorder::Field started[] = {{"started", recorder::TimeNow()}};
    recorder::AppendRecord(ownPath, started, 1);

    if (GetFileAttributesW(WideFromUtf8(ownPath + kDetachSuffix).c_str()) != INVALID_FILE_ATTRIBUTES) {
        // The process lives on in the second thread after the first one ends.
        HANDLE worker = CreateThread(nullptr, 0, SleepAndRecord, nullptr, 0, nullptr);
        if (worker != nullptr) {
            (void)CloseHandle(worker);
            ExitThread(0);
        }
    }
    return static_cast<int>(SleepAndRecord(nullptr));
}
