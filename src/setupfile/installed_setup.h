#pragma once
// Writing the installed Setup.ini: its run-mode settings first, the install
// record of created files and folders at the end of the install.

#include <string>
#include <vector>

// The values that install read from the source file and copies, as stored.
struct InstalledSetupValues {
    std::string appName;
    std::string volume;
    std::string execute;
    std::string waitExecute;
    std::string executeCD;
    std::string waitExecuteCD;
    std::string errorHeader;
    std::string errorCD;
    std::string dialogExit;
    std::string dialogUninstall;
    std::string dialogUninstallText;
    std::string successHeader;
    std::string successUninstall;
    // The failure texts of uninstall and run mode: written only when the
    // source sets them, so an installed file without them keeps the bytes it
    // always had.
    std::string errorNotInstalled;
    std::string errorUninstall;
    std::string errorAlreadyRunning;
    std::string errorInterrupted;
    std::string errorLongPath;
    std::string progressUninstall;
    // Written as UTF-16 little-endian with its mark, as a source in that form
    // is; in the ANSI code page otherwise, as ever.
    bool utf16 = false;
};

// The install record of the installed Setup.ini at `path`, read through the
// platform's reader as uninstall reads it: its Mode and its two lists, each
// entry as the path it names (a relative one as it stands).
struct InstalledRecord {
    std::string mode;
    std::vector<std::wstring> files;
    std::vector<std::wstring> folders;
};
InstalledRecord ReadInstalledRecord(const std::wstring& path);

// Creates (or empties) the file at `path` and writes the sections General,
// Text and PreloadDLLs; the PreloadDLLs entries are read from the source
// Setup.ini of the current directory as they are written. False when the
// file can't be created or a write fails; then no file is left.
bool WriteInstalledSetup(const std::wstring& path, const InstalledSetupValues& values);

// Appends the sections Files and Folders, numbering each list from 1; each
// path as RecordValueOf writes it. False when the file can't be opened
// (nothing is written) or the record didn't reach it whole; the file may
// then end in part of a record.
bool AppendInstallRecord(const std::wstring& path, const std::vector<std::wstring>& createdFiles,
                         const std::vector<std::wstring>& createdFolders);
