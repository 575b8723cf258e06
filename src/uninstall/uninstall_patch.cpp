#include "uninstall/uninstall_patch.h"

#include <windows.h>

#include <string>
#include <vector>

#include "process/elevation.h"
#include "process/module_path.h"
#include "setupfile/paths.h"
#include "setupfile/settings.h"
#include "setupfile/setup_keys.h"
#include "setupfile/text.h"
#include "ui/message_box.h"
#include "ui/setup_dialog.h"

namespace {

// Every uninstall parks its executable under this one name, so each run
// replaces the copy that the previous one left behind.
const char kParkingFileName[] = "_$_Morvelan_Remove_Me_$_";

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

// `path` made absolute against the current directory, or unchanged when the
// platform can't do that.
std::string FullPathOf(const std::string& path) {
    const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return path;
    }
    std::vector<char> buffer(needed, '\0');
    const DWORD length = GetFullPathNameA(path.c_str(), needed, buffer.data(), nullptr);
    if (length == 0 || length >= needed) {
        return path;
    }
    return std::string(buffer.data(), length);
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

// Moves the running executable out of the folders about to be removed. No
// result counts: whatever fails here only leaves the executable in place.
void ParkExecutable(const std::string& executable, const std::string& parkingPath) {
    (void)SetFileAttributesA(parkingPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    (void)DeleteFileA(parkingPath.c_str());
    (void)MoveFileA(executable.c_str(), parkingPath.c_str());
    (void)SetFileAttributesA(parkingPath.c_str(), FILE_ATTRIBUTE_HIDDEN);
}

// A read-only mark would make the deletion fail, so each entry gets normal
// attributes first. What can't be deleted stays.
void DeleteRecordedFiles(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        (void)SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        (void)DeleteFileA(file.c_str());
    }
}

// A recorded name that is a folder now is not the install's file.
bool AnyFileStayed(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        const DWORD attributes = GetFileAttributesA(file.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            return true;
        }
    }
    return false;
}

// Only empty folders go: one that still holds files the install didn't
// create stays where it is.
void RemoveRecordedFolders(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
        (void)SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
        (void)RemoveDirectoryA(folder.c_str());
    }
}

}  // namespace

int UninstallPatch() {
    const std::string executable = ExecutablePath(kUninstallPathLimit);
    // Without its own path the program can't tell which Setup.ini is the
    // installed one; the one in the start directory may belong to another
    // patch, so nothing is read or removed.
    if (executable.empty()) {
        return kDoneStatus;
    }
    // Before the first read: every setting comes from the Setup.ini beside
    // the executable, whatever directory it was started in.
    if (!SetCurrentDirectoryA(OwnFolderOf(executable).c_str())) {
        return kDoneStatus;
    }
    // Install writes its Mode into every Setup.ini it installs. Any other
    // file beside us is a medium's, whose Files name the patch's sources:
    // taken for a record, they would be deleted, and this Setup.exe moved.
    if (!EqualsExactly(ReadSetting(keys::kMode), kInstalledMode)) {
        (void)ShowMessage(ReadText(keys::kErrorNotInstalled), ReadSetting(keys::kErrorHeader), MB_OK);
        return kFailureStatus;
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
    const std::vector<std::string> files = ReadRecordedPaths(kFilesSection);

    // Without a temporary folder there is nowhere defined to park; the
    // executable then stays and the rest is removed all the same.
    const std::string temporaryFolder = TemporaryFolder();
    if (!temporaryFolder.empty()) {
        ParkExecutable(executable, JoinWithBackslash(temporaryFolder, kParkingFileName));
        // A folder that is some process's current directory can't be
        // removed (sharing violation), and the own folder is one of them.
        (void)SetCurrentDirectoryA(temporaryFolder.c_str());
    }

    DeleteRecordedFiles(files);
    RemoveRecordedFolders(folders);

    // A file still in use (a running program of the patch) or not ours to
    // delete stays: the patch is not removed, and the user can try again. A
    // folder that stays for the user's own files is no failure.
    if (AnyFileStayed(files)) {
        (void)ShowMessage(texts.filesStayedText, texts.errorCaption, MB_OK);
        return kFailureStatus;
    }
    (void)ShowMessage(texts.successText, texts.successCaption, MB_OK);
    return kDoneStatus;
}
