// Screen arithmetic of the sample's GDI drawing: the game gives positions and
// sizes as fractions of the screen and font sizes in pixels of a screen 480
// pixels high; GDI wants pixels of the actual window.
#pragma once

namespace sample {

struct PixelRect {
    int left;
    int top;
    int width;   // never negative
    int height;  // never negative
};

// Both edges are rounded to the nearest pixel, so rectangles that share an
// edge in fractions share it in pixels too.
PixelRect ToPixels(float x, float y, float width, float height, int surfaceWidth, int surfaceHeight);

// A pixel position for a fraction, rounded to the nearest pixel.
int ToPixel(float fraction, int surfaceSize);

// Font height in pixels for a text size of a 480-pixel-high screen; at
// least 1 for any positive size, 0 for none.
int FontHeight(int textSize, int surfaceHeight);

// A colour channel within 0..1 as a byte (clamped; not-a-number gives 0).
int ColorByte(float channel);

}  // namespace sample
