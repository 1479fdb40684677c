#include "rate_limit.h"

bool LeakyBucket::Take(const Budget& budget, uint32_t now) {
    // Time since the last answer drains the bucket one answer per period; a
    // clock that went back (or a bucket idle for ages) empties it.
    const uint32_t interval = now - m_lastTime;
    const uint32_t expired = interval / budget.periodMs;
    if (expired > static_cast<uint32_t>(m_burst) || interval > 0x7fffffffu) {
        m_burst = 0;
        m_lastTime = now;
    } else {
        m_burst -= static_cast<int>(expired);
        m_lastTime = now - interval % budget.periodMs;
    }
    if (m_burst >= budget.burst) return false;
    ++m_burst;
    return true;
}

RateLimiter::RateLimiter(const Budget& perAddress, const Budget& total, const HashKey& key)
    : m_perAddress(perAddress), m_total(total), m_key(key) {}

LeakyBucket& RateLimiter::BucketOf(uint32_t ip) {
    const uint32_t set = static_cast<uint32_t>(KeyedHash(m_key, &ip, sizeof ip) % kSets);
    Entry* ways = m_entries + set * kWays;
    Entry* oldest = ways;
    for (int i = 0; i < kWays; ++i) {
        if (ways[i].used && ways[i].ip == ip) return ways[i].bucket;
        if (!ways[i].used) {
            oldest = &ways[i];
            break;
        }
        if (ways[i].bucket.LastTime() - oldest->bucket.LastTime() > 0x7fffffffu) oldest = &ways[i];
    }
    // A new address takes a free way, else the one idle longest.
    *oldest = Entry();
    oldest->ip = ip;
    oldest->used = true;
    return oldest->bucket;
}

bool RateLimiter::Allow(uint32_t ip, uint32_t now) {
    if (!BucketOf(ip).Take(m_perAddress, now)) return false;
    // A total of no burst is none: the per-address budget alone decides.
    return m_total.burst <= 0 || m_totalBucket.Take(m_total, now);
}
