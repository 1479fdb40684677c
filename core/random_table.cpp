#include "core/random_table.h"

int RandomTable::Generate(uint32_t* state) {
    *state = *state * 214013u + 2531011u;
    return static_cast<int>((*state >> 16) & 0x7FFF);
}

void RandomTable::rndSetSeed(uint32_t seed) {
    m_index = 0;
    m_seed = seed;
    uint32_t state = seed;
    for (int i = 0; i < kSize; ++i) {
        float value = static_cast<float>(Generate(&state)) * (1.0f / 32768.0f);
        m_values[i] = value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
    }
}
