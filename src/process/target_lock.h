#pragma once
// One install or uninstall of a target folder at a time.

#include <string>

// Takes the lock of `folder` for the rest of this process: the platform lets
// go of it when the process ends, however it ends. False when another start
// holds it. Should the lock not be made at all, the start goes on unlocked
// rather than claim that another one runs.
bool TakeTargetLock(const std::wstring& folder);
