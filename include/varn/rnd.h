// "RND": a table of 4096 pseudo-random values in [0, 1) filled from a seed and
// read round-robin; each draw takes the next value. No lock.
#pragma once

#include "sdk.h"

class IRandomTable {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_RND;

    virtual void rndSetSeed(uint32_t seed) = 0;  // 0: refills the table; the next draw is the first value
    virtual uint32_t rndGetSeed() = 0;           // 1: the last seed
    virtual float rndScale(float x) = 0;         // 2: x * r
    virtual int32_t rndRange(int32_t n) = 0;     // 3: n * r truncated toward zero
    virtual int32_t rndNext() = 0;               // 4: 32767 * r truncated: 0..32766
};
