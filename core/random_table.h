// The random table ("RND"): 4096 uniform values in [0, 1) computed once per
// seeding and read round-robin, so that a draw is a table read and the whole
// sequence is reproducible from the seed on every platform. No lock: draws
// from several threads at once may share or skip a value.
#pragma once

#include "varn/rnd.h"

class RandomTable final : public IRandomTable {
public:
    static const int kSize = 4096;

    RandomTable() { rndSetSeed(1); }

    void rndSetSeed(uint32_t seed) override;
    uint32_t rndGetSeed() override { return m_seed; }
    float rndScale(float x) override { return x * Draw(); }
    int32_t rndRange(int32_t n) override { return static_cast<int32_t>(static_cast<double>(n) * Draw()); }
    int32_t rndNext() override { return static_cast<int32_t>(32767.0 * Draw()); }

    float Value(int index) const { return m_values[index & (kSize - 1)]; }
    uint32_t DrawCount() const { return m_index; }

    // The linear congruential generator the table is filled from: each step
    // returns 0..32767.
    static int Generate(uint32_t* state);

private:
    float Draw() { return m_values[m_index++ & (kSize - 1)]; }

    float m_values[kSize];
    uint32_t m_index = 0;
    uint32_t m_seed = 0;
};

// The host's random table.
RandomTable& TheRandomTable();
