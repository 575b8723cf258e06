#pragma once

// Removes what the install record of the Setup.ini beside the executable
// names, after the user confirmed. -1 after a box that says the Setup.ini
// there is no installed one (nothing is touched) or that recorded files
// stayed; 0 otherwise. A folder that can't be removed simply stays.
int UninstallPatch();
