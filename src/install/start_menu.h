#pragma once
// The Start-menu group with its start, read-me and uninstall shortcuts.

#include <string>
#include <vector>

#include "install/install_changes.h"

struct ShortcutNames {
    std::string start;
    std::string readMe;
    std::string uninstall;
};

// Makes the group folder named after `appName` in the Programs folder and the
// three shortcuts in it; appends the group folder and the three link paths to
// the lists once the Programs folder is found. Failures are passed over.
// `changes` learns of a group folder that wasn't there and of each link
// written; a file already under a link's name is set aside first, and one
// that can't be is left alone, without a shortcut in its place.
// The names come from Setup.ini in the ANSI code page; the folders are wide.
void CreateStartMenuGroup(const std::wstring& targetFolder, const std::string& appName, const ShortcutNames& names,
                          std::vector<std::wstring>& createdFiles, std::vector<std::wstring>& createdFolders,
                          InstallChanges& changes);

// Saves one shell link; true when the file was saved. A link path that doesn't
// fit the shell's wide path of MAX_PATH characters is not saved.
bool CreateShortcut(const std::wstring& targetPath, const std::wstring& linkPath,
                    const std::wstring& workingDirectory, const std::wstring& description,
                    const std::wstring& arguments, int iconIndex);
