// "MSN": the mission system (flight module set). After each flight the host
// asks it for the next menu screen; the comm menu reads the player's flight
// from the records it hands out. The records belong to the mission system and
// stay valid while it is loaded.
#pragma once

#include "cursor_list_record.h"
#include "sdk.h"

#include <stddef.h>
#include <stdint.h>

// Places in one flight slot record.
inline constexpr int kFlightPlaces = 16;

// The leading fields of a flight record (an element of the mission record's
// flight list). The mission system may keep more fields after these.
struct FlightRecord {
    int16_t aircraftCount;  // aircraft in the flight, the flight lead included
    int16_t reserved;
};
static_assert(sizeof(FlightRecord) == 4, "flight record layout");

// The objects of one flight by place; place 0 is the flight lead.
struct FlightSlot {
    int32_t objectIds[kFlightPlaces];  // -1 for an empty place
};
static_assert(sizeof(FlightSlot) == 64, "flight slot layout");

// The flight slots of the mission, one per flight, in the order of the
// mission record's flight list.
struct FlightSlotArray {
    int32_t count;         // number of elements
    int32_t currentIndex;  // -1 when none is current
    FlightSlot* elements;  // `count` records
};
static_assert(sizeof(void*) != 4 || sizeof(FlightSlotArray) == 12, "flight slot array layout");
static_assert(sizeof(void*) != 4 || offsetof(FlightSlotArray, elements) == 8, "flight slot array layout");

// The leading fields of the mission record.
struct MissionRecord {
    int32_t playerFlightIndex;  // index of the player's flight in `flights`
    int32_t missionMode;        // the comm menu gives no orders in modes 0 and 3
    int32_t flags;              // nonzero: the comm menu gives no orders
    CursorListRecord flights;   // elements are FlightRecord*
};
static_assert(sizeof(void*) != 4 || sizeof(MissionRecord) == 32, "mission record layout");
static_assert(sizeof(void*) != 4 || offsetof(MissionRecord, flights) == 12, "mission record layout");

class IMissionSystem {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_MSN;

    // 0: writes the name of the menu screen to open next into `buffer` of `capacity` bytes (260 from the host), always terminated.
    virtual void msnGetNextScreen(char* buffer, int capacity) = 0;
    // 1: stores in *record a pointer to the mission record; leaves it untouched when there is no mission.
    virtual void msnGetMissionRecord(MissionRecord** record) = 0;
    // 2: stores in *slots a pointer to the flight slot array; leaves it untouched when there is no mission.
    virtual void msnGetFlightSlots(FlightSlotArray** slots) = 0;
};
