// MenuSystem.dll: the menu system ("MNU"). mnuRun shows the screen the host
// names (MainScreen at the start, Debrief after a flight) and runs its own
// loop on the application's message pump until the player presses F (fly:
// result 0) or Q (quit: result 1). Keys reach it through a message callback
// of the application; the screen is drawn with GDI into the main window.
// The Debrief screen lists the orders the wingmen took.
#include "canvas.h"
#include "files/strings.h"
#include "ini/ini_file.h"
#include "module_support.h"
#include "sample.h"
#include "shell/log.h"
#include "shell/shell_app.h"

#include <cstdio>
#include <string>

namespace {

const char kOwner[] = "MENU";

enum Choice { kNone, kFly, kQuit };
Choice g_choice = kNone;

void VARN_CDECL OnKeyDown(uintptr_t key, uintptr_t) {
    if (key == 'F') g_choice = kFly;
    if (key == 'Q') g_choice = kQuit;
}

class MenuSystem final : public IMenuSystem {
public:
    int mnuRun(const char* menuDirectory, const char* initFile, const char* nextScreen) override {
        // MenuSystem.ini (from the menu catalog) names the menu's text file.
        IniFile settings(initFile, 0, 0, 1024);
        if (!settings.HasSection("Menu")) LogError("menu: unable to read %s", initFile ? initFile : "");
        char textFileName[260];
        settings.GetString("Menu", "TextFile", "Menu.str", textFileName, sizeof textFileName, 0);
        const std::string textFile = textFileName;
        CopyString(m_screen, nextScreen, sizeof m_screen);

        sample::Held<ITextManager> text(VARN_ID_TXT);
        sample::Held<IClock> clock(VARN_ID_CLK);
        sample::Held<ISampleInput> input(VARN_ID_INP);
        if (!text || !clock || !input) return 1;
        text->txtLoadTextFile(textFile.c_str());
        IApplication* application = ShellGetApplication();
        application->appAddMessageCallback(0x0100 /* WM_KEYDOWN */, &OnKeyDown);

        g_choice = kNone;
        bool shown = false;
        while (g_choice == kNone) {
            if (!appPumpMessages()) {  // the window was closed
                g_choice = kQuit;
                break;
            }
            clock->clkUpdate();
            Draw(text.get(), textFile.c_str());
            input->inpFrameShown(m_screen);
            if (!shown) LogInfo("menu: screen %s from %s", m_screen, menuDirectory ? menuDirectory : "");
            shown = true;
            clock->clkWait(33);
        }
        application->appRemoveMessageCallback(0x0100, &OnKeyDown);
        text->txtUnloadTextFile(textFile.c_str());
        LogInfo("menu: %s chosen on %s", g_choice == kFly ? "Fly" : "Quit", m_screen);
        return g_choice == kFly ? 0 : 1;
    }

    int mnuSetVersion(const char* version) override {
        CopyString(m_version, version, sizeof m_version);
        return 0;
    }

    void Release() {
        if (m_titleFont) DeleteObject(m_titleFont);
        if (m_bodyFont) DeleteObject(m_bodyFont);
        m_titleFont = m_bodyFont = nullptr;
    }

private:
    // A text of the menu's text file, or the key itself when it has none.
    static const char* Text(ITextManager* text, const char* file, const char* key) {
        const char* found = text->txtLookUpText(file, key);
        return found ? found : key;
    }

    void Draw(ITextManager* text, const char* file) {
        if (!m_canvas.Begin(static_cast<HWND>(ShellGetWindowHandle()), RGB(16, 28, 56))) return;
        if (!m_titleFont) {
            TextAttributes title = {"Arial", 40, kTextBold | kTextShadow, {0, 0, 0}, 3};
            TextAttributes body = {"Arial", 18, 0, {0, 0, 0}, 0};
            m_titleFont = sample::MakeFont(title, m_canvas.Height());
            m_bodyFont = sample::MakeFont(body, m_canvas.Height());
            m_title = title;
        }
        const COLORREF white = RGB(255, 255, 255), gold = RGB(255, 210, 80), grey = RGB(150, 160, 180);
        const bool debrief = StringsEqual(m_screen, "Debrief", false);
        m_canvas.FillRect(0, 0.22f, 1, 0.005f, gold);
        m_canvas.DrawText(Text(text, file, "Title"), 0.08f, 0.08f, m_titleFont, white, &m_title);
        m_canvas.DrawText(Text(text, file, debrief ? "DebriefTitle" : "MainTitle"), 0.08f, 0.26f, m_bodyFont, gold, nullptr);

        float y = 0.36f;
        if (debrief) {
            sample::Held<ISampleObjects> objects(VARN_ID_OBJ);
            const int count = objects ? objects->objGetOrderCount() : 0;
            if (count == 0) m_canvas.DrawText(Text(text, file, "NoOrders"), 0.1f, y, m_bodyFont, white, nullptr);
            for (int i = 0; i < count && i < 8; ++i, y += 0.05f)
                m_canvas.DrawText(objects->objGetOrderText(i), 0.1f, y, m_bodyFont, white, nullptr);
            y = 0.36f + 0.05f * 8;
        } else {
            m_canvas.DrawText(Text(text, file, "Welcome"), 0.1f, y, m_bodyFont, white, nullptr);
            m_canvas.DrawText(Text(text, file, "InFlight"), 0.1f, y + 0.05f, m_bodyFont, white, nullptr);
            y += 0.16f;
        }
        m_canvas.DrawText(Text(text, file, "Fly"), 0.1f, y + 0.04f, m_bodyFont, white, nullptr);
        m_canvas.DrawText(Text(text, file, "Quit"), 0.1f, y + 0.10f, m_bodyFont, white, nullptr);

        sample::Held<ISampleSound> sound(VARN_ID_SND);
        char footer[200];
        snprintf(footer, sizeof footer, "%s   %s %d   %s %d", m_version, Text(text, file, "SoundVolume"),
                 sound ? sound->sndGetSoundVolume() : 0, Text(text, file, "MusicVolume"),
                 sound ? sound->sndGetStreamVolume() : 0);
        m_canvas.DrawText(footer, 0.08f, 0.92f, m_bodyFont, grey, nullptr);
        m_canvas.End();
    }

    sample::Canvas m_canvas;
    HFONT m_titleFont = nullptr;
    HFONT m_bodyFont = nullptr;
    TextAttributes m_title = {};
    char m_screen[260] = "";
    char m_version[32] = "";
};

MenuSystem g_menu;
const sample::Published kPublished[] = {{VARN_ID_MNU, static_cast<IMenuSystem*>(&g_menu)}};

void ReleaseMenu() { g_menu.Release(); }

}  // namespace

SAMPLE_MODULE_ENTRY_POINTS(kOwner, kPublished, nullptr, ReleaseMenu)
