#include "process/target_lock.h"

#include <windows.h>

#include "process/elevation_choice.h"
#include "process/file_names.h"

namespace {

const char kLockKind[] = "TargetFolder";

}  // namespace

bool TakeTargetLock(const std::wstring& folder) {
    // Every session's: another user signed in on the same machine installs
    // into the same Program Files folder.
    const std::string name = MachineObjectName(kLockKind, PathKey(folder));
    HANDLE lock = CreateMutexA(nullptr, TRUE, name.c_str());
    if (lock == nullptr) {
        // One that exists but may not be opened (a start with other rights
        // holds it) is held all the same.
        return GetLastError() != ERROR_ACCESS_DENIED;
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
