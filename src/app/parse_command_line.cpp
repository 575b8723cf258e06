#include "app/parse_command_line.h"

#include <windows.h>

#include "app/command_line.h"
#include "app/globals.h"

void ParseCommandLine() {
    g_arguments = SplitCommandLine(GetCommandLineA());
}
