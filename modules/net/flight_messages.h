// The flight's state between the host and its joined players: each side sends
// the aircraft it flies at a fixed rate. A position goes as a signed 16-bit
// count of ten-thousandths of the view, so no value read from the wire can be
// other than a finite number within the view's margins.
#pragma once

#include "net_wire.h"

#include <cstddef>
#include <cstdint>

namespace netwire {

struct AircraftWireState {
    uint8_t id;     // place in the host's flight, below kMaxPlaces
    float x, y;     // screen fractions, within kMinPosition..kMaxPosition
    uint8_t order;  // the order message it follows, 0 before any
};
const float kMinPosition = -1.0f, kMaxPosition = 2.0f;

struct FlightStates {
    int place;  // the place the receiving player flies, 0 for none
    int count;
    AircraftWireState aircraft[kMaxPlaces];
};

// Joined player to host: the aircraft it flies (the host knows which place).
Writer PlayerStateMessage(uint32_t sequence, uint64_t token, const AircraftWireState& state);
// Host to one joined player: its place and the host's aircraft (at most
// kMaxPlaces), sealed under the player's answer key.
Writer FlightStatesMessage(uint32_t sequence, uint64_t token, const HashKey& answerKey, int place,
                           const AircraftWireState* aircraft, int count);

// Reads a position and an order after the token of a player's state.
bool ReadPlayerState(Reader& reader, AircraftWireState* out);
// Reads a whole host's message, which must carry `token` and the seal under
// answerKey; fails for a count or an id beyond kMaxPlaces and for a short datagram.
bool ReadFlightStates(const char* data, size_t size, uint64_t token, const HashKey& answerKey, FlightStates* out);
// Whether sequence comes after the last one taken (modulo 2^32).
inline bool IsNewer(uint32_t sequence, uint32_t last) { return static_cast<int32_t>(sequence - last) > 0; }

}  // namespace netwire
