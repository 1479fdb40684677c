// The shared flight: the states of the aircraft each side flies, sent by the
// service thread at a fixed rate while the flight runs. The host's side reads
// its players' states through SessionHost (admitted players only, with a
// budget each); the joining side reads only what comes from the host it
// joined, with its own token, and keeps the latest.
#include "shared_flight.h"

#include "files/strings.h"
#include "net_lock.h"
#include "session_messages.h"
#include "platform/platform.h"

using namespace netwire;

namespace {

const uint32_t kStateIntervalMs = 100;  // ten states a second
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

int SharedFlight::Place() {
    Locked lock(m_link.lock);
    if (m_host.Hosting()) return 0;
    return m_join.Joined() && m_join.Place() > 0 ? m_join.Place() : -1;
}

void SharedFlight::SetState(int id, const AircraftState* state) {
    if (id < 0 || id >= kMaxPlaces) return;
    Locked lock(m_link.lock);
    if (!m_host.Hosting() && !m_join.Joined()) return;
    if (!m_flying) {
        // A new flight: nothing heard yet, the first states go out at once.
        m_host.Session().ForgetStates();
        m_heardHost = false;
        m_join.HostHeard(plat::TimerTime());  // the host's silence counts from the flight's start
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

void SharedFlight::Stop() {
    Locked lock(m_link.lock);
    m_flying = false;
    m_heardHost = false;
    for (bool& flown : m_flownHere) flown = false;
    m_host.Session().ForgetStates();
}

int SharedFlight::RemoteAircraft(int id, AircraftState* state, char* pilot, int size) {
    if (pilot && size > 0) pilot[0] = '\0';
    if (id < 0 || id >= kMaxPlaces || !state) return 0;
    Locked lock(m_link.lock);
    if (m_host.Hosting()) {
        const SessionHost& session = m_host.Session();
        const int index = session.PlayerAtPlace(id);
        if (index < 0) return 0;
        if (pilot && size > 0) CopyString(pilot, session.PlayerName(index), static_cast<size_t>(size));
        AircraftWireState wire;
        if (!m_flying || !session.PlayerState(index, &wire)) return 1;
        FromWire(wire, state);
        return 2;
    }
    // Joined: every aircraft but our own is the host's, until the host leaves.
    if (!m_join.Joined() || m_join.HostLeft() || id == m_join.Place()) return 0;
    if (!m_heardHost) return 1;
    for (int i = 0; i < m_hostStates.count; ++i) {
        if (m_hostStates.aircraft[i].id == id) {
            FromWire(m_hostStates.aircraft[i], state);
            return 2;
        }
    }
    return 1;
}

void SharedFlight::SendStates() {
    Locked lock(m_link.lock);
    const uint32_t now = plat::TimerTime();
    if (!m_flying || now - m_statesSent < kStateIntervalMs) return;
    // Due times step by the interval, so that the service loop's wake-ups do
    // not stretch it; after a long stall the count starts again from now.
    m_statesSent = now - m_statesSent < 2 * kStateIntervalMs ? m_statesSent + kStateIntervalMs : now;
    const uint32_t sequence = ++m_stateSequence;
    if (m_join.Joined()) {
        if (m_join.Place() <= 0 || !m_flownHere[m_join.Place()] || m_join.HostLeft()) return;
        const Writer state = PlayerStateMessage(sequence, m_join.Token(), m_own[m_join.Place()]);
        m_link.gameSocket.Send(m_join.HostAddress(), state.Data(), state.Size());
        m_join.Sent(now);  // as good as a keep-alive
        return;
    }
    if (!m_host.Hosting()) return;
    const SessionHost& session = m_host.Session();
    for (int player = 0; player < session.PlayerCount(); ++player) {
        // Each player hears of every aircraft flown here but its own.
        AircraftWireState aircraft[kMaxPlaces];
        int count = 0;
        for (int id = 0; id < kMaxPlaces; ++id) {
            if (m_flownHere[id] && id != session.PlayerPlace(player)) aircraft[count++] = m_own[id];
        }
        const Writer states = FlightStatesMessage(sequence, session.PlayerToken(player), session.PlayerAnswerKey(player),
                                                  session.PlayerPlace(player), aircraft, count);
        m_link.gameSocket.Send(session.PlayerAddress(player), states.Data(), states.Size());
    }
}

void SharedFlight::ServeJoined(uint32_t waitMs) {
    if (UdpSocket::WaitReadable(&m_link.gameSocket, nullptr, waitMs) == 0) return;
    char data[kMaxDatagram];
    NetAddress from;
    for (int i = 0; i < kDrainPerTurn; ++i) {
        const int size = m_link.gameSocket.Receive(data, sizeof data, &from, 0);
        if (size < 0) break;
        InterlockedIncrement(&m_link.handled);
        // Only the host we joined is heard; anyone else is dropped unread.
        if (from == m_join.HostAddress()) TakeFromHost(data, static_cast<size_t>(size));
    }
}

void SharedFlight::TakeFromHost(const char* data, size_t size) {
    if (m_join.TakeNotice(data, size)) return;
    Reader message(data, size);
    if (!message.Valid()) return;
    Locked lock(m_link.lock);
    FlightStates states;
    if (!ReadFlightStates(data, size, m_join.Token(), m_join.SealKey(), &states)) return;
    m_join.HostHeard(plat::TimerTime());
    if (m_heardHost && !IsNewer(message.Request(), m_hostSequence)) return;  // a late one
    m_hostStates = states;
    m_hostSequence = message.Request();
    if (states.place > 0) m_join.SetPlace(states.place);
    m_heardHost = m_flying;
}
