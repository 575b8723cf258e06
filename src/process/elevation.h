#pragma once
// Starting this program again with an administrator's rights, when a mode
// needs them and the user can be given them by a consent prompt.

#include "process/elevation_choice.h"

enum class ElevatedStart {
    NotStarted,  // not wanted, or the start failed: go on as without it
    Declined,    // the user said no to the prompt
    Finished,    // the second start ran to its end
};

struct ElevatedOutcome {
    ElevatedStart start;
    int exitStatus;  // the second start's, when it finished
};

// What the process's token says. In a file of its own, so that a test build
// can link another answer.
TokenKind CurrentTokenKind();

// The key of the machine whose full access only an administrator has: the
// rights test of install, which also reads the Program Files folder there.
inline constexpr char kRightsTestKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";

// The rights test: whether that key opens with full access.
bool HasAdministrativeRights();

// For a mode whose rights test just failed: when the user could be elevated
// and this is not already the second start, starts the same executable with
// the verb "runas", the same arguments and the same working folder, and
// waits for its end.
ElevatedOutcome StartAgainElevated(Mode mode);
