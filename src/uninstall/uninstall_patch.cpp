#include "uninstall/uninstall_patch.h"

#include <windows.h>

#include <string>
#include <vector>

#include "process/elevation.h"
#include "process/file_names.h"
#include "process/library_search.h"
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
#include "uninstall/removal.h"

namespace {

// The installed Setup.ini beside the executable, which holds the record.
const wchar_t kSetupIniName[] = L"Setup.ini";

// Removed, cancelled, or nothing could be read.
constexpr int kDoneStatus = 0;
constexpr int kFailureStatus = -1;

// Length of a drive root such as "C:\".
constexpr std::size_t kDriveRootLength = 3;

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
    texts.progressLine = ReadText(keys::kProgressUninstall);
    return texts;
}

// What an uninstall that finds no record left says: the built-in texts.
UninstallTexts BuiltInTexts() {
    UninstallTexts texts;
    texts.successCaption = keys::kSuccessHeader.defaultValue;
    texts.successText = ExpandLineBreaks(keys::kSuccessUninstall.defaultValue);
    texts.appName = keys::kAppName.defaultValue;
    texts.errorCaption = keys::kErrorHeader.defaultValue;
    texts.filesStayedText = ExpandLineBreaks(keys::kErrorUninstall.defaultValue);
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

// An install writes its Mode into every Setup.ini it installs, and its record
// starts with that file itself. A Setup.ini beside us that is not so is a
// medium's, whose Files name the patch's sources: taken for a record, they
// would be deleted, and this Setup.exe moved.
bool IsInstalledSetup(const std::wstring& record) {
    if (!EqualsExactly(ReadSetting(keys::kMode), kInstalledMode)) {
        return false;
    }
    const std::string firstRecorded = ReadSetting(kFilesSection, NumberedKey(1).c_str(), "");
    return !firstRecorded.empty() && PathKey(PathOfRecordValue(firstRecorded)) == PathKey(record);
}

// A refused start lets go of the folder first: a folder that is some
// process's current directory can't be removed, and another uninstall of it
// may be running while the box is up.
int Refuse(const std::string& text, const std::string& caption) {
    const std::wstring systemFolder = SystemFolder();
    if (!systemFolder.empty()) {
        (void)SetCurrentDirectoryW(systemFolder.c_str());
    }
    // An OK box: its answer changes nothing.
    (void)ShowMessage(text, caption, MB_OK);
    return kFailureStatus;
}

// The checks, the dialog and the removal of the install in the current
// directory, `folder`, by the executable `executable`.
int UninstallFrom(const std::wstring& folder, const std::wstring& executable) {
    // The installed Setup.ini may be half written, or an earlier one: the
    // start from the medium must put the folder right first.
    if (InterruptedInstallBeside(folder)) {
        return Refuse(ReadText(keys::kErrorInterrupted), ReadSetting(keys::kErrorHeader));
    }
    const std::wstring record = JoinWithBackslash(folder, kSetupIniName);
    if (!IsInstalledSetup(record)) {
        return Refuse(ReadText(keys::kErrorNotInstalled), ReadSetting(keys::kErrorHeader));
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
    if (!TakeTargetLock(folder)) {
        return Refuse(ReadText(keys::kErrorAlreadyRunning), ReadSetting(keys::kErrorHeader));
    }

    const UninstallTexts texts = ReadUninstallTexts();
    FillDialogTexts(texts);
    const INT_PTR answer = RunSetupDialog();
    if (answer == kDialogNotShown || answer == kDialogCancelled) {
        return kDoneStatus;
    }
    return RemoveRecordedInstall(folder, executable, texts);
}

// Started as the parked copy, from an Apps entry that an uninstall killed
// after parking left pointing here: finishes each such uninstall.
int FinishParkedUninstalls(const std::wstring& parked) {
    int status = kDoneStatus;
    for (const std::wstring& folder : FoldersLeftTo(parked)) {
        const std::wstring canonical = CanonicalPath(folder);
        const bool folderThere = SetCurrentDirectoryW(canonical.c_str()) != FALSE;
        if (folderThere && GetFileAttributesW(JoinWithBackslash(canonical, kSetupIniName).c_str()) != INVALID_FILE_ATTRIBUTES) {
            status = UninstallFrom(canonical, parked);
            continue;
        }
        // The record went already: only what it can't name is left.
        if (!TakeTargetLock(canonical)) {
            status = Refuse(ExpandLineBreaks(keys::kErrorAlreadyRunning.defaultValue), keys::kErrorHeader.defaultValue);
            continue;
        }
        status = FinishWithoutRecord(canonical, parked, BuiltInTexts());
    }
    return status;
}

}  // namespace

int UninstallPatch() {
    // Without its own folder the program can't tell which Setup.ini is the
    // installed one; the one in the start directory may belong to another
    // patch, so nothing is read or removed, and the built-in texts say so.
    const std::wstring executable = ExecutablePath(kUninstallPathLimit);
    if (!executable.empty() && IsParkingName(FileNamePart(executable))) {
        return FinishParkedUninstalls(executable);
    }
    const std::wstring ownFolder = executable.empty() ? std::wstring() : OwnFolderOf(executable);
    // Before the first read: every setting comes from the Setup.ini beside
    // the executable, whatever directory it was started in.
    if (executable.empty() || !SetCurrentDirectoryW(ownFolder.c_str())) {
        return Refuse(ExpandLineBreaks(keys::kErrorUninstall.defaultValue), keys::kErrorHeader.defaultValue);
    }
    return UninstallFrom(CanonicalPath(ownFolder), executable);
}
