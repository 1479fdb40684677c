// The shared flight: the states of the aircraft each side flies, sent by the
// service thread at a fixed rate while the flight runs. The host's side reads
// its players' states through SessionHost (admitted players only, with a
// budget each); the joining side reads only what comes from the host it
// joined, with its own token, and keeps the latest.
#include "network_layer.h"

#include "files/strings.h"
#include "net_lock.h"
#include "session_messages.h"
#include "platform/platform.h"

using namespace netwire;

namespace {

const uint32_t kStateIntervalMs = 100;  // ten states a second
const uint32_t kHostKeepAliveMs = 1000;  // the host's word to its players outside a flight
const int kDrainPerTurn = 64;

AircraftWireState ToWire(int id, const AircraftState& state) {
    AircraftWireState wire{};
    wire.id = static_cast<uint8_t>(id);
    wire.x = state.x;
    wire.y = state.y;
    wire.order = static_cast<uint8_t>(state.order >= 0 && state.order <= 255 ? state.order : 0);
    return wire;
}

void FromWire(const AircraftWireState& wire, AircraftState* state) {
    state->x = wire.x;
    state->y = wire.y;
    state->order = wire.order;
}

}  // namespace

int NetworkLayer::netGetFlightPlace() {
    Locked lock(m_lock);
    if (m_hosting) return 0;
    return m_joined && m_place > 0 ? m_place : -1;
}

void NetworkLayer::netSetFlightState(int id, const AircraftState* state) {
    if (id < 0 || id >= kMaxPlaces) return;
    Locked lock(m_lock);
    if (!m_hosting && !m_joined) return;
    if (!m_flying) {
        // A new flight: nothing heard yet, the first states go out at once.
        m_host->ForgetStates();
        m_heardHost = false;
        m_hostHeard = plat::TimerTime();  // the host's silence counts from the flight's start
        m_statesSent = plat::TimerTime() - kStateIntervalMs;
        m_flying = true;
    }
    if (!state) {
        m_flownHere[id] = false;
        return;
    }
    m_own[id] = ToWire(id, *state);
    m_flownHere[id] = true;
}

void NetworkLayer::netStopFlight() {
    Locked lock(m_lock);
    m_flying = false;
    m_heardHost = false;
    for (bool& flown : m_flownHere) flown = false;
    m_host->ForgetStates();
}

int NetworkLayer::netGetRemoteAircraft(int id, AircraftState* state, char* pilot, int size) {
    if (pilot && size > 0) pilot[0] = '\0';
    if (id < 0 || id >= kMaxPlaces || !state) return 0;
    Locked lock(m_lock);
    if (m_hosting) {
        const int index = m_host->PlayerAtPlace(id);
        if (index < 0) return 0;
        if (pilot && size > 0) CopyString(pilot, m_host->PlayerName(index), static_cast<size_t>(size));
        AircraftWireState wire;
        if (!m_flying || !m_host->PlayerState(index, &wire)) return 1;
        FromWire(wire, state);
        return 2;
    }
    // Joined: every aircraft but our own is the host's, until the host leaves.
    if (!m_joined || m_hostLeft || id == m_place) return 0;
    if (!m_heardHost) return 1;
    for (int i = 0; i < m_hostStates.count; ++i) {
        if (m_hostStates.aircraft[i].id == id) {
            FromWire(m_hostStates.aircraft[i], state);
            return 2;
        }
    }
    return 1;
}

void NetworkLayer::SendFlightStates() {
    Locked lock(m_lock);
    const uint32_t now = plat::TimerTime();
    if (!m_flying || now - m_statesSent < kStateIntervalMs) return;
    // Due times step by the interval, so that the service loop's wake-ups do
    // not stretch it; after a long stall the count starts again from now.
    m_statesSent = now - m_statesSent < 2 * kStateIntervalMs ? m_statesSent + kStateIntervalMs : now;
    const uint32_t sequence = ++m_stateSequence;
    if (m_joined) {
        if (m_place <= 0 || !m_flownHere[m_place] || m_hostLeft) return;
        const Writer state = PlayerStateMessage(sequence, m_token, m_own[m_place]);
        m_gameSocket.Send(m_hostAddress, state.Data(), state.Size());
        m_lastSent = now;  // as good as a keep-alive
        return;
    }
    if (!m_hosting) return;
    for (int player = 0; player < m_host->PlayerCount(); ++player) {
        // Each player hears of every aircraft flown here but its own.
        AircraftWireState aircraft[kMaxPlaces];
        int count = 0;
        for (int id = 0; id < kMaxPlaces; ++id) {
            if (m_flownHere[id] && id != m_host->PlayerPlace(player)) aircraft[count++] = m_own[id];
        }
        const Writer states = FlightStatesMessage(sequence, m_host->PlayerToken(player), m_host->PlayerAnswerKey(player),
                                                  m_host->PlayerPlace(player), aircraft, count);
        m_gameSocket.Send(m_host->PlayerAddress(player), states.Data(), states.Size());
    }
}

void NetworkLayer::ServeJoined(uint32_t waitMs) {
    if (UdpSocket::WaitReadable(&m_gameSocket, nullptr, waitMs) == 0) return;
    char data[kMaxDatagram];
    NetAddress from;
    for (int i = 0; i < kDrainPerTurn; ++i) {
        const int size = m_gameSocket.Receive(data, sizeof data, &from, 0);
        if (size < 0) break;
        InterlockedIncrement(&m_handled);
        // Only the host we joined is heard; anyone else is dropped unread.
        if (from == m_hostAddress) TakeFromHost(data, static_cast<size_t>(size));
    }
}

void NetworkLayer::KeepPlayers() {
    Locked lock(m_lock);
    const uint32_t now = plat::TimerTime();
    if (!m_hosting || m_flying || now - m_playersKept < kHostKeepAliveMs) return;
    m_playersKept = now;
    for (int i = 0; i < m_host->PlayerCount(); ++i) {
        const Writer alive = HostNotice(kKeepAlive, NextRequest(), m_host->PlayerToken(i), m_host->PlayerAnswerKey(i));
        m_gameSocket.Send(m_host->PlayerAddress(i), alive.Data(), alive.Size());
    }
}

void NetworkLayer::TakeFromHost(const char* data, size_t size) {
    if (TakeNotice(data, size)) return;
    Reader message(data, size);
    if (!message.Valid()) return;
    Locked lock(m_lock);
    FlightStates states;
    if (!ReadFlightStates(data, size, m_token, m_answerKey, &states)) return;
    m_hostHeard = plat::TimerTime();
    if (m_heardHost && !IsNewer(message.Request(), m_hostSequence)) return;  // a late one
    m_hostStates = states;
    m_hostSequence = message.Request();
    if (states.place > 0) m_place = states.place;
    m_heardHost = m_flying;
}
