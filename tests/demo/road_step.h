#pragma once
// One step of the demo's road: a started program is followed until it ends.
// Every setup dialog and message box that any program shows meanwhile is
// printed (and pictured); unless a person is watching, it is answered as a
// person would: the dialog with its right-hand button, a box with OK.

#include <windows.h>

#include <string>

struct RoadStepOptions {
    std::string stepName;         // names the pictures: "<step>-dialog", "<step>-box-<n>"
    std::string picturesFolder;   // empty: no pictures
    bool personAnswers = false;   // only watch and print; a person clicks
};

// Follows `process` to its end and prints "exit status: <n>". False when it
// did not end in time (it is then ended, and "timed out" is printed).
bool FollowToExit(HANDLE process, const RoadStepOptions& options);

// Prints a text under a label, one "    > " line per line of the text.
void PrintText(const char* label, const std::string& text);
