#include "canvas.h"
#include "screen_layout.h"

#include <cstring>

namespace sample {

COLORREF ToColorRef(const ColorRGBA& color) {
    return RGB(ColorByte(color.red), ColorByte(color.green), ColorByte(color.blue));
}

bool LoadBmp(const std::string& bytes, Image* image) {
    // File header (14 bytes), then the bitmap info; pixel data at bfOffBits.
    if (bytes.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    BITMAPFILEHEADER file;
    memcpy(&file, bytes.data(), sizeof file);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes.data() + sizeof file);
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biCompression != BI_RGB || (header.biBitCount != 24 && header.biBitCount != 32) ||
        header.biWidth <= 0 || header.biWidth > 4096 || header.biHeight == 0 || header.biHeight > 4096 ||
        header.biHeight < -4096)
        return false;
    const size_t rows = static_cast<size_t>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
    const size_t stride = (static_cast<size_t>(header.biWidth) * header.biBitCount / 8 + 3) & ~size_t(3);
    if (file.bfOffBits > bytes.size() || bytes.size() - file.bfOffBits < stride * rows) return false;
    HDC screen = GetDC(nullptr);
    image->bitmap = CreateDIBitmap(screen, &header, CBM_INIT, bytes.data() + file.bfOffBits, info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    image->width = header.biWidth;
    image->height = static_cast<int>(rows);
    return image->bitmap != nullptr;
}

void FreeImage(Image* image) {
    if (image->bitmap) DeleteObject(image->bitmap);
    *image = Image();
}

HFONT MakeFont(const TextAttributes& attributes, int surfaceHeight) {
    const int flags = attributes.styleFlags;
    char face[LF_FACESIZE];
    strncpy(face, attributes.fontName, sizeof face - 1);
    face[sizeof face - 1] = 0;
    return CreateFontA(-FontHeight(attributes.textSize > 0 ? attributes.textSize : 12, surfaceHeight), 0, 0, 0,
                       (flags & kTextBold) ? FW_BOLD : FW_NORMAL, (flags & kTextItalic) != 0,
                       (flags & kTextUnderline) != 0, (flags & kTextStrikeOut) != 0, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, face[0] ? face : "Arial");
}

Canvas::~Canvas() { Release(); }

void Canvas::Release() {
    if (m_dc) {
        SelectObject(m_dc, m_oldBitmap);
        DeleteDC(m_dc);
    }
    if (m_bitmap) DeleteObject(m_bitmap);
    m_dc = nullptr;
    m_bitmap = nullptr;
    m_width = m_height = 0;
}

bool Canvas::Begin(HWND window, COLORREF background) {
    RECT client = {};
    if (!window || !GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return false;
    if (window != m_window || client.right != m_width || client.bottom != m_height) {
        Release();
        HDC windowDc = GetDC(window);
        m_dc = CreateCompatibleDC(windowDc);
        m_bitmap = CreateCompatibleBitmap(windowDc, client.right, client.bottom);
        ReleaseDC(window, windowDc);
        if (!m_dc || !m_bitmap) {
            Release();
            return false;
        }
        m_oldBitmap = SelectObject(m_dc, m_bitmap);
        m_window = window;
        m_width = client.right;
        m_height = client.bottom;
    }
    HBRUSH brush = CreateSolidBrush(background);
    ::FillRect(m_dc, &client, brush);
    DeleteObject(brush);
    return true;
}

void Canvas::FillRect(float x, float y, float width, float height, COLORREF color) {
    if (!m_dc) return;
    const PixelRect p = ToPixels(x, y, width, height, m_width, m_height);
    RECT rect = {p.left, p.top, p.left + p.width, p.top + p.height};
    HBRUSH brush = CreateSolidBrush(color);
    ::FillRect(m_dc, &rect, brush);
    DeleteObject(brush);
}

void Canvas::DrawImage(const Image& image, float x, float y, float width, float height, bool transparent) {
    if (!m_dc || !image.bitmap) return;
    const PixelRect p = ToPixels(x, y, width, height, m_width, m_height);
    if (p.width == 0 || p.height == 0) return;
    HDC source = CreateCompatibleDC(m_dc);
    HGDIOBJ old = SelectObject(source, image.bitmap);
    SetStretchBltMode(m_dc, COLORONCOLOR);
    if (transparent)
        TransparentBlt(m_dc, p.left, p.top, p.width, p.height, source, 0, 0, image.width, image.height,
                       RGB(255, 0, 255));
    else
        StretchBlt(m_dc, p.left, p.top, p.width, p.height, source, 0, 0, image.width, image.height, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

void Canvas::DrawText(const char* text, float x, float y, HFONT font, COLORREF color,
                      const TextAttributes* attributes) {
    if (!m_dc || !text) return;
    HGDIOBJ old = font ? SelectObject(m_dc, font) : nullptr;
    SetBkMode(m_dc, TRANSPARENT);
    const int left = ToPixel(x, m_width), top = ToPixel(y, m_height);
    const int length = static_cast<int>(strlen(text));
    if (attributes && (attributes->styleFlags & kTextShadow)) {
        const EffectColor& shadow = attributes->effectColor;
        SetTextColor(m_dc, ToColorRef(ColorRGBA{shadow.red, shadow.green, shadow.blue, 1}));
        const int offset = attributes->effectSize > 0 ? attributes->effectSize : 1;
        TextOutA(m_dc, left + offset, top + offset, text, length);
    }
    SetTextColor(m_dc, color);
    TextOutA(m_dc, left, top, text, length);
    if (old) SelectObject(m_dc, old);
}

void Canvas::End() {
    if (!m_dc) return;
    HDC windowDc = GetDC(m_window);
    BitBlt(windowDc, 0, 0, m_width, m_height, m_dc, 0, 0, SRCCOPY);
    ReleaseDC(m_window, windowDc);
}

}  // namespace sample
