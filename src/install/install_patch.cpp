#include "install/install_patch.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "install/apps_entry.h"
#include "install/file_copy.h"
#include "install/install_checks.h"
#include "install/install_changes.h"
#include "install/install_journal.h"
#include "install/install_repair.h"
#include "install/install_settings.h"
#include "process/change_step.h"
#include "install/registry_key.h"
#include "install/start_menu.h"
#include "process/elevation.h"
#include "process/file_holders.h"
#include "process/file_names.h"
#include "process/kept_files.h"
#include "process/patch_ground.h"
#include "process/system_controls.h"
#include "process/target_lock.h"
#include "setupfile/code_page.h"
#include "setupfile/installed_setup.h"
#include "setupfile/path_hash.h"
#include "setupfile/paths.h"
#include "setupfile/settings.h"
#include "setupfile/setup_keys.h"
#include "setupfile/text.h"
#include "ui/message_box.h"
#include "ui/progress_window.h"
#include "ui/setup_dialog.h"

namespace {

constexpr int kSucceeded = 0;
constexpr int kFailed = -1;

const wchar_t kProgramFilesValue[] = L"ProgramFilesDir";

const wchar_t kSetupExeName[] = L"Setup.exe";
const wchar_t kSetupIniName[] = L"Setup.ini";
// Sources are named relative to the current directory, the medium.
const wchar_t kCurrentFolderPrefix[] = L".\\";

// The Apps entry: Settings shows a name of at most this many characters.
constexpr std::size_t kLongestDisplayName = 259;
constexpr std::uint64_t kBytesPerKiB = 1024;
constexpr std::uint64_t kBytesPerMiB = 1024 * 1024;
constexpr std::size_t kInstallDateSize = 9;  // YYYYMMDD and the terminator
// Only exactly this value of AppsEntry leaves the entry out.
const char kNoAppsEntry[] = "0";

// False when the key can't be opened with full access, which needs
// administrative rights. An empty folder (no REG_SZ value, or one too long)
// puts the target folder at the root of the current drive.
bool ReadProgramFilesFolder(std::wstring& folder) {
    RegistryKey key;
    // Opening the key with full access is also the test of the user's rights.
    if (!key.Open(kRightsTestKey, HKEY_LOCAL_MACHINE)) {
        return false;
    }
    folder = key.ReadString(kProgramFilesValue);
    key.Close();
    return true;
}

void FillDialogTexts(const InstallSettings& settings) {
    DialogTexts.caption = settings.copied.appName;
    DialogTexts.heading = settings.copied.appName;
    DialogTexts.body = settings.dialogInstallText;
    DialogTexts.okLabel = settings.dialogInstall;
    DialogTexts.cancelLabel = settings.copied.dialogExit;
    DialogTexts.abortCaption = settings.dialogAbortHeader;
    DialogTexts.abortQuestion = settings.dialogAbort;
    g_confirmCancel = true;
}

// Copies the sources in order into the target folder, recording each finished
// copy; stops at the first that fails, or when the user cancels, with the
// sources after it untouched.
CopyResult CopySourceFiles(const std::vector<std::wstring>& sourceNames, const std::wstring& targetFolder,
                           std::vector<std::wstring>& createdFiles, InstallChanges& changes,
                           std::uint64_t& copiedBytes, ProgressWindow& progress) {
    std::unique_ptr<CopyBuffer> buffer(new (std::nothrow) CopyBuffer);
    if (!buffer) {
        return CopyResult::Failed;
    }
    // In a folder that this run made, a plain name can only meet a copy of
    // this run's own (a repeated entry), which a roll-back deletes anyway:
    // no need to ask first, and under Wine each question about a name costs
    // more the more files the folder holds.
    const bool folderIsNew = IsNewFolder(targetFolder, changes);
    for (const std::wstring& name : sourceNames) {
        const std::wstring destination = JoinWithBackslash(targetFolder, name);
        const bool plainName = name.find_first_of(L"\\/:") == std::wstring::npos && name != L"." && name != L"..";
        const bool madeWay =
            folderIsNew && plainName ? RecordNewFile(destination, changes) : MakeWayFor(destination, changes);
        if (!madeWay) {
            return CopyResult::Failed;
        }
        ShowProgressItem(progress, name);
        const CopyResult copied =
            CopyFileThroughBuffer(kCurrentFolderPrefix + name, destination, *buffer, copiedBytes, progress);
        if (copied != CopyResult::Copied) {
            return copied;
        }
        AfterChange();
        createdFiles.push_back(destination);
        // Between files too, for the many small ones.
        if (AdvanceProgress(progress, 0) && ConfirmCancel(progress)) {
            return CopyResult::Cancelled;
        }
    }
    return CopyResult::Copied;
}

// The held file's box: the file, and the program that holds it where the
// system can tell.
int ReportHeldFile(const std::string& text, const std::string& caption, const std::wstring& file) {
    const std::wstring program = ProgramHolding(file);
    const std::wstring shown = WideOfText(text) + L"\r\n\r\n" + file + (program.empty() ? L"" : L"\r\n" + program);
    (void)ShowMessage(shown, caption, MB_OK);
    return kFailed;
}

// The room box: the text with %1 and %2 the megabytes needed and free, rounded up.
int ReportTooLittleRoom(const std::string& text, const std::string& caption, std::uint64_t needed,
                        std::uint64_t freeBytes) {
    std::string shown = text;
    const std::pair<const char*, std::uint64_t> numbers[] = {{"%1", needed}, {"%2", freeBytes}};
    for (const auto& number : numbers) {
        const std::size_t at = shown.find(number.first);
        if (at != std::string::npos) {
            shown.replace(at, 2, std::to_string((number.second + kBytesPerMiB - 1) / kBytesPerMiB));
        }
    }
    (void)ShowMessage(shown, caption, MB_OK);
    return kFailed;
}

ProgressTexts ProgressTextsOf(const InstallSettings& settings) {
    return ProgressTexts{WideOfText(settings.copied.appName), WideOfText(settings.progressInstall),
                         WideOfText(settings.copied.dialogExit), WideOfText(settings.dialogAbort),
                         WideOfText(settings.dialogAbortHeader)};
}

int ReportFailure(const std::string& text, const std::string& caption) {
    // An OK box: its answer changes nothing.
    (void)ShowMessage(text, caption, MB_OK);
    return kFailed;
}

// Once the journal is there a failure leaves the disk as it found it; what
// can't be put back now stays in the journal for the next start.
int RollBackAndReportFailure(const InstallChanges& changes, InstallJournal& journal, const InstallSettings& settings,
                             ProgressWindow& progress) {
    EndProgress(progress);
    if (RollBack(changes)) {
        EndJournal(journal);
    } else {
        CloseJournal(journal);
    }
    return ReportFailure(settings.errorFile, settings.copied.errorHeader);
}

// The earlier install's record, when the target folder holds an installed
// Setup.ini (its record starts with that file itself), with a relative
// entry taken in the folder; empty lists otherwise.
InstalledRecord EarlierRecord(const std::wstring& installedSetup, const std::wstring& targetFolder) {
    InstalledRecord earlier = ReadInstalledRecord(installedSetup);
    for (std::vector<std::wstring>* list : {&earlier.files, &earlier.folders}) {
        for (std::wstring& path : *list) {
            if (IsRelativePath(path)) {
                path = JoinWithBackslash(targetFolder, path);
            }
        }
    }
    const bool installed = EqualsExactly(earlier.mode, kInstalledMode) && !earlier.files.empty() &&
                           PathKey(earlier.files[0]) == PathKey(installedSetup);
    return installed ? earlier : InstalledRecord{};
}

// Today's date as the Apps entry wants it.
std::wstring InstallDate() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t date[kInstallDateSize];
    (void)std::swprintf(date, kInstallDateSize, L"%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return date;
}

// The entry by which Settings > Apps lists the patch and removes it.
AppsEntryValues AppsEntryOf(const InstallSettings& settings, const std::wstring& targetFolder,
                            std::uint64_t patchBytes) {
    // The folder's one name, as Settings shows it and as the uninstall that
    // reads the entry knows its own (a TargetFolder may hold "/", "..", a
    // short name or a final dot).
    const std::wstring location = CanonicalPath(targetFolder);
    const std::wstring installedExe = JoinWithBackslash(location, kSetupExeName);
    AppsEntryValues values;
    values.displayName = WideOfText(settings.copied.appName).substr(0, kLongestDisplayName);
    values.uninstallString = L"\"" + installedExe + L"\" " + kUninstallSwitchWide;
    values.displayIcon = installedExe;
    values.installLocation = location;
    values.installDate = InstallDate();
    values.displayVersion = WideOfText(settings.displayVersion);
    values.publisher = WideOfText(settings.publisher);
    const std::uint64_t kib = (patchBytes + kBytesPerKiB - 1) / kBytesPerKiB;
    values.estimatedSizeKiB = kib > MAXDWORD ? MAXDWORD : static_cast<DWORD>(kib);
    return values;
}

enum class RecordList { Files, Folders };

// Appends to `list` each of `earlier` that the list doesn't hold and that is
// still there as what the list holds (a file, or a folder): what an install
// over an earlier one leaves of it, so that uninstall removes both.
void CarryOn(const std::vector<std::wstring>& earlier, std::vector<std::wstring>& list, RecordList kind) {
    std::set<std::wstring> listed;
    for (const std::wstring& path : list) {
        listed.insert(PathKey(path));
    }
    for (const std::wstring& path : earlier) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        const bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (attributes == INVALID_FILE_ATTRIBUTES || isFolder != (kind == RecordList::Folders)) {
            continue;
        }
        if (listed.insert(PathKey(path)).second) {
            list.push_back(path);
        }
    }
}

}  // namespace

int InstallPatch() {
    InstallSettings settings;
    ReadSettingsBeforeRightsTest(settings);

    std::wstring programFiles;
    if (!ReadProgramFilesFolder(programFiles)) {
        const ElevatedOutcome elevated = StartAgainElevated(Mode::Install);
        if (elevated.start == ElevatedStart::Finished) {
            return elevated.exitStatus;
        }
        return ReportFailure(settings.errorPermissions, settings.copied.errorHeader);
    }
    settings.targetFolder = ReadSetting(keys::kTargetFolder);
    // The files go where the folder is joined, so that the record keeps the
    // bytes it always had. What asks which install this is (the lock, the
    // journal, the Apps entry, an earlier record) asks by the folder's one
    // name, so that two spellings of one folder are one install.
    const std::wstring targetFolder = JoinWithBackslash(programFiles, WideOfText(settings.targetFolder));
    const std::wstring canonicalFolder = CanonicalPath(targetFolder);
    ReadSettingsAfterRightsTest(settings);

    // Two runs in one folder would undo each other's files.
    if (!TakeTargetLock(canonicalFolder)) {
        return ReportFailure(settings.errorAlreadyRunning, settings.copied.errorHeader);
    }
    // A run that was killed half-way is put right before anything else.
    switch (RepairInterruptedInstall(canonicalFolder)) {
        case RepairOutcome::PutBack:
            (void)ShowMessage(settings.repairedInterrupted, settings.copied.errorHeader, MB_OK);
            break;
        case RepairOutcome::NotPossible:
            return ReportFailure(settings.errorFile, settings.copied.errorHeader);
        case RepairOutcome::NothingToRepair:
        case RepairOutcome::Finished:
            break;
    }

    FillDialogTexts(settings);
    const INT_PTR answer = RunSetupDialog();
    if (answer == kDialogNotShown || answer == kDialogCancelled) {
        return kSucceeded;
    }

    // The work's clock runs from the dialog's OK: a copy still running a
    // second later shows its window.
    ProgressWindow progress;
    progress.registerBar = RegisterProgressBarClass;
    const std::wstring installedSetup = JoinWithBackslash(targetFolder, kSetupIniName);
    std::vector<std::wstring> sourceNames{kSetupExeName};
    for (const std::string& name : ReadNumberedList(kFilesSection)) {
        sourceNames.push_back(WideOfText(name));
    }
    // Refused before anything is made: an install there couldn't be used,
    // or would write outside its folder.
    if (!InstalledExePathFits(targetFolder) || !CopiesStayInTarget(sourceNames, targetFolder, installedSetup)) {
        return ReportFailure(settings.errorFile, settings.copied.errorHeader);
    }
    // A file that a program holds would stop the copy half-way; the room is
    // asked before the copy fills the disk. Nothing replaced frees room: what
    // the patch replaces is kept, or set aside until the end.
    std::vector<std::wstring> destinations{installedSetup};
    for (const std::wstring& name : sourceNames) {
        destinations.push_back(JoinWithBackslash(targetFolder, name));
    }
    const std::wstring held = PathExists(targetFolder) ? FirstHeldDestination(destinations) : std::wstring();
    if (!held.empty()) {
        return ReportHeldFile(settings.errorFileInUse, settings.copied.errorHeader, held);
    }
    const std::uint64_t neededBytes = SourceBytes(sourceNames);
    std::uint64_t freeBytes = 0;
    if (FreeBytesFor(targetFolder, freeBytes) && neededBytes > freeBytes) {
        return ReportTooLittleRoom(settings.errorDiskSpace, settings.copied.errorHeader, neededBytes, freeBytes);
    }
    StartProgress(progress, ProgressTextsOf(settings), neededBytes);
    // Without its journal nothing is made either.
    InstallJournal journal;
    if (!StartJournal(canonicalFolder, journal)) {
        return ReportFailure(settings.errorFile, settings.copied.errorHeader);
    }
    InstallChanges changes;
    changes.journal = &journal;
    if (!MakeSureFolderExists(targetFolder, changes)) {
        return RollBackAndReportFailure(changes, journal, settings, progress);
    }
    // Read before the file is replaced: the new record carries the old one on.
    // A folder this run made holds none, and under Wine even the look costs.
    const bool folderIsNew = IsNewFolder(targetFolder, changes);
    const InstalledRecord earlier = folderIsNew ? InstalledRecord{} : EarlierRecord(installedSetup, targetFolder);
    // What the patch replaces of what was there before it is kept for the
    // uninstall; what an earlier install wrote is only replaced.
    if (!folderIsNew) {
        changes.keptFolder = canonicalFolder;
        for (const std::wstring& file : earlier.files) {
            changes.earlierFiles.insert(PathKey(file));
        }
    }
    const bool madeWay = folderIsNew ? RecordNewFile(installedSetup, changes) : MakeWayFor(installedSetup, changes);
    if (!madeWay || !WriteInstalledSetup(installedSetup, settings.copied)) {
        return RollBackAndReportFailure(changes, journal, settings, progress);
    }
    AfterChange();

    std::vector<std::wstring> createdFolders{targetFolder};
    std::vector<std::wstring> createdFiles{installedSetup};

    std::uint64_t copiedBytes = 0;
    switch (CopySourceFiles(sourceNames, targetFolder, createdFiles, changes, copiedBytes, progress)) {
        case CopyResult::Copied:
            break;
        case CopyResult::Failed:
            return RollBackAndReportFailure(changes, journal, settings, progress);
        case CopyResult::Cancelled:
            // As a cancelled dialog ends: everything as it was, and no box.
            EndProgress(progress);
            if (!RollBack(changes)) {
                CloseJournal(journal);
                return ReportFailure(settings.errorFile, settings.copied.errorHeader);
            }
            EndJournal(journal);
            return kSucceeded;
    }
    // The rest is short, and a roll-back of it would be all that Cancel could do.
    AllowCancel(progress, false);

    CreateStartMenuGroup(targetFolder, settings.copied.appName, settings.shortcutNames, createdFiles,
                         createdFolders, changes);
    if (!EqualsExactly(settings.appsEntry, kNoAppsEntry) &&
        !WriteAppsEntry(AppsEntryName(PathKey(targetFolder)),
                        AppsEntryOf(settings, targetFolder, copiedBytes + (folderIsNew ? 0 : KeptBytes(canonicalFolder))),
                        changes)) {
        return RollBackAndReportFailure(changes, journal, settings, progress);
    }
    CarryOn(earlier.files, createdFiles, RecordList::Files);
    CarryOn(earlier.folders, createdFolders, RecordList::Folders);
    // Without its whole record the install couldn't be removed again.
    if (!AppendInstallRecord(installedSetup, createdFiles, createdFolders)) {
        return RollBackAndReportFailure(changes, journal, settings, progress);
    }
    AfterChange();
    // Without its note of being done the files it replaced would stay set
    // aside. The note may have reached the journal or not; either way the
    // journal stays, and the next start from the medium, which reads it,
    // undoes the install or finishes it, as the disk is right for both.
    EndProgress(progress);
    if (!KeepChanges(changes)) {
        CloseJournal(journal);
        return ReportFailure(settings.errorFile, settings.copied.errorHeader);
    }
    EndJournal(journal);
    AfterChange();

    (void)ShowMessage(settings.successInstall, settings.copied.successHeader, MB_OK);
    return kSucceeded;
}
