#pragma once
// The setup dialog's picture at the screen's scale.

#include <windows.h>

// The dialog grows with its font on a screen set above 96 DPI; the picture,
// a bitmap of fixed pixels, would stay small in its corner. This puts a copy
// scaled by the same factor in its place.
void FitPictureToScreen(HWND dialog);

// Puts the template's picture back and frees the scaled copy; for the
// dialog's end.
void RestoreOriginalPicture(HWND dialog);
