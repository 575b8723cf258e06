#pragma once
// The file name of a running program, from its process id.

#include <windows.h>

#include <string>

// "GamePatch.exe" and the like; "process <id>" when the process is unknown.
std::string ProgramNameOf(DWORD processId);
