// The hosting side of a session, without sockets: it reads each datagram that
// reaches the session's port and writes the answer, if any. Each kind of
// message has its bounded reader, the peers it is answered for and its answer
// budget (the table in session_host.cpp):
//   - a challenge is answered to anyone, within its budget per address, with
//     a cookie bound to the source address under a key that rotates and the
//     session's salt of password keys;
//   - a join is considered only with a valid cookie (else it changes nothing
//     and gets no answer), within its budget; the password comes as a proof
//     bound to the cookie; an admitted player gets a session token;
//   - status, file, leave, keep-alive and flight-state messages count only
//     from an admitted player (its address and token); files come from the
//     allow-list only; flight states have a budget per player.
// Each admitted player is given the lowest free place of the host's flight
// (1..kMaxPlaces-1; 0 when all are taken), told in the status answer.
// At most a few players come from one IP address; a player who comes back
// from the same IP under its name replaces its silent old entry, place and
// all. Answers to a player are sealed under its answer key, within a request
// budget and a file allowance of its own. Players that leave or stay silent
// past the timeout are dropped.
#pragma once

#include "file_allow_list.h"
#include "flight_messages.h"
#include "keyed_hash.h"
#include "net_address.h"
#include "net_wire.h"
#include "rate_limit.h"

#include <cstddef>
#include <cstdint>

// How the hosting side reads the files of its allow-list.
class SessionFileSource {
public:
    // The size and checksum of the file at path; false when it cannot be read.
    virtual bool Describe(const char* path, uint32_t* size, uint32_t* sum) = 0;
    // Reads up to size bytes at offset: the count read, -1 when the file cannot be read there.
    virtual int Read(const char* path, uint32_t offset, char* out, size_t size) = 0;

protected:
    ~SessionFileSource() = default;
};

// What strangers can make the host answer; each has its own budgets.
enum AnswerKind { kQueryAnswers, kChallengeAnswers, kJoinAnswers, kAnswerKinds };

struct SessionSettings {
    const char* name;
    const char* password;
    int passwordGiven;
    int gameType;
    int maxPlayers;
    const char* version;  // a join of another version is refused
    int seatsPerAddress;  // players from one IP address; 0 for the default
};

class SessionHost {
public:
    static const int kMaxJoined = 64;
    static const int kNameSize = 64;
    static const int kTextSize = 260;
    // A cookie is valid for one to two periods after it was given.
    static const uint32_t kCookiePeriodMs = 15000;
    // A player heard from neither by request nor keep-alive for this long is dropped.
    static const uint32_t kPlayerTimeoutMs = 30000;
    static const int kDefaultSeatsPerAddress = 3;

    // seed: 32 random bytes, from which every key and token is drawn.
    SessionHost(const unsigned char seed[32], SessionFileSource* files);

    void Open(const SessionSettings& settings, uint32_t now);
    void Close();
    bool IsOpen() const { return m_open; }
    // Ready: files are served and joiners are told so; not ready: closed to new players.
    void SetReady(int ready);
    FileAllowList& Files() { return m_files; }

    // Handles one datagram from `from` at time now (milliseconds); writes the
    // answer into `answer` (kMaxDatagram bytes) and returns its size, 0 for none.
    size_t Handle(const char* data, size_t size, const NetAddress& from, uint32_t now, char* answer);
    // Whether an answer of this kind may go to ip at time now (counted when it may).
    bool AllowAnswer(AnswerKind kind, uint32_t ip, uint32_t now);
    // Replaces the total on answers of this kind (a burst of 0: none); for
    // the benchmark that sets a total on challenges beside the host without.
    void SetAnswerTotal(AnswerKind kind, const Budget& total) { m_limits[kind].SetTotal(total); }
    // Drops the players not heard from within the timeout.
    void Expire(uint32_t now);

    const char* Name() const { return m_name; }
    int GameType() const { return m_gameType; }
    int MaxPlayers() const { return m_maxPlayers; }
    int CurrentPlayers() const { return m_open ? 1 + m_playerCount : 0; }
    int Ready() const { return m_ready; }
    bool Admitting() const { return m_open && !m_closed && CurrentPlayers() < m_maxPlayers; }
    int PlayerCount() const { return m_playerCount; }
    const char* PlayerName(int index) const { return m_players[index].name; }
    const NetAddress& PlayerAddress(int index) const { return m_players[index].address; }
    uint64_t PlayerToken(int index) const { return m_players[index].token; }
    // The key of the seals on what goes to the player at `index`.
    const HashKey& PlayerAnswerKey(int index) const { return m_players[index].answerKey; }
    int PlayerPlace(int index) const { return m_players[index].place; }
    // The index of the player who flies `place`, -1 when none does.
    int PlayerAtPlace(int place) const;
    // The latest state the player at `index` sent; false before the first.
    bool PlayerState(int index, netwire::AircraftWireState* state) const;
    // Forgets every player's state (a new flight starts).
    void ForgetStates();

    // The cookie a challenge from `from` gets now; for tests and the fuzz target.
    uint64_t CookieFor(const NetAddress& from, uint32_t now);
    // The token of the admitted player at `from`, 0 when there is none.
    uint64_t TokenOf(const NetAddress& from) const;

private:
    struct Player {
        NetAddress address;
        uint64_t token = 0;
        HashKey answerKey;
        uint32_t lastHeard = 0;
        char name[kNameSize] = "";
        int place = 0;
        LeakyBucket stateBudget;
        LeakyBucket requestBudget;
        uint32_t filesDescribed = 0;  // allow-list entries whose size it was told
        uint64_t fileAllowance = 0;   // file bytes it may still draw
        bool hasState = false;
        uint32_t stateSequence = 0;
        netwire::AircraftWireState state{};
    };
    struct Rule;
    static const Rule kRules[];

    bool AnswerChallenge(netwire::Reader& request, const NetAddress& from, uint32_t now, netwire::Writer& answer);
    bool AnswerJoin(netwire::Reader& request, const NetAddress& from, uint32_t now, netwire::Writer& answer);
    bool AnswerStatus(netwire::Reader& request, Player& player, netwire::Writer& answer);
    bool AnswerFileInfo(netwire::Reader& request, Player& player, netwire::Writer& answer);
    bool AnswerFileChunk(netwire::Reader& request, Player& player, netwire::Writer& answer);
    bool AnswerLeave(netwire::Reader& request, Player& player, netwire::Writer& answer);
    bool TakePlayerState(netwire::Reader& request, Player& player, netwire::Writer& answer);
    int FreePlace() const;
    // The file a request (cache flag, offset, name) selects: its path, or null.
    const char* RequestedFile(netwire::Reader& request, uint32_t* offset);

    Player* Admitted(const NetAddress& from, uint64_t token, uint32_t now);
    void Drop(int index);
    uint64_t Draw();
    void RotateKeys(uint32_t now);
    static uint64_t Cookie(const HashKey& key, const NetAddress& from);

    SessionFileSource* m_fileSource;
    HashKey m_seed;
    uint64_t m_drawn = 0;
    HashKey m_cookieKey, m_previousCookieKey;
    uint32_t m_keyTime = 0;
    RateLimiter m_limits[kAnswerKinds];

    bool m_open = false;
    char m_name[kTextSize] = "";
    char m_version[kTextSize] = "";
    bool m_passwordGiven = false;
    HashKey m_passwordKey;
    uint8_t m_salt[netwire::kSaltSize] = {};
    int m_seatsPerAddress = kDefaultSeatsPerAddress;
    int m_gameType = 0;
    int m_maxPlayers = 0;
    int m_ready = 0;
    int m_closed = 0;
    Player m_players[kMaxJoined];
    int m_playerCount = 0;
    FileAllowList m_files;
};
