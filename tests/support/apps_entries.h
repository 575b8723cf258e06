#pragma once
// The entries of Settings > Apps (Programs and Features) that installs into
// a test's folders make, read and placed through the registry.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// The values of an entry, each as text: a string in UTF-8, a number in decimal.
using AppsEntry = std::map<std::string, std::string>;

// Each entry whose InstallLocation is `folder`.
std::vector<AppsEntry> AppsEntriesOf(const std::string& folder);

// Removes the entry of the name that an install into `folder` gives its own.
void RemoveAppsEntryOf(const std::string& folder);

// An entry of the name that an install into `folder` gives its own, as
// another program (or an earlier install) may have left it, with its
// uninstall command when one is given; what it holds.
AppsEntry PlaceEarlierAppsEntry(const std::string& folder, const std::string& uninstallString = std::string());
