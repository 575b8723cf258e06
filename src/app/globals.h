#pragma once
// Program-lifetime state set once at entry.

#include <windows.h>

#include <string>
#include <vector>

extern HINSTANCE g_instance;                 // the module, for resources and its own path
extern HICON g_dialogIcon;                   // icon 101, the setup dialog's big icon
extern std::vector<std::string> g_arguments;  // command-line arguments after the program name
