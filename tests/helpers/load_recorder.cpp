// A library for tests to have loaded: it records when a process loads and
// frees it (see CMakeLists.txt beside it for the record's form).

#include <windows.h>

#include "record_file.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        const recorder::Field event[] = {
            {"load", recorder::TimeNow()},
            {"errormode", std::to_string(recorder::CurrentErrorMode())},
        };
        recorder::AppendRecord(recorder::ModulePath(instance), event, sizeof(event) / sizeof(event[0]));
    } else if (reason == DLL_PROCESS_DETACH) {
        const recorder::Field event[] = {{"unload", recorder::TimeNow()}};
        recorder::AppendRecord(recorder::ModulePath(instance), event, 1);
    }
    return TRUE;
}
