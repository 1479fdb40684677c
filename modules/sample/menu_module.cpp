// MenuSystem.dll: the menu system ("MNU"). mnuRun shows the screen the host
// names (MainScreen at the start, Debrief after a flight) and runs its own
// loop on the application's message pump until the player presses F (fly:
// result 0) or Q (quit: result 1). Keys reach it through a message callback
// of the application; the screen is drawn with GDI into the main window.
// The Debrief screen lists the orders the wingmen took in the flight just
// flown, as many as its lines hold, the last line then telling how many more
// there are. The Session screen,
// which a network game opens with, shows the session the network layer
// ("NET") reports and the aircraft types of the session's aircraft list.
#include "aircraft_list_file.h"
#include "canvas.h"
#include "files/paths.h"
#include "files/strings.h"
#include "ini/ini_file.h"
#include "module_support.h"
#include "sample.h"
#include "shell/log.h"
#include "shell/shell_app.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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
        char textFileName[kPathSize];
        settings.GetString("Menu", "TextFile", "Menu.str", textFileName, sizeof textFileName, 0);
        const std::string textFile = textFileName;
        CopyString(m_screen, nextScreen, sizeof m_screen);
        const bool session = StringsEqual(m_screen, "Session", false);
        // The session screen holds the network layer while it shows.
        InterfaceHold<INetworkLayer> network;
        if (session) {
            network.Get(ShellGetRegistry());
            ReadAircraftList();
        }

        InterfaceHold<ITextManager> text(ShellGetRegistry());
        InterfaceHold<IClock> clock(ShellGetRegistry());
        InterfaceHold<ISampleInput> input(ShellGetRegistry());
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
            if (session) ReadSession(network.get());
            Draw(text.get(), textFile.c_str());
            input->inpFrameShown(m_screen);
            if (!shown) LogInfo("menu: screen %s from %s", m_screen, menuDirectory ? menuDirectory : "");
            if (!shown && StringsEqual(m_screen, "Debrief", false))
                LogInfo("menu: debrief lists %d of the flight's %d orders", m_ordersShown, m_ordersGiven);
            if (session) LogSession(!shown);
            shown = true;
            clock->clkWait(33);
        }
        application->appRemoveMessageCallback(0x0100, &OnKeyDown);
        text->txtUnloadTextFile(textFile.c_str());
        m_aircraft.clear();
        m_aircraft.shrink_to_fit();  // its memory belongs to this module's heap owner
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
    // What the network layer says of the session: name, game type, players.
    struct SessionState {
        bool joined;
        char name[kPathSize];
        int gameType;
        int players;
        int maxPlayers;
    };

    // The session's aircraft list: AircraftList.dat of the cache directory,
    // written there by the hosting player and received by every joiner.
    void ReadAircraftList() {
        m_aircraft.clear();
        m_listRead = false;
        IFileManager* files = ShellGetFileManager();
        if (!files) return;
        char cache[kPathSize] = "", path[kPathSize] = "";
        files->fmgGetCacheDirectory(cache, sizeof cache);
        cache[sizeof cache - 1] = 0;
        CombinePath(cache, "AircraftList.dat", path, sizeof path);
        std::string bytes;
        m_listRead = sample::ReadGameFile(path, &bytes) && sample::ReadAircraftList(bytes, &m_aircraft);
        if (!m_listRead) LogError("menu: no aircraft list in %s", path);
    }

    // Asked every frame: the number of players changes while the screen shows.
    void ReadSession(INetworkLayer* network) {
        SessionState now = {};
        SessionDescription description = {};
        if (network && network->netGetSessionInfo(&description)) {
            now.joined = true;
            CopyString(now.name, description.sessionName ? description.sessionName : "", sizeof now.name);
            now.gameType = description.gameType;
            now.players = description.currentPlayers;
            now.maxPlayers = description.maxPlayers;
        }
        m_session = now;
    }

    // The session once when the screen is first shown, then each change of players.
    void LogSession(bool first) {
        const SessionState& s = m_session;
        if (first) {
            std::string types;
            for (const sample::ListedAircraft& type : m_aircraft) types += (types.empty() ? "" : ", ") + type.name;
            LogInfo("menu: session %s, %s game, %d of %d players, %d aircraft types: %s", s.joined ? s.name : "(none)",
                    s.gameType == 1 ? "mission" : "dogfight", s.players, s.maxPlayers, int(m_aircraft.size()),
                    types.c_str());
        } else if (s.players != m_loggedPlayers) {
            LogInfo("menu: session %s now has %d of %d players", s.name, s.players, s.maxPlayers);
        }
        m_loggedPlayers = s.players;
    }

    // A text of the menu's text file, or the key itself when it has none.
    static const char* Text(ITextManager* text, const char* file, const char* key) {
        const char* found = text->txtLookUpText(file, key);
        return found ? found : key;
    }

    // The session's lines from `y` down; the height below them.
    float DrawSession(ITextManager* text, const char* file, float y) {
        const COLORREF white = RGB(255, 255, 255), grey = RGB(150, 160, 180);
        const SessionState& s = m_session;
        char line[400];
        if (!s.joined) {
            m_canvas.DrawText(Text(text, file, "NoSession"), 0.1f, y, m_bodyFont, white, nullptr);
        } else {
            snprintf(line, sizeof line, "%s: %s", Text(text, file, "SessionName"), s.name);
            m_canvas.DrawText(line, 0.1f, y, m_bodyFont, white, nullptr);
            snprintf(line, sizeof line, "%s: %s     %s: %d / %d", Text(text, file, "GameType"),
                     Text(text, file, s.gameType == 1 ? "GameMission" : "GameDogfight"), Text(text, file, "Players"),
                     s.players, s.maxPlayers);
            m_canvas.DrawText(line, 0.1f, y + 0.05f, m_bodyFont, white, nullptr);
        }
        y += 0.11f;
        if (!m_listRead) {
            m_canvas.DrawText(Text(text, file, "NoAircraftList"), 0.1f, y, m_bodyFont, white, nullptr);
            return y + 0.05f;
        }
        m_canvas.DrawText(Text(text, file, "AircraftTypes"), 0.1f, y, m_bodyFont, white, nullptr);
        const size_t shown = m_aircraft.size() < 6 ? m_aircraft.size() : 6;
        for (size_t i = 0; i < shown; ++i) {
            const sample::ListedAircraft& type = m_aircraft[i];
            snprintf(line, sizeof line, "%s   (%d-%d)", type.name.c_str(), type.low, type.high);
            m_canvas.DrawText(line, 0.13f, y + 0.05f * static_cast<float>(i + 1), m_bodyFont, grey, nullptr);
        }
        return y + 0.05f * static_cast<float>(shown + 1);
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
        const bool session = StringsEqual(m_screen, "Session", false);
        m_canvas.FillRect(0, 0.22f, 1, 0.005f, gold);
        m_canvas.DrawText(Text(text, file, "Title"), 0.08f, 0.08f, m_titleFont, white, &m_title);
        const char* heading = debrief ? "DebriefTitle" : session ? "SessionTitle" : "MainTitle";
        m_canvas.DrawText(Text(text, file, heading), 0.08f, 0.26f, m_bodyFont, gold, nullptr);

        float y = 0.36f;
        if (session) {
            y = DrawSession(text, file, y);
        } else if (debrief) {
            InterfaceHold<ISampleObjects> objects(ShellGetRegistry());
            // The flight's orders as far as the lines go; the last line then
            // tells how many more there are.
            const int count = objects ? objects->objGetOrderCount() : 0;
            const int shown = count <= kOrderLines ? count : kOrderLines - 1;
            if (count == 0) m_canvas.DrawText(Text(text, file, "NoOrders"), 0.1f, y, m_bodyFont, white, nullptr);
            for (int i = 0; i < shown; ++i, y += 0.05f)
                m_canvas.DrawText(objects->objGetOrderText(i), 0.1f, y, m_bodyFont, white, nullptr);
            if (shown < count) {
                char more[128];
                WithCount(Text(text, file, "MoreOrders"), count - shown, more, sizeof more);
                m_canvas.DrawText(more, 0.1f, y, m_bodyFont, grey, nullptr);
            }
            m_ordersShown = shown;
            m_ordersGiven = count;
            y = 0.36f + 0.05f * kOrderLines;
        } else {
            m_canvas.DrawText(Text(text, file, "Welcome"), 0.1f, y, m_bodyFont, white, nullptr);
            m_canvas.DrawText(Text(text, file, "InFlight"), 0.1f, y + 0.05f, m_bodyFont, white, nullptr);
            y += 0.16f;
        }
        m_canvas.DrawText(Text(text, file, "Fly"), 0.1f, y + 0.04f, m_bodyFont, white, nullptr);
        m_canvas.DrawText(Text(text, file, "Quit"), 0.1f, y + 0.10f, m_bodyFont, white, nullptr);

        InterfaceHold<ISampleSound> sound(ShellGetRegistry());
        char footer[200];
        snprintf(footer, sizeof footer, "%s   %s %d   %s %d", m_version, Text(text, file, "SoundVolume"),
                 sound ? sound->sndGetSoundVolume() : 0, Text(text, file, "MusicVolume"),
                 sound ? sound->sndGetStreamVolume() : 0);
        m_canvas.DrawText(footer, 0.08f, 0.92f, m_bodyFont, grey, nullptr);
        m_canvas.End();
    }

    // A text with "%d" in it, the count put in its place (bounded; the text
    // comes from a data file and is never used as a format).
    static void WithCount(const char* pattern, int count, char* out, int size) {
        const char* at = strstr(pattern, "%d");
        const int before = at ? static_cast<int>(at - pattern) : static_cast<int>(strlen(pattern));
        snprintf(out, static_cast<size_t>(size), "%.*s%d%s", before, pattern, count, at ? at + 2 : "");
    }

    static constexpr int kOrderLines = 8;
    sample::Canvas m_canvas;
    int m_ordersShown = 0;
    int m_ordersGiven = 0;
    HFONT m_titleFont = nullptr;
    HFONT m_bodyFont = nullptr;
    TextAttributes m_title = {};
    char m_screen[kPathSize] = "";
    char m_version[32] = "";
    SessionState m_session = {};
    int m_loggedPlayers = 0;
    std::vector<sample::ListedAircraft> m_aircraft;
    bool m_listRead = false;
};

MenuSystem g_menu;
const sample::Published kPublished[] = {{VARN_ID_MNU, static_cast<IMenuSystem*>(&g_menu)}};

void ReleaseMenu() { g_menu.Release(); }

}  // namespace

SAMPLE_MODULE_ENTRY_POINTS(kOwner, kPublished, nullptr, ReleaseMenu)
