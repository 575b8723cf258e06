#include "ui/dialog_picture.h"

#include "ui/globals.h"
#include "ui/resource.h"

namespace {

// The template gives the picture the id -1, stored as a 16-bit word.
constexpr int kPictureId = 0xFFFF;

// The screen resolution at which the picture's pixels are dialog-sized.
constexpr int kDefaultDpi = 96;

// Kept with the picture control while the scaled copy is shown.
const char kOriginalPictureProperty[] = "PatchSetup.OriginalPicture";

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return kDefaultDpi;
    }
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    (void)ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

}  // namespace

void FitPictureToScreen(HWND dialog) {
    const int dpi = ScreenDpi();
    HWND picture = GetDlgItem(dialog, kPictureId);
    if (dpi == kDefaultDpi || picture == nullptr) {
        return;
    }
    HANDLE original = reinterpret_cast<HANDLE>(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP size;
    if (original == nullptr || GetObjectA(original, sizeof(size), &size) == 0) {
        return;
    }
    // LoadImage stretches the resource to the size asked for.
    HANDLE scaled = LoadImageA(g_instance, MAKEINTRESOURCEA(IDB_PICTURE), IMAGE_BITMAP,
                               MulDiv(size.bmWidth, dpi, kDefaultDpi), MulDiv(size.bmHeight, dpi, kDefaultDpi),
                               LR_DEFAULTCOLOR);
    if (scaled == nullptr) {
        return;
    }
    if (!SetPropA(picture, kOriginalPictureProperty, original)) {
        (void)DeleteObject(scaled);
        return;
    }
    // The control takes the new bitmap's size; the original is put back at the end.
    (void)SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled));
}

void RestoreOriginalPicture(HWND dialog) {
    HWND picture = GetDlgItem(dialog, kPictureId);
    HANDLE original = picture == nullptr ? nullptr : RemovePropA(picture, kOriginalPictureProperty);
    if (original == nullptr) {
        return;
    }
    HGDIOBJ scaled = reinterpret_cast<HGDIOBJ>(
        SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(original)));
    if (scaled != nullptr) {
        (void)DeleteObject(scaled);
    }
}
