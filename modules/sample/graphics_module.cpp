// GraphicsEngine.dll: the graphics engine ("GFX") over GDI. The flight draws
// each frame into a back buffer the size of the main window: rectangles,
// images from .bmp files read through the file manager (stretched), and text
// in fonts made from TextAttributes and in the colour last set. Positions
// and sizes are fractions of the window, so the picture scales with it.
#include "canvas.h"
#include "module_support.h"
#include "sample.h"
#include "shell/log.h"

#include <vector>

namespace {

const char kOwner[] = "GRAPHIC";

struct Font {
    HFONT handle;
    TextAttributes attributes;
};

class Display final : public IDisplay {
public:
    void GetDisplayMode(const DisplayMode** mode) override {
        RECT client = {};
        GetClientRect(static_cast<HWND>(ShellGetWindowHandle()), &client);
        m_mode = DisplayMode{client.right, client.bottom, 32, 0};
        if (mode) *mode = &m_mode;
    }
    void Reserved1() override {}

private:
    DisplayMode m_mode = {};
};

class GraphicsEngine final : public ISampleGraphics {
public:
    void gfxSetActive(int active) override { m_active = active; }
    IDisplay* gfxGetDisplay() override { return &m_display; }

    int gfxLoadImage(const char* name, int, int, int) override {
        std::string bytes;
        sample::Image image;
        if (!sample::ReadGameFile(name, &bytes) || !sample::LoadBmp(bytes, &image)) {
            LogError("graphics: unable to load image %s", name ? name : "");
            return -1;
        }
        m_images.push_back(image);
        return static_cast<int>(m_images.size()) - 1;
    }

    // Mode 2 draws the image with its magenta pixels left out (sprites);
    // any other mode draws it whole.
    void gfxDrawImage(float x, float y, float width, float height, int image, int mode) override {
        if (image >= 0 && image < static_cast<int>(m_images.size()))
            m_canvas.DrawImage(m_images[static_cast<size_t>(image)], x, y, width, height, mode == 2);
    }

    int gfxCreateFont(const TextAttributes* attributes) override {
        if (!attributes) return -1;
        RECT client = {};
        GetClientRect(static_cast<HWND>(ShellGetWindowHandle()), &client);
        m_fonts.push_back(Font{sample::MakeFont(*attributes, client.bottom > 0 ? client.bottom : 480), *attributes});
        return static_cast<int>(m_fonts.size()) - 1;
    }

    void gfxSelectFont(int font) override { m_font = font >= 0 && font < static_cast<int>(m_fonts.size()) ? font : -1; }
    void gfxSetTextColor(const ColorRGBA* color) override {
        if (color) m_textColor = sample::ToColorRef(*color);
    }
    void gfxBeginText() override {}
    void gfxEndText() override {}
    void gfxDrawText(const char* text, float x, float y, int, int) override {
        const Font* font = m_font >= 0 ? &m_fonts[static_cast<size_t>(m_font)] : nullptr;
        m_canvas.DrawText(text, x, y, font ? font->handle : nullptr, m_textColor, font ? &font->attributes : nullptr);
    }

    void gfxBeginFrame(const ColorRGBA* background) override {
        m_canvas.Begin(static_cast<HWND>(ShellGetWindowHandle()),
                       background ? sample::ToColorRef(*background) : RGB(0, 0, 0));
    }
    void gfxFillRect(float x, float y, float width, float height, const ColorRGBA* color) override {
        if (color) m_canvas.FillRect(x, y, width, height, sample::ToColorRef(*color));
    }
    void gfxEndFrame() override { m_canvas.End(); }

    // Fonts and images live as long as the graphics engine.
    void Release() {
        for (Font& font : m_fonts) DeleteObject(font.handle);
        for (sample::Image& image : m_images) sample::FreeImage(&image);
        m_fonts = std::vector<Font>();
        m_images = std::vector<sample::Image>();
    }

private:
    Display m_display;
    sample::Canvas m_canvas;
    std::vector<Font> m_fonts;
    std::vector<sample::Image> m_images;
    int m_font = -1;
    COLORREF m_textColor = RGB(255, 255, 255);
    int m_active = 1;
};

GraphicsEngine g_graphics;
const sample::Published kPublished[] = {{VARN_ID_GFX, static_cast<IGraphicsEngine*>(&g_graphics)}};

void ReleaseGraphics() { g_graphics.Release(); }

}  // namespace

SAMPLE_MODULE_ENTRY_POINTS(kOwner, kPublished, nullptr, ReleaseGraphics)
