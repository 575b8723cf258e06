#pragma once

// Installs the patch that the Setup.ini of the current directory describes:
// rights test, dialog, target folder under the Program Files folder, installed
// Setup.ini, copies of Setup.exe and the listed files (rolled back when one
// fails), Start-menu group and install record.
// 0 on success or when the user cancelled; -1 after a failure it reported.
int InstallPatch();
