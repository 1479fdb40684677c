// The sample network layer, published as "NET": one process hosts a session
// on a UDP port, others join it at "ADDRESS:PORT", exchange files with it and
// wait for it to be ready; the hosting process also answers server-browser
// queries on a second port.
//
// Ports come from the process command line (as a lobby passes them):
// "-netport:N" (default 28150), "-queryport:N" (default 28151) and
// "-netbind:A.B.C.D" (default 0.0.0.0, every interface); port 0 takes any
// free port. "-netseats:N" sets how many players one IP address may seat
// (default 3). Datagrams go only to
// the address being joined, and answers only to whoever asked, within the
// limits of SessionHost (session_host.h). A joined player keeps the host
// hearing from it with keep-alives from the service thread.
#pragma once

#include "flight_messages.h"
#include "flight_network.h"
#include "net_wire.h"
#include "round_trip.h"
#include "session_host.h"
#include "udp_socket.h"
#include "varn/net.h"

#include <winsock2.h>
#include <windows.h>

// The hosting side's files as its file manager ("FMG") finds them.
SessionFileSource* ManagedFileSource();

class NetworkLayer final : public ISampleNetwork, public IQueryContext {
public:
    static const uint16_t kDefaultGamePort = 28150;
    static const uint16_t kDefaultQueryPort = 28151;
    static const int kNameSize = SessionHost::kNameSize;

    NetworkLayer();
    ~NetworkLayer();

    // Stops the service thread and closes the sockets (the module's ExitDLL);
    // a joined player first tells the host that it leaves.
    void Shutdown();
    // The ports the sockets are bound to (0: not open); for tests and logs.
    uint16_t GamePort() const { return m_gameSocket.LocalPort(); }
    uint16_t QueryPort() const { return m_querySocket.LocalPort(); }
    // Datagrams the service thread has taken from its sockets; for benchmarks.
    uint32_t DatagramsHandled() const { return static_cast<uint32_t>(m_handled); }
    // Reads the ports from a command line; netStart reads the process's own.
    void ReadSettings(const char* commandLine);

    void netStart() override;
    void netResetAttempt() override;
    void netEnableQueryReporting(int mode, const char* hostAddress, QueryReportingSetup* setup) override;
    void netConfigure(int size, void* block) override;
    void netSetPlayerName(const char* name) override;
    void netSetPlayerColor(uint32_t color) override;
    int netHostSession(SessionDescription* description) override;
    int netJoinSession(SessionDescription* description, int flags) override;
    int netGetSessionInfo(SessionDescription* description) override;
    int netGetLastError() override;
    int netSyncFile(const char* name, int* replaced) override;
    void netSetSessionReady(int ready) override;
    int netIsSessionReady() override;
    void netOnDeactivate() override {}

    int netGetFlightPlace() override;
    void netSetFlightState(int id, const AircraftState* state) override;
    void netStopFlight() override;
    int netGetRemoteAircraft(int id, AircraftState* state, char* pilot, int size) override;

    void Reserved0() override {}
    const char* GetGameMode() override;

private:
    // The session this process joined, as the host last described it.
    struct Session {
        char name[260];
        int gameType;
        int maxPlayers;
        int currentPlayers;
        int ready;
    };

    // ---- hosting side (session_server.cpp) --------------------------------
    bool StartService();
    void StopService();
    static DWORD WINAPI ServiceThread(void* self);
    // Receives and answers what waits on the sockets (a bounded number of
    // datagrams each), or waits up to waitMs for something to come.
    void ServeSockets(uint32_t waitMs);
    // Lists the files joiners may fetch: each object list's data file and the
    // aircraft list of the cache.
    void ListSessionFiles();
    // ---- query answers (query_answers.cpp) --------------------------------
    void ServeQuery(const char* data, int size, const NetAddress& from);
    // ---- joining side (session_client.cpp) --------------------------------
    // Sends request to the joined host and waits for the answer of the given
    // type to the same request number, sending it again after each wait the
    // round trip gives, for up to forMs (at least one try); -1 without answer.
    int Exchange(const netwire::Writer& request, netwire::MessageType answerType, char* answer, uint32_t forMs);
    // Takes a leave or keep-alive of the joined host; false for anything else.
    bool TakeNotice(const char* data, size_t size);
    // Copies a file of fileSize bytes from the host into contents; false when
    // the host stopped giving chunks.
    bool FetchChunks(int cacheFile, const char* asked, uint32_t fileSize, char* contents);
    uint32_t NextRequest() { return static_cast<uint32_t>(InterlockedIncrement(&m_requestNumber)); }
    // Sends a keep-alive to the joined host when one is due; in flight, drops
    // a host not heard from for kHostSilenceMs.
    void KeepJoined();
    // Hosting: tells each player that the host is still there while no
    // flight states go out.
    void KeepPlayers();
    // ---- the shared flight (flight_exchange.cpp) --------------------------
    // Sends the states of the aircraft flown here when they are due: to the
    // host when joined, to each joined player when hosting.
    void SendFlightStates();
    // Joining, in flight: takes what the joined host sends, or waits up to waitMs.
    void ServeJoined(uint32_t waitMs);
    void TakeFromHost(const char* data, size_t size);

    // Who touches what: the launch's (main) thread calls every "NET"
    // operation; the service thread (session_server.cpp) answers the sockets,
    // sends keep-alives and flight states. Fields the service thread reads or
    // writes while the main thread may too are under m_lock: the session
    // host, the joined session, the player's name, the query setup and the
    // shared flight. The sockets are opened and closed by the main thread
    // only while the service thread is stopped; the request counter is atomic.
    CRITICAL_SECTION m_lock;
    bool m_started = false;
    char m_playerName[kNameSize] = "";
    uint32_t m_playerColor = 0;
    NetAddress m_bindAddress;
    uint16_t m_gamePort = kDefaultGamePort;
    uint16_t m_queryPort = kDefaultQueryPort;
    int m_seatsPerAddress = SessionHost::kDefaultSeatsPerAddress;

    bool m_hosting = false;
    bool m_joined = false;
    SessionHost* m_host = nullptr;   // the hosted session's state and answers
    Session m_session{};             // joining: the joined session
    uint64_t m_token = 0;            // joining: the token the host admitted us with
    HashKey m_passwordKey;           // joining: the password's key under m_keySalt
    uint8_t m_keySalt[netwire::kSaltSize] = {};
    char m_keyPassword[260] = "";    // joining: the password m_passwordKey was derived from
    bool m_keyDerived = false;
    HashKey m_answerKey;             // joining: the key of the host's seals
    uint64_t m_joinCookie = 0;       // joining: the cookie of the join the host answered
    RoundTrip m_roundTrip;           // joining: the route to the host
    uint32_t m_statusRequest = 0;    // joining: the status request standing, 0 for none
    uint32_t m_hostHeard = 0;        // joining: when the host was last heard, under m_lock
    uint32_t m_playersKept = 0;      // hosting: when keep-alives last went to the players
    uint32_t m_lastSent = 0;         // joining: when the host last heard from us
    int m_place = 0;                 // joining: the place the host gave us, 0 for none

    // The shared flight, under m_lock.
    bool m_flying = false;
    bool m_flownHere[netwire::kMaxPlaces] = {};
    netwire::AircraftWireState m_own[netwire::kMaxPlaces] = {};
    uint32_t m_statesSent = 0;       // when states last went out
    uint32_t m_stateSequence = 0;
    bool m_hostLeft = false;         // joining: the host said it leaves
    bool m_heardHost = false;        // joining: a state of the host came in this flight
    uint32_t m_hostSequence = 0;
    netwire::FlightStates m_hostStates{};
    int m_lastError = 0;

    QueryReportingSetup m_query{};
    bool m_queryEnabled = false;
    uint32_t m_queryId = 0;

    UdpSocket m_gameSocket;   // hosting: the session's port; joining: a free port
    UdpSocket m_querySocket;  // hosting with query reporting
    NetAddress m_hostAddress;  // joining: the session's address
    volatile LONG m_requestNumber = 0;
    HANDLE m_thread = nullptr;
    volatile LONG m_stop = 0;
    volatile LONG m_handled = 0;
};
