#include "test_env.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <shlobj.h>

namespace testenv {

const char kCurrentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kProgramFilesValue[] = "ProgramFilesDir";

std::string ProgramsFolder() {
    wchar_t path[MAX_PATH] = L"";
    return SHGetSpecialFolderPathW(nullptr, path, CSIDL_PROGRAMS, FALSE) ? Utf8FromWide(path) : std::string();
}

std::string WindowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/') {
        return path;
    }
    std::string converted = "Z:" + path;
    std::replace(converted.begin(), converted.end(), '/', '\\');
    return converted;
}

std::string SetupExePath() {
    const char* value = std::getenv("SETUP_EXE");
    return value == nullptr ? std::string() : WindowsPath(value);
}

std::string HelpersDir() {
    const char* value = std::getenv("TEST_HELPERS_DIR");
    return value == nullptr ? std::string() : WindowsPath(value);
}

ScratchFolder::ScratchFolder(const std::string& hint, const std::string& parent) {
    wchar_t temp[MAX_PATH + 1] = L"";
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    std::string base = !parent.empty()                              ? parent + "\\"
                       : (length > 0 && length < MAX_PATH + 1) ? Utf8FromWide(std::wstring(temp, length))
                                                                : std::string("C:\\");
    static unsigned counter = 0;
    for (;;) {
        char name[64];
        std::snprintf(name, sizeof(name), "-%lu-%u", GetCurrentProcessId(), ++counter);
        path_ = base + hint + name;
        if (CreateDirectoryW(WideFromUtf8(path_).c_str(), nullptr)) {
            break;
        }
    }
}

namespace {

const wchar_t kAppsEntriesKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr DWORD kKeyNameSize = 256;

// Removes every Apps entry of an install into `folder` or below it, so that
// entries of installs into a test's folders don't outlive the test.
void RemoveAppsEntriesUnder(const std::string& folder) {
    HKEY entries = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAppsEntriesKey, 0, KEY_READ | KEY_WRITE, &entries) != ERROR_SUCCESS) {
        return;
    }
    const std::wstring prefix = WideFromUtf8(folder);
    std::vector<std::wstring> doomed;
    wchar_t name[kKeyNameSize];
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = kKeyNameSize;
        if (RegEnumKeyExW(entries, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        wchar_t location[MAX_PATH * 2] = L"";
        DWORD size = sizeof(location) - sizeof(wchar_t);
        if (RegGetValueW(entries, name, L"InstallLocation", RRF_RT_REG_SZ, nullptr, location, &size) ==
                ERROR_SUCCESS &&
            CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, location, static_cast<int>(prefix.size()),
                           prefix.c_str(), static_cast<int>(prefix.size())) == CSTR_EQUAL) {
            doomed.push_back(name);
        }
    }
    for (const std::wstring& entry : doomed) {
        RegDeleteKeyW(entries, entry.c_str());
    }
    RegCloseKey(entries);
}

}  // namespace

ScratchFolder::~ScratchFolder() {
    RemoveAppsEntriesUnder(path_);
    RemoveTree(path_);
}

std::string ScratchFolder::operator/(const std::string& name) const {
    return path_ + "\\" + name;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::FILE* file = _wfopen(WideFromUtf8(path).c_str(), L"wb");
    if (file == nullptr) {
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
    std::FILE* file = _wfopen(WideFromUtf8(path).c_str(), L"rb");
    if (file == nullptr) {
        return false;
    }
    bytes.clear();
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) {
        bytes.append(chunk, got);
    }
    std::fclose(file);
    return true;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesW(WideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CopyOneFile(const std::string& from, const std::string& to) {
    return CopyFileW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(), FALSE) != FALSE;
}

std::vector<std::string> FolderEntries(const std::string& path) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(WideFromUtf8(path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        std::string name = Utf8FromWide(found.cFileName);
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::string& path) {
    const std::wstring wide = WideFromUtf8(path);
    if (!IsFolder(path)) {
        SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(wide.c_str());
        return;
    }
    for (const std::string& name : FolderEntries(path)) {
        RemoveTree(path + "\\" + name);
    }
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(wide.c_str());
}

void PrepareMedium(const ScratchFolder& medium, const std::string& setupIni) {
    PrepareMedium(medium.Path(), setupIni);
}

void PrepareMedium(const std::string& folder, const std::string& setupIni) {
    CopyOneFile(SetupExePath(), folder + "\\Setup.exe");
    WriteFileBytes(folder + "\\Setup.ini", setupIni);
}

std::string CommandLineFor(const std::string& exe, const std::string& arguments) {
    std::string line = "\"" + exe + "\"";
    if (!arguments.empty()) {
        line += " " + arguments;
    }
    return line;
}

RegistryValueGuard::RegistryValueGuard(HKEY root, const std::string& subKey, const std::string& valueName)
    : root_(root), subKey_(subKey), valueName_(WideFromUtf8(valueName)) {
    HKEY key;
    if (RegOpenKeyExA(root_, subKey_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    DWORD size = 0;
    if (RegQueryValueExW(key, valueName_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
        data_.resize(size);
        existed_ = RegQueryValueExW(key, valueName_.c_str(), nullptr, &type_, data_.data(), &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
}

RegistryValueGuard::~RegistryValueGuard() {
    HKEY key;
    if (RegCreateKeyExA(root_, subKey_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return;
    }
    if (existed_) {
        RegSetValueExW(key, valueName_.c_str(), 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
    } else {
        RegDeleteValueW(key, valueName_.c_str());
    }
    RegCloseKey(key);
}

bool RegistryValueGuard::SetString(const std::string& value, DWORD type) {
    HKEY key;
    if (RegCreateKeyExA(root_, subKey_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG status = RegSetValueExA(key, Utf8FromWide(valueName_).c_str(), 0, type,
                                 reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool RegistryValueGuard::SetWideString(const std::wstring& value, DWORD type) {
    HKEY key;
    if (RegCreateKeyExA(root_, subKey_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG status = RegSetValueExW(key, valueName_.c_str(), 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool RegistryValueGuard::Delete() {
    HKEY key;
    const LONG opened = RegOpenKeyExA(root_, subKey_.c_str(), 0, KEY_WRITE, &key);
    if (opened != ERROR_SUCCESS) {
        return opened == ERROR_FILE_NOT_FOUND;
    }
    const LONG status = RegDeleteValueW(key, valueName_.c_str());
    RegCloseKey(key);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace testenv
