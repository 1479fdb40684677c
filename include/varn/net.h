// "NET": the network layer. The host never loads it: the mission manager
// brings it up (mmgStartNetwork) and registers "NET". The multiplayer launch
// hosts or joins a session through it, the server query answers read the
// session from it, and the activation notifier tells it when the application
// becomes inactive.
#pragma once

#include "sdk.h"

#include <stddef.h>
#include <stdint.h>

// Session description: eleven 32-bit fields on the product (44 bytes).
// Text pointers are owned by whoever filled them; the network layer's stay
// valid while it is loaded.
struct SessionDescription {
    int32_t reserved1;
    const char* sessionName;        // hosting: the session's name; joining: filled by the network layer
    const char* hostAddress;        // joining: the address to join; hosting: null
    const char* password;
    int32_t passwordGiven;          // 1 when a password is to be checked
    int32_t gameType;               // 1 mission, any other value dogfight
    int32_t maxPlayers;
    int32_t currentPlayers;
    int32_t reserved2;
    const void* gameplayOptions;    // hosting: a GameplayOptionsBlock; joining: null
    int32_t gameplayOptionsSize;    // hosting: sizeof(GameplayOptionsBlock); joining: 0
};
static_assert(sizeof(void*) != 4 || sizeof(SessionDescription) == 44, "session description layout");
static_assert(sizeof(void*) != 4 || offsetof(SessionDescription, sessionName) == 4, "session description layout");
static_assert(sizeof(void*) != 4 || offsetof(SessionDescription, passwordGiven) == 16, "session description layout");
static_assert(sizeof(void*) != 4 || offsetof(SessionDescription, gameType) == 20, "session description layout");
static_assert(sizeof(void*) != 4 || offsetof(SessionDescription, currentPlayers) == 28, "session description layout");
static_assert(sizeof(void*) != 4 || offsetof(SessionDescription, gameplayOptions) == 36, "session description layout");
static_assert(sizeof(void*) != 4 || offsetof(SessionDescription, gameplayOptionsSize) == 40, "session description layout");

// The gameplay options a hosted game is sent with: one byte per option
// (the low eight bits of its value) and a zero byte.
struct GameplayOptionsBlock {
    uint8_t options[11];
    uint8_t terminator;
};
static_assert(sizeof(GameplayOptionsBlock) == 12, "gameplay options block layout");

// The object handed as context to the server information callback.
class IQueryContext {
public:
    // 0: placeholder; nothing fixes the context object's first operation, and no caller uses this slot.
    virtual void Reserved0() = 0;
    // 1: the game mode text reported as "gamemode"; owned by the network layer.
    virtual const char* GetGameMode() = 0;
};

// A query answer callback: appends backslash-separated key/value text to the
// zero-terminated text in `output`, whose buffer holds `length` bytes.
typedef void(VARN_CDECL* QueryCallback)(char* output, int length, IQueryContext* context);

// Query reporting setup: six 32-bit fields on the product (24 bytes).
struct QueryReportingSetup {
    const char* gameName;        // the game's name with the query service
    const char* secretKey;       // the game's key with the query service
    QueryCallback first;         // null
    QueryCallback serverInfo;    // hostname, hostport, gametype, numplayers, maxplayers, gamemode
    QueryCallback rules;         // timelimit, fraglimit, teamplay, rankedserver
    QueryCallback last;          // null
};
static_assert(sizeof(void*) != 4 || sizeof(QueryReportingSetup) == 24, "query reporting setup layout");
static_assert(sizeof(void*) != 4 || offsetof(QueryReportingSetup, serverInfo) == 12, "query reporting setup layout");
static_assert(sizeof(void*) != 4 || offsetof(QueryReportingSetup, rules) == 16, "query reporting setup layout");

// Size of the block handed to netConfigure.
inline constexpr int kNetConfigureBlockSize = 20;

class INetworkLayer {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_NET;

    // 0: starts the network layer; called once before any other session operation.
    virtual void netStart() = 0;
    // 1: prepares a new join attempt after a failed one.
    virtual void netResetAttempt() = 0;
    // 2: answers server queries for the session with `setup`'s callbacks; `hostAddress` is the joined address or null when hosting (the host passes mode 2).
    virtual void netEnableQueryReporting(int mode, const char* hostAddress, QueryReportingSetup* setup) = 0;
    // 3: configures the layer from a block of `size` bytes (the host passes kNetConfigureBlockSize zero bytes).
    virtual void netConfigure(int size, void* block) = 0;
    // 4: sets the local player's name.
    virtual void netSetPlayerName(const char* name) = 0;
    // 5: sets the local player's colour, 0xFFRRGGBB.
    virtual void netSetPlayerColor(uint32_t color) = 0;
    // 6: creates the session `description` (hosting column); nonzero when the session is up.
    virtual int netHostSession(SessionDescription* description) = 0;
    // 7: one attempt to join the session at description->hostAddress (the host passes flags 0); 0 when the attempt failed.
    virtual int netJoinSession(SessionDescription* description, int flags) = 0;
    // 8: fills at least the session name, game type, maximum and current players; nonzero once the player is in a session, 0 = nothing filled.
    virtual int netGetSessionInfo(SessionDescription* description) = 0;
    // 9: code of the last failed attempt: 2, 5 (closed), 6 (full) and 7 end the joining, any other code is retried.
    virtual int netGetLastError() = 0;
    // 10: brings the local copy of file `name` in line with the hosting side's; nonzero on success, *replaced = 1 when the local copy was replaced.
    virtual int netSyncFile(const char* name, int* replaced) = 0;
    // 11: the hosting side declares its session ready (ready = 1) for the joining players.
    virtual void netSetSessionReady(int ready) = 0;
    // 12: nonzero once the hosting side has set its session ready.
    virtual int netIsSessionReady() = 0;
    // 13: the application became inactive.
    virtual void netOnDeactivate() = 0;
};
