#pragma once
// The progress window, which the sample's quick install never shows, pictured
// on a slowed-down install that is then cancelled.

#include <string>

#include "road_step.h"

// Starts `program`, the Setup.exe of a medium (a test build whose every
// change waits, see kill_after_step_setup) in its `folder`, confirms its dialog, pictures its progress
// window once the bar has moved, presses Cancel and answers the question
// with Yes. Prints each window and the exit status. 0 when the install ended
// with status 0 and no box after the question; else 1.
int PictureProgressWindow(const std::string& program, const std::string& folder, const RoadStepOptions& options);
