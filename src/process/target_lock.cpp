#include "process/target_lock.h"

#include <windows.h>

#include "process/elevation_choice.h"
#include "process/file_names.h"
#include "setupfile/paths.h"

namespace {

const char kLockKind[] = "TargetFolder";

// One name for every spelling of the folder: full, without a final
// backslash, every letter in its upper case as the file system compares.
std::wstring LockKey(const std::wstring& folder) {
    std::wstring key = WithoutFinalBackslash(FullPathOf(folder));
    if (!key.empty()) {
        (void)CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
    }
    return key;
}

}  // namespace

bool TakeTargetLock(const std::wstring& folder) {
    const std::string name = SessionObjectName(kLockKind, LockKey(folder));
    HANDLE lock = CreateMutexA(nullptr, TRUE, name.c_str());
    if (lock == nullptr) {
        return true;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // Another start holds it, or held it a moment ago and is still
        // ending: either way this one must not go on.
        (void)CloseHandle(lock);
        return false;
    }
    // The handle stays open on purpose until the process ends.
    return true;
}
