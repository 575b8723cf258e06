#include "setupfile/installed_setup.h"

#include <windows.h>

#include <cstdio>

#include "setupfile/code_page.h"
#include "setupfile/ini_lines.h"
#include "setupfile/settings.h"
#include "setupfile/setup_keys.h"

namespace {

const char kLineEnd[] = "\r\n";
const char kUtf16Mark[] = "\xFF\xFE";

// The file being written and its form: UTF-16 little-endian behind its mark,
// or the ANSI code page.
struct InstalledFile {
    std::FILE* stream;
    bool utf16;
};

// Writes all bytes; the stream's error flag keeps any failure for the caller.
void PutBytes(InstalledFile& file, const std::string& bytes) {
    (void)std::fwrite(bytes.data(), 1, bytes.size(), file.stream);
}

std::string Utf16LeBytes(const std::wstring& text) {
    std::string bytes;
    for (wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return bytes;
}

// A text as the reader gave it, in the file's form.
void Put(InstalledFile& file, const std::string& text) {
    PutBytes(file, file.utf16 ? Utf16LeBytes(WideOfText(text)) : AnsiOfText(text));
}

// Closes the file and tells whether every write and the close went through.
// The buffer is flushed first on its own: some C runtimes (Wine's msvcrt)
// let fclose return 0 although the flush inside it failed on a full disk.
bool CloseAfterWriting(InstalledFile& file) {
    const bool flushed = std::fflush(file.stream) == 0;
    const bool written = std::ferror(file.stream) == 0;
    const bool closed = std::fclose(file.stream) == 0;
    return flushed && written && closed;
}

void PutValue(InstalledFile& file, const SetupKey& key, const std::string& value) {
    Put(file, ValueLine(key.name, value));
}

void PutValueIfSet(InstalledFile& file, const SetupKey& key, const std::string& value) {
    if (!value.empty()) {
        PutValue(file, key, value);
    }
}

// A UTF-16 file holds every path as it is; an ANSI one in the code page
// where that holds it exactly, behind the Unicode mark otherwise.
void PutRecordSection(InstalledFile& file, const char* section, const std::vector<std::wstring>& paths) {
    Put(file, SectionLine(section));
    int number = 1;
    for (const std::wstring& path : paths) {
        if (file.utf16) {
            Put(file, NumberedLine(number++, TextOfWide(path)));
        } else {
            PutBytes(file, NumberedLine(number++, RecordValueOf(path)));
        }
    }
    Put(file, kLineEnd);
}

// What the platform's reader gives for a key of the file at `path`, as a
// wide string; empty for a missing key or an empty value.
std::wstring ReadValueOf(const std::wstring& path, const wchar_t* section, const std::wstring& key) {
    std::vector<wchar_t> buffer(kMaxSettingLength + 2, L'\0');
    const DWORD length = GetPrivateProfileStringW(section, key.c_str(), L"", buffer.data(),
                                                  static_cast<DWORD>(kMaxSettingLength + 1), path.c_str());
    return std::wstring(buffer.data(), length);
}

std::vector<std::wstring> ReadRecordList(const std::wstring& path, const char* section) {
    std::vector<std::wstring> paths;
    for (const std::wstring& value : ReadNumberedListOf(path, section)) {
        paths.push_back(PathOfRecordValue(value));
    }
    return paths;
}

}  // namespace

InstalledRecord ReadInstalledRecord(const std::wstring& path) {
    InstalledRecord record;
    std::string mode;
    // The mode is compared as bytes of the code page, as the start reads it.
    (void)ExactAnsiFrom(ReadValueOf(path, L"General", L"Mode"), mode);
    record.mode = mode;
    record.files = ReadRecordList(path, kFilesSection);
    record.folders = ReadRecordList(path, kFoldersSection);
    return record;
}

bool WriteInstalledSetup(const std::wstring& path, const InstalledSetupValues& values) {
    // Binary mode: CR LF must reach the file unchanged.
    InstalledFile file{_wfopen(path.c_str(), L"wb"), values.utf16};
    if (file.stream == nullptr) {
        return false;
    }
    if (file.utf16) {
        PutBytes(file, kUtf16Mark);
    }
    Put(file, SectionLine("General"));
    PutValue(file, keys::kMode, kInstalledMode);
    PutValue(file, keys::kAppName, values.appName);
    PutValue(file, keys::kVolume, values.volume);
    PutValue(file, keys::kExecute, values.execute);
    PutValue(file, keys::kWaitExecute, values.waitExecute);
    PutValue(file, keys::kExecuteCD, values.executeCD);
    PutValue(file, keys::kWaitExecuteCD, values.waitExecuteCD);
    Put(file, kLineEnd);

    Put(file, SectionLine("Text"));
    PutValue(file, keys::kErrorHeader, values.errorHeader);
    PutValue(file, keys::kErrorCD, values.errorCD);
    PutValue(file, keys::kDialogExit, values.dialogExit);
    PutValue(file, keys::kDialogUninstall, values.dialogUninstall);
    PutValue(file, keys::kDialogText, values.dialogUninstallText);
    PutValue(file, keys::kSuccessHeader, values.successHeader);
    PutValue(file, keys::kSuccessUninstall, values.successUninstall);
    PutValueIfSet(file, keys::kErrorNotInstalled, values.errorNotInstalled);
    PutValueIfSet(file, keys::kErrorUninstall, values.errorUninstall);
    PutValueIfSet(file, keys::kErrorAlreadyRunning, values.errorAlreadyRunning);
    PutValueIfSet(file, keys::kErrorInterrupted, values.errorInterrupted);
    PutValueIfSet(file, keys::kErrorLongPath, values.errorLongPath);
    PutValueIfSet(file, keys::kProgressUninstall, values.progressUninstall);
    Put(file, kLineEnd);

    // Each entry is written as soon as it is read, under its own number.
    Put(file, SectionLine(kPreloadDLLsSection));
    ForEachNumberedEntry(kPreloadDLLsSection,
                         [&file](int number, const std::string& entry) { Put(file, NumberedLine(number, entry)); });
    Put(file, kLineEnd);

    // A settings file cut short (a full disk) would be taken for a good one by
    // run and uninstall mode, so it counts as not created.
    if (!CloseAfterWriting(file)) {
        (void)_wremove(path.c_str());
        return false;
    }
    return true;
}

bool AppendInstallRecord(const std::wstring& path, const std::vector<std::wstring>& createdFiles,
                         const std::vector<std::wstring>& createdFolders) {
    // The record goes on in the form that the file was begun in.
    const bool utf16 = HoldsUtf16Mark(path);
    InstalledFile file{_wfopen(path.c_str(), L"ab"), utf16};
    if (file.stream == nullptr) {
        return false;
    }
    PutRecordSection(file, kFilesSection, createdFiles);
    PutRecordSection(file, kFoldersSection, createdFolders);
    // A record cut short (a full disk) would leave files that uninstall
    // doesn't know of: the caller must not take the install for done.
    return CloseAfterWriting(file);
}
