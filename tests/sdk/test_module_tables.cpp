// Every operation of every game-module table is called by its slot number, as
// the host and varnComm call them, and must reach the operation of that name
// with its arguments intact and hand its result back. A last call one slot
// past the table must reach the implementation's own first extra function,
// which proves that the table has no slot more or less.
#include "varn/varn.h"

#include "slot_call.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

// ---- host-driven tables ----------------------------------------------------

struct MenuSystem final : IMenuSystem {
    CallLog log;
    int mnuRun(const char* directory, const char* initFile, const char* screen) override { log.Hit(0, directory, initFile, screen); return 7; }
    int mnuSetVersion(const char* version) override { log.Hit(1, version); return 8; }
    virtual void End() { log.Hit(-1); }
};

struct FlightEngine final : IFlightEngine {
    CallLog log;
    int fltRun(const char* directory, const char* initFile) override { log.Hit(0, directory, initFile); return 3; }
    void fltSetScreenShotDirectory(const char* directory) override { log.Hit(1, directory); }
    int fltSetVersion(const char* version) override { log.Hit(2, version); return 4; }
    virtual void End() { log.Hit(-1); }
};

struct InputManager final : IInputManager {
    CallLog log;
    void inpSetActive(int active) override { log.Hit(0, active); }
    virtual void End() { log.Hit(-1); }
};

struct DisplayManager final : IDisplayManager {
    CallLog log;
    void dspSetActive(int active) override { log.Hit(0, active); }
    virtual void End() { log.Hit(-1); }
};

struct SpeechSystem final : ISpeechSystem {
    CallLog log;
    void spcSetDirectory(const char* directory) override { log.Hit(0, directory); }
    virtual void End() { log.Hit(-1); }
};

struct SoundManager final : ISoundManager {
    CallLog log;
    void sndSetDirectory(const char* directory) override { log.Hit(0, directory); }
    void sndSetSoundVolume(int volume) override { log.Hit(1, volume); }
    void sndSetStreamVolume(int volume) override { log.Hit(2, volume); }
    virtual void End() { log.Hit(-1); }
};

struct TerrainEngine final : ITerrainEngine {
    CallLog log;
    void terInit() override { log.Hit(0); }
    void terExit() override { log.Hit(1); }
    void terSetDirectory(const char* directory) override { log.Hit(2, directory); }
    virtual void End() { log.Hit(-1); }
};

struct MissionManager final : IMissionManager {
    CallLog log;
    void mmgInit(const char* initFile) override { log.Hit(0, initFile); }
    void mmgExit() override { log.Hit(1); }
    void mmgSetMissionControlDirectory(const char* directory) override { log.Hit(2, directory); }
    void mmgSetMultiplayerMode(const char* mode) override { log.Hit(3, mode); }
    void mmgSetMissionsDirectory(const char* directory) override { log.Hit(4, directory); }
    void mmgSetCampaignsDirectory(const char* directory) override { log.Hit(5, directory); }
    void mmgSetNetworkLayer(const char* dllName) override { log.Hit(6, dllName); }
    void mmgStartNetwork() override { log.Hit(7); }
    void mmgSetPilotDataDirectory(const char* directory) override { log.Hit(8, directory); }
    void mmgSetPilotListFile(const char* path) override { log.Hit(9, path); }
    virtual void End() { log.Hit(-1); }
};

TEST(HostDrivenTables, MenuAndFlightReturnTheirResultsFromTheirSlots) {
    MenuSystem menu;
    IMenuSystem* mnu = &menu;
    EXPECT_EQ(CallSlot<int>(mnu, 0, "Menu", "Menu\\MenuSystem.ini", "MainScreen"), 7);
    EXPECT_EQ(CallSlot<int>(mnu, 1, "v02.19.07"), 8);
    CallSlot<void>(&menu, 2);
    EXPECT_EQ(menu.log.Text(), "0(Menu,Menu\\MenuSystem.ini,MainScreen) 1(v02.19.07) -1()");

    FlightEngine flight;
    IFlightEngine* flt = &flight;
    EXPECT_EQ(CallSlot<int>(flt, 0, "Flight", "Flight\\FlightEngine.ini"), 3);
    CallSlot<void>(flt, 1, "ScreenShots");
    EXPECT_EQ(CallSlot<int>(flt, 2, "v02.19.07"), 4);
    CallSlot<void>(&flight, 3);
    EXPECT_EQ(flight.log.Text(), "0(Flight,Flight\\FlightEngine.ini) 1(ScreenShots) 2(v02.19.07) -1()");
}

TEST(HostDrivenTables, SingleOperationTablesHaveExactlyOneSlot) {
    InputManager input;
    CallSlot<void>(static_cast<IInputManager*>(&input), 0, 1);
    CallSlot<void>(&input, 1);
    EXPECT_EQ(input.log.Text(), "0(1) -1()");

    DisplayManager display;
    CallSlot<void>(static_cast<IDisplayManager*>(&display), 0, 0);
    CallSlot<void>(&display, 1);
    EXPECT_EQ(display.log.Text(), "0(0) -1()");

    SpeechSystem speech;
    CallSlot<void>(static_cast<ISpeechSystem*>(&speech), 0, "Speech");
    CallSlot<void>(&speech, 1);
    EXPECT_EQ(speech.log.Text(), "0(Speech) -1()");
}

TEST(HostDrivenTables, SoundAndTerrainKeepTheirStartUpOrder) {
    SoundManager sound;
    ISoundManager* snd = &sound;
    CallSlot<void>(snd, 0, "Sounds");
    CallSlot<void>(snd, 1, 80);
    CallSlot<void>(snd, 2, -1);
    CallSlot<void>(&sound, 3);
    EXPECT_EQ(sound.log.Text(), "0(Sounds) 1(80) 2(-1) -1()");

    TerrainEngine terrain;
    ITerrainEngine* ter = &terrain;
    CallSlot<void>(ter, 2, "Terrain");
    CallSlot<void>(ter, 0);
    CallSlot<void>(ter, 1);
    CallSlot<void>(&terrain, 3);
    EXPECT_EQ(terrain.log.Text(), "2(Terrain) 0() 1() -1()");
}

TEST(HostDrivenTables, MissionManagerInterleavesTheNetworkOperations) {
    MissionManager manager;
    IMissionManager* mmg = &manager;
    const char* arguments[] = {"MissionManager.ini", nullptr, "Flight", kMultiplayerModeDogfight, "Missions",
                               "Campaigns", "NetLayer.dll", nullptr, "PilotData", "PilotData\\PilotList.ini"};
    for (int slot = 0; slot < 10; ++slot) {
        if (arguments[slot])
            CallSlot<void>(mmg, slot, arguments[slot]);
        else
            CallSlot<void>(mmg, slot);
    }
    CallSlot<void>(&manager, 10);
    EXPECT_EQ(manager.log.Text(),
              "0(MissionManager.ini) 1() 2(Flight) 3(MpDogfight) 4(Missions) 5(Campaigns) 6(NetLayer.dll) 7() "
              "8(PilotData) 9(PilotData\\PilotList.ini) -1()");
}

// ---- the network layer and its query reporting -------------------------------

struct QueryContext final : IQueryContext {
    void Reserved0() override { ADD_FAILURE() << "the first slot is not called"; }
    const char* GetGameMode() override { return "open"; }
};

// A server information answer as the host writes it, reduced to the key that
// comes from the context object.
void VARN_CDECL AppendGameMode(char* output, int length, IQueryContext* context) {
    const char* mode = CallSlot<const char*>(context, 1);
    size_t used = std::strlen(output);
    if (used + std::strlen("\\gamemode\\") + std::strlen(mode) < static_cast<size_t>(length)) {
        std::strcat(output, "\\gamemode\\");
        std::strcat(output, mode);
    }
}

struct NetworkLayer final : INetworkLayer {
    CallLog log;
    QueryReportingSetup* setup = nullptr;
    int lastError = 5;
    void netStart() override { log.Hit(0); }
    void netResetAttempt() override { log.Hit(1); }
    void netEnableQueryReporting(int mode, const char* hostAddress, QueryReportingSetup* s) override { log.Hit(2, mode, hostAddress); setup = s; }
    void netConfigure(int size, void* block) override {
        const unsigned char* bytes = static_cast<const unsigned char*>(block);
        int sum = 0;
        for (int i = 0; i < size; ++i) sum += bytes[i];
        log.Hit(3, size, sum);
    }
    void netSetPlayerName(const char* name) override { log.Hit(4, name); }
    void netSetPlayerColor(uint32_t color) override {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(color));
        log.Hit(5, static_cast<const char*>(hex));
    }
    int netHostSession(SessionDescription* d) override { log.Hit(6, d->sessionName, d->gameType, d->maxPlayers, d->gameplayOptionsSize); return 1; }
    int netJoinSession(SessionDescription* d, int flags) override { log.Hit(7, d->hostAddress, flags); return 0; }
    int netGetSessionInfo(SessionDescription* d) override {
        log.Hit(8);
        d->sessionName = "Evening";
        d->gameType = 1;
        d->maxPlayers = 8;
        d->currentPlayers = 3;
        return 1;
    }
    int netGetLastError() override { log.Hit(9); return lastError; }
    int netSyncFile(const char* name, int* replaced) override { log.Hit(10, name); *replaced = 1; return 1; }
    void netSetSessionReady(int ready) override { log.Hit(11, ready); }
    int netIsSessionReady() override { log.Hit(12); return 1; }
    void netOnDeactivate() override { log.Hit(13); }
    virtual void End() { log.Hit(-1); }
};

TEST(NetworkTable, ThirteenSessionOperationsThenTheDeactivationNotice) {
    NetworkLayer layer;
    INetworkLayer* net = &layer;
    QueryReportingSetup setup{};
    unsigned char block[kNetConfigureBlockSize] = {};
    block[19] = 4;

    CallSlot<void>(net, 0);
    CallSlot<void>(net, 1);
    CallSlot<void>(net, 2, 2, static_cast<const char*>(nullptr), &setup);
    CallSlot<void>(net, 3, kNetConfigureBlockSize, static_cast<void*>(block));
    CallSlot<void>(net, 4, "Pilot");
    CallSlot<void>(net, 5, uint32_t{0xFFE500E5u});

    GameplayOptionsBlock options{};
    SessionDescription hosted{};
    hosted.sessionName = "Evening";
    hosted.gameType = 2;
    hosted.maxPlayers = 16;
    hosted.gameplayOptions = &options;
    hosted.gameplayOptionsSize = sizeof options;
    EXPECT_EQ(CallSlot<int>(net, 6, &hosted), 1);

    SessionDescription joined{};
    joined.hostAddress = "10.0.0.7";
    EXPECT_EQ(CallSlot<int>(net, 7, &joined, 0), 0);
    EXPECT_EQ(CallSlot<int>(net, 8, &joined), 1);
    EXPECT_STREQ(joined.sessionName, "Evening");
    EXPECT_EQ(joined.currentPlayers, 3);
    EXPECT_EQ(CallSlot<int>(net, 9), 5);

    int replaced = 0;
    EXPECT_EQ(CallSlot<int>(net, 10, "AircraftList.dat", &replaced), 1);
    EXPECT_EQ(replaced, 1);
    CallSlot<void>(net, 11, 1);
    EXPECT_EQ(CallSlot<int>(net, 12), 1);
    CallSlot<void>(net, 13);
    CallSlot<void>(&layer, 14);

    EXPECT_EQ(layer.log.Text(),
              "0() 1() 2(2,null) 3(20,4) 4(Pilot) 5(FFE500E5) 6(Evening,2,16,12) 7(10.0.0.7,0) 8() 9() "
              "10(AircraftList.dat) 11(1) 12() 13() -1()");
}

TEST(NetworkTable, QueryCallbacksReachTheContextThroughItsSecondSlot) {
    NetworkLayer layer;
    QueryReportingSetup setup{};
    setup.serverInfo = AppendGameMode;
    CallSlot<void>(static_cast<INetworkLayer*>(&layer), 2, 2, "10.0.0.7", &setup);
    ASSERT_EQ(layer.setup, &setup);

    // The network layer answers a query with the record it was given.
    QueryContext context;
    char answer[32] = "\\hostname\\Evening";
    ASSERT_EQ(layer.setup->first, nullptr);
    layer.setup->serverInfo(answer, sizeof answer, &context);
    EXPECT_STREQ(answer, "\\hostname\\Evening\\gamemode\\open");

    // A full buffer is left as it was.
    char full[20] = "\\hostname\\Evening";
    layer.setup->serverInfo(full, sizeof full, &context);
    EXPECT_STREQ(full, "\\hostname\\Evening");
}

// ---- the tables varnComm uses ----------------------------------------------

struct Component final : IComponent {
    CallLog log;
    int HandleMessage(int code, int value1, int value2) override { log.Hit(0, code, value1, value2); return code == 45; }
    virtual void End() { log.Hit(-1); }
};

struct GameObject final : IGameObject {
    CallLog log;
    Component component;
    void GetComponent(int id, IComponent** out) override { log.Hit(0, id); if (id == kOrderComponent) *out = &component; }
    int IsActive() override { log.Hit(1); return 1; }
    int GetFlags() override { log.Hit(2); return 0x400; }
    virtual void End() { log.Hit(-1); }
};

struct TypeList final : ITypeList {
    CallLog log;
    AircraftRecord records[2]{};
    int GetCount() override { log.Hit(0); return 2; }
    void GetRecord(int index, void** record) override { log.Hit(1, index); if (index >= 0 && index < 2) *record = &records[index]; }
    const char* GetDataFileName() override { log.Hit(2); return "AircraftList.ini"; }
    void Reload(int index, int option) override { log.Hit(3, index, option); }
    int IsUsable(int index) override { log.Hit(4, index); return index == 1; }
    virtual void End() { log.Hit(-1); }
};

struct ObjectManager final : IObjectManager {
    CallLog log;
    TypeList aircraft;
    GameObject player;
    void objInit(const char* file) override { log.Hit(0, file); }
    void objExit() override { log.Hit(1); }
    void objSetDirectory(const char* directory) override { log.Hit(2, directory); }
    const char* objGetDirectory() override { log.Hit(3); return "Objects"; }
    int objGetTypeId(const char* name) override { log.Hit(4, name); return std::strcmp(name, kAircraftTypeName) == 0 ? 11 : -1; }
    void objGetTypeList(int typeId, ITypeList** list) override { log.Hit(5, typeId); if (typeId == 11) *list = &aircraft; }
    int objGetFlagMask(const char* name) override { log.Hit(6, name); return std::strcmp(name, "REMOTEOBJECT") == 0 ? 0x400 : 0; }
    IGameObject* objGetObject(int id) override { log.Hit(7, id); return id == 42 ? &player : nullptr; }
    int objGetPlayerObjectId() override { log.Hit(8); return 42; }
    virtual void End() { log.Hit(-1); }
};

TEST(CommTables, ObjectManagerStartUpQueriesThenFlightQueries) {
    ObjectManager objects;
    IObjectManager* obj = &objects;
    CallSlot<void>(obj, 0, "Objects\\ObjectList.ini");
    CallSlot<void>(obj, 1);
    CallSlot<void>(obj, 2, "Objects");
    EXPECT_STREQ(CallSlot<const char*>(obj, 3), "Objects");
    EXPECT_EQ(CallSlot<int>(obj, 4, kAircraftTypeName), 11);
    ITypeList* list = nullptr;
    CallSlot<void>(obj, 5, 11, &list);
    EXPECT_EQ(list, &objects.aircraft);
    EXPECT_EQ(CallSlot<int>(obj, 6, "REMOTEOBJECT"), 0x400);
    EXPECT_EQ(CallSlot<IGameObject*>(obj, 7, 42), &objects.player);
    EXPECT_EQ(CallSlot<IGameObject*>(obj, 7, 43), nullptr);
    EXPECT_EQ(CallSlot<int>(obj, 8), 42);
    CallSlot<void>(&objects, 9);
    EXPECT_EQ(objects.log.Text(),
              "0(Objects\\ObjectList.ini) 1() 2(Objects) 3() 4(AircraftObject) 5(11) 6(REMOTEOBJECT) 7(42) 7(43) 8() -1()");
}

TEST(CommTables, TypeListObjectAndComponentAnswerByPosition) {
    TypeList aircraft;
    ITypeList* list = &aircraft;
    aircraft.records[1].firstRangeEnd = 900;
    EXPECT_EQ(CallSlot<int>(list, 0), 2);
    void* record = nullptr;
    CallSlot<void>(list, 1, 1, &record);
    ASSERT_EQ(record, &aircraft.records[1]);
    EXPECT_EQ(static_cast<AircraftRecord*>(record)->firstRangeEnd, 900);
    EXPECT_STREQ(CallSlot<const char*>(list, 2), "AircraftList.ini");
    CallSlot<void>(list, 3, -1, 0);
    EXPECT_EQ(CallSlot<int>(list, 4, 0), 0);
    EXPECT_EQ(CallSlot<int>(list, 4, 1), 1);
    CallSlot<void>(&aircraft, 5);
    EXPECT_EQ(aircraft.log.Text(), "0() 1(1) 2() 3(-1,0) 4(0) 4(1) -1()");

    GameObject object;
    IGameObject* member = &object;
    IComponent* component = nullptr;
    CallSlot<void>(member, 0, kOrderComponent, &component);
    ASSERT_EQ(component, &object.component);
    EXPECT_EQ(CallSlot<int>(member, 1), 1);
    EXPECT_EQ(CallSlot<int>(member, 2), 0x400);
    CallSlot<void>(&object, 3);
    EXPECT_EQ(object.log.Text(), "0(10) 1() 2() -1()");

    EXPECT_EQ(CallSlot<int>(component, 0, 45, -1, 0), 1);
    EXPECT_EQ(CallSlot<int>(component, 0, 46, -1, 0), 0);
    CallSlot<void>(&object.component, 1);
    EXPECT_EQ(object.component.log.Text(), "0(45,-1,0) 0(46,-1,0) -1()");
}

struct Display final : IDisplay {
    DisplayMode mode{1920, 480, 32, kDisplayWideSurface};
    int reservedCalls = 0;
    void GetDisplayMode(const DisplayMode** out) override { *out = &mode; }
    void Reserved1() override { ++reservedCalls; }
};

struct GraphicsEngine final : IGraphicsEngine {
    CallLog log;
    Display display;
    void gfxSetActive(int active) override { log.Hit(0, active); }
    IDisplay* gfxGetDisplay() override { log.Hit(1); return &display; }
    int gfxLoadImage(const char* name, int a, int b, int c) override { log.Hit(2, name, a, b, c); return 17; }
    void gfxDrawImage(float x, float y, float w, float h, int image, int mode) override { log.Hit(3, x, y, w, h, image, mode); }
    int gfxCreateFont(const TextAttributes* a) override { log.Hit(4, a->fontName, a->textSize, a->styleFlags, a->effectColor.blue, a->effectSize); return 23; }
    void gfxSelectFont(int font) override { log.Hit(5, font); }
    void gfxSetTextColor(const ColorRGBA* c) override { log.Hit(6, c->red, c->green, c->blue, c->alpha); }
    void gfxBeginText() override { log.Hit(7); }
    void gfxEndText() override { log.Hit(8); }
    void gfxDrawText(const char* text, float x, float y, int a, int b) override { log.Hit(9, text, x, y, a, b); }
    virtual void End() { log.Hit(-1); }
};

TEST(CommTables, GraphicsEngineActivationThenDisplayImageFontAndText) {
    GraphicsEngine graphics;
    IGraphicsEngine* gfx = &graphics;
    CallSlot<void>(gfx, 0, 1);
    IDisplay* display = CallSlot<IDisplay*>(gfx, 1);
    ASSERT_EQ(display, &graphics.display);
    const DisplayMode* mode = nullptr;
    CallSlot<void>(display, 0, &mode);
    ASSERT_EQ(mode, &graphics.display.mode);
    EXPECT_EQ(mode->flags & kDisplayWideSurface, kDisplayWideSurface);
    EXPECT_EQ(graphics.display.reservedCalls, 0);

    EXPECT_EQ(CallSlot<int>(gfx, 2, "CommBack.tga", 1, 0, 1), 17);
    CallSlot<void>(gfx, 3, 0.25f, 0.5f, 0.375f, 0.125f, 17, 1);
    TextAttributes attributes{};
    std::strcpy(attributes.fontName, "Arial");
    attributes.textSize = 12;
    attributes.styleFlags = kTextBold | kTextShadow;
    attributes.effectColor = EffectColor{0.0f, 0.0f, 0.5f};
    attributes.effectSize = 2;
    EXPECT_EQ(CallSlot<int>(gfx, 4, static_cast<const TextAttributes*>(&attributes)), 23);
    CallSlot<void>(gfx, 5, 23);
    const ColorRGBA white{1.0f, 1.0f, 1.0f, 0.5f};
    CallSlot<void>(gfx, 6, &white);
    CallSlot<void>(gfx, 7);
    CallSlot<void>(gfx, 9, "1. Attack my target", 0.75f, -0.25f, 0, 0);
    CallSlot<void>(gfx, 8);
    CallSlot<void>(&graphics, 10);
    EXPECT_EQ(graphics.log.Text(),
              "0(1) 1() 2(CommBack.tga,1,0,1) 3(0.25,0.5,0.375,0.125,17,1) 4(Arial,12,258,0.5,2) 5(23) "
              "6(1,1,1,0.5) 7() 9(1. Attack my target,0.75,-0.25,0,0) 8() -1()");
}

struct MissionSystem final : IMissionSystem {
    CallLog log;
    MissionRecord mission{};
    FlightSlotArray slots{};
    void msnGetNextScreen(char* buffer, int capacity) override {
        log.Hit(0, capacity);
        std::strncpy(buffer, "DebriefScreen", static_cast<size_t>(capacity) - 1);
        buffer[capacity - 1] = '\0';
    }
    void msnGetMissionRecord(MissionRecord** out) override { log.Hit(1); *out = &mission; }
    void msnGetFlightSlots(FlightSlotArray** out) override { log.Hit(2); *out = &slots; }
    virtual void End() { log.Hit(-1); }
};

struct TextManager final : ITextManager {
    CallLog log;
    void txtLoadTextFile(const char* name) override { log.Hit(0, name); }
    void txtUnloadTextFile(const char* name) override { log.Hit(1, name); }
    const char* txtLookUpText(const char* name, const char* key) override { log.Hit(2, name, key); return std::strcmp(key, "TXT_TITLE") == 0 ? "Flight" : nullptr; }
    virtual void End() { log.Hit(-1); }
};

int commandsSeen = 0;
void VARN_CDECL CountCommand(int command, int, int) { commandsSeen += command; }

struct ControlMap final : IControlMap {
    CallLog log;
    CommandCallback registered = nullptr;
    void ctlSetDirectory(const char* directory) override { log.Hit(0, directory); }
    void ctlRegisterCommandCallback(int command, CommandCallback callback) override { log.Hit(1, command); registered = callback; }
    void ctlUnregisterCommandCallback(int command, CommandCallback callback) override { log.Hit(2, command, callback == registered); }
    virtual void End() { log.Hit(-1); }
};

TEST(CommTables, MissionTextAndControlTables) {
    MissionSystem missions;
    IMissionSystem* msn = &missions;
    char screen[260];
    std::memset(screen, 'x', sizeof screen);
    CallSlot<void>(msn, 0, static_cast<char*>(screen), 260);
    EXPECT_STREQ(screen, "DebriefScreen");
    MissionRecord* mission = nullptr;
    CallSlot<void>(msn, 1, &mission);
    EXPECT_EQ(mission, &missions.mission);
    FlightSlotArray* slots = nullptr;
    CallSlot<void>(msn, 2, &slots);
    EXPECT_EQ(slots, &missions.slots);
    CallSlot<void>(&missions, 3);
    EXPECT_EQ(missions.log.Text(), "0(260) 1() 2() -1()");

    TextManager texts;
    ITextManager* txt = &texts;
    CallSlot<void>(txt, 0, "CommMenu.str");
    EXPECT_STREQ(CallSlot<const char*>(txt, 2, "CommMenu.str", "TXT_TITLE"), "Flight");
    EXPECT_EQ(CallSlot<const char*>(txt, 2, "CommMenu.str", "TXT_NONE"), nullptr);
    CallSlot<void>(txt, 1, "CommMenu.str");
    CallSlot<void>(&texts, 3);
    EXPECT_EQ(texts.log.Text(), "0(CommMenu.str) 2(CommMenu.str,TXT_TITLE) 2(CommMenu.str,TXT_NONE) 1(CommMenu.str) -1()");

    ControlMap controls;
    IControlMap* ctl = &controls;
    CallSlot<void>(ctl, 0, "Controls");
    CallSlot<void>(ctl, 1, 2, CommandCallback{CountCommand});
    ASSERT_NE(controls.registered, nullptr);
    commandsSeen = 0;
    controls.registered(2, 0x1234, -1);
    EXPECT_EQ(commandsSeen, 2);
    CallSlot<void>(ctl, 2, 2, CommandCallback{CountCommand});
    CallSlot<void>(&controls, 3);
    EXPECT_EQ(controls.log.Text(), "0(Controls) 1(2) 2(2,1) -1()");
}

struct CommMenu final : ICommInterface {
    CallLog log;
    void comInit(const char* file) override { log.Hit(0, file); }
    void comDeinit() override { log.Hit(1); }
    void comToggle() override { log.Hit(2); }
    int comCommand(int command) override { log.Hit(3, command); return command - 1; }
    void comUpdate(float elapsed) override { log.Hit(4, elapsed); }
    void comDraw() override { log.Hit(5); }
    virtual void End() { log.Hit(-1); }
};

TEST(CommTables, CommInterfaceSixOperations) {
    CommMenu menu;
    ICommInterface* com = &menu;
    CallSlot<void>(com, 0, "CommMenu.ini");
    CallSlot<void>(com, 2);
    EXPECT_EQ(CallSlot<int>(com, 3, 11), 10);
    CallSlot<void>(com, 4, 0.016f);
    CallSlot<void>(com, 5);
    CallSlot<void>(com, 1);
    CallSlot<void>(&menu, 6);
    EXPECT_EQ(menu.log.Text(), "0(CommMenu.ini) 2() 3(11) 4(0.016) 5() 1() -1()");
}

}  // namespace
