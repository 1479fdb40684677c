// The "NET" operations common to both sides, and the session state.
#include "network_layer.h"

#include "net_lock.h"

#include "files/command_line.h"
#include "files/strings.h"
#include "shell/shell.h"

#include <cstring>

namespace {

// A port option; 0 asks for any free port.
uint16_t PortOption(const CommandLine& line, const char* name, uint16_t fallback) {
    const int value = line.GetOptionInt(name, fallback);
    return (value >= 0 && value <= 65535) ? static_cast<uint16_t>(value) : fallback;
}


}  // namespace

NetworkLayer::NetworkLayer() { InitializeCriticalSection(&m_lock); }

NetworkLayer::~NetworkLayer() {
    Shutdown();
    DeleteCriticalSection(&m_lock);
}

void NetworkLayer::Shutdown() {
    StopService();
    m_gameSocket.Close();
    m_querySocket.Close();
    if (m_started) NetSocketsStop();
    m_started = false;
    m_hosting = m_joined = m_queryEnabled = false;
}

void NetworkLayer::ReadSettings(const char* commandLine) {
    CommandLine line;
    line.FromStringWithSeparators(commandLine ? commandLine : "", "-");
    m_gamePort = PortOption(line, "netport", kDefaultGamePort);
    m_queryPort = PortOption(line, "queryport", kDefaultQueryPort);
    char bind[260] = "";
    m_bindAddress = NetAddress();
    if (line.GetOption("netbind", bind, sizeof bind)) {
        NetAddress parsed;
        if (ParseNetAddress(bind, 0, &parsed)) m_bindAddress.ip = parsed.ip;
    }
}

void NetworkLayer::netStart() {
    if (m_started) return;
    m_started = NetSocketsStart();
    ReadSettings(GetCommandLineA());
}

void NetworkLayer::netResetAttempt() {
    m_lastError = 0;
    // Answers that arrived too late for the last attempt are dropped.
    char stale[netwire::kMaxDatagram];
    for (int i = 0; i < 64 && m_gameSocket.Receive(stale, sizeof stale, nullptr, 0) >= 0; ++i) {
    }
}

void NetworkLayer::netEnableQueryReporting(int, const char* hostAddress, QueryReportingSetup* setup) {
    if (!setup) return;
    {
        Locked lock(m_lock);
        m_query = *setup;
        m_queryEnabled = true;
    }
    // Only the hosting process answers queries; a joining one keeps the setup.
    if (hostAddress || m_querySocket.IsOpen() || !m_started) return;
    NetAddress local = m_bindAddress;
    local.port = htons(m_queryPort);
    if (m_querySocket.Open(local)) StartService();
}

void NetworkLayer::netConfigure(int, void*) {}

void NetworkLayer::netSetPlayerName(const char* name) {
    Locked lock(m_lock);
    CopyString(m_playerName, name, sizeof m_playerName);
}

void NetworkLayer::netSetPlayerColor(uint32_t color) { m_playerColor = color; }

int NetworkLayer::netHostSession(SessionDescription* description) {
    if (!m_started || !description || m_hosting || m_joined) return 0;
    // The service thread may already answer queries: it stops while the
    // session's socket opens.
    StopService();
    NetAddress local = m_bindAddress;
    local.port = htons(m_gamePort);
    if (!m_gameSocket.Open(local)) {
        if (m_querySocket.IsOpen()) StartService();
        return 0;
    }
    {
        Locked lock(m_lock);
        m_session = Session();
        CopyString(m_session.name, description->sessionName, sizeof m_session.name);
        m_session.passwordGiven = description->passwordGiven ? 1 : 0;
        if (m_session.passwordGiven) CopyString(m_session.password, description->password, sizeof m_session.password);
        m_session.gameType = description->gameType;
        m_session.maxPlayers = description->maxPlayers;
        m_session.currentPlayers = 1;
        m_playerCount = 0;
        m_hosting = true;
    }
    if (!StartService()) {
        Locked lock(m_lock);
        m_hosting = false;
        m_gameSocket.Close();
        return 0;
    }
    return 1;
}

int NetworkLayer::netGetSessionInfo(SessionDescription* description) {
    if (!description) return 0;
    Locked lock(m_lock);
    if (!m_hosting && !m_joined) return 0;
    description->sessionName = m_session.name;
    description->gameType = m_session.gameType;
    description->maxPlayers = m_session.maxPlayers;
    description->currentPlayers = m_session.currentPlayers;
    return 1;
}

int NetworkLayer::netGetLastError() { return m_lastError; }

void NetworkLayer::netSetSessionReady(int ready) {
    Locked lock(m_lock);
    if (!m_hosting) return;
    m_session.ready = ready ? 1 : 0;
    m_session.closed = ready ? 0 : 1;
}

const char* NetworkLayer::GetGameMode() {
    Locked lock(m_lock);
    const bool admitting = !m_session.closed && m_session.currentPlayers < m_session.maxPlayers;
    return admitting ? "open" : "closed";
}
