#pragma once
// Splitting of the process command line. No Win32 here.

#include <string>
#include <vector>

// The arguments after the program name. Only the space separates; a double
// quote opens a token that runs to the next quote or the end of the line.
// There is no escape character. Tokens are kept whole, however long.
std::vector<std::string> SplitCommandLine(const char* line);
