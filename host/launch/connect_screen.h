// The connect status screen: one line of status text drawn straight onto the
// main window with GDI while the launch hosts or joins a session.
#pragma once

#include "shell/shell.h"
#include "varn/held.h"
#include "varn/txt.h"

class ConnectScreen {
public:
    // The text file the status and error texts are looked up in.
    static constexpr const char* kTextFile = "NetworkConnectScreen.str";

    // Gets "TXT", loads the text file and makes the font. window is the main
    // window (an HWND); without one nothing is drawn.
    explicit ConnectScreen(void* window);
    // Deletes the font, unloads the text file and releases "TXT".
    ~ConnectScreen();
    ConnectScreen(const ConnectScreen&) = delete;
    ConnectScreen& operator=(const ConnectScreen&) = delete;

    // Paints the client area black and, when the key has a text, draws it in
    // white, centred, at 95 % of the client height.
    void Show(const char* key);
    // Paints the client area black.
    void Clear() { Show(nullptr); }
    // The text of key in the text file; null when there is none.
    const char* LookUp(const char* key);

private:
    void* m_window;
    void* m_font;
    InterfaceHold<ITextManager> m_text{ShellGetRegistry()};
};
