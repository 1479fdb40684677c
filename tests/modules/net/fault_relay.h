// A relay on loopback between one joiner and a host that drops, delays and
// reorders datagrams, as a long lossy route does: each datagram is lost with
// a chance, else sent on after a delay with a random part (so that later ones
// overtake). Seeded: the same faults in every run. Runs its own thread.
#pragma once

#include "platform/platform.h"
#include "udp_socket.h"

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class FaultRelay {
public:
    struct Route {
        uint32_t delayMs;   // each way
        uint32_t jitterMs;  // added at random, 0..jitterMs
        int lossPercent;    // each way
        uint32_t seed;
    };

    FaultRelay(const NetAddress& host, const Route& route)
        : m_host(host), m_route(route), m_random(route.seed), m_loss(route.lossPercent) {
        const NetAddress loopback{htonl(INADDR_LOOPBACK), 0};
        m_ok = m_front.Open(loopback) && m_back.Open(loopback);
        if (m_ok) m_thread = CreateThread(nullptr, 0, &FaultRelay::Run, this, 0, nullptr);
    }
    ~FaultRelay() {
        m_stop = true;
        if (m_thread) {
            WaitForSingleObject(m_thread, INFINITE);
            CloseHandle(m_thread);
        }
    }
    bool Ok() const { return m_ok && m_thread; }
    // The address joiners are to join instead of the host's.
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_front.LocalPort()); }
    int Dropped() const { return m_dropped; }
    // From now on, this share of datagrams is lost (100: the route is cut).
    void SetLoss(int percent) { m_loss = percent; }

private:
    struct Pending {
        uint32_t due;
        bool toHost;
        std::string bytes;
    };

    static DWORD WINAPI Run(void* self) {
        static_cast<FaultRelay*>(self)->Loop();
        return 0;
    }
    uint32_t Next() { return m_random = m_random * 1103515245u + 12345u; }
    void Take(UdpSocket& socket, bool toHost) {
        char data[2048];
        NetAddress from;
        for (;;) {
            const int size = socket.Receive(data, sizeof data, &from, 0);
            if (size < 0) return;
            if (toHost) m_joiner = from;
            if (static_cast<int>((Next() >> 8) % 100) < m_loss) {
                ++m_dropped;
                continue;
            }
            const uint32_t jitter = m_route.jitterMs ? (Next() >> 8) % (m_route.jitterMs + 1) : 0;
            m_pending.push_back(Pending{plat::TimerTime() + m_route.delayMs + jitter, toHost,
                                        std::string(data, static_cast<size_t>(size))});
        }
    }
    void Loop() {
        while (!m_stop) {
            UdpSocket::WaitReadable(&m_front, &m_back, 2);
            Take(m_front, true);
            Take(m_back, false);
            const uint32_t now = plat::TimerTime();
            for (size_t i = 0; i < m_pending.size();) {
                Pending& p = m_pending[i];
                if (static_cast<int32_t>(now - p.due) < 0) {
                    ++i;
                    continue;
                }
                if (p.toHost)
                    m_back.Send(m_host, p.bytes.data(), p.bytes.size());
                else
                    m_front.Send(m_joiner, p.bytes.data(), p.bytes.size());
                p = m_pending.back();
                m_pending.pop_back();
            }
        }
    }

    NetAddress m_host, m_joiner;
    Route m_route;
    uint32_t m_random;
    UdpSocket m_front, m_back;  // the joiners' side, the host's side
    std::vector<Pending> m_pending;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_dropped{0};
    std::atomic<int> m_loss;
    HANDLE m_thread = nullptr;
    bool m_ok = false;
};
