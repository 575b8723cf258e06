#include "uninstall/uninstall_patch.h"

#include <windows.h>

#include <string>
#include <vector>

#include "process/elevation.h"
#include "process/file_names.h"
#include "process/module_path.h"
#include "setupfile/paths.h"
#include "setupfile/settings.h"
#include "setupfile/setup_keys.h"
#include "setupfile/text.h"
#include "ui/message_box.h"
#include "ui/setup_dialog.h"
#include "uninstall/removal_check.h"

namespace {

// Every uninstall parks its executable under this one name, so each run
// replaces the copy that the previous one left behind.
const char kParkingFileName[] = "_$_Morvelan_Remove_Me_$_";

// The installed Setup.ini beside the executable, which holds the record.
const char kSetupIniName[] = "Setup.ini";
// Between a failure box's text and the name of the file it is about.
const char kLineBreak[] = "\r\n";

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

bool IsDriveRoot(const std::string& folder) {
    return folder.size() == kDriveRootLength && folder[1] == ':' && folder[2] == '\\';
}

// The folder of the executable as the current directory wants it. A drive
// root keeps its backslash: a bare "C:" would name the current directory of
// that drive, which is wherever the program was started on it.
std::string OwnFolderOf(const std::string& executable) {
    const std::string folder = ExecutableFolderOf(executable);
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
std::string TemporaryFolder() {
    char temp[kTempPathLimit] = "";
    const DWORD length = GetTempPathA(sizeof(temp), temp);
    // 0 is a failure; a length beyond the buffer is the size it would need.
    if (length == 0 || length >= sizeof(temp)) {
        return std::string();
    }
    return std::string(temp, length);
}

// A numbered list of recorded paths, each pinned to the own folder (the
// current directory now) so that a relative entry keeps its meaning after
// the current directory moves away.
std::vector<std::string> ReadRecordedPaths(const char* section) {
    std::vector<std::string> paths = ReadNumberedList(section);
    for (std::string& path : paths) {
        path = FullPathOf(path);
    }
    return paths;
}

// Moves the running executable out of the folders about to be removed;
// false when it stays where it is.
bool ParkExecutable(const std::string& executable, const std::string& parkingPath) {
    // A copy that an earlier uninstall parked goes first; if it can't, the
    // move below fails and says so.
    (void)SetFileAttributesA(parkingPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    (void)DeleteFileA(parkingPath.c_str());
    if (!MoveFileA(executable.c_str(), parkingPath.c_str())) {
        return false;
    }
    // Only hides it: a parked copy that shows harms nothing.
    (void)SetFileAttributesA(parkingPath.c_str(), FILE_ATTRIBUTE_HIDDEN);
    return true;
}

// Puts the executable back where the uninstall shortcut looks for it, so
// that the user can try again once the files that stayed are free.
void UnparkExecutable(const std::string& executable, const std::string& parkingPath) {
    if (MoveFileA(parkingPath.c_str(), executable.c_str())) {
        (void)SetFileAttributesA(executable.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

// A file is gone when nothing but a folder (not the install's) is at its path.
bool FileStayed(const std::string& file) {
    const DWORD attributes = GetFileAttributesA(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A read-only mark would make the deletion fail, so each file gets normal
// attributes first. The first file that stays, or empty when all went.
std::string DeleteFiles(const std::vector<std::string>& files) {
    std::string firstStayed;
    for (const std::string& file : files) {
        (void)SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        // Whether the file is gone is asked afterwards, of every file alike.
        (void)DeleteFileA(file.c_str());
        if (firstStayed.empty() && FileStayed(file)) {
            firstStayed = file;
        }
    }
    return firstStayed;
}

// Only empty folders go: one that still holds files the install didn't
// create stays where it is.
void RemoveRecordedFolders(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
        (void)SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
        (void)RemoveDirectoryA(folder.c_str());
    }
}

// The recorded files but the running executable, which is parked instead,
// and the installed Setup.ini, the record itself, which goes last.
std::vector<std::string> FilesToDelete(const std::vector<std::string>& files, const std::string& executable,
                                       const std::string& record) {
    std::vector<std::string> others;
    for (const std::string& file : files) {
        if (!SameFileName(file, executable) && !SameFileName(file, record)) {
            others.push_back(file);
        }
    }
    return others;
}

std::string FirstFileThatCantBeDeleted(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        if (!CanBeDeletedNow(file)) {
            return file;
        }
    }
    return std::string();
}

// An install writes its Mode into every Setup.ini it installs, and its record
// starts with that file itself. A Setup.ini beside us that is not so is a
// medium's, whose Files name the patch's sources: taken for a record, they
// would be deleted, and this Setup.exe moved.
bool IsInstalledSetup(const std::string& record) {
    if (!EqualsExactly(ReadSetting(keys::kMode), kInstalledMode)) {
        return false;
    }
    const std::string firstRecorded = ReadSetting(kFilesSection, NumberedKey(1).c_str(), "");
    return !firstRecorded.empty() && SameFileName(FullPathOf(firstRecorded), record);
}

int ReportFailure(const std::string& text, const std::string& caption) {
    // An OK box: its answer changes nothing.
    (void)ShowMessage(text, caption, MB_OK);
    return kFailureStatus;
}

// The failure box, naming the file that stayed or would stay.
int ReportFileThatStays(const UninstallTexts& texts, const std::string& file) {
    return ReportFailure(texts.filesStayedText + kLineBreak + kLineBreak + file, texts.errorCaption);
}

}  // namespace

int UninstallPatch() {
    // Without its own folder the program can't tell which Setup.ini is the
    // installed one; the one in the start directory may belong to another
    // patch, so nothing is read or removed, and the built-in texts say so.
    const std::string executable = ExecutablePath(kUninstallPathLimit);
    // Before the first read: every setting comes from the Setup.ini beside
    // the executable, whatever directory it was started in.
    if (executable.empty() || !SetCurrentDirectoryA(OwnFolderOf(executable).c_str())) {
        return ReportFailure(ExpandLineBreaks(keys::kErrorUninstall.defaultValue), keys::kErrorHeader.defaultValue);
    }
    const std::string record = FullPathOf(kSetupIniName);
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

    const UninstallTexts texts = ReadUninstallTexts();
    FillDialogTexts(texts);
    const INT_PTR answer = RunSetupDialog();
    if (answer == kDialogNotShown || answer == kDialogCancelled) {
        return kDoneStatus;
    }

    // Both lists are complete before anything goes: the installed Setup.ini
    // itself is among the recorded files.
    const std::vector<std::string> folders = ReadRecordedPaths(kFoldersSection);
    const std::vector<std::string> others = FilesToDelete(ReadRecordedPaths(kFilesSection), executable, record);

    // A file that would stay (a program of the patch still running) stops
    // the uninstall before anything changes, so that the user can close the
    // program and try again.
    std::string heldFile = FirstFileThatCantBeDeleted(others);
    if (heldFile.empty() && !CanBeDeletedNow(record)) {
        heldFile = record;
    }
    if (!heldFile.empty()) {
        return ReportFileThatStays(texts, heldFile);
    }
    // The running executable can't delete itself where it lies; without a
    // place to park it, it would stay.
    const std::string temporaryFolder = TemporaryFolder();
    const std::string parkingPath =
        temporaryFolder.empty() ? std::string() : JoinWithBackslash(temporaryFolder, kParkingFileName);
    if (parkingPath.empty() || !ParkExecutable(executable, parkingPath)) {
        return ReportFileThatStays(texts, executable);
    }
    // A folder that is some process's current directory can't be removed
    // (sharing violation), and the own folder is one of them.
    (void)SetCurrentDirectoryA(temporaryFolder.c_str());

    // The record goes last: an uninstall that stops half-way leaves it for
    // the next try.
    std::string stayed = DeleteFiles(others);
    if (stayed.empty()) {
        stayed = DeleteFiles({record});
    }
    if (!stayed.empty()) {
        UnparkExecutable(executable, parkingPath);
        return ReportFileThatStays(texts, stayed);
    }
    RemoveRecordedFolders(folders);
    (void)ShowMessage(texts.successText, texts.successCaption, MB_OK);
    return kDoneStatus;
}
