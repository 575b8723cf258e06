#pragma once
// The system's common controls (the progress bar), from its own folder.

// Loads the controls library from the system folder and registers the
// progress bar's class; false when it can't.
bool RegisterProgressBarClass();
