#include "window_picture.h"

#include <cstdio>

namespace {

constexpr WORD kBitsPerPixel = 24;
constexpr WORD kBitmapFileType = 0x4D42;  // "BM"

// Rows of a BMP file are padded to whole 32-bit words.
LONG RowBytes(LONG width) {
    return ((width * kBitsPerPixel + 31) / 32) * 4;
}

bool WriteBitmapFile(const std::string& path, const BITMAPINFOHEADER& header, const void* pixels, DWORD pixelBytes) {
    BITMAPFILEHEADER file;
    ZeroMemory(&file, sizeof(file));
    file.bfType = kBitmapFileType;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + pixelBytes;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    bool written = std::fwrite(&file, sizeof(file), 1, out) == 1 && std::fwrite(&header, sizeof(header), 1, out) == 1 &&
                   std::fwrite(pixels, 1, pixelBytes, out) == pixelBytes;
    return std::fclose(out) == 0 && written;
}

}  // namespace

bool SaveWindowPicture(HWND window, const std::string& path) {
    RECT frame;
    if (!GetWindowRect(window, &frame)) {
        return false;
    }
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = kBitsPerPixel;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(RowBytes(width) * height);

    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return false;
    }
    bool saved = false;
    HDC memory = CreateCompatibleDC(screen);
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (memory != nullptr && bitmap != nullptr && pixels != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY)) {
            (void)GdiFlush();
            saved = WriteBitmapFile(path, info.bmiHeader, pixels, info.bmiHeader.biSizeImage);
        }
        (void)SelectObject(memory, previous);
    }
    if (bitmap != nullptr) {
        (void)DeleteObject(bitmap);
    }
    if (memory != nullptr) {
        (void)DeleteDC(memory);
    }
    (void)ReleaseDC(nullptr, screen);
    return saved;
}
