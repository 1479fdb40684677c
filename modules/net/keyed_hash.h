// A keyed 64-bit hash (SipHash-2-4): the layer's cookies, session tokens and
// password proofs, none of which a peer can compute without the key.
#pragma once

#include <cstddef>
#include <cstdint>

struct HashKey {
    uint64_t k0 = 0;
    uint64_t k1 = 0;
};

uint64_t KeyedHash(const HashKey& key, const void* data, size_t size);

// The key a password gives under a session's salt (both sides derive it the
// same way: the host once per session, a joiner once per join).
HashKey PasswordKey(const char* password, const uint8_t* salt, size_t saltSize);

// The key of a session's answers to one player: the host's answers carry a
// keyed hash under it, which nobody off the path can make without the token
// and the base: the password's key, or without a password the cookie's.
HashKey AnswerKey(const HashKey& passwordKey, uint64_t secret);

// Whether two 64-bit values are equal, in a time that does not depend on where they differ.
bool SameInConstantTime(uint64_t a, uint64_t b);

// What a joining player sends instead of its password: a hash of the cookie
// under the password's key, so that neither the password nor a reusable
// proof travels.
uint64_t PasswordProof(const HashKey& passwordKey, uint64_t cookie);
