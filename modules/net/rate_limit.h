// Answer budgets for whatever a stranger can make the host send: per source
// IP address and in total, a small burst and then one answer per period (a
// leaky bucket). Buckets live in a fixed table: a refused datagram costs no
// allocation. The table is keyed with a secret hash, so that chosen addresses
// cannot crowd one set of buckets.
#pragma once

#include "keyed_hash.h"

#include <cstdint>

struct Budget {
    int burst;          // answers allowed at once
    uint32_t periodMs;  // then one more each period
};

class LeakyBucket {
public:
    // Whether one more answer fits at time now (milliseconds); counts it when it does.
    bool Take(const Budget& budget, uint32_t now);
    uint32_t LastTime() const { return m_lastTime; }

private:
    uint32_t m_lastTime = 0;
    int m_burst = 0;
};

class RateLimiter {
public:
    // A total whose burst is 0 sets no total.
    RateLimiter(const Budget& perAddress, const Budget& total, const HashKey& key);
    // Whether an answer to ip (network byte order) may go out at time now.
    bool Allow(uint32_t ip, uint32_t now);
    // Replaces the total (a burst of 0: none).
    void SetTotal(const Budget& total) { m_total = total; }

private:
    static const int kSets = 256;
    static const int kWays = 4;
    struct Entry {
        uint32_t ip = 0;
        bool used = false;
        LeakyBucket bucket;
    };
    LeakyBucket& BucketOf(uint32_t ip);

    Budget m_perAddress;
    Budget m_total;
    HashKey m_key;
    LeakyBucket m_totalBucket;
    Entry m_entries[kSets * kWays];
};
