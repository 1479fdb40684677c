// The hosting side of the network layer: the session's SessionHost behind
// the game socket, the server-browser answers on the query port, the list
// of files joiners may fetch and the host's keep-alives to its players.
//
// Threads: the main thread opens, closes and readies the session and sets
// the query setup; the service thread serves both sockets, expires players
// and sends keep-alives. Under link.lock: the SessionHost (players, budgets,
// files) and the query setup. m_hosting and the query socket change only on
// the main thread while the service thread is stopped (it only reads them);
// m_playersKept and m_queryId are the service thread's own.
#pragma once

#include "net_link.h"
#include "session_host.h"
#include "udp_socket.h"
#include "varn/net.h"

// The hosting side's files as its file manager ("FMG") finds them.
SessionFileSource* ManagedFileSource();

class HostSide {
public:
    // context: what the server-information callbacks are handed.
    HostSide(NetLink& link, IQueryContext* context);
    ~HostSide();
    HostSide(const HostSide&) = delete;
    HostSide& operator=(const HostSide&) = delete;

    bool Hosting() const { return m_hosting; }
    // The hosted session; under link.lock.
    SessionHost& Session() { return *m_host; }

    // Opens the session on the game socket, which the caller has bound.
    void Open(const SessionDescription& description, int seatsPerAddress);
    // Closes the session; its players are told first (twice each: a lost
    // leave costs a player a timeout). Under link.lock.
    void Close();
    // Ready: the files are listed first, then joiners learn it.
    void SetReady(int ready);
    void Describe(SessionDescription* description) const;  // under link.lock

    void SetQuerySetup(const QueryReportingSetup& setup);
    bool OpenQueryPort(const NetAddress& local) { return m_querySocket.Open(local); }
    void CloseQueryPort() { m_querySocket.Close(); }
    bool QueryPortOpen() const { return m_querySocket.IsOpen(); }
    uint16_t QueryPort() const { return m_querySocket.LocalPort(); }

    // Service thread: receives and answers what waits on the sockets (a
    // bounded number of datagrams each), or waits up to waitMs for
    // something to come; then drops the players past their timeout.
    void Serve(uint32_t waitMs);
    // Service thread, under link.lock, outside a flight: tells each player
    // that the host is still there when that is due.
    void KeepPlayers();

private:
    void ServeQuery(const char* data, int size, const NetAddress& from);
    // Lists the files joiners may fetch: each object list's data file and the
    // aircraft list of the cache.
    void ListSessionFiles();

    NetLink& m_link;
    IQueryContext* m_context;
    SessionHost* m_host = nullptr;
    bool m_hosting = false;
    UdpSocket m_querySocket;
    QueryReportingSetup m_query{};
    uint32_t m_queryId = 0;
    uint32_t m_playersKept = 0;  // when keep-alives last went to the players
};
