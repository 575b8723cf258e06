#pragma once
// Every read opens .\Setup.ini anew, so these tests move the current
// directory into a scratch folder and back.

#include <windows.h>

#include <string>

class CurrentFolderGuard {
public:
    CurrentFolderGuard() {
        char folder[MAX_PATH + 1] = "";
        const DWORD length = GetCurrentDirectoryA(sizeof(folder), folder);
        if (length > 0 && length < sizeof(folder)) {
            saved_.assign(folder, length);
        }
    }
    ~CurrentFolderGuard() {
        if (!saved_.empty()) {
            (void)SetCurrentDirectoryA(saved_.c_str());
        }
    }
    CurrentFolderGuard(const CurrentFolderGuard&) = delete;
    CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

    bool MoveTo(const std::string& folder) { return SetCurrentDirectoryA(folder.c_str()) != FALSE; }

private:
    std::string saved_;
};
