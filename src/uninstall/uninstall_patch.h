#pragma once

// Removes what the install record of the Setup.ini beside the executable
// names, after the user confirmed. 0 on every path: uninstall reports no
// failure, a file or folder that can't be removed simply stays.
int UninstallPatch();
