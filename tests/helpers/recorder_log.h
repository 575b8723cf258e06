#pragma once
// Reading back what run_recorder.exe and load_recorder.dll recorded (see
// CMakeLists.txt beside this file for how they record).

#include <windows.h>

#include <string>
#include <vector>

namespace recorder {

// One line of the record.
struct Event {
    std::string module;  // full path of the program or library that wrote it
    std::string field;   // started, folder, ..., load, unload
    std::string value;
};

// Every event in the file, in the order written; empty when there is none.
std::vector<Event> ReadEvents(const std::string& recordFile);

// The file name part of a module path, in lowercase ("game.exe").
std::string ModuleName(const std::string& modulePath);

// Position of the first event of the module (matched by file name, letter
// case ignored) with that field, or -1.
int IndexOf(const std::vector<Event>& events, const std::string& moduleName, const std::string& field);

// Value of that event, or empty.
std::string ValueOf(const std::vector<Event>& events, const std::string& moduleName, const std::string& field);

// How many events of the module have that field.
int CountOf(const std::vector<Event>& events, const std::string& moduleName, const std::string& field);

// Waits until the record holds the event; false on time-out.
bool WaitForEvent(const std::string& recordFile, const std::string& moduleName, const std::string& field,
                  DWORD timeoutMs);

// The arguments that follow the program's name in a command line, with the
// blanks around them removed: empty when it holds the name alone.
std::string ArgumentsOf(const std::string& commandLine);

}  // namespace recorder
