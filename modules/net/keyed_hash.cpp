#include "keyed_hash.h"

#include "password_key.h"

#include <cstring>

namespace {

uint64_t Rotate(uint64_t x, int b) { return (x << b) | (x >> (64 - b)); }

uint64_t Little64(const unsigned char* p) {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = (value << 8) | p[i];
    return value;
}

struct State {
    uint64_t v0, v1, v2, v3;
    void Round() {
        v0 += v1; v1 = Rotate(v1, 13); v1 ^= v0; v0 = Rotate(v0, 32);
        v2 += v3; v3 = Rotate(v3, 16); v3 ^= v2;
        v0 += v3; v3 = Rotate(v3, 21); v3 ^= v0;
        v2 += v1; v1 = Rotate(v1, 17); v1 ^= v2; v2 = Rotate(v2, 32);
    }
    void Absorb(uint64_t m) {
        v3 ^= m;
        Round();
        Round();
        v0 ^= m;
    }
};

}  // namespace

uint64_t KeyedHash(const HashKey& key, const void* data, size_t size) {
    State s{key.k0 ^ 0x736f6d6570736575ull, key.k1 ^ 0x646f72616e646f6dull, key.k0 ^ 0x6c7967656e657261ull,
            key.k1 ^ 0x7465646279746573ull};
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    const size_t whole = size - size % 8;
    for (size_t i = 0; i < whole; i += 8) s.Absorb(Little64(bytes + i));
    unsigned char last[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    if (size > whole) memcpy(last, bytes + whole, size - whole);
    last[7] = static_cast<unsigned char>(size);
    s.Absorb(Little64(last));
    s.v2 ^= 0xff;
    for (int i = 0; i < 4; ++i) s.Round();
    return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

HashKey PasswordKey(const char* password, const uint8_t* salt, size_t saltSize) {
    // Argon2id under the session's salt: callers derive once per session (host)
    // and once per join (joiner), so its cost falls on a guesser, not on each
    // datagram. A failed derivation gives the all-zero key, which callers refuse.
    return DerivePasswordKey(password, salt, saltSize);
}

HashKey AnswerKey(const HashKey& passwordKey, uint64_t secret) {
    unsigned char bytes[9];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(secret >> (8 * i));
    bytes[8] = 'a';
    const uint64_t k0 = KeyedHash(passwordKey, bytes, sizeof bytes);
    bytes[8] = 'b';
    return HashKey{k0, KeyedHash(passwordKey, bytes, sizeof bytes)};
}

bool SameInConstantTime(uint64_t a, uint64_t b) {
    volatile uint64_t difference = a ^ b;
    return difference == 0;
}

uint64_t PasswordProof(const HashKey& passwordKey, uint64_t cookie) {
    unsigned char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(cookie >> (8 * i));
    return KeyedHash(passwordKey, bytes, sizeof bytes);
}
