// The "NET" operations common to both sides, and the session state.
#define _CRT_RAND_S  // rand_s: the system's random source
#include "network_layer.h"

#include "net_lock.h"
#include "session_messages.h"

#include "files/command_line.h"
#include "files/strings.h"
#include "platform/platform.h"
#include "shell/shell.h"

#include <cstdlib>
#include <cstring>

namespace {

// A port option; 0 asks for any free port.
uint16_t PortOption(const CommandLine& line, const char* name, uint16_t fallback) {
    const int value = line.GetOptionInt(name, fallback);
    return (value >= 0 && value <= 65535) ? static_cast<uint16_t>(value) : fallback;
}


}  // namespace

NetworkLayer::NetworkLayer() {
    InitializeCriticalSection(&m_lock);
    // The keys of cookies, tokens and rate-limit tables come from the
    // system's random source.
    unsigned char seed[32];
    for (size_t i = 0; i < sizeof seed; i += 4) {
        unsigned int value = 0;
        rand_s(&value);
        memcpy(seed + i, &value, 4);
    }
    m_host = new SessionHost(seed, ManagedFileSource());
    // Request numbers start where nobody off the path can guess.
    unsigned int start = 0;
    rand_s(&start);
    m_requestNumber = static_cast<LONG>(start);
    SecureZeroMemory(seed, sizeof seed);
}

NetworkLayer::~NetworkLayer() {
    Shutdown();
    delete m_host;
    DeleteCriticalSection(&m_lock);
}

void NetworkLayer::Shutdown() {
    StopService();
    if (m_joined) {
        // Said twice: a datagram may be lost, and a lost leave costs the host a timeout.
        const netwire::Writer leave = netwire::TokenRequest(netwire::kLeave, NextRequest(), m_token);
        for (int i = 0; i < 2; ++i) m_gameSocket.Send(m_hostAddress, leave.Data(), leave.Size());
    }
    {
        Locked lock(m_lock);
        // The host says so too, to each player, who then flies on alone.
        for (int i = 0; m_hosting && i < m_host->PlayerCount(); ++i) {
            const netwire::Writer leave =
                netwire::HostNotice(netwire::kLeave, NextRequest(), m_host->PlayerToken(i), m_host->PlayerAnswerKey(i));
            for (int j = 0; j < 2; ++j) m_gameSocket.Send(m_host->PlayerAddress(i), leave.Data(), leave.Size());
        }
        m_host->Close();
        m_flying = m_hostLeft = m_heardHost = false;
        m_place = 0;
    }
    m_token = 0;
    SecureZeroMemory(m_keyPassword, sizeof m_keyPassword);
    m_keyDerived = false;
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
    // Players one IP address may seat ("-netseats:N", 1 or more).
    const int seats = line.GetOptionInt("netseats", SessionHost::kDefaultSeatsPerAddress);
    m_seatsPerAddress = seats >= 1 && seats <= SessionHost::kMaxJoined ? seats : SessionHost::kDefaultSeatsPerAddress;
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
        SessionSettings settings{};
        settings.name = description->sessionName;
        settings.password = description->password;
        settings.passwordGiven = description->passwordGiven;
        settings.gameType = description->gameType;
        settings.maxPlayers = description->maxPlayers;
        settings.version = ShellGetVersionText();
        settings.seatsPerAddress = m_seatsPerAddress;
        m_host->Open(settings, plat::TimerTime());
        m_hosting = true;
    }
    if (!StartService()) {
        Locked lock(m_lock);
        m_host->Close();
        m_hosting = false;
        m_gameSocket.Close();
        return 0;
    }
    return 1;
}

int NetworkLayer::netGetSessionInfo(SessionDescription* description) {
    if (!description) return 0;
    Locked lock(m_lock);
    if (m_hosting) {
        description->sessionName = m_host->Name();
        description->gameType = m_host->GameType();
        description->maxPlayers = m_host->MaxPlayers();
        description->currentPlayers = m_host->CurrentPlayers();
        return 1;
    }
    if (!m_joined) return 0;
    description->sessionName = m_session.name;
    description->gameType = m_session.gameType;
    description->maxPlayers = m_session.maxPlayers;
    description->currentPlayers = m_session.currentPlayers;
    return 1;
}

int NetworkLayer::netGetLastError() { return m_lastError; }

void NetworkLayer::netSetSessionReady(int ready) {
    if (!m_hosting) return;
    // The files are listed before joiners learn that the session is ready.
    if (ready) ListSessionFiles();
    Locked lock(m_lock);
    m_host->SetReady(ready);
}

const char* NetworkLayer::GetGameMode() {
    Locked lock(m_lock);
    if (m_joined) return m_session.currentPlayers < m_session.maxPlayers ? "open" : "closed";
    return m_host->Admitting() ? "open" : "closed";
}
