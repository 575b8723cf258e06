// Plays one step of the demo's road under Wine and prints what happened.
//   demo_driver where
//   demo_driver install <medium folder> [options]     starts <medium>\Setup.exe there
//   demo_driver progress <medium folder> [options]    the same, slowed down, to picture the
//                                                     progress window ("progress-window"), then cancelled
//   demo_driver run <shortcut file> [options]         opens the start shortcut through the shell
//   demo_driver uninstall <shortcut file> [options]   opens the uninstall shortcut through the shell
//   demo_driver disk <path>...                        what lies at each path
// Options: --pictures <folder> (pictures of the windows), --person (a person
// answers the windows; the driver only prints them).

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "program_names.h"
#include "progress_picture.h"
#include "road_step.h"
#include "shortcut_facts.h"
#include "window_driver.h"

namespace {

constexpr int kUsageStatus = 64;
constexpr int kFailedStatus = 1;
constexpr DWORD kPathCapacity = MAX_PATH + 1;
constexpr DWORD kPollMs = 20;
// How long the shell may take to start the program that a shortcut names.
constexpr DWORD kShellStartMs = 15000;

std::string WithFinalBackslash(const std::string& folder) {
    return (!folder.empty() && folder.back() == '\\') ? folder : folder + "\\";
}

std::string ShellFolder(int folderId) {
    char path[kPathCapacity] = "";
    return SHGetSpecialFolderPathA(nullptr, path, folderId, FALSE) ? std::string(path) : std::string();
}

std::string TempFolder() {
    char path[kPathCapacity] = "";
    const DWORD length = GetTempPathA(sizeof(path), path);
    return (length > 0 && length < sizeof(path)) ? std::string(path, length) : std::string();
}

int PrintWhere() {
    std::printf("Program Files: %s\n", ShellFolder(CSIDL_PROGRAM_FILES).c_str());
    std::printf("Programs: %s\n", ShellFolder(CSIDL_PROGRAMS).c_str());
    std::printf("Temp: %s\n", TempFolder().c_str());
    return 0;
}

std::string AttributeMarks(DWORD attributes) {
    std::string marks;
    if (attributes & FILE_ATTRIBUTE_HIDDEN) {
        marks += " (hidden)";
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        marks += " (read-only)";
    }
    return marks;
}

void PrintFolder(const std::string& folder) {
    std::printf("%s\n", WithFinalBackslash(folder).c_str());
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((WithFinalBackslash(folder) + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    std::vector<std::string> lines;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") {
            continue;
        }
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        lines.push_back("  " + name + (isFolder ? "\\" : "") + AttributeMarks(found.dwFileAttributes));
    } while (FindNextFileA(search, &found));
    (void)FindClose(search);
    std::sort(lines.begin(), lines.end());
    for (const std::string& line : lines) {
        std::printf("%s\n", line.c_str());
    }
}

int PrintDisk(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            std::printf("%s: not there\n", path.c_str());
        } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            PrintFolder(path);
        } else {
            std::printf("%s%s\n", path.c_str(), AttributeMarks(attributes).c_str());
        }
    }
    return 0;
}

int StartAndFollow(const std::string& program, const std::string& folder, const RoadStepOptions& options) {
    std::printf("start: %s (working folder %s)\n", program.c_str(), folder.c_str());
    driver::ChildProcess child;
    if (!child.Start(program, "\"" + program + "\"", folder)) {
        std::printf("could not start (error %lu)\n", GetLastError());
        return kFailedStatus;
    }
    return FollowToExit(child.Handle(), options) ? 0 : kFailedStatus;
}

// Polls until the shell has started the program.
HANDLE WaitForProcessOfProgram(const std::string& programPath) {
    const DWORD start = GetTickCount();
    for (;;) {
        HANDLE process = OpenProcessOfProgram(programPath);
        if (process != nullptr || GetTickCount() - start >= kShellStartMs) {
            return process;
        }
        Sleep(kPollMs);
    }
}

// Prints what the link says; false when it can't be read.
bool PrintShortcut(const std::string& linkPath, ShortcutFacts& facts) {
    if (!ReadShortcut(linkPath, facts)) {
        std::printf("  (the shortcut can't be read)\n");
        return false;
    }
    std::printf("  target: %s\n", facts.target.c_str());
    std::printf("  arguments: %s\n", facts.arguments.empty() ? "(none)" : facts.arguments.c_str());
    std::printf("  working folder: %s\n", facts.workingFolder.c_str());
    std::printf("  description: %s\n", facts.description.c_str());
    std::printf("  icon: %s, %d\n", facts.iconFile.c_str(), facts.iconIndex);
    return true;
}

int OpenShortcutAndFollow(const std::string& linkPath, const RoadStepOptions& options) {
    std::printf("open through the shell: %s\n", linkPath.c_str());
    ShortcutFacts facts;
    if (!PrintShortcut(linkPath, facts)) {
        return kFailedStatus;
    }
    SHELLEXECUTEINFOA info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "open";
    info.lpFile = linkPath.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info)) {
        std::printf("the shell could not open it (error %lu)\n", GetLastError());
        return kFailedStatus;
    }
    // Wine's shell starts a link's target through the link object, which
    // doesn't hand the new process back: then the process of the link's
    // target is the one to follow. Not a window's: a launcher shows none of
    // its own, only the programs it starts do.
    HANDLE process = info.hProcess != nullptr ? info.hProcess : WaitForProcessOfProgram(facts.target);
    if (process == nullptr) {
        std::printf("the shortcut's target did not start\n");
        return kFailedStatus;
    }
    const bool ended = FollowToExit(process, options);
    (void)CloseHandle(process);
    return ended ? 0 : kFailedStatus;
}

bool ParseOptions(int argc, char** argv, int first, RoadStepOptions& options) {
    for (int i = first; i < argc; ++i) {
        if (std::strcmp(argv[i], "--pictures") == 0 && i + 1 < argc) {
            options.picturesFolder = argv[++i];
        } else if (std::strcmp(argv[i], "--person") == 0) {
            options.personAnswers = true;
        } else {
            return false;
        }
    }
    return true;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: demo_driver where | disk <path>... |\n"
                 "       install <medium folder> | progress <medium folder> |\n"
                 "       run <shortcut file> | uninstall <shortcut file>\n"
                 "       [--pictures <folder>] [--person]\n");
    return kUsageStatus;
}

}  // namespace

int main(int argc, char** argv) {
    // Plain LF line ends, so that the transcript compares byte for byte.
    (void)_setmode(_fileno(stdout), _O_BINARY);
    if (argc < 2) {
        return Usage();
    }
    const std::string step = argv[1];
    if (step == "where") {
        return PrintWhere();
    }
    if (step == "disk") {
        return PrintDisk(std::vector<std::string>(argv + 2, argv + argc));
    }
    RoadStepOptions options;
    options.stepName = step;
    if (argc < 3 || !ParseOptions(argc, argv, 3, options)) {
        return Usage();
    }
    const std::string subject = argv[2];
    int status = kUsageStatus;
    if (step == "install") {
        status = StartAndFollow(WithFinalBackslash(subject) + "Setup.exe", subject, options);
    } else if (step == "progress") {
        status = PictureProgressWindow(WithFinalBackslash(subject) + "Setup.exe", subject, options);
    } else if (step == "run" || step == "uninstall") {
        status = OpenShortcutAndFollow(subject, options);
    } else {
        return Usage();
    }
    (void)std::fflush(stdout);
    return status;
}
