#pragma once
// What a start from the medium does with the journal of an install that was
// killed.

#include <string>

enum class RepairOutcome {
    NothingToRepair,  // no journal: no install into the folder was interrupted
    Finished,         // the install had finished; its set-aside files are gone now
    PutBack,          // the install is undone, every file as it was before it
    NotPossible,      // something couldn't be put back, or the journal isn't ours; it stays for the next start
};

// Puts the disk back as it was before the interrupted install into
// `targetFolder` (its one name, which names its journal), or finishes one
// that was done but for its last cleaning. A journal that names anything off
// the patch's ground is not acted on.
RepairOutcome RepairInterruptedInstall(const std::wstring& targetFolder);
