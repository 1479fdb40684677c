// The connect status screen, painted directly with GDI (no window messages are
// involved, so it shows even while nothing pumps the window).
#include "host/launch/connect_screen.h"


#include <windows.h>

#include <cstring>

ConnectScreen::ConnectScreen(void* window) : m_window(window), m_font(nullptr) {
    if (m_text) m_text->txtLoadTextFile(kTextFile);
    m_font = CreateFontA(20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, "Arial");
}

ConnectScreen::~ConnectScreen() {
    if (m_font) DeleteObject(static_cast<HFONT>(m_font));
    if (m_text) m_text->txtUnloadTextFile(kTextFile);
}

const char* ConnectScreen::LookUp(const char* key) {
    return (m_text && key) ? m_text->txtLookUpText(kTextFile, key) : nullptr;
}

void ConnectScreen::Show(const char* key) {
    HWND window = static_cast<HWND>(m_window);
    if (!window) return;
    const char* text = LookUp(key);
    HDC dc = GetDC(window);
    if (!dc) return;
    RECT client;
    GetClientRect(window, &client);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, client.left, client.top, client.right, client.bottom);
    if (text) {
        HGDIOBJ oldFont = m_font ? SelectObject(dc, static_cast<HFONT>(m_font)) : nullptr;
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkColor(dc, RGB(0, 0, 0));
        SetTextAlign(dc, TA_CENTER | TA_TOP);
        const int width = client.right - client.left;
        const int height = client.bottom - client.top;
        TextOutA(dc, width / 2, height * 95 / 100, text, static_cast<int>(strlen(text)));
        if (oldFont) SelectObject(dc, oldFont);
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    ReleaseDC(window, dc);
}
