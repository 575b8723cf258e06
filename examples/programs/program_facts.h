#pragma once
// What a sample program tells about the way it was started: its own file,
// the folder it runs in and what the launcher's preloaded library left in the
// environment. The sample patch's programs show these in their boxes, so a
// person (or the demo) sees the launcher's work.

#include <string>

// The environment variable that RallyFix.dll sets in the launcher; programs
// that the launcher starts inherit it.
constexpr const char* kPatchDataVariable = "RALLY_PATCH_DIR";

// Full path of the running program.
std::string OwnProgramPath();

// The current directory.
std::string WorkingFolder();

// The value of an environment variable, or empty when it is not set.
std::string EnvironmentValue(const char* name);

// The body of a sample program's box: `lead`, a blank line, then its facts.
std::string DescribeStart(const std::string& lead);
