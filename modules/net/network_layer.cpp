// The "NET" operations, each handed to the host side, the join side or the
// shared flight, and the service thread that runs their periodic work.
#define _CRT_RAND_S  // rand_s: the system's random source
#include "network_layer.h"

#include "net_lock.h"

#include "files/command_line.h"
#include "files/paths.h"
#include "files/strings.h"
#include "platform/platform.h"

#include <cstdlib>
#include <cstring>

namespace {

const uint32_t kServiceWaitMs = 50;
const DWORD kServiceStopMs = 5000;

// A port option; 0 asks for any free port.
uint16_t PortOption(const CommandLine& line, const char* name, uint16_t fallback) {
    const int value = line.GetOptionInt(name, fallback);
    return (value >= 0 && value <= 65535) ? static_cast<uint16_t>(value) : fallback;
}

}  // namespace

NetworkLayer::NetworkLayer() {
    // Request numbers start where nobody off the path can guess.
    unsigned int start = 0;
    rand_s(&start);
    m_link.requestNumber = static_cast<LONG>(start);
}

NetworkLayer::~NetworkLayer() { Shutdown(); }

void NetworkLayer::Shutdown() {
    StopService();
    m_joinSide.Leave();
    {
        Locked lock(m_link.lock);
        // The host says so too, to each player, who then flies on alone.
        m_hostSide.Close();
        m_flight.Forget();
        m_joinSide.ForgetFlight();
    }
    m_link.gameSocket.Close();
    m_hostSide.CloseQueryPort();
    if (m_started) NetSocketsStop();
    m_started = false;
}

void NetworkLayer::ReadSettings(const char* commandLine) {
    CommandLine line;
    line.FromStringWithSeparators(commandLine ? commandLine : "", "-");
    m_gamePort = PortOption(line, "netport", kDefaultGamePort);
    m_queryPort = PortOption(line, "queryport", kDefaultQueryPort);
    // Players one IP address may seat ("-netseats:N", 1 or more).
    const int seats = line.GetOptionInt("netseats", SessionHost::kDefaultSeatsPerAddress);
    m_seatsPerAddress = seats >= 1 && seats <= SessionHost::kMaxJoined ? seats : SessionHost::kDefaultSeatsPerAddress;
    char bind[kPathSize] = "";
    m_bindAddress = NetAddress();
    if (line.GetOption("netbind", bind, sizeof bind)) {
        NetAddress parsed;
        if (ParseNetAddress(bind, 0, &parsed)) m_bindAddress.ip = parsed.ip;
    }
}

void NetworkLayer::SetAnswerTotal(AnswerKind kind, const Budget& total) {
    Locked lock(m_link.lock);
    m_hostSide.Session().SetAnswerTotal(kind, total);
}

bool NetworkLayer::StartService() {
    if (m_thread) return true;
    InterlockedExchange(&m_stop, 0);
    m_thread = CreateThread(nullptr, 0, &NetworkLayer::ServiceThread, this, 0, nullptr);
    return m_thread != nullptr;
}

void NetworkLayer::StopService() {
    if (!m_thread) return;
    InterlockedExchange(&m_stop, 1);
    WaitForSingleObject(m_thread, kServiceStopMs);
    CloseHandle(m_thread);
    m_thread = nullptr;
}

DWORD WINAPI NetworkLayer::ServiceThread(void* self) {
    NetworkLayer* layer = static_cast<NetworkLayer*>(self);
    while (!InterlockedCompareExchange(&layer->m_stop, 0, 0)) layer->ServeTurn();
    return 0;
}

void NetworkLayer::ServeTurn() {
    if (m_hostSide.Hosting() || m_hostSide.QueryPortOpen()) {
        m_hostSide.Serve(kServiceWaitMs);
    } else if (m_joinSide.Joined()) {
        bool flying = false;
        {
            Locked lock(m_link.lock);
            flying = m_flight.Flying();
            // In flight a silent host is dropped as if it had left: the flight goes on alone.
            if (flying) m_joinSide.DropSilentHost();
        }
        m_joinSide.KeepAlive();
        // In flight the host's states are read here; before, the launch's
        // requests read their answers themselves.
        if (flying)
            m_flight.ServeJoined(kServiceWaitMs);
        else
            Sleep(kServiceWaitMs);
    } else {
        Sleep(kServiceWaitMs);
    }
    m_flight.SendStates();
    Locked lock(m_link.lock);
    // Outside a flight the host's players hear from it by keep-alives.
    if (!m_flight.Flying()) m_hostSide.KeepPlayers();
}

void NetworkLayer::netStart() {
    if (m_started) return;
    m_started = NetSocketsStart();
    ReadSettings(GetCommandLineA());
}

void NetworkLayer::netResetAttempt() {
    m_joinSide.ClearError();
    // Answers that arrived too late for the last attempt are dropped.
    char stale[netwire::kMaxDatagram];
    for (int i = 0; i < 64 && m_link.gameSocket.Receive(stale, sizeof stale, nullptr, 0) >= 0; ++i) {
    }
}

void NetworkLayer::netEnableQueryReporting(int, const char* hostAddress, QueryReportingSetup* setup) {
    if (!setup) return;
    m_hostSide.SetQuerySetup(*setup);
    // Only the hosting process answers queries; a joining one keeps the setup.
    if (hostAddress || m_hostSide.QueryPortOpen() || !m_started) return;
    NetAddress local = m_bindAddress;
    local.port = htons(m_queryPort);
    if (m_hostSide.OpenQueryPort(local)) StartService();
}

void NetworkLayer::netConfigure(int, void*) {}

void NetworkLayer::netSetPlayerName(const char* name) {
    Locked lock(m_link.lock);
    CopyString(m_link.playerName, name, sizeof m_link.playerName);
}

void NetworkLayer::netSetPlayerColor(uint32_t color) { m_link.playerColor = color; }

int NetworkLayer::netHostSession(SessionDescription* description) {
    if (!m_started || !description || m_hostSide.Hosting() || m_joinSide.Joined()) return 0;
    // The service thread may already answer queries: it stops while the
    // session's socket opens.
    StopService();
    NetAddress local = m_bindAddress;
    local.port = htons(m_gamePort);
    if (!m_link.gameSocket.Open(local)) {
        if (m_hostSide.QueryPortOpen()) StartService();
        return 0;
    }
    m_hostSide.Open(*description, m_seatsPerAddress);
    if (!StartService()) {
        {
            Locked lock(m_link.lock);
            m_hostSide.Close();
        }
        m_link.gameSocket.Close();
        return 0;
    }
    return 1;
}

int NetworkLayer::netJoinSession(SessionDescription* description, int) {
    const bool allowed = m_started && !m_hostSide.Hosting();
    if (!m_joinSide.Join(description, allowed, m_gamePort, m_bindAddress)) return 0;
    StartService();  // keep-alives
    return 1;
}

int NetworkLayer::netGetSessionInfo(SessionDescription* description) {
    if (!description) return 0;
    Locked lock(m_link.lock);
    if (m_hostSide.Hosting()) {
        m_hostSide.Describe(description);
        return 1;
    }
    if (!m_joinSide.Joined()) return 0;
    m_joinSide.Describe(description);
    return 1;
}

int NetworkLayer::netGetLastError() { return m_joinSide.LastError(); }

int NetworkLayer::netSyncFile(const char* name, int* replaced) { return m_joinSide.SyncFile(name, replaced); }

void NetworkLayer::netSetSessionReady(int ready) { m_hostSide.SetReady(ready); }

int NetworkLayer::netIsSessionReady() {
    if (m_hostSide.Hosting()) {
        Locked lock(m_link.lock);
        return m_hostSide.Session().Ready();
    }
    return m_joinSide.IsReady();
}

int NetworkLayer::netGetFlightPlace() { return m_flight.Place(); }

void NetworkLayer::netSetFlightState(int id, const AircraftState* state) { m_flight.SetState(id, state); }

void NetworkLayer::netStopFlight() { m_flight.Stop(); }

int NetworkLayer::netGetRemoteAircraft(int id, AircraftState* state, char* pilot, int size) {
    return m_flight.RemoteAircraft(id, state, pilot, size);
}

const char* NetworkLayer::GetGameMode() {
    Locked lock(m_link.lock);
    if (m_joinSide.Joined()) return m_joinSide.GameMode();
    return m_hostSide.Session().Admitting() ? "open" : "closed";
}
