// A GDI back buffer over the main window: the menu and the graphics engine
// draw a whole frame into it and then show it at once, so nothing flickers.
#pragma once

#include "varn/gfx.h"

#include <windows.h>

#include <string>

namespace sample {

COLORREF ToColorRef(const ColorRGBA& color);

// A bitmap made from the bytes of a .bmp file.
struct Image {
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;
};
// Makes an image from the bytes of an uncompressed .bmp file; false for
// anything else (the sizes and offsets in the file are checked).
bool LoadBmp(const std::string& bytes, Image* image);
void FreeImage(Image* image);

// A font as TextAttributes describe it, scaled to a surface `surfaceHeight` high.
HFONT MakeFont(const TextAttributes& attributes, int surfaceHeight);

class Canvas {
public:
    Canvas() = default;
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Starts a frame the size of the window's client area, filled with `background`.
    bool Begin(HWND window, COLORREF background);
    void FillRect(float x, float y, float width, float height, COLORREF color);
    // Stretches the image over the rectangle; with `transparent`, magenta
    // pixels (255, 0, 255) of the image leave the frame as it is.
    void DrawImage(const Image& image, float x, float y, float width, float height, bool transparent);
    // One line of text with its top-left corner at x, y; a shadow is drawn
    // first when the attributes ask for one.
    void DrawText(const char* text, float x, float y, HFONT font, COLORREF color, const TextAttributes* attributes);
    // Shows the frame in the window.
    void End();

    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    void Release();

    HWND m_window = nullptr;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    int m_width = 0;
    int m_height = 0;
};

}  // namespace sample
