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

#include "flight_network.h"
#include "host_side.h"
#include "join_side.h"
#include "net_link.h"
#include "shared_flight.h"
#include "varn/net.h"

#include <winsock2.h>
#include <windows.h>

// The "NET" operations hand each call to the side it concerns; the service
// thread loop below runs the sides' periodic work.
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
    uint16_t GamePort() const { return m_link.gameSocket.LocalPort(); }
    uint16_t QueryPort() const { return m_hostSide.QueryPort(); }
    // Datagrams the service thread has taken from its sockets; for benchmarks.
    uint32_t DatagramsHandled() const { return static_cast<uint32_t>(m_link.handled); }
    // Replaces the hosted session's total on answers of one kind; for benchmarks.
    void SetAnswerTotal(AnswerKind kind, const Budget& total);
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
    bool StartService();
    void StopService();
    static DWORD WINAPI ServiceThread(void* self);
    // One turn of the service thread: the sockets, keep-alives, flight states.
    void ServeTurn();

    // Who touches what: the launch's (main) thread calls every "NET"
    // operation; the service thread (ServeTurn) answers the sockets, sends
    // keep-alives and flight states. Each side says which of its fields are
    // under m_link.lock. The settings below and the thread handle are the
    // main thread's own; m_stop is atomic.
    NetLink m_link;
    HostSide m_hostSide{m_link, this};
    JoinSide m_joinSide{m_link};
    SharedFlight m_flight{m_link, m_hostSide, m_joinSide};

    bool m_started = false;
    NetAddress m_bindAddress;
    uint16_t m_gamePort = kDefaultGamePort;
    uint16_t m_queryPort = kDefaultQueryPort;
    int m_seatsPerAddress = SessionHost::kDefaultSeatsPerAddress;
    HANDLE m_thread = nullptr;
    volatile LONG m_stop = 0;
};
