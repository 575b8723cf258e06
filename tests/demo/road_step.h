#pragma once
// One step of the demo's road: a started program is followed until it ends.
// Every setup dialog and message box that any program shows meanwhile is
// printed (and pictured); unless a person is watching, it is answered as a
// person would: the dialog with its right-hand button, a box with OK.

#include <windows.h>

#include <string>

#include "window_driver.h"

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

// The program of a window's process, as the transcript names it.
std::string ProgramOf(HWND window);

// A picture of the window as "<name>.bmp" in the options' folder, once it has
// painted, and its line in the transcript. False when it was asked for and
// could not be taken.
bool TakePicture(HWND window, const std::string& name, const RoadStepOptions& options);

// Prints a message box's caption, text and buttons; what it read.
driver::MessageBoxContents PrintMessageBox(HWND box);
