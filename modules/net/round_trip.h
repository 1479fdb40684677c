// The joining side's estimate of the round trip to its host, from which every
// wait for an answer grows: a smoothed time and its spread, as TCP keeps them.
#pragma once

#include <cstdint>

class RoundTrip {
public:
    static const uint32_t kMinWaitMs = 300;
    static const uint32_t kMaxWaitMs = 4000;

    // One measured round trip (milliseconds).
    void Sample(uint32_t ms) {
        if (!m_sampled) {
            m_smoothed = ms;
            m_spread = ms / 2;
            m_sampled = true;
            return;
        }
        const uint32_t difference = ms > m_smoothed ? ms - m_smoothed : m_smoothed - ms;
        m_spread = (3 * m_spread + difference) / 4;
        m_smoothed = (7 * m_smoothed + ms) / 8;
    }
    // How long to wait for an answer before the request is sent again.
    uint32_t WaitMs() const {
        if (!m_sampled) return m_unsampledWait;
        const uint32_t wait = m_smoothed + 4 * m_spread + 50;
        return wait < kMinWaitMs ? kMinWaitMs : wait > kMaxWaitMs ? kMaxWaitMs : wait;
    }
    // After a try went unanswered: wait longer for the next (the route may have grown).
    void Backoff() {
        if (m_sampled)
            m_spread = m_spread * 2 + 1 > kMaxWaitMs ? kMaxWaitMs : m_spread * 2 + 1;
        else
            m_unsampledWait = m_unsampledWait * 2 > kMaxWaitMs ? kMaxWaitMs : m_unsampledWait * 2;
    }

private:
    bool m_sampled = false;
    uint32_t m_unsampledWait = kMinWaitMs * 2;
    uint32_t m_smoothed = 0;
    uint32_t m_spread = 0;
};
