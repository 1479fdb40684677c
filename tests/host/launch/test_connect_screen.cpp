// The connect status screen on a real window: black everywhere, the status text
// in white, centred, starting at 95 % of the client height.
#include "launch_fakes.h"

#include "host/launch/connect_screen.h"

namespace launchtest {
namespace {

// The client area's pixels, read back from the window.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
};

Capture CaptureClient(HWND window) {
    Capture capture;
    RECT client;
    GetClientRect(window, &client);
    capture.width = client.right;
    capture.height = client.bottom;
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, capture.width, capture.height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, dc, 0, 0, SRCCOPY);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    capture.pixels.resize(static_cast<size_t>(capture.width) * capture.height);
    SelectObject(memory, old);
    GetDIBits(memory, bitmap, 0, capture.height, capture.pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, dc);
    return capture;
}

// The box around every pixel that is not black.
struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, lit = 0, white = 0, coloured = 0;
};

Box LitBox(const Capture& capture) {
    Box box;
    for (int y = 0; y < capture.height; ++y) {
        for (int x = 0; x < capture.width; ++x) {
            const uint32_t pixel = capture.At(x, y);
            if (pixel == 0) continue;
            ++box.lit;
            if (pixel == 0xFFFFFF) ++box.white;
            if ((pixel >> 16) != (pixel & 0xFF) || ((pixel >> 8) & 0xFF) != (pixel & 0xFF)) ++box.coloured;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    }
    return box;
}

TEST_F(LaunchTest, TheStatusLineIsDrawnWhiteOnBlackCentredAt95PercentOfTheHeight) {
    text.texts["TXT_MENU_CONNECTING"] = "Connecting to the session";
    // Something other than black first, so that the paint of the whole area shows.
    HDC dc = GetDC(app.mainWindow);
    RECT client;
    GetClientRect(app.mainWindow, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(app.mainWindow, dc);
    ASSERT_EQ(client.right, 640);
    ASSERT_EQ(client.bottom, 480);

    ConnectScreen screen(app.mainWindow);
    screen.Show("TXT_MENU_CONNECTING");
    GdiFlush();
    const Capture shown = CaptureClient(app.mainWindow);
    const Box box = LitBox(shown);
    ASSERT_GT(box.lit, 50);
    EXPECT_GT(box.white, box.lit / 5);  // the glyph cores are pure white,
    EXPECT_EQ(box.coloured, 0);         // the smoothed edges grey
    EXPECT_GE(box.top, 480 * 95 / 100);
    EXPECT_LE(box.top, 480 * 95 / 100 + 6);
    EXPECT_LE(box.bottom, 479);
    EXPECT_NEAR((box.left + box.right) / 2.0, 320.0, 3.0);
    EXPECT_GT(box.right - box.left, 100);  // a whole line, not a stray pixel

    // A key without text leaves the area black; so does the final clear.
    screen.Show("TXT_MENU_UNKNOWN");
    EXPECT_EQ(LitBox(CaptureClient(app.mainWindow)).lit, 0);
    screen.Show("TXT_MENU_CONNECTING");
    screen.Clear();
    EXPECT_EQ(LitBox(CaptureClient(app.mainWindow)).lit, 0);
}

}  // namespace
}  // namespace launchtest
