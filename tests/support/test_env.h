#pragma once
// Files, folders and registry values for tests that run under Wine. Paths
// are UTF-8 throughout (ASCII, as most tests write them, is the same in
// every code page) and reach the platform through its wide calls, so that a
// test can name a folder in any script.

#include <windows.h>

#include <string>
#include <vector>

#include "utf8.h"

namespace testenv {

using ::Utf8FromWide;
using ::WideFromUtf8;

// A folder name of Polish, Greek, Cyrillic and Japanese letters, which no
// ANSI code page holds all of: best fitted, a path with it names another
// folder, or none.
inline constexpr char kForeignName[] = u8"\u0141\u00F3d\u017A \u0391\u03B8\u03AE\u03BD\u03B1 "
                                       u8"\u041C\u043E\u0441\u043A\u0432\u0430 \u6771\u4EAC";

// A Unix path (as CTest passes it) as Wine sees it through drive Z:.
std::string WindowsPath(const std::string& path);

// The built Setup.exe, from the environment variable SETUP_EXE.
std::string SetupExePath();

// A directory beside the test program holding helpers built with the tests
// (from the environment variable TEST_HELPERS_DIR), or empty.
std::string HelpersDir();

// A fresh, empty folder under the temporary folder (or under `parent`),
// removed with all its contents when the object goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& hint = "t", const std::string& parent = "");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Path of `name` inside the folder.
    std::string operator/(const std::string& name) const;

private:
    std::string path_;
};

bool WriteFileBytes(const std::string& path, const std::string& bytes);
// The whole file, or false when it can't be read.
bool ReadFileBytes(const std::string& path, std::string& bytes);
bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);
bool CopyOneFile(const std::string& from, const std::string& to);
// Removes a folder with everything in it, attributes reset first.
void RemoveTree(const std::string& path);
// Names in a folder, without "." and "..", sorted.
std::vector<std::string> FolderEntries(const std::string& path);

// Where install reads the Program Files folder (HKEY_LOCAL_MACHINE).
extern const char kCurrentVersionKey[];
extern const char kProgramFilesValue[];

// The Start menu's Programs folder of the prefix, or empty when the shell
// can't name it.
std::string ProgramsFolder();

// A medium: a folder holding a copy of Setup.exe and a Setup.ini.
void PrepareMedium(const ScratchFolder& medium, const std::string& setupIni);
void PrepareMedium(const std::string& folder, const std::string& setupIni);

// Command line that starts `exe` quoted, followed by `arguments` (if any).
std::string CommandLineFor(const std::string& exe, const std::string& arguments);

// Saves a registry value and restores it (or deletes it, if it was missing)
// when the object goes; its data is kept as stored, whatever it holds.
class RegistryValueGuard {
public:
    RegistryValueGuard(HKEY root, const std::string& subKey, const std::string& valueName);
    ~RegistryValueGuard();
    RegistryValueGuard(const RegistryValueGuard&) = delete;
    RegistryValueGuard& operator=(const RegistryValueGuard&) = delete;

    bool SetString(const std::string& value, DWORD type = REG_SZ);
    bool SetWideString(const std::wstring& value, DWORD type = REG_SZ);
    // True when the value is gone, also when there was none.
    bool Delete();

private:
    HKEY root_;
    std::string subKey_;
    std::wstring valueName_;
    bool existed_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
};

}  // namespace testenv
