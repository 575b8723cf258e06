#include "uninstall/removal.h"

#include <windows.h>

#include <vector>

#include "process/change_step.h"
#include "process/file_names.h"
#include "process/kept_files.h"
#include "process/file_holders.h"
#include "process/patch_ground.h"
#include "process/system_controls.h"
#include "setupfile/code_page.h"
#include "setupfile/paths.h"
#include "setupfile/settings.h"
#include "setupfile/setup_keys.h"
#include "ui/message_box.h"
#include "uninstall/apps_entry_removal.h"
#include "uninstall/file_removal.h"

namespace {

// Every uninstall parks its executable under this one name, so each run
// replaces the copy that the previous one left behind.
const wchar_t kParkingFileName[] = L"_$_Morvelan_Remove_Me_$_";

const wchar_t kSetupIniName[] = L"Setup.ini";
// Between a failure box's text and the name of the file it is about.
const wchar_t kLineBreak[] = L"\r\n";

// Longest temporary-folder path taken, terminator included.
constexpr DWORD kTempPathLimit = 256;

constexpr int kDoneStatus = 0;
constexpr int kFailureStatus = -1;

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
        paths.push_back(CanonicalPath(PathOfRecordValue(value)));
    }
    return paths;
}

// The first recorded path off the patch's ground, or empty: a record is a
// file that anyone with the rights may have written, and an uninstall that
// followed it could delete any file of the machine.
std::wstring FirstOffGround(const std::wstring& folder, const std::vector<std::wstring>& files,
                            const std::vector<std::wstring>& folders) {
    PatchGround ground = GroundOf(folder);
    for (const std::wstring& file : files) {
        if (!IsGroundFile(ground, file)) {
            return file;
        }
    }
    for (const std::wstring& recorded : folders) {
        if (!IsGroundFolder(ground, recorded)) {
            return recorded;
        }
    }
    return std::wstring();
}

// The recorded files but the running executable, which is parked instead,
// and the installed Setup.ini, the record itself, which goes last.
std::vector<std::wstring> FilesToDelete(const std::vector<std::wstring>& files, const std::wstring& executable,
                                        const std::wstring& record) {
    const std::wstring executableKey = PathKey(executable);
    const std::wstring recordKey = PathKey(record);
    std::vector<std::wstring> others;
    for (const std::wstring& file : files) {
        const std::wstring key = PathKey(file);
        if (key != executableKey && key != recordKey) {
            others.push_back(file);
        }
    }
    return others;
}

// Moves the running executable out of the folders about to be removed, once
// a copy of it waits at the parking path and the Apps entry starts that
// copy: a kill at any moment leaves an entry whose command starts. False,
// with the entry as it was, when it stays where it is.
bool ParkExecutable(const std::wstring& executable, const std::wstring& parkingPath, const std::wstring& folder,
                    const std::string& appName, EntryBefore& entryBefore) {
    // A copy that an earlier uninstall parked and hid is replaced; if it
    // can't be, the copy below fails and says so.
    (void)SetFileAttributesW(parkingPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!CopyFileW(executable.c_str(), parkingPath.c_str(), FALSE)) {
        return false;
    }
    AfterChange();
    if (!PointAppsEntryAt(folder, executable, parkingPath, WideOfText(appName), entryBefore)) {
        return false;
    }
    AfterChange();
    // The running program may be renamed, not deleted: it takes the copy's
    // place, all at once.
    if (!MoveFileExW(executable.c_str(), parkingPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        RestoreAppsEntry(folder, entryBefore);
        return false;
    }
    // Only hides it: a parked copy that shows harms nothing.
    (void)SetFileAttributesW(parkingPath.c_str(), FILE_ATTRIBUTE_HIDDEN);
    AfterChange();
    return true;
}

// Only empty folders go: one that still holds files the install didn't
// create stays where it is. The own folder goes last, after the record.
void RemoveOtherFolders(const std::vector<std::wstring>& folders, const std::wstring& ownFolder) {
    const std::wstring ownKey = PathKey(ownFolder);
    for (const std::wstring& folder : folders) {
        if (PathKey(folder) == ownKey) {
            continue;
        }
        (void)SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (RemoveDirectoryW(folder.c_str())) {
            AfterChange();
        }
    }
}

// The failure box, naming the file that stayed or would stay, and the
// program that holds it where the system can tell.
int ReportFileThatStays(const UninstallTexts& texts, const std::wstring& file, ProgressWindow& progress) {
    EndProgress(progress);
    const std::wstring program = ProgramHolding(file);
    (void)ShowMessage(WideOfText(texts.filesStayedText) + kLineBreak + kLineBreak + file +
                          (program.empty() ? std::wstring() : kLineBreak + program),
                      texts.errorCaption, MB_OK);
    return kFailureStatus;
}

}  // namespace

bool IsParkingName(const std::wstring& name) {
    return SameFileName(name, kParkingFileName);
}

int RemoveRecordedInstall(const std::wstring& folder, const std::wstring& executable, const UninstallTexts& texts) {
    const std::wstring record = JoinWithBackslash(folder, kSetupIniName);
    // Both lists are complete before anything goes: the installed Setup.ini
    // itself is among the recorded files.
    const std::vector<std::wstring> folders = ReadRecordedPaths(kFoldersSection);
    const std::vector<std::wstring> files = ReadRecordedPaths(kFilesSection);
    // The work's clock runs from the dialog's OK: a removal still running a
    // second later shows its window, by files, its marks and its deletions.
    ProgressWindow progress;
    progress.registerBar = RegisterProgressBarClass;
    StartProgress(progress,
                  ProgressTexts{WideOfText(texts.appName), WideOfText(texts.progressLine),
                                WideOfText(texts.exitLabel), std::wstring(), std::wstring()},
                  2 * static_cast<std::uint64_t>(files.size()));
    const std::wstring offGround = FirstOffGround(folder, files, folders);
    if (!offGround.empty()) {
        return ReportFileThatStays(texts, offGround, progress);
    }

    // Every file is held and marked for deletion before any goes. One that
    // would stay (a program of the patch still running) stops the uninstall
    // before anything changes, so that the user can close the program and
    // try again. The record is only asked: it goes last, by itself, so that
    // an uninstall stopped half-way leaves it for the next try.
    std::vector<MarkedFile> marked;
    std::wstring heldFile;
    const MarkOutcome marks = MarkForDeletion(FilesToDelete(files, executable, record), marked, progress, heldFile);
    if (marks == MarkOutcome::Cancelled) {
        // As a cancelled dialog ends: nothing changed, no box.
        EndProgress(progress);
        return kDoneStatus;
    }
    if (marks == MarkOutcome::Marked && !CanBeDeletedNow(record)) {
        UnmarkAll(marked);
        heldFile = record;
    }
    if (!heldFile.empty()) {
        return ReportFileThatStays(texts, heldFile, progress);
    }
    // From here on files go: leaving half-way would leave half a patch.
    AllowCancel(progress, false);
    // The running executable can't delete itself where it lies; without a
    // place to park it, it would stay. The parked copy finishing a killed
    // uninstall lies there already.
    std::wstring parkingPath = executable;
    if (!IsParkingName(FileNamePart(executable))) {
        const std::wstring temporaryFolder = TemporaryFolder();
        EntryBefore entryBefore;
        parkingPath = temporaryFolder.empty() ? std::wstring() : JoinWithBackslash(temporaryFolder, kParkingFileName);
        if (parkingPath.empty() || !ParkExecutable(executable, parkingPath, folder, texts.appName, entryBefore)) {
            UnmarkAll(marked);
            return ReportFileThatStays(texts, executable, progress);
        }
    }
    // A folder that is some process's current directory can't be removed
    // (sharing violation), and the own folder is one of them.
    (void)SetCurrentDirectoryW(DirectoryPart(parkingPath).c_str());

    const std::wstring stayed = DeleteMarked(marked, progress);
    if (!stayed.empty()) {
        // Rare after the marks: the Apps entry stays, and starts the parked
        // copy, so that the user can try again from there.
        return ReportFileThatStays(texts, stayed, progress);
    }
    RemoveOtherFolders(folders, folder);
    if (!DeleteNow(record)) {
        return ReportFileThatStays(texts, record, progress);
    }
    AfterChange();
    EndProgress(progress);
    return FinishWithoutRecord(folder, parkingPath, texts);
}

int FinishWithoutRecord(const std::wstring& folder, const std::wstring& parked, const UninstallTexts& texts) {
    (void)SetCurrentDirectoryW(DirectoryPart(parked).c_str());
    // The files the patch replaced come back once its own are gone.
    PutKeptFilesBack(folder);
    // Fails, as it should, while the folder still holds the user's files.
    (void)SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (RemoveDirectoryW(folder.c_str())) {
        AfterChange();
    }
    RemoveAppsEntry(folder, parked);
    AfterChange();
    (void)ShowMessage(texts.successText, texts.successCaption, MB_OK);
    return kDoneStatus;
}
