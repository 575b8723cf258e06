#pragma once
// The patch's entry in Settings > Apps goes with the patch.

#include <string>

// Removes the Apps entry of the install into `folder`, but only one whose
// uninstall command starts the executable at `executable`: an entry of that
// name that something else wrote stays.
void RemoveAppsEntry(const std::wstring& folder, const std::wstring& executable);
