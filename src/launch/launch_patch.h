#pragma once
// Run mode: find the disc, preload the libraries, start the programs.

#include <windows.h>

#include <string>

// 0 once a drive holding the disc was found, whatever the starts then do;
// -1 after the failure box that says no drive holds it.
int LaunchPatch();

// The platform's drive queries. The launcher always uses the real ones; the
// table lets the order and extent of the queries be checked without drives.
struct DriveQueries {
    DWORD(WINAPI* logicalDrives)();
    UINT(WINAPI* driveType)(LPCWSTR root);
    BOOL(WINAPI* volumeInformation)(LPCWSTR root, LPWSTR label, DWORD labelSize, LPDWORD serial,
                                    LPDWORD maxComponentLength, LPDWORD fileSystemFlags, LPWSTR fileSystemName,
                                    DWORD fileSystemNameSize);
    DWORD(WINAPI* fileAttributes)(LPCWSTR path);
};

DriveQueries PlatformDriveQueries();

// The root ("E:\") of the lowest-lettered CD-ROM drive whose label equals
// `volume` (letters A to Z folded; an empty `volume` accepts any label, and
// then no label is read) and which holds `executeCD` as a file (an empty
// `executeCD` is not probed), or the empty string when none does. Both
// values come from Setup.ini in the ANSI code page.
std::wstring FindCdRoot(const std::string& volume, const std::string& executeCD, const DriveQueries& queries);
