#pragma once
// Which mode a start selects. No Win32 here.

#include <string>
#include <vector>

#include "process/mode.h"

// A single switch outranks the mode value; the mode value selects install
// only when it is exactly "Install" and there is no argument.
Mode ChooseMode(const std::string& modeValue, const std::vector<std::string>& arguments);
