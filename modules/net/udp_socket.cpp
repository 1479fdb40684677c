// UDP sockets over Winsock: bound to a local address, sending to and
// receiving from peers, and waiting on up to two sockets at once.
#include "udp_socket.h"

#include "files/paths.h"
#include "files/strings.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <cstring>

namespace {
LONG g_startCount = 0;
const uintptr_t kNoSocket = ~static_cast<uintptr_t>(0);
}  // namespace

bool ParseNetAddress(const char* text, uint16_t defaultPort, NetAddress* out) {
    char address[kPathSize];
    CopyString(address, text, sizeof address);
    TrimString(address);
    if (address[0] == '\0') CopyString(address, "127.0.0.1", sizeof address);
    uint16_t port = defaultPort;
    if (char* colon = strchr(address, ':')) {
        *colon = '\0';
        char* end = nullptr;
        const long value = strtol(colon + 1, &end, 10);
        if (end == colon + 1 || *end != '\0' || value <= 0 || value > 65535) return false;
        port = static_cast<uint16_t>(value);
    }
    in_addr ip;
    if (inet_pton(AF_INET, address, &ip) != 1) return false;
    out->ip = ip.s_addr;
    out->port = htons(port);
    return true;
}

bool NetSocketsStart() {
    if (InterlockedIncrement(&g_startCount) > 1) return true;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) == 0) return true;
    InterlockedDecrement(&g_startCount);
    return false;
}

void NetSocketsStop() {
    if (InterlockedDecrement(&g_startCount) == 0) WSACleanup();
}

bool UdpSocket::Open(const NetAddress& local) {
    Close();
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = local.ip;
    address.sin_port = local.port;
    // Non-blocking: a receive that finds nothing returns at once.
    u_long nonBlocking = 1;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        closesocket(s);
        return false;
    }
    m_socket = static_cast<uintptr_t>(s);
    return true;
}

void UdpSocket::Close() {
    if (m_socket == kNoSocket) return;
    closesocket(static_cast<SOCKET>(m_socket));
    m_socket = kNoSocket;
}

bool UdpSocket::IsOpen() const { return m_socket != kNoSocket; }

uint16_t UdpSocket::LocalPort() const {
    if (!IsOpen()) return 0;
    sockaddr_in address{};
    int length = sizeof address;
    if (getsockname(static_cast<SOCKET>(m_socket), reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohs(address.sin_port);
}

bool UdpSocket::Send(const NetAddress& to, const void* data, size_t size) {
    if (!IsOpen()) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = to.ip;
    address.sin_port = to.port;
    const int sent = sendto(static_cast<SOCKET>(m_socket), static_cast<const char*>(data), static_cast<int>(size), 0,
                            reinterpret_cast<sockaddr*>(&address), sizeof address);
    return sent == static_cast<int>(size);
}

int UdpSocket::WaitReadable(UdpSocket* first, UdpSocket* second, uint32_t timeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    UdpSocket* const sockets[2] = {first, second};
    for (UdpSocket* socket : sockets) {
        if (socket && socket->IsOpen()) FD_SET(static_cast<SOCKET>(socket->m_socket), &readable);
    }
    if (readable.fd_count == 0) {
        Sleep(timeoutMs);
        return 0;
    }
    timeval wait;
    wait.tv_sec = static_cast<long>(timeoutMs / 1000);
    wait.tv_usec = static_cast<long>((timeoutMs % 1000) * 1000);
    if (select(0, &readable, nullptr, nullptr, &wait) <= 0) return 0;
    int ready = 0;
    for (int i = 0; i < 2; ++i) {
        if (sockets[i] && sockets[i]->IsOpen() && FD_ISSET(static_cast<SOCKET>(sockets[i]->m_socket), &readable))
            ready |= 1 << i;
    }
    return ready;
}

int UdpSocket::Receive(void* buffer, size_t size, NetAddress* from, uint32_t timeoutMs) {
    if (!IsOpen()) return -1;
    if (timeoutMs && !(WaitReadable(this, nullptr, timeoutMs) & 1)) return -1;
    sockaddr_in address{};
    int length = sizeof address;
    const int got = recvfrom(static_cast<SOCKET>(m_socket), static_cast<char*>(buffer), static_cast<int>(size), 0,
                             reinterpret_cast<sockaddr*>(&address), &length);
    // Nothing there, a datagram larger than the buffer (dropped whole), or a
    // port-unreachable report from a previous send.
    if (got < 0) return -1;
    if (from) {
        from->ip = address.sin_addr.s_addr;
        from->port = address.sin_port;
    }
    return got;
}
