#pragma once
// The patch's entry in Settings > Apps goes with the patch, and while the
// uninstall runs it points to what is left of it.

#include <string>
#include <vector>

// Removes the Apps entry of the install into `folder`, but only one whose
// uninstall command starts the executable at `executable`: an entry of that
// name that something else wrote stays.
void RemoveAppsEntry(const std::wstring& folder, const std::wstring& executable);

// What the entry of `folder` was before PointAppsEntryAt, to put it back.
struct EntryBefore {
    bool pointed = false;     // the entry now starts the parked copy
    bool existed = false;     // it was there before, with this command
    std::wstring command;
};

// Has the entry of the install into `folder` start `parked` with the
// uninstall switch, so that an uninstall killed once its executable is
// parked can be finished from Settings: an entry of ours (its command starts
// `executable`) gets the new command, and where there is none (AppsEntry=0,
// or removed by hand) one is written, named `appName`, for as long as the
// uninstall runs. An entry of that name that something else wrote is left
// alone. False when the entry can't be made to point there.
bool PointAppsEntryAt(const std::wstring& folder, const std::wstring& executable, const std::wstring& parked,
                      const std::wstring& appName, EntryBefore& before);

// Puts the entry back as it was before PointAppsEntryAt.
void RestoreAppsEntry(const std::wstring& folder, const EntryBefore& before);

// The folders of the entries whose command starts `parked`: installs whose
// uninstall was killed after it parked its executable there. Only an entry
// named after its own InstallLocation counts.
std::vector<std::wstring> FoldersLeftTo(const std::wstring& parked);
