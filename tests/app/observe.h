#pragma once
// Watches a started Setup.exe until it ends, answering whatever it shows the
// way a user who backs out would: OK on a plain box, Yes on a question (the
// cancel question of the setup dialog), Cancel on the setup dialog; or, for
// a user who goes ahead, OK on the setup dialog too.

#include <windows.h>

#include <string>
#include <vector>

#include "window_driver.h"

struct SeenDialog {
    std::string caption;
    std::string heading;
    std::string okLabel;
    std::string cancelLabel;
};

struct Observation {
    std::vector<driver::MessageBoxContents> boxes;
    std::vector<SeenDialog> dialogs;
    bool exited = false;
    DWORD exitCode = 0;
};

enum class SetupDialogAnswer { Cancel, Confirm };

// Starts `commandLine` (with `applicationName`, empty to take it from the
// line) in `workingDirectory` and watches it. `started` is false when the
// process couldn't be created.
Observation StartAndObserve(const std::string& applicationName, const std::string& commandLine,
                            const std::string& workingDirectory, bool& started,
                            SetupDialogAnswer dialogAnswer = SetupDialogAnswer::Cancel);

// The exit status of a start refused with the invalid-switch box.
constexpr DWORD kFailureStatus = 0xFFFFFFFF;

bool IsInvalidSwitchBox(const driver::MessageBoxContents& box);
bool SawInvalidSwitchBox(const Observation& seen);

// A readable account of what was seen, for failure messages.
std::string Describe(const Observation& seen);
