#pragma once
// A picture of a window as the screen shows it, saved as a 24-bit BMP file.

#include <windows.h>

#include <string>

// Copies the window's rectangle from the screen. Needs a graphics driver that
// draws (X11 under Xvfb or a real display); false when the file can't be made.
bool SaveWindowPicture(HWND window, const std::string& path);
