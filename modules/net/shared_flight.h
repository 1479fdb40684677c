// The shared flight of the network layer: the states of the aircraft each
// side flies, sent by the service thread at a fixed rate while the flight
// runs, and the latest states heard from the other side.
//
// Threads: the main thread (the game's flight) sets this side's states,
// stops the flight and reads the other side's aircraft; the service thread
// sends the states and, when joined, reads the host's. Every field is under
// link.lock, and so is what the flight reads of the two sides.
#pragma once

#include "flight_messages.h"
#include "flight_network.h"
#include "host_side.h"
#include "join_side.h"
#include "net_link.h"

class SharedFlight {
public:
    SharedFlight(NetLink& link, HostSide& host, JoinSide& join) : m_link(link), m_host(host), m_join(join) {}
    SharedFlight(const SharedFlight&) = delete;
    SharedFlight& operator=(const SharedFlight&) = delete;

    bool Flying() const { return m_flying; }  // under link.lock

    // The operations of ISampleNetwork (flight_network.h).
    int Place();
    void SetState(int id, const AircraftState* state);
    void Stop();
    int RemoteAircraft(int id, AircraftState* state, char* pilot, int size);
    // The layer shuts down: no flight, nothing heard. Under link.lock.
    void Forget() { m_flying = m_heardHost = false; }

    // Service thread: sends the states of the aircraft flown here when they
    // are due: to the host when joined, to each joined player when hosting.
    void SendStates();
    // Service thread, joined and in flight: takes what the joined host
    // sends, or waits up to waitMs.
    void ServeJoined(uint32_t waitMs);

private:
    void TakeFromHost(const char* data, size_t size);

    NetLink& m_link;
    HostSide& m_host;
    JoinSide& m_join;
    bool m_flying = false;
    bool m_flownHere[netwire::kMaxPlaces] = {};
    netwire::AircraftWireState m_own[netwire::kMaxPlaces] = {};
    uint32_t m_statesSent = 0;       // when states last went out
    uint32_t m_stateSequence = 0;
    bool m_heardHost = false;        // joined: a state of the host came in this flight
    uint32_t m_hostSequence = 0;
    netwire::FlightStates m_hostStates{};
};
