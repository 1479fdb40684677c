// ObjectManager.dll: the object manager ("OBJ") with the sample's flight of
// four aircraft. Aircraft 0 is the player; 1 to 3 are the wingmen. Each has
// an order component (component 10): the orders menu asks it whether it can
// take an order (messages 45 and 66, 0 meaning yes), then sends the order.
// A wingman then flies towards the place in the formation its order names.
// The aircraft, missile and bullet type lists are read from the data files
// that ObjectList.ini names; a network game synchronises them and the host's
// list of the aircraft types usable in network games. In a network game the
// player may fly another place than 0, and the aircraft flown by the other
// computer carry the "REMOTEOBJECT" flag: they follow the states it sends.
#include "files/paths.h"
#include "files/strings.h"
#include "ini/ini_file.h"
#include "module_support.h"
#include "sample.h"
#include "shell/log.h"
#include "type_list.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

const char kOwner[] = "OBJECTS";

// The object flag names the game knows; the mask of the n-th is bit n.
const char* const kFlagNames[] = {"AIR",       "GROUND",       "MISSILE",        "DETECTED",     "IDENTIFIED",
                                  "AWAKE",     "ASLEEP",       "LEAD",           "FORMATION",    "NETOBJECT",
                                  "REMOTEOBJECT", "TARGETABLE", "PLAYERLAUNCHED", "PLAYERTARGET", "PLAYEROBJECT",
                                  "NOT_RENDERED", "WEAPON_IN_FLIGHT"};

int FlagMask(const char* name) {
    for (int i = 0; i < int(sizeof kFlagNames / sizeof kFlagNames[0]); ++i)
        if (name && strcmp(name, kFlagNames[i]) == 0) return 1 << i;
    return 0;
}

// The orders a wingman understands, with where each puts wingmen 1 to 3
// relative to the player (screen fractions).
struct Order {
    int message;
    const char* name;
    float offsets[3][2];
};
const Order kOrders[] = {
    {0, "Loose formation", {{-0.18f, 0.10f}, {0.18f, 0.10f}, {0.30f, 0.20f}}},
    {46, "Close formation", {{-0.08f, 0.05f}, {0.08f, 0.05f}, {0.16f, 0.10f}}},
    {47, "Spread out", {{-0.32f, 0.12f}, {0.32f, 0.12f}, {0.42f, 0.24f}}},
    {42, "Break", {{-0.42f, -0.40f}, {0.40f, -0.34f}, {0.06f, -0.52f}}},
    {44, "Return to base", {{-0.10f, 0.70f}, {0.10f, 0.75f}, {0.00f, 0.80f}}},
};
const float kPlayerX = 0.5f, kPlayerY = 0.55f;

const Order* FindOrder(int message) {
    for (const Order& order : kOrders)
        if (order.message == message) return &order;
    return nullptr;
}

std::vector<std::string> g_orderLog;
size_t g_flightFirstOrder = 0;  // where the latest flight's orders begin in g_orderLog

class Aircraft;

class OrderComponent final : public IComponent {
public:
    explicit OrderComponent(Aircraft* aircraft) : m_aircraft(aircraft) {}
    int HandleMessage(int code, int value1, int value2) override;

private:
    Aircraft* m_aircraft;
};

class Aircraft final : public IGameObject {
public:
    Aircraft() : m_component(this) {}
    void GetComponent(int id, IComponent** component) override {
        if (id == kOrderComponent && component) *component = &m_component;
    }
    int IsActive() override { return 1; }
    int GetFlags() override;

    int id = 0;
    bool remote = false;  // flown by another computer
    AircraftState state = {};
    OrderComponent m_component;
};

Aircraft g_aircraft[kFlightSize];
int g_playerId = 0;

int Aircraft::GetFlags() {
    return FlagMask("AIR") | FlagMask(id == g_playerId ? "PLAYEROBJECT" : "FORMATION") |
           (remote ? FlagMask("REMOTEOBJECT") | FlagMask("NETOBJECT") : 0);
}

int OrderComponent::HandleMessage(int code, int, int) {
    if (code == kAskCanTakeOrders && m_aircraft->id == g_playerId) {
        LogInfo("objects: aircraft %d is flown by its player and takes no order", m_aircraft->id + 1);
        return 1;
    }
    if (code == kAskCanTakeOrders || code == kAskBusy) return 0;  // always ready
    const Order* order = FindOrder(code);
    if (!order || code == 0) return 0;
    m_aircraft->state.order = code;
    g_orderLog.push_back("Wingman " + std::to_string(m_aircraft->id + 1) + ": " + order->name);
    LogInfo("objects: wingman %d takes order %d (%s)", m_aircraft->id + 1, code, order->name);
    return 1;
}

// The type lists, in the order of their type ids.
sample::TypeList g_lists[] = {{"aircraft", "AircraftTypes.ini"},
                              {"missile", "MissileTypes.ini"},
                              {"bullet", "BulletTypes.ini"}};
const char* const kTypeNames[] = {kAircraftTypeName, kMissileTypeName, kBulletTypeName};
const char* const kListKeys[] = {"AircraftList", "MissileList", "BulletList"};
const int kTypeCount = 3;

class ObjectManager final : public ISampleObjects {
public:
    void objInit(const char* objectListFile) override {
        IniFile list(objectListFile, 0, 0, 1024);
        char text[kPathSize];
        if (list.GetString("Objects", "AircraftType", "", text, sizeof text, 0))
            LogInfo("objects: aircraft type %s", text);
        else
            LogError("objects: unable to read %s", objectListFile ? objectListFile : "");
        for (int i = 0; i < kTypeCount; ++i) {
            if (list.GetString("Objects", kListKeys[i], "", text, sizeof text, 0)) g_lists[i].SetDataFileName(text);
            g_lists[i].Load();
        }
    }
    void objExit() override { LogInfo("objects: %d orders taken in this run", int(g_orderLog.size())); }
    void objSetDirectory(const char* directory) override { CopyString(m_directory, directory, sizeof m_directory); }
    const char* objGetDirectory() override { return m_directory; }
    int objGetTypeId(const char* typeName) override {
        for (int i = 0; i < kTypeCount; ++i)
            if (typeName && strcmp(typeName, kTypeNames[i]) == 0) return i;
        return -1;
    }
    void objGetTypeList(int typeId, ITypeList** list) override {
        if (list && typeId >= 0 && typeId < kTypeCount) *list = &g_lists[typeId];
    }
    int objGetFlagMask(const char* flagName) override { return FlagMask(flagName); }
    IGameObject* objGetObject(int id) override { return id >= 0 && id < kFlightSize ? &g_aircraft[id] : nullptr; }
    int objGetPlayerObjectId() override { return g_playerId; }

    void objSetPlayerAircraft(int id) override { g_playerId = id >= 0 && id < kFlightSize ? id : -1; }

    void objSetRemote(int id, int remote, const AircraftState* state) override {
        if (id < 0 || id >= kFlightSize) return;
        Aircraft& aircraft = g_aircraft[id];
        aircraft.remote = remote != 0;
        if (!remote || !state) return;
        const int order = FindOrder(state->order) ? state->order : 0;  // an order unknown here is none
        if (order != aircraft.state.order && order != 0)
            LogInfo("objects: aircraft %d follows order %d (%s) from another computer", id + 1, order,
                    FindOrder(order)->name);
        aircraft.state = AircraftState{state->x, state->y, order};
    }

    void objStartFlight() override {
        g_flightFirstOrder = g_orderLog.size();
        for (int i = 0; i < kFlightSize; ++i) {
            g_aircraft[i].id = i;
            g_aircraft[i].remote = false;
            g_aircraft[i].state = AircraftState{kPlayerX, kPlayerY, 0};
            if (i > 0) {
                g_aircraft[i].state.x += kOrders[0].offsets[i - 1][0];
                g_aircraft[i].state.y += kOrders[0].offsets[i - 1][1];
            }
        }
    }

    void objStepFlight(float seconds) override {
        // Each wingman closes a share of the way to its place every step.
        const float share = seconds * 2.0f < 1.0f ? seconds * 2.0f : 1.0f;
        for (int i = 1; i < kFlightSize; ++i) {
            // A player's aircraft keeps its place; another computer's goes where that one says.
            if (i == g_playerId || g_aircraft[i].remote) continue;
            AircraftState& state = g_aircraft[i].state;
            const Order* order = FindOrder(state.order);
            const float targetX = kPlayerX + order->offsets[i - 1][0];
            const float targetY = kPlayerY + order->offsets[i - 1][1];
            state.x += (targetX - state.x) * share;
            state.y += (targetY - state.y) * share;
        }
    }

    int objGetAircraft(int id, AircraftState* state) override {
        if (id < 0 || id >= kFlightSize || !state) return 0;
        *state = g_aircraft[id].state;
        return 1;
    }
    int objGetOrderCount() override { return static_cast<int>(g_orderLog.size() - g_flightFirstOrder); }
    const char* objGetOrderText(int index) override {
        return index >= 0 && index < objGetOrderCount() ? g_orderLog[g_flightFirstOrder + size_t(index)].c_str() : "";
    }

private:
    char m_directory[kPathSize] = "";
};

ObjectManager g_objects;
const sample::Published kPublished[] = {{VARN_ID_OBJ, static_cast<IObjectManager*>(&g_objects)}};

void ForgetOrdersAndTypes() {
    g_orderLog.clear();
    g_orderLog.shrink_to_fit();
    for (sample::TypeList& list : g_lists) list.Forget();
}

}  // namespace

SAMPLE_MODULE_ENTRY_POINTS(kOwner, kPublished, nullptr, ForgetOrdersAndTypes)
