#pragma once
// Program-lifetime state set once at entry. The module and the dialog's icon
// belong to ui, which shows them; the arguments only decide the mode.

#include <string>
#include <vector>

#include "ui/globals.h"

extern std::vector<std::string> g_arguments;  // command-line arguments after the program name
