#pragma once
// The window that shows a long copy or removal: a line of text, the file at
// hand, a bar, and a Cancel button. It appears only once the work has run
// for a second, so that a quick install looks as it always did, and it runs
// on the work's own thread: the work lets its messages through between files
// and chunks.

#include <windows.h>

#include <cstdint>
#include <string>

struct ProgressTexts {
    std::wstring caption;
    std::wstring line;
    std::wstring cancelLabel;
    std::wstring abortQuestion;  // asked on Cancel; none: Cancel needs no second thought
    std::wstring abortCaption;
};

struct ProgressWindow {
    ProgressTexts texts;
    // Registers the bar's window class, from a library that is loaded only
    // when a window is needed; the window is made only when it returns true.
    bool (*registerBar)() = nullptr;
    HWND window = nullptr;
    DWORD started = 0;         // tick count when the work began
    DWORD lastLook = 0;        // tick count when the messages were last let through
    std::uint64_t total = 0;   // units of the whole work (bytes, or files)
    std::uint64_t done = 0;
    std::wstring item;         // the file at hand
    bool itemShown = false;
    bool cancelAllowed = true;
    bool cancelAsked = false;  // the user pressed Cancel (or Esc, or the close box)
    bool unavailable = false;  // the window can't be made: the work goes on without it
};

// Begins the clock of a work of `total` units; no window yet.
void StartProgress(ProgressWindow& progress, const ProgressTexts& texts, std::uint64_t total);

// The file at hand from now on.
void ShowProgressItem(ProgressWindow& progress, const std::wstring& item);

// `units` more are done. Makes the window once the work has run a second,
// lets its messages through now and then; true when the user has asked to
// cancel since the last call (asked once: the caller decides).
bool AdvanceProgress(ProgressWindow& progress, std::uint64_t units);

// Whether the user, who pressed Cancel, means it: the question, while the
// work waits, or yes at once where there is none.
bool ConfirmCancel(const ProgressWindow& progress);

// Whether Cancel may be pressed from now on.
void AllowCancel(ProgressWindow& progress, bool allowed);

// Closes the window, if there is one, before the box that ends the work.
void EndProgress(ProgressWindow& progress);
