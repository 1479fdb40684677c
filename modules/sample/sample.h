// What the sample game's modules say to each other beyond the SDK.
//
// The host and varnComm call only the slots the SDK declares. A module set
// may add slots of its own after them: the extended interfaces below keep the
// SDK table first, so the host sees exactly the table it expects, and the
// sample modules reach the extra operations through the same registry id.
#pragma once

#include "modules/net/flight_network.h"
#include "varn/varn.h"

// ---- Command ids of the control map ("CTL") --------------------------------
// Keys 1-9 give commands 2-10 and key 0 gives command 11: the orders menu's
// number keys. The sample adds two commands of its own.
inline constexpr int kCommandToggleOrders = 12;  // Tab: opens or closes the orders menu
inline constexpr int kCommandEndFlight = 13;     // Escape: ends the flight

// ---- Messages to an aircraft's order component (component 10) ---------------
// 45 and 66 ask whether the aircraft can take an order now (0: it can); the
// orders themselves are 46, 47, 42 and 44 (menu items 1 to 4).
inline constexpr int kAskCanTakeOrders = 45;
inline constexpr int kAskBusy = 66;

// The four aircraft of the player's flight: object ids 0 (the player) to 3.
inline constexpr int kFlightSize = 4;

// ---- "INP" with the scene the game shows -----------------------------------
// The menu and the flight report each frame they have shown, with the name of
// their scene (the menu's screen name, or "Flight"); the demo player waits
// for scenes and frames instead of guessing how long loading takes.
class ISampleInput : public IInputManager {
public:
    virtual void inpFrameShown(const char* scene) = 0;
};

// ---- "SND" with the volumes it keeps -----------------------------------------
class ISampleSound : public ISoundManager {
public:
    virtual int sndGetSoundVolume() = 0;
    virtual int sndGetStreamVolume() = 0;
};

// ---- "OBJ" with the sample's flight of four aircraft -------------------------

class ISampleObjects : public IObjectManager {
public:
    // Puts the four aircraft in their starting places for a new flight.
    virtual void objStartFlight() = 0;
    // Moves every aircraft `seconds` further towards what its order asks.
    virtual void objStepFlight(float seconds) = 0;
    // The state of aircraft `id` (0..3); false for another id.
    virtual int objGetAircraft(int id, AircraftState* state) = 0;
    // The aircraft this computer's player flies: 0, or the place a network
    // game gives. It takes no orders and keeps its place.
    virtual void objSetPlayerAircraft(int id) = 0;
    // remote 1: aircraft `id` is flown by another computer ("REMOTEOBJECT"),
    // at `state` when given (else where it was); remote 0: by this one again.
    virtual void objSetRemote(int id, int remote, const AircraftState* state) = 0;
    // The orders taken in the flight flying or flown last, oldest first
    // ("Wingman 2: Break"); objStartFlight begins a new list.
    virtual int objGetOrderCount() = 0;
    virtual const char* objGetOrderText(int index) = 0;
};

// ---- "MMG" with what the flight needs to know of the session ----------------
class ISampleMissions : public IMissionManager {
public:
    // 1 once a network session brought the network layer ("NET") up.
    virtual int mmgNetworkStarted() = 0;
};

// ---- "GFX" with the frame and rectangle operations the flight uses -----------
class ISampleGraphics : public IGraphicsEngine {
public:
    // Starts a frame: the back buffer takes the window's size and this colour.
    virtual void gfxBeginFrame(const ColorRGBA* background) = 0;
    // Fills a rectangle given in screen fractions.
    virtual void gfxFillRect(float x, float y, float width, float height, const ColorRGBA* color) = 0;
    // Shows the frame in the main window.
    virtual void gfxEndFrame() = 0;
};
