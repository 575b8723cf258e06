#pragma once
// Which program holds a file that can't be replaced or removed, where the
// system can tell.

#include <string>

// The program file of a process that holds `file`: as the Restart Manager
// says where the system has one that answers, otherwise a running process
// whose program or one of whose libraries is that file. Empty when none is
// found. This process is never named: the file it holds is its own program,
// which no user can close.
std::wstring ProgramHolding(const std::wstring& file);
