#pragma once
// Resource and control identifiers; shared by the code and the resource script.

#define IDI_PROGRAM 101
#define IDD_SETUP 102
#define IDB_PICTURE 103
#define IDI_UNINSTALL 104
#define IDD_PROGRESS 105

#define IDC_HEADING 1000
#define IDC_BODY 1001
#define IDC_PROGRESS_TEXT 1010
#define IDC_PROGRESS_FILE 1011
#define IDC_PROGRESS_BAR 1012
