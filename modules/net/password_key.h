// The session password's key: Argon2id (libgcrypt) of the password under the
// host's salt, so that a captured join costs an attacker one memory-hard
// derivation per guess, and no precomputed table serves two hosts.
#pragma once

#include "keyed_hash.h"

#include <cstddef>
#include <cstdint>

// Argon2id's costs: passes over the memory, the memory in KiB, and lanes.
struct Argon2Cost {
    unsigned long passes;
    unsigned long memoryKiB;
    unsigned long lanes;
};

// What a password key costs: 32 MiB, two passes, one lane (the derivation runs
// on one thread; more lanes would only slow the honest side). 0.15 to 0.45 s
// for a 64-bit build under Wine on a busy two-core machine.
extern const Argon2Cost kPasswordKeyCost;

// The shortest salt Argon2 takes.
const size_t kPasswordSaltMin = 8;

// The key of `password` (empty when null; its terminator is hashed too, so an
// empty password has a key of its own) under `salt`. A password must end
// within kPathSize bytes. On failure (salt too short, password too long, the
// library missing, too old or out of memory) the result is all zeros, which
// PasswordKeyDerived refuses, and `reason` (when given) says why.
HashKey DerivePasswordKey(const char* password, const uint8_t* salt, size_t saltSize, char* reason = nullptr,
                          size_t reasonSize = 0);

// Whether a key came from a successful derivation (a failed one is all zeros).
bool PasswordKeyDerived(const HashKey& key);

// Bytes given to Argon2id as they are.
struct Argon2Input {
    const void* data;
    size_t size;
};

// Argon2id (version 0x13) of the password, salt, secret and associated data
// into out[outSize]. False, with the library's reason, when it fails.
bool Argon2id(const Argon2Cost& cost, Argon2Input password, Argon2Input salt, Argon2Input secret, Argon2Input ad,
              uint8_t* out, size_t outSize, char* reason, size_t reasonSize);
