#pragma once

// Installs the patch that the Setup.ini of the current directory describes:
// rights test, dialog, target folder under the Program Files folder, installed
// Setup.ini, copies of Setup.exe and the listed files, Start-menu group and
// install record. A failure after the target folder is in place rolls back
// everything made so far and puts back the files that were overwritten.
// 0 on success or when the user cancelled; -1 after a failure it reported.
int InstallPatch();
