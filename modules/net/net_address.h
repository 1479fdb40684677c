// An IPv4 address and port as the sample network layer keeps them.
#pragma once

#include <cstdint>

// An IPv4 address and port in network byte order.
struct NetAddress {
    uint32_t ip = 0;
    uint16_t port = 0;
    bool operator==(const NetAddress& other) const { return ip == other.ip && port == other.port; }
};
