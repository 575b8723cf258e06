#pragma once
// Resource and control identifiers; shared by the code and the resource script.

#define IDI_PROGRAM 101
#define IDD_SETUP 102
#define IDB_PICTURE 103
#define IDI_UNINSTALL 104

#define IDC_HEADING 1000
#define IDC_BODY 1001
