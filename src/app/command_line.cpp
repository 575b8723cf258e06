#include "app/command_line.h"

std::vector<std::string> SplitCommandLine(const char* line) {
    std::vector<std::string> arguments;
    if (line == nullptr) {
        return arguments;
    }
    const char* p = line;
    bool isProgramName = true;
    for (;;) {
        while (*p == ' ') {
            ++p;
        }
        if (*p == '\0') {
            break;
        }
        const char terminator = (*p == '"') ? '"' : ' ';
        if (terminator == '"') {
            ++p;
        }
        const char* start = p;
        while (*p != '\0' && *p != terminator) {
            ++p;
        }
        std::string token(start, p);
        const bool endedAtLineEnd = (*p == '\0');
        if (!endedAtLineEnd) {
            ++p;  // the terminator belongs to no token
        }
        if (isProgramName) {
            isProgramName = false;
        } else {
            arguments.push_back(std::move(token));
        }
        if (endedAtLineEnd || *p == '\0') {
            break;
        }
    }
    return arguments;
}
