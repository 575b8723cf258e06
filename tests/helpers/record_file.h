#pragma once
// The record that the test helpers append to: one line per event, so that a
// test can read what happened and in which order.

#include <windows.h>

#include <string>

namespace recorder {

// The file the record goes to for the module at `modulePath`: the file named
// by the environment variable RECORDER_LOG, or the module's path plus ".log".
std::string RecordFileFor(const std::string& modulePath);

struct Field {
    const char* name;
    std::string value;
};

// Appends "<modulePath>\t<field>\t<value>" CR LF for each field in one write,
// so that lines of processes writing at the same time don't interleave.
void AppendRecord(const std::string& modulePath, const Field* fields, size_t count);

// Full path of a module (null: the program).
std::string ModulePath(HMODULE module);

// The process's error mode (SetErrorMode flags).
UINT CurrentErrorMode();

// The current system time as a FILETIME count in decimal.
std::string TimeNow();

}  // namespace recorder
