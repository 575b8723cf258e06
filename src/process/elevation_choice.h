#pragma once
// Whether a start should begin again with an administrator's rights, and
// what the second start needs to know. No Win32 here.

#include <string>

#include "process/mode.h"

// What the process's token says about elevation.
enum class TokenKind {
    Unknown,  // the question can't be asked (no such notion, or the query failed)
    Plain,    // no second token: a standard user, or user account control is off
    Full,     // already elevated
    Limited,  // an administrator running with the filtered half of a split token
};

struct ElevationFacts {
    Mode mode;
    bool rightsTestFailed;
    TokenKind token;
    bool restarted;  // this process is itself the elevated second start
};

// True only for install and uninstall whose rights test failed, run by a
// user whom a consent prompt can elevate, and never in the second start,
// whatever its token says.
bool ShouldRestartElevated(const ElevationFacts& facts);

// The command line after the program name, byte for byte, split by the same
// rule as SplitCommandLine, so the second start gets the same arguments.
std::string ArgumentsAfterProgramName(const char* line);
std::wstring ArgumentsAfterProgramName(const wchar_t* line);

// The name of the object by which the first start of the executable at
// `path`, whose process id is `firstStart`, marks its second start: the
// second start asks for its parent's, so that another first start of the
// same executable at the same moment is not taken for one; the same
// whatever the letter case of the path.
std::string RestartMarkerName(const std::wstring& path, unsigned long firstStart);

// The name of a kernel object of this program for a path: `kind` and a hash
// of the path with the letters A to Z folded, in the session's namespace or
// in the one that every session of the machine shares.
std::string SessionObjectName(const char* kind, const std::wstring& path);
std::string MachineObjectName(const char* kind, const std::wstring& path);
