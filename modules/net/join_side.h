// The joining side of the network layer: one join attempt at a time (a
// challenge, then the join), the host's ready flag, files fetched from the
// host into this side's cache directory, and the joined host's word (its
// keep-alives, its leave, its silence).
//
// Threads: the main thread joins, polls and fetches files, reading the
// answers on the game socket itself; once joined the service thread sends
// keep-alives and, in flight, the shared flight reads the host's datagrams
// through TakeNotice and the accessors below. Under link.lock: the joined
// session, m_hostHeard, m_hostLeft, m_place and m_lastSent, and the token and
// answer key while they change (at the join). The password key, the round
// trip and the standing status request are the main thread's own; m_joined
// and m_hostAddress change only on the main thread while the service thread
// is stopped or before it starts.
#pragma once

#include "keyed_hash.h"
#include "net_link.h"
#include "net_wire.h"
#include "round_trip.h"
#include "session_host.h"
#include "varn/net.h"

class JoinSide {
public:
    explicit JoinSide(NetLink& link) : m_link(link) {}
    JoinSide(const JoinSide&) = delete;
    JoinSide& operator=(const JoinSide&) = delete;

    bool Joined() const { return m_joined; }
    int LastError() const { return m_lastError; }
    void ClearError() { m_lastError = 0; }

    // Joins the session at description->hostAddress (default port gamePort)
    // from a free port on bind; 1 when admitted, else 0 with the reason in
    // LastError. allowed: whether this process may join now at all.
    int Join(SessionDescription* description, bool allowed, uint16_t gamePort, const NetAddress& bind);
    // Asks the host whether the session is ready (one round trip's wait).
    int IsReady();
    // Copies a file of the host into the cache when this side's copy differs.
    int SyncFile(const char* name, int* replaced);
    void Describe(SessionDescription* description) const;  // under link.lock
    const char* GameMode() const;                          // under link.lock
    // Tells the host that this side leaves (twice: a datagram may be lost,
    // and a lost leave costs the host a timeout), then forgets the session.
    void Leave();

    // Service thread: a keep-alive to the host when one is due.
    void KeepAlive();
    // Service thread, under link.lock, in flight: a host not heard from for
    // kHostSilenceMs is dropped as if it had left.
    void DropSilentHost();

    // Takes a leave or keep-alive of the joined host (taking link.lock
    // itself); false for anything else.
    bool TakeNotice(const char* data, size_t size);
    // For the shared flight, under link.lock.
    const NetAddress& HostAddress() const { return m_hostAddress; }
    uint64_t Token() const { return m_token; }
    const HashKey& SealKey() const { return m_answerKey; }  // the key of the host's seals
    bool HostLeft() const { return m_hostLeft; }
    int Place() const { return m_place; }
    void SetPlace(int place) { m_place = place; }
    void HostHeard(uint32_t now) { m_hostHeard = now; }
    void Sent(uint32_t now) { m_lastSent = now; }
    // The flight ended with the layer: no place, the host's leave forgotten.
    void ForgetFlight() { m_hostLeft = false, m_place = 0; }

private:
    // The session this process joined, as the host last described it.
    struct Session {
        char name[netwire::kTextSize];
        int gameType;
        int maxPlayers;
        int currentPlayers;
        int ready;
    };

    // Sends request to the joined host and waits for the answer of the given
    // type to the same request number, sending it again after each wait the
    // round trip gives, for up to forMs (at least one try); -1 without answer.
    int Exchange(const netwire::Writer& request, netwire::MessageType answerType, char* answer, uint32_t forMs);
    // Copies a file of fileSize bytes from the host into contents; false when
    // the host stopped giving chunks.
    bool FetchChunks(int cacheFile, const char* asked, uint32_t fileSize, char* contents);

    NetLink& m_link;
    bool m_joined = false;
    Session m_session{};
    NetAddress m_hostAddress;        // the session's address
    uint64_t m_token = 0;            // the token the host admitted us with
    HashKey m_passwordKey;           // the password's key under m_keySalt
    uint8_t m_keySalt[netwire::kSaltSize] = {};
    char m_keyPassword[netwire::kTextSize] = "";  // the password m_passwordKey was derived from
    bool m_keyDerived = false;
    HashKey m_answerKey;             // the key of the host's seals
    uint64_t m_joinCookie = 0;       // the cookie of the join the host answered
    RoundTrip m_roundTrip;           // the route to the host
    uint32_t m_statusRequest = 0;    // the status request standing, 0 for none
    uint32_t m_hostHeard = 0;        // when the host was last heard
    uint32_t m_lastSent = 0;         // when the host last heard from us
    bool m_hostLeft = false;         // the host said it leaves, or fell silent in flight
    int m_place = 0;                 // the place the host gave us, 0 for none
    int m_lastError = 0;
};
