// The sample network layer's extension of "NET": the flight shared by the
// players of a session. The sample game's modules include it to fly together;
// the layer implements it. The SDK table comes first, so the host sees exactly
// the table it expects.
#pragma once

#include "varn/net.h"

// Positions are screen fractions of the flight view (x right, y down).
struct AircraftState {
    float x;
    float y;
    int order;  // the last order message taken, 0 before any
};

// ---- "NET" with the flight shared by the players of a session --------------
// The joiner flies a place of the host's flight; every other aircraft is
// flown by the host's computer. Each side hands the layer the state of the
// aircraft it flies every frame, and the layer sends the latest at a fixed
// rate until the flight stops.
class ISampleNetwork : public INetworkLayer {
public:
    // The place of the host's flight this side flies: 0 when hosting (the
    // lead), the place the host gave when joined, -1 without a place.
    virtual int netGetFlightPlace() = 0;
    // The state of aircraft `id` (a place), flown by this side; null: this
    // side no longer flies it.
    virtual void netSetFlightState(int id, const AircraftState* state) = 0;
    // Stops sending and forgets the states heard (the flight ended).
    virtual void netStopFlight() = 0;
    // Whether aircraft `id` is flown by another computer: 0 no; 1 yes, not
    // heard from in this flight yet; 2 yes, with its latest state in *state.
    // `pilot` (size bytes) takes the player's name, empty for the host's
    // aircraft.
    virtual int netGetRemoteAircraft(int id, AircraftState* state, char* pilot, int size) = 0;
};
