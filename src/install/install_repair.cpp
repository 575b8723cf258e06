#include "install/install_repair.h"

#include <vector>

#include "install/install_changes.h"
#include "install/install_journal.h"

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
    if (finished) {
        KeepChanges(changes);
    } else if (!RollBack(changes)) {
        return RepairOutcome::NotPossible;
    }
    // A journal that can't be deleted would only be acted on again, which
    // changes nothing: what it names is as it should be now.
    (void)DeleteJournalOf(targetFolder);
    return finished ? RepairOutcome::Finished : RepairOutcome::PutBack;
}
