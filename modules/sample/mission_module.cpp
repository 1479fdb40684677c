// MissionManager.dll: the mission manager ("MMG") and the mission system
// ("MSN"). Both live in the base module set, so that the host can still ask
// "MSN" for the next menu screen after the flight modules are gone.
//
// The sample has one mission: the player leads a flight of four. Its record
// says what the orders menu needs to send orders: a mission mode other than
// 0 and 3, a flag word of 0, and the player's flight of more than one aircraft.
#include "files/paths.h"
#include "files/strings.h"
#include "ini/ini_file.h"
#include "module_support.h"
#include "sample.h"
#include "shell/log.h"

namespace {

const char kOwner[] = "MISSION";

// The mission's records, in the layout the orders menu reads.
FlightRecord g_playerFlight = {kFlightSize, 0};
CursorListNodeRecord g_flightNode = {nullptr, nullptr, &g_playerFlight};
MissionRecord g_mission = {0, 1, 0, {&g_flightNode, &g_flightNode, &g_flightNode, 1, 0}};
FlightSlot g_slot = {{0, 1, 2, 3, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}};
FlightSlotArray g_slots = {1, -1, &g_slot};

char g_nextScreen[kPathSize] = "Debrief";
char g_networkLayer[kPathSize] = "";
int g_networkLoaded = 0;

class MissionManager final : public ISampleMissions {
public:
    void mmgInit(const char* initFile) override {
        // MissionManager.ini names the screen the menu opens after a flight
        // and the mission mode.
        IniFile settings(initFile, 0, 0, 1024);
        if (!settings.HasSection("Mission")) {
            LogError("mission: unable to read %s", initFile ? initFile : "");
            return;
        }
        settings.GetString("Mission", "NextScreen", "Debrief", g_nextScreen, sizeof g_nextScreen, 0);
        g_mission.missionMode = settings.GetInt("Mission", "MissionMode", 1);
        LogInfo("mission: ready, mode %d, next screen after a flight %s", g_mission.missionMode, g_nextScreen);
    }
    void mmgExit() override {
        if (g_networkLoaded && ShellGetDllManager()) ShellGetDllManager()->dllFreeLibrary(g_networkLayer);
        g_networkLoaded = 0;
    }
    void mmgSetMissionControlDirectory(const char*) override {}
    void mmgSetMultiplayerMode(const char* mode) override { LogInfo("mission: multiplayer mode %s", mode ? mode : ""); }
    void mmgSetMissionsDirectory(const char*) override {}
    void mmgSetCampaignsDirectory(const char*) override {}
    void mmgSetNetworkLayer(const char* dllName) override { CopyString(g_networkLayer, dllName, sizeof g_networkLayer); }
    // Brings up the network layer: the mission manager, not the host, loads it.
    void mmgStartNetwork() override {
        if (g_networkLoaded || !ShellGetDllManager()) return;
        g_networkLoaded = ShellGetDllManager()->dllLoadLibrary(g_networkLayer);
        if (!g_networkLoaded) LogError("mission: unable to load the network layer %s", g_networkLayer);
    }
    void mmgSetPilotDataDirectory(const char*) override {}
    void mmgSetPilotListFile(const char*) override {}
    int mmgNetworkStarted() override { return g_networkLoaded; }
};

class MissionSystem final : public IMissionSystem {
public:
    void msnGetNextScreen(char* buffer, int capacity) override {
        CopyString(buffer, g_nextScreen, capacity);
        LogInfo("mission: next screen %s", g_nextScreen);
    }
    void msnGetMissionRecord(MissionRecord** record) override {
        if (record) *record = &g_mission;
    }
    void msnGetFlightSlots(FlightSlotArray** slots) override {
        if (slots) *slots = &g_slots;
    }
};

MissionManager g_manager;
MissionSystem g_system;
const sample::Published kPublished[] = {{VARN_ID_MMG, static_cast<IMissionManager*>(&g_manager)},
                                        {VARN_ID_MSN, static_cast<IMissionSystem*>(&g_system)}};

}  // namespace

SAMPLE_MODULE_ENTRY_POINTS(kOwner, kPublished, nullptr, nullptr)
