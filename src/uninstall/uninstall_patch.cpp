#include "uninstall/uninstall_patch.h"

#include <windows.h>

#include <string>
#include <vector>

#include "process/elevation.h"
#include "process/file_names.h"
#include "process/module_path.h"
#include "process/target_lock.h"
#include "setupfile/code_page.h"
#include "setupfile/paths.h"
#include "setupfile/settings.h"
#include "setupfile/setup_keys.h"
#include "setupfile/text.h"
#include "ui/message_box.h"
#include "ui/setup_dialog.h"
#include "uninstall/apps_entry_removal.h"
#include "uninstall/file_removal.h"

namespace {

// Every uninstall parks its executable under this one name, so each run
// replaces the copy that the previous one left behind.
const wchar_t kParkingFileName[] = L"_$_Morvelan_Remove_Me_$_";

// The installed Setup.ini beside the executable, which holds the record.
const wchar_t kSetupIniName[] = L"Setup.ini";
// Between a failure box's text and the name of the file it is about.
const wchar_t kLineBreak[] = L"\r\n";

// Longest temporary-folder path taken, terminator included.
constexpr DWORD kTempPathLimit = 256;

// Removed, cancelled, or nothing could be read.
constexpr int kDoneStatus = 0;
constexpr int kFailureStatus = -1;

// Length of a drive root such as "C:\".
constexpr std::size_t kDriveRootLength = 3;

struct UninstallTexts {
    std::string exitLabel;
    std::string uninstallLabel;
    std::string body;
    std::string successCaption;
    std::string successText;
    std::string appName;
    std::string errorCaption;
    std::string filesStayedText;
};

bool IsDriveRoot(const std::wstring& folder) {
    return folder.size() == kDriveRootLength && folder[1] == ':' && folder[2] == '\\';
}

// The folder of the executable as the current directory wants it. A drive
// root keeps its backslash: a bare "C:" would name the current directory of
// that drive, which is wherever the program was started on it.
std::wstring OwnFolderOf(const std::wstring& executable) {
    const std::wstring folder = ExecutableFolderOf(executable);
    return IsDriveRoot(folder) ? folder : WithoutFinalBackslash(folder);
}

UninstallTexts ReadUninstallTexts() {
    UninstallTexts texts;
    texts.exitLabel = ReadSetting(keys::kDialogExit);
    texts.uninstallLabel = ReadSetting(keys::kDialogUninstall);
    texts.body = ReadText(keys::kDialogText);
    texts.successCaption = ReadSetting(keys::kSuccessHeader);
    texts.successText = ReadText(keys::kSuccessUninstall);
    texts.appName = ReadSetting(keys::kAppName);
    // The installed Setup.ini goes with the other files, so the failure
    // texts are read now.
    texts.errorCaption = ReadSetting(keys::kErrorHeader);
    texts.filesStayedText = ReadText(keys::kErrorUninstall);
    return texts;
}

void FillDialogTexts(const UninstallTexts& texts) {
    DialogTexts.caption = texts.appName;
    DialogTexts.heading = texts.appName;
    DialogTexts.body = texts.body;
    DialogTexts.okLabel = texts.uninstallLabel;
    DialogTexts.cancelLabel = texts.exitLabel;
    // Nothing has been touched yet, so leaving needs no second thought.
    g_confirmCancel = false;
}

// The temporary folder, or empty when it can't be determined within the limit.
std::wstring TemporaryFolder() {
    wchar_t temp[kTempPathLimit] = L"";
    const DWORD length = GetTempPathW(kTempPathLimit, temp);
    // 0 is a failure; a length beyond the buffer is the size it would need.
    if (length == 0 || length >= kTempPathLimit) {
        return std::wstring();
    }
    return std::wstring(temp, length);
}

// A numbered list of recorded paths, in either form of the record, each
// pinned to the own folder (the current directory now) so that a relative
// entry keeps its meaning after the current directory moves away.
std::vector<std::wstring> ReadRecordedPaths(const char* section) {
    std::vector<std::wstring> paths;
    for (const std::string& value : ReadNumberedList(section)) {
        paths.push_back(FullPathOf(PathOfRecordValue(value)));
    }
    return paths;
}

// Moves the running executable out of the folders about to be removed;
// false when it stays where it is.
bool ParkExecutable(const std::wstring& executable, const std::wstring& parkingPath) {
    // A copy that an earlier uninstall parked goes first; if it can't, the
    // move below fails and says so.
    (void)SetFileAttributesW(parkingPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    (void)DeleteFileW(parkingPath.c_str());
    if (!MoveFileW(executable.c_str(), parkingPath.c_str())) {
        return false;
    }
    // Only hides it: a parked copy that shows harms nothing.
    (void)SetFileAttributesW(parkingPath.c_str(), FILE_ATTRIBUTE_HIDDEN);
    return true;
}

// Puts the executable back where the uninstall shortcut looks for it, so
// that the user can try again once the files that stayed are free.
void UnparkExecutable(const std::wstring& executable, const std::wstring& parkingPath) {
    if (MoveFileW(parkingPath.c_str(), executable.c_str())) {
        (void)SetFileAttributesW(executable.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

// Only empty folders go: one that still holds files the install didn't
// create stays where it is.
void RemoveRecordedFolders(const std::vector<std::wstring>& folders) {
    for (const std::wstring& folder : folders) {
        (void)SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
        (void)RemoveDirectoryW(folder.c_str());
    }
}

// The recorded files but the running executable, which is parked instead,
// and the installed Setup.ini, the record itself, which goes last.
std::vector<std::wstring> FilesToDelete(const std::vector<std::wstring>& files, const std::wstring& executable,
                                        const std::wstring& record) {
    std::vector<std::wstring> others;
    for (const std::wstring& file : files) {
        if (!SameFileName(file, executable) && !SameFileName(file, record)) {
            others.push_back(file);
        }
    }
    return others;
}

// An install writes its Mode into every Setup.ini it installs, and its record
// starts with that file itself. A Setup.ini beside us that is not so is a
// medium's, whose Files name the patch's sources: taken for a record, they
// would be deleted, and this Setup.exe moved.
bool IsInstalledSetup(const std::wstring& record) {
    if (!EqualsExactly(ReadSetting(keys::kMode), kInstalledMode)) {
        return false;
    }
    const std::string firstRecorded = ReadSetting(kFilesSection, NumberedKey(1).c_str(), "");
    return !firstRecorded.empty() && SameFileName(FullPathOf(PathOfRecordValue(firstRecorded)), record);
}

int ReportFailure(const std::string& text, const std::string& caption) {
    // An OK box: its answer changes nothing.
    (void)ShowMessage(text, caption, MB_OK);
    return kFailureStatus;
}

// The failure box, naming the file that stayed or would stay.
int ReportFileThatStays(const UninstallTexts& texts, const std::wstring& file) {
    (void)ShowMessage(WideFromAnsi(texts.filesStayedText) + kLineBreak + kLineBreak + file, texts.errorCaption, MB_OK);
    return kFailureStatus;
}

}  // namespace

int UninstallPatch() {
    // Without its own folder the program can't tell which Setup.ini is the
    // installed one; the one in the start directory may belong to another
    // patch, so nothing is read or removed, and the built-in texts say so.
    const std::wstring executable = ExecutablePath(kUninstallPathLimit);
    const std::wstring ownFolder = executable.empty() ? std::wstring() : OwnFolderOf(executable);
    // Before the first read: every setting comes from the Setup.ini beside
    // the executable, whatever directory it was started in.
    if (executable.empty() || !SetCurrentDirectoryW(ownFolder.c_str())) {
        return ReportFailure(ExpandLineBreaks(keys::kErrorUninstall.defaultValue), keys::kErrorHeader.defaultValue);
    }
    // The installed Setup.ini may be half written, or an earlier one: the
    // start from the medium must put the folder right first.
    if (InterruptedInstallBeside(ownFolder)) {
        return ReportFailure(ReadText(keys::kErrorInterrupted), ReadSetting(keys::kErrorHeader));
    }
    const std::wstring record = FullPathOf(kSetupIniName);
    if (!IsInstalledSetup(record)) {
        return ReportFailure(ReadText(keys::kErrorNotInstalled), ReadSetting(keys::kErrorHeader));
    }
    // Removing from Program Files needs an administrator; a prompt declined
    // ends the mode as its Cancel does. Asked only once it is clear that
    // there is an install to remove.
    if (!HasAdministrativeRights()) {
        const ElevatedOutcome elevated = StartAgainElevated(Mode::Uninstall);
        if (elevated.start != ElevatedStart::NotStarted) {
            return elevated.start == ElevatedStart::Finished ? elevated.exitStatus : 0;
        }
    }

    // An install or another uninstall of this folder may be running.
    if (!TakeTargetLock(ownFolder)) {
        return ReportFailure(ReadText(keys::kErrorAlreadyRunning), ReadSetting(keys::kErrorHeader));
    }

    const UninstallTexts texts = ReadUninstallTexts();
    FillDialogTexts(texts);
    const INT_PTR answer = RunSetupDialog();
    if (answer == kDialogNotShown || answer == kDialogCancelled) {
        return kDoneStatus;
    }

    // Both lists are complete before anything goes: the installed Setup.ini
    // itself is among the recorded files.
    const std::vector<std::wstring> folders = ReadRecordedPaths(kFoldersSection);
    const std::vector<std::wstring> others = FilesToDelete(ReadRecordedPaths(kFilesSection), executable, record);

    // Every file is held and marked for deletion before any goes. One that
    // would stay (a program of the patch still running) stops the uninstall
    // before anything changes, so that the user can close the program and
    // try again. The record is only asked: it goes last, by itself, so that
    // an uninstall stopped half-way leaves it for the next try.
    std::vector<MarkedFile> marked;
    std::wstring heldFile = MarkForDeletion(others, marked);
    if (heldFile.empty() && !CanBeDeletedNow(record)) {
        UnmarkAll(marked);
        heldFile = record;
    }
    if (!heldFile.empty()) {
        return ReportFileThatStays(texts, heldFile);
    }
    // The running executable can't delete itself where it lies; without a
    // place to park it, it would stay.
    const std::wstring temporaryFolder = TemporaryFolder();
    const std::wstring parkingPath =
        temporaryFolder.empty() ? std::wstring() : JoinWithBackslash(temporaryFolder, kParkingFileName);
    if (parkingPath.empty() || !ParkExecutable(executable, parkingPath)) {
        UnmarkAll(marked);
        return ReportFileThatStays(texts, executable);
    }
    // A folder that is some process's current directory can't be removed
    // (sharing violation), and the own folder is one of them.
    (void)SetCurrentDirectoryW(temporaryFolder.c_str());

    std::wstring stayed = DeleteMarked(marked);
    if (stayed.empty() && !DeleteNow(record)) {
        stayed = record;
    }
    if (!stayed.empty()) {
        // Rare after the marks: the Apps entry stays too, so that the user
        // can try again from there.
        UnparkExecutable(executable, parkingPath);
        return ReportFileThatStays(texts, stayed);
    }
    RemoveAppsEntry(ownFolder, executable);
    RemoveRecordedFolders(folders);
    (void)ShowMessage(texts.successText, texts.successCaption, MB_OK);
    return kDoneStatus;
}
