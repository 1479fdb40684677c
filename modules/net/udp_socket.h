// A UDP socket of the sample network layer (winsock), with bounded waits.
#pragma once

#include <cstddef>
#include <cstdint>

#include "net_address.h"

// Reads "A.B.C.D:PORT" (blanks around it ignored; "" means 127.0.0.1, a
// missing port defaultPort). False for anything else: no name is looked up.
bool ParseNetAddress(const char* text, uint16_t defaultPort, NetAddress* out);

// Starts and stops winsock for the module (counted).
bool NetSocketsStart();
void NetSocketsStop();

class UdpSocket {
public:
    UdpSocket() = default;
    ~UdpSocket() { Close(); }
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Binds to the address (port 0: any free port). False when it cannot.
    bool Open(const NetAddress& local);
    void Close();
    bool IsOpen() const;
    // The port the socket is bound to, in host byte order.
    uint16_t LocalPort() const;

    bool Send(const NetAddress& to, const void* data, size_t size);
    // Waits at most timeoutMs for a datagram (0: takes one only when it is
    // there already); its size, or -1 when none came.
    int Receive(void* buffer, size_t size, NetAddress* from, uint32_t timeoutMs);
    // Waits at most timeoutMs until either open socket (null: none) has a
    // datagram: bit 1 for the first, bit 2 for the second, 0 for neither.
    static int WaitReadable(UdpSocket* first, UdpSocket* second, uint32_t timeoutMs);

private:
    uintptr_t m_socket = ~static_cast<uintptr_t>(0);
};
