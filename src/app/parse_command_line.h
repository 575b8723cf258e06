#pragma once

// Fills g_arguments from the process's command line.
void ParseCommandLine();
