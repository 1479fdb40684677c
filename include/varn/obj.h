// "OBJ": the object manager (base module set) and the objects it hands out:
// the per-type lists of object definitions, the game objects of a flight and
// their components.
#pragma once

#include "sdk.h"

#include <stddef.h>
#include <stdint.h>

// Type names known to objGetTypeId.
inline constexpr const char kAircraftTypeName[] = "AircraftObject";
inline constexpr const char kMissileTypeName[] = "MissileObject";
inline constexpr const char kBulletTypeName[] = "BulletObject";

// The component of a game object that takes orders from the player's flight lead.
inline constexpr int kOrderComponent = 10;

// The leading fields of an aircraft type record as the aircraft list holds it.
// The object manager may keep more fields after these; readers use only these.
// No pointers, so the layout is the same for every target.
struct AircraftRecord {
    char name[64];             // type name, as held (not necessarily terminated)
    char text[128];            // descriptive text, as held
    int32_t firstRangeStart;
    int32_t firstRangeEnd;
    int16_t secondRangeCount;  // above 0 when the second range below is valid
    int16_t reserved;
    int32_t secondRangeStart;
    int32_t secondRangeEnd;
    uint32_t flags1;
    uint32_t flags2;
};
static_assert(sizeof(AircraftRecord) == 220, "aircraft record layout");
static_assert(offsetof(AircraftRecord, text) == 64, "aircraft record layout");
static_assert(offsetof(AircraftRecord, firstRangeStart) == 192, "aircraft record layout");
static_assert(offsetof(AircraftRecord, secondRangeCount) == 200, "aircraft record layout");
static_assert(offsetof(AircraftRecord, secondRangeStart) == 204, "aircraft record layout");
static_assert(offsetof(AircraftRecord, flags1) == 212, "aircraft record layout");

// "AircraftList.dat", the usable aircraft types a hosting player hands to the
// players who join: an int32 count, then `count` of these records
// (little-endian). Every field is 4-byte aligned, so no packing is needed.
inline constexpr const char kAircraftListFileName[] = "AircraftList.dat";
struct AircraftListFileRecord {
    char name[64];   // the record's name field, as held
    char text[128];  // the record's text field, as held
    int32_t low;     // the lower of the first and the second range start
    int32_t high;    // the higher of the first and the second range end
    int32_t flags;   // flags1 | flags2
};
static_assert(sizeof(AircraftListFileRecord) == 204, "aircraft list file record layout");
static_assert(offsetof(AircraftListFileRecord, text) == 64, "aircraft list file record layout");
static_assert(offsetof(AircraftListFileRecord, low) == 192, "aircraft list file record layout");
static_assert(offsetof(AircraftListFileRecord, high) == 196, "aircraft list file record layout");
static_assert(offsetof(AircraftListFileRecord, flags) == 200, "aircraft list file record layout");

// The list of definitions of one object type (objGetTypeList). The aircraft,
// missile and bullet lists share this table; the records of the aircraft list
// are AircraftRecords.
class ITypeList {
public:
    // 0: number of records in the list.
    virtual int GetCount() = 0;
    // 1: stores in *record a pointer to the index-th record; leaves *record untouched for an index out of range.
    virtual void GetRecord(int index, void** record) = 0;
    // 2: name of the data file the list is read from (as synchronised between network players); never null.
    virtual const char* GetDataFileName() = 0;
    // 3: reads the list again from its data file (the host passes -1, 0).
    virtual void Reload(int index, int option) = 0;
    // 4: nonzero when the index-th type may be flown in a network game.
    virtual int IsUsable(int index) = 0;
};

// The part of a game object that receives messages.
class IComponent {
public:
    // 0: hands message `code` with two values (orders pass -1, 0) to the component; what the result means depends on the message (orders are refused by a nonzero answer to 45 or 66).
    virtual int HandleMessage(int code, int value1, int value2) = 0;
};

// An object of the running flight (objGetObject).
class IGameObject {
public:
    // 0: stores in *component the component numbered `id` (kOrderComponent takes orders); leaves it untouched when there is none.
    virtual void GetComponent(int id, IComponent** component) = 0;
    // 1: nonzero while the object is alive and usable.
    virtual int IsActive() = 0;
    // 2: the object's flag bits, to be tested against masks from objGetFlagMask.
    virtual int GetFlags() = 0;
};

class IObjectManager {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_OBJ;

    // 0: initialises the object manager from the object list file; called once after objSetDirectory.
    virtual void objInit(const char* objectListFile) = 0;
    // 1: shuts the object manager down; called by the base-module teardown after terExit.
    virtual void objExit() = 0;
    // 2: names the directory the object files are read from.
    virtual void objSetDirectory(const char* directory) = 0;
    // 3: the directory set by objSetDirectory; may be empty.
    virtual const char* objGetDirectory() = 0;
    // 4: the id of the object type named `typeName` (kAircraftTypeName, ...).
    virtual int objGetTypeId(const char* typeName) = 0;
    // 5: stores in *list the definition list of type `typeId`; leaves *list untouched for an unknown type.
    virtual void objGetTypeList(int typeId, ITypeList** list) = 0;
    // 6: the bit mask of the object flag named `flagName` ("AIR", "REMOTEOBJECT", ...); 0 for an unknown name.
    virtual int objGetFlagMask(const char* flagName) = 0;
    // 7: the game object with id `id`; null when there is none.
    virtual IGameObject* objGetObject(int id) = 0;
    // 8: the id of the player's own object; -1 when there is none.
    virtual int objGetPlayerObjectId() = 0;
};
