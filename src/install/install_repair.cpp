#include "install/install_repair.h"

#include <vector>

#include "install/install_changes.h"
#include "install/install_journal.h"
#include "process/file_names.h"
#include "process/kept_files.h"
#include "process/patch_ground.h"
#include "setupfile/path_hash.h"
#include "setupfile/paths.h"

namespace {

// A set-aside file waits in the folder of the file it stood for, a kept one
// in the kept place.
bool SetAsideWhereItBelongs(const WrittenPath& file, const std::wstring& targetFolder) {
    if (file.setAside.empty()) {
        return true;
    }
    if (file.kept) {
        return LiesInside(file.setAside, KeptPlaceOf(CanonicalPath(targetFolder)));
    }
    return PathKey(DirectoryPart(file.path)) == PathKey(DirectoryPart(file.setAside));
}

// Whether everything the journal names lies on the patch's ground: a journal
// is a file that anyone with the rights may have written, and a repair that
// followed it could delete any file or folder of the machine.
bool StaysOnGround(const InstallChanges& changes, const std::wstring& targetFolder) {
    PatchGround ground = GroundOf(targetFolder);
    for (const WrittenPath& file : changes.files) {
        if (!IsGroundFile(ground, file.path) || (!file.setAside.empty() && !IsGroundFile(ground, file.setAside)) ||
            !SetAsideWhereItBelongs(file, targetFolder)) {
            return false;
        }
    }
    for (const std::wstring& folder : changes.newFolders) {
        if (!IsGroundFolder(ground, folder)) {
            return false;
        }
    }
    for (const EarlierAttributes& folder : changes.resetFolders) {
        if (!IsGroundFolder(ground, folder.path)) {
            return false;
        }
    }
    return changes.appsEntry.name.empty() || changes.appsEntry.name == AppsEntryName(PathKey(targetFolder));
}

}  // namespace

RepairOutcome RepairInterruptedInstall(const std::wstring& targetFolder) {
    std::string text;
    if (!ReadJournalOf(targetFolder, text)) {
        return RepairOutcome::NothingToRepair;
    }
    std::vector<JournalEntry> entries;
    // A file of that name that no install wrote is the user's: left alone.
    if (!ReadJournal(text, entries)) {
        return RepairOutcome::NotPossible;
    }
    bool finished = false;
    InstallChanges changes = ChangesOfJournal(entries, finished);
    if (!StaysOnGround(changes, targetFolder)) {
        return RepairOutcome::NotPossible;
    }
    // A repair writes no journal, so its note of being done can't fail.
    if (finished) {
        (void)KeepChanges(changes);
    } else if (!RollBack(changes)) {
        return RepairOutcome::NotPossible;
    }
    // A journal that can't be deleted would only be acted on again, which
    // changes nothing: what it names is as it should be now.
    (void)DeleteJournalOf(targetFolder);
    return finished ? RepairOutcome::Finished : RepairOutcome::PutBack;
}
