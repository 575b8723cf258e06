#include "recorder_log.h"

#include <algorithm>
#include <cctype>

#include "utf8.h"

namespace recorder {

namespace {

constexpr DWORD kPollMs = 20;

std::string Lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    // Shared access: a recorder may be appending right now.
    HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bytes.clear();
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    (void)CloseHandle(file);
    return true;
}

}  // namespace

std::vector<Event> ReadEvents(const std::string& recordFile) {
    std::vector<Event> events;
    std::string bytes;
    if (!ReadWholeFile(recordFile, bytes)) {
        return events;
    }
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            break;  // a line still being written
        }
        const std::string line = bytes.substr(start, end - start);
        start = end + 2;
        const size_t firstTab = line.find('\t');
        const size_t secondTab = firstTab == std::string::npos ? std::string::npos : line.find('\t', firstTab + 1);
        if (secondTab == std::string::npos) {
            continue;
        }
        events.push_back(Event{line.substr(0, firstTab), line.substr(firstTab + 1, secondTab - firstTab - 1),
                               line.substr(secondTab + 1)});
    }
    return events;
}

std::string ModuleName(const std::string& modulePath) {
    const size_t slash = modulePath.find_last_of("\\/");
    return Lowercase(slash == std::string::npos ? modulePath : modulePath.substr(slash + 1));
}

int IndexOf(const std::vector<Event>& events, const std::string& moduleName, const std::string& field) {
    const std::string wanted = Lowercase(moduleName);
    for (size_t i = 0; i < events.size(); ++i) {
        if (ModuleName(events[i].module) == wanted && events[i].field == field) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string ValueOf(const std::vector<Event>& events, const std::string& moduleName, const std::string& field) {
    const int index = IndexOf(events, moduleName, field);
    return index < 0 ? std::string() : events[index].value;
}

int CountOf(const std::vector<Event>& events, const std::string& moduleName, const std::string& field) {
    const std::string wanted = Lowercase(moduleName);
    return static_cast<int>(std::count_if(events.begin(), events.end(), [&](const Event& event) {
        return ModuleName(event.module) == wanted && event.field == field;
    }));
}

bool WaitForEvent(const std::string& recordFile, const std::string& moduleName, const std::string& field,
                  DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (IndexOf(ReadEvents(recordFile), moduleName, field) < 0) {
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(kPollMs);
    }
    return true;
}

std::string ArgumentsOf(const std::string& commandLine) {
    size_t position = 0;
    while (position < commandLine.size() && (commandLine[position] == ' ' || commandLine[position] == '\t')) {
        ++position;
    }
    // The program's name: quoted, or up to the first blank.
    if (position < commandLine.size() && commandLine[position] == '"') {
        const size_t closing = commandLine.find('"', position + 1);
        position = closing == std::string::npos ? commandLine.size() : closing + 1;
    } else {
        while (position < commandLine.size() && commandLine[position] != ' ' && commandLine[position] != '\t') {
            ++position;
        }
    }
    const size_t first = commandLine.find_first_not_of(" \t", position);
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = commandLine.find_last_not_of(" \t");
    return commandLine.substr(first, last - first + 1);
}

}  // namespace recorder
