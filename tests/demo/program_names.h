#pragma once
// Running programs by their files: the name of a process, and a process of a
// given program file.

#include <windows.h>

#include <string>

// "GamePatch.exe" and the like; "process <id>" when the process is unknown.
std::string ProgramNameOf(DWORD processId);

// A handle (to wait on, ask the exit status of and end) of a running process
// of the program file at `programPath`, compared ignoring letter case; null
// when none runs.
HANDLE OpenProcessOfProgram(const std::string& programPath);
