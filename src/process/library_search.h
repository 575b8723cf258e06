#pragma once
// Where the program takes its libraries from. The folder of Setup.exe is a
// medium that anyone may have written to, and the current folder is wherever
// the user happened to be: neither may supply code that runs in this process.

#include <windows.h>

#include <string>

// Limits the platform's library search to the system folder, first thing
// at start: every later load that names no path, by this program or by the
// system's own libraries, then skips the program's folder and the current
// folder. Old systems without the calls keep their search order.
void RestrictLibrarySearch();

// The library search folder set at start passes to every program that this
// one starts, where it would keep the program's current folder out of its
// search. Around each start the platform's ordinary search is back: the
// first call restores it, the second takes the current folder out again.
void LetTheNextStartSearchAsUsual();
void KeepTheCurrentFolderOutOfTheSearch();

// True when a "<program>.local" file or folder lies beside the executable:
// the platform would take libraries from it before the system's own.
bool LibraryRedirectionPresent();

// The system folder with a final backslash, or empty when it can't be had.
std::wstring SystemFolder();

// A system library loaded from the system folder by its full path, its own
// dependencies looked for there first; null when it can't be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The function `name` of `library` as the type `Function`, or null.
template <typename Function>
Function LibraryFunction(HMODULE library, const char* name) {
    // Through the generic function type: the compiler lets that one be cast
    // to any other function type without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// A function of kernel32, which is in every process already (asking for it
// loads nothing), or null on a system that lacks it.
template <typename Function>
Function KernelFunction(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel != nullptr ? LibraryFunction<Function>(kernel, name) : nullptr;
}
