#include "screen_layout.h"

#include <cmath>

namespace sample {

int ToPixel(float fraction, int surfaceSize) {
    const double pixel = std::floor(static_cast<double>(fraction) * surfaceSize + 0.5);
    // Far-off values are held at a range GDI accepts.
    if (!(pixel > -1e6)) return -1000000;
    if (pixel > 1e6) return 1000000;
    return static_cast<int>(pixel);
}

PixelRect ToPixels(float x, float y, float width, float height, int surfaceWidth, int surfaceHeight) {
    PixelRect rect;
    rect.left = ToPixel(x, surfaceWidth);
    rect.top = ToPixel(y, surfaceHeight);
    const int right = ToPixel(x + width, surfaceWidth);
    const int bottom = ToPixel(y + height, surfaceHeight);
    rect.width = right > rect.left ? right - rect.left : 0;
    rect.height = bottom > rect.top ? bottom - rect.top : 0;
    return rect;
}

int FontHeight(int textSize, int surfaceHeight) {
    if (textSize <= 0 || surfaceHeight <= 0) return 0;
    const long long pixels = (static_cast<long long>(textSize) * surfaceHeight + 240) / 480;
    if (pixels < 1) return 1;
    return pixels > 10000 ? 10000 : static_cast<int>(pixels);
}

int ColorByte(float channel) {
    if (!(channel > 0)) return 0;
    if (channel >= 1) return 255;
    return static_cast<int>(channel * 255 + 0.5f);
}

}  // namespace sample
