// FlightEngine.dll: the flight engine ("FLT"). fltRun flies one flight:
//   1. read FlightEngine.ini (through the file manager, from the flight catalog);
//   2. load varnComm.dll through the module loader and give its orders menu
//      ("COM") the menu definition file named there;
//   3. each frame: pump the window's messages, advance the clock, move the
//      aircraft, draw the scene and the latest order taken, then let the
//      orders menu count down and draw;
//   4. in a network game (the mission manager brought "NET" up), share the
//      flight: this side flies its place of the host's flight (the host the
//      lead, a joiner the place the host gave it) and hands the layer the
//      states of the aircraft it flies;
//      the aircraft flown by the other computer follow what it sends;
//   5. when Escape is pressed or the time limit is reached: give back
//      everything taken from varnComm and unload it, so that nothing of the
//      flight module set is still held when the host unloads it.
#include "files/paths.h"
#include "files/strings.h"
#include "ini/ini_file.h"
#include "module_support.h"
#include "sample.h"
#include "shell/log.h"
#include "shell/shell_app.h"

#include <cstdio>
#include <optional>
#include <string>

namespace {

const char kOwner[] = "FLIGHT";
const char kCommDll[] = "varnComm.dll";

ICommInterface* g_comm = nullptr;
int g_endRequested = 0;

// Commands of the control map (called while the messages are pumped).
void VARN_CDECL OnToggleOrders(int, int, int) {
    if (g_comm) g_comm->comToggle();
    LogInfo("flight: orders menu toggled");
}
void VARN_CDECL OnEndFlight(int, int, int) { g_endRequested = 1; }

const ColorRGBA kSky = {0.32f, 0.55f, 0.85f, 1}, kHaze = {0.55f, 0.72f, 0.92f, 1};
const ColorRGBA kGround = {0.30f, 0.45f, 0.22f, 1}, kCloud = {0.95f, 0.96f, 0.98f, 1};
const ColorRGBA kWhite = {1, 1, 1, 1}, kYellow = {1, 0.9f, 0.3f, 1}, kCyan = {0.5f, 1, 1, 1};

// The flight of a network game, seen from this side.
class SharedFlight {
public:
    SharedFlight(ISampleNetwork* network, ISampleObjects* objects) : m_network(network), m_objects(objects) {
        m_place = network->netGetFlightPlace();
        if (m_place >= kFlightSize) m_place = -1;
        objects->objSetPlayerAircraft(m_place);
        if (m_place == 0)
            LogInfo("flight: leads the session's flight");
        else if (m_place > 0)
            LogInfo("flight: flies aircraft %d of the host's flight", m_place + 1);
        else
            LogInfo("flight: no place of the host's flight is free; this player watches");
    }
    ~SharedFlight() { m_network->netStopFlight(); }

    // Takes the other computer's aircraft and hands over this side's; the
    // scene: Flight once every aircraft flown elsewhere was heard from,
    // FlightWaiting before, FlightAlone when no one else flies.
    const char* Update() {
        int elsewhere = 0, heard = 0;
        for (int id = 0; id < kFlightSize; ++id) {
            AircraftState state;
            if (id == m_place) {
                if (m_objects->objGetAircraft(id, &state)) m_network->netSetFlightState(id, &state);
                continue;
            }
            char pilot[64];
            const int remote = m_network->netGetRemoteAircraft(id, &state, pilot, sizeof pilot);
            if ((remote != 0) != (m_remote[id] != 0)) Tell(id, remote != 0, pilot);
            m_remote[id] = remote;
            m_objects->objSetRemote(id, remote != 0, remote == 2 ? &state : nullptr);
            if (remote) {
                m_network->netSetFlightState(id, nullptr);
                ++elsewhere;
                heard += remote == 2;
            } else if (m_objects->objGetAircraft(id, &state)) {
                m_network->netSetFlightState(id, &state);
            }
        }
        return elsewhere == 0 ? "FlightAlone" : heard == elsewhere ? "Flight" : "FlightWaiting";
    }
    bool Remote(int id) const { return id >= 0 && id < kFlightSize && m_remote[id]; }

private:
    void Tell(int id, bool remote, const char* pilot) {
        if (remote) {
            CopyString(m_pilots[id], *pilot ? pilot : "the host", sizeof m_pilots[id]);
            LogInfo("flight: aircraft %d is flown by %s from another computer", id + 1, m_pilots[id]);
        } else {
            LogInfo("flight: %s left; aircraft %d is flown by this computer again", m_pilots[id], id + 1);
        }
    }

    ISampleNetwork* m_network;
    ISampleObjects* m_objects;
    int m_place = 0;
    int m_remote[kFlightSize] = {};
    char m_pilots[kFlightSize][64] = {};
};

// The latest order a wingman took, shown above the help line for a
// few seconds of flight, so that the player sees the order was taken.
class OrderNotice {
public:
    void Follow(ISampleObjects* objects, float flown) {
        const int count = objects->objGetOrderCount();
        if (count == m_seen) return;
        m_seen = count;
        if (count == 0) return;
        CopyString(m_text, objects->objGetOrderText(count - 1), sizeof m_text);
        m_until = flown + kShownSeconds;
        LogInfo("flight: shows order taken: %s", m_text);
    }
    void Draw(ISampleGraphics* graphics, ITextManager* text, const char* textFile, int font, float flown) const {
        if (m_seen == 0 || flown >= m_until) return;
        const char* taken = text->txtLookUpText(textFile, "OrderTaken");
        char line[160];
        snprintf(line, sizeof line, "%s %s", taken ? taken : "", m_text);
        graphics->gfxSelectFont(font);
        graphics->gfxBeginText();
        graphics->gfxSetTextColor(&kYellow);
        graphics->gfxDrawText(line, 0.02f, 0.88f, 0, 0);  // above the help line, clear of the orders menu
        graphics->gfxEndText();
    }

private:
    static constexpr float kShownSeconds = 3;
    int m_seen = 0;
    float m_until = 0;
    char m_text[96] = "";
};

// What FlightEngine.ini sets.
struct FlightSettings {
    float timeLimit;
    std::string commMenu, textFile, aircraftImage;
};

bool ReadSettings(const char* initFile, FlightSettings* settings) {
    IniFile keys(initFile, 0, 0, 1024);
    if (!keys.HasSection("Flight")) return false;
    char text[kPathSize];
    settings->timeLimit = keys.GetFloat("Flight", "TimeLimit", 60);
    keys.GetString("Flight", "CommMenu", "CommMenu.ini", text, sizeof text, 0);
    settings->commMenu = text;
    keys.GetString("Flight", "TextFile", "Flight.str", text, sizeof text, 0);
    settings->textFile = text;
    keys.GetString("Flight", "AircraftImage", "Aircraft.bmp", text, sizeof text, 0);
    settings->aircraftImage = text;
    return true;
}

class FlightEngine final : public IFlightEngine {
public:
    int fltRun(const char* flightDirectory, const char* initFile) override {
        FlightSettings settings;
        if (!ReadSettings(initFile, &settings)) {
            LogError("flight: unable to read %s", initFile ? initFile : "");
            return 0;  // back to the menu
        }
        InterfaceHold<ISampleGraphics> graphics(ShellGetRegistry());
        InterfaceHold<ISampleObjects> objects(ShellGetRegistry());
        InterfaceHold<IControlMap> control(ShellGetRegistry());
        InterfaceHold<IClock> clock(ShellGetRegistry());
        InterfaceHold<ITextManager> text(ShellGetRegistry());
        InterfaceHold<ISampleInput> input(ShellGetRegistry());
        if (!graphics || !objects || !control || !clock || !text || !input) {
            LogError("flight: a module of the flight is missing");
            return 0;
        }
        LogInfo("flight: starts from %s with %d aircraft", flightDirectory ? flightDirectory : "", kFlightSize);

        // The orders menu: varnComm is loaded for this flight only.
        IDllLibraryManager* loader = ShellGetDllManager();
        InterfaceHold<ICommInterface> comm;
        if (loader->dllLoadLibrary(kCommDll) && comm.Get(ShellGetRegistry())) {
            g_comm = comm.get();
            g_comm->comInit(settings.commMenu.c_str());
        } else {
            LogError("flight: orders menu %s not available", kCommDll);
        }
        control->ctlRegisterCommandCallback(kCommandToggleOrders, &OnToggleOrders);
        control->ctlRegisterCommandCallback(kCommandEndFlight, &OnEndFlight);
        text->txtLoadTextFile(settings.textFile.c_str());
        const int aircraftImage = graphics->gfxLoadImage(settings.aircraftImage.c_str(), 1, 0, 1);
        TextAttributes hudFont = {"Arial", 14, kTextBold | kTextShadow, {0, 0, 0}, 1};
        const int font = graphics->gfxCreateFont(&hudFont);

        objects->objStartFlight();
        objects->objSetPlayerAircraft(0);
        // A network game's layer is the sample's own, with the flight's
        // operations; a flight alone does not ask for it.
        InterfaceHold<ISampleNetwork> network;
        {
            InterfaceHold<ISampleMissions> missions(ShellGetRegistry());
            if (missions && missions->mmgNetworkStarted()) network.Get(ShellGetRegistry());
        }
        std::optional<SharedFlight> shared;
        if (network) shared.emplace(network.get(), objects.get());
        OrderNotice notice;
        g_endRequested = 0;
        clock->clkReset();
        float flown = 0;
        int windowClosed = 0;
        while (!g_endRequested && flown < settings.timeLimit) {
            if (!appPumpMessages()) {  // the window was closed: leave the game
                windowClosed = 1;
                break;
            }
            clock->clkUpdate();
            float step = clock->clkGetDelta();
            if (step > 0.1f) step = 0.1f;  // a stall must not make aircraft jump
            flown += step;
            objects->objStepFlight(step);
            const char* scene = shared ? shared->Update() : "Flight";
            notice.Follow(objects.get(), flown);

            graphics->gfxBeginFrame(&kSky);
            DrawScene(graphics.get(), objects.get(), shared ? &*shared : nullptr, text.get(), settings, aircraftImage,
                      font, flown);
            notice.Draw(graphics.get(), text.get(), settings.textFile.c_str(), font, flown);
            if (g_comm) {
                g_comm->comUpdate(step);
                g_comm->comDraw();
            }
            graphics->gfxEndFrame();
            input->inpFrameShown(scene);
            clock->clkWait(16);
        }
        LogInfo("flight: ends %s after %d s", g_endRequested ? "by Escape" : windowClosed ? "with the window" : "at the time limit",
                static_cast<int>(flown));

        shared.reset();
        network.Release();
        control->ctlUnregisterCommandCallback(kCommandToggleOrders, &OnToggleOrders);
        control->ctlUnregisterCommandCallback(kCommandEndFlight, &OnEndFlight);
        text->txtUnloadTextFile(settings.textFile.c_str());
        if (g_comm) {
            g_comm->comDeinit();
            comm.Release();
            g_comm = nullptr;
        }
        loader->dllFreeLibrary(kCommDll);
        return windowClosed;
    }

    void fltSetScreenShotDirectory(const char* directory) override {
        CopyString(m_screenShots, directory, sizeof m_screenShots);
    }
    int fltSetVersion(const char*) override { return 0; }

private:
    static void DrawScene(ISampleGraphics* graphics, ISampleObjects* objects, const SharedFlight* shared,
                          ITextManager* text, const FlightSettings& settings, int aircraftImage, int font,
                          float flown) {
        // Sky, haze and ground, and clouds drifting past to show the speed.
        graphics->gfxFillRect(0, 0.55f, 1, 0.2f, &kHaze);
        graphics->gfxFillRect(0, 0.75f, 1, 0.25f, &kGround);
        for (int i = 0; i < 5; ++i) {
            float y = i * 0.21f + flown * 0.08f;
            y -= static_cast<int>(y / 1.05f) * 1.05f;
            graphics->gfxFillRect(0.08f + (i * 0.37f - static_cast<int>(i * 0.37f)) * 0.8f, y - 0.05f, 0.14f, 0.03f,
                                  &kCloud);
        }
        // The four aircraft with their numbers: this player's in yellow, the
        // other computer's in cyan.
        graphics->gfxSelectFont(font);
        graphics->gfxBeginText();
        for (int id = 0; id < kFlightSize; ++id) {
            AircraftState state;
            if (!objects->objGetAircraft(id, &state)) continue;
            graphics->gfxDrawImage(state.x - 0.05f, state.y - 0.04f, 0.1f, 0.08f, aircraftImage, 2);
            char number[4];
            snprintf(number, sizeof number, "%d", id + 1);
            const bool remote = shared && shared->Remote(id);
            graphics->gfxSetTextColor(id == objects->objGetPlayerObjectId() ? &kYellow : remote ? &kCyan : &kWhite);
            graphics->gfxDrawText(number, state.x - 0.01f, state.y + 0.045f, 0, 0);
        }
        // The head-up texts from the flight's text file.
        const char* help = text->txtLookUpText(settings.textFile.c_str(), "Help");
        const char* timeLeft = text->txtLookUpText(settings.textFile.c_str(), "TimeLeft");
        char status[128];
        snprintf(status, sizeof status, "%s %d s", timeLeft ? timeLeft : "",
                 static_cast<int>(settings.timeLimit - flown + 0.999f));
        graphics->gfxSetTextColor(&kWhite);
        graphics->gfxDrawText(help ? help : "", 0.02f, 0.94f, 0, 0);
        graphics->gfxDrawText(status, 0.80f, 0.94f, 0, 0);
        graphics->gfxEndText();
    }

    char m_screenShots[kPathSize] = "";
};

FlightEngine g_flight;
const sample::Published kPublished[] = {{VARN_ID_FLT, static_cast<IFlightEngine*>(&g_flight)}};

}  // namespace

SAMPLE_MODULE_ENTRY_POINTS(kOwner, kPublished, nullptr, nullptr)
