#pragma once
// Program-lifetime handles that the boxes and the dialog take their
// resources from; the entry point sets them once, before any mode runs.

#include <windows.h>

extern HINSTANCE g_instance;  // the module, for resources and its own path
extern HICON g_dialogIcon;    // icon 101, the setup dialog's big icon
