// What the host side, the join side and the shared flight of the network
// layer share: the session's socket, the lock, the request numbers and this
// player's name.
#pragma once

#include "session_host.h"
#include "udp_socket.h"

#include <winsock2.h>
#include <windows.h>

struct NetLink {
    NetLink() { InitializeCriticalSection(&lock); }
    ~NetLink() { DeleteCriticalSection(&lock); }
    NetLink(const NetLink&) = delete;
    NetLink& operator=(const NetLink&) = delete;

    uint32_t NextRequest() { return static_cast<uint32_t>(InterlockedIncrement(&requestNumber)); }

    // Guards every field the service thread and the main thread may touch
    // at once (each side says which of its own).
    CRITICAL_SECTION lock;
    // Hosting: the session's port; joining: a free port. Opened and closed by
    // the main thread only while the service thread is stopped; sending and
    // receiving need no lock.
    UdpSocket gameSocket;
    volatile LONG requestNumber = 0;  // atomic; starts at a random value
    volatile LONG handled = 0;        // atomic: datagrams taken by the service thread
    char playerName[SessionHost::kNameSize] = "";  // under lock (the query answers read it)
    uint32_t playerColor = 0;                      // main thread only
};
