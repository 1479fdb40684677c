// "COM": the in-flight orders menu of the player's flight. One static object
// holds the box's look and state, the loaded menu and what the module took
// from the game's interfaces; InitDLL fills in those interfaces.
#pragma once

#include "comm/comm_menu.h"
#include "varn/com.h"
#include "varn/ctl.h"
#include "varn/gfx.h"
#include "varn/held.h"
#include "varn/clk.h"
#include "varn/msn.h"
#include "varn/obj.h"
#include "varn/txt.h"

#include <cstdint>

struct FlightRecord;
struct FlightSlot;

// The object flag names whose masks are asked for while loading, in order.
enum CommFlag {
    kFlagAir,
    kFlagGround,
    kFlagMissile,
    kFlagDetected,
    kFlagIdentified,
    kFlagAwake,
    kFlagAsleep,
    kFlagLead,
    kFlagFormation,
    kFlagNetObject,
    kFlagRemoteObject,
    kFlagTargetable,
    kFlagPlayerLaunched,
    kFlagPlayerTarget,
    kFlagPlayerObject,
    kFlagNotRendered,
    kFlagWeaponInFlight,
    kFlagCount
};

// The number keys: commands 2..11 pick the items numbered 1..10.
const int kFirstKeyCommand = 2;
const int kLastKeyCommand = 11;

class CommInterface final : public ICommInterface {
public:
    void comInit(const char* fileName) override;
    void comDeinit() override;
    void comToggle() override;
    int comCommand(int command) override;
    void comUpdate(float elapsed) override;
    void comDraw() override;

    // ExitDLL: the key commands and the menu when comDeinit was never called.
    void ReleaseLeftovers();

    // The game's interfaces, taken by InitDLL in this order and released by
    // ExitDLL in reverse (null when not published).
    // Held from InitDLL to ExitDLL: got in this order, released in reverse.
    struct Services {
        InterfaceHold<IGraphicsEngine> graphics;
        InterfaceHold<IObjectManager> objects;
        InterfaceHold<IMissionSystem> missions;
        InterfaceHold<IClock> clock;
        InterfaceHold<ITextManager> texts;
        InterfaceHold<IControlMap> controls;
        void GetAll(IInterfaceManager* registry) {
            graphics.Get(registry);
            objects.Get(registry);
            missions.Get(registry);
            clock.Get(registry);
            texts.Get(registry);
            controls.Get(registry);
        }
        void ReleaseAll() {
            controls.Release();
            texts.Release();
            clock.Release();
            missions.Release();
            objects.Release();
            graphics.Release();
        }
        IGraphicsEngine* gfx() const { return graphics.get(); }
        IObjectManager* obj() const { return objects.get(); }
        IMissionSystem* msn() const { return missions.get(); }
        ITextManager* txt() const { return texts.get(); }
        IControlMap* ctl() const { return controls.get(); }
    } services;

private:
    bool PlayerIsActive();
    void DispatchOrder(int32_t commandNumber);
    void RegisterKeys();
    void UnregisterKeys();
    void MapToWideSurface();

    // The box.
    int m_backgroundImage = -1;
    int m_font = 0;
    float m_lineHeight = 0.0f;
    float m_boxHeight = 0.0f;
    float m_boxWidth = 0.0f;
    float m_horizontalBorder = 0.0f;
    float m_verticalBorder = 0.0f;
    float m_topLeftX = 0.0f;
    float m_topLeftY = 0.0f;
    int m_open = 0;
    float m_remainingTime = 0.0f;
    float m_displayTime = 0.0f;
    CommMenu* m_menu = nullptr;

    // Module-wide values.
    ColorRGBA m_activeColor = {0.0f, 0.0f, 0.0f, 0.0f};
    ColorRGBA m_disabledColor = {0.0f, 0.0f, 0.0f, 0.0f};
    char* m_textFile = nullptr;
    int32_t m_flagMasks[kFlagCount] = {};
    FlightRecord* m_flightRecord = nullptr;
    FlightSlot* m_flightSlot = nullptr;
    bool m_keysRegistered = false;
};

CommInterface& TheCommInterface();
