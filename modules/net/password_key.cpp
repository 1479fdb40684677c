// The session password's key from libgcrypt's Argon2id (see password_key.h).
#include "password_key.h"

#include "files/paths.h"

#include <gcrypt.h>

#include <cstdio>
#include <cstring>

const Argon2Cost kPasswordKeyCost = {2, 32 * 1024, 1};

namespace {

// The oldest libgcrypt with Argon2 (gcry_kdf_open).
const char kOldestLibrary[] = "1.9.0";

void Say(char* reason, size_t reasonSize, const char* text, const char* detail = "") {
    if (reason && reasonSize > 0) snprintf(reason, reasonSize, "%s%s", text, detail);
}

// The library's start-up, once per process. A module cannot know whether the
// program or another module started libgcrypt already: it checks the version
// (which every user must call first) and finishes the initialisation only when
// nobody has. Secure memory is left off: it would need locked pages, and the
// password stays in the caller's memory anyway.
const char* StartLibrary() {
    static const char* const failure = []() -> const char* {
        if (!gcry_check_version(kOldestLibrary)) return "libgcrypt is older than 1.9.0";
        if (!gcry_control(GCRYCTL_INITIALIZATION_FINISHED_P)) {
            gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
            gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        }
        return nullptr;
    }();
    return failure;
}

}  // namespace

bool Argon2id(const Argon2Cost& cost, Argon2Input password, Argon2Input salt, Argon2Input secret, Argon2Input ad,
              uint8_t* out, size_t outSize, char* reason, size_t reasonSize) {
    if (const char* failure = StartLibrary()) {
        Say(reason, reasonSize, failure);
        return false;
    }
    const unsigned long parameters[4] = {static_cast<unsigned long>(outSize), cost.passes, cost.memoryKiB, cost.lanes};
    gcry_kdf_hd_t handle = nullptr;
    gcry_error_t error = gcry_kdf_open(&handle, GCRY_KDF_ARGON2, GCRY_KDF_ARGON2ID, parameters, 4, password.data,
                                       password.size, salt.data, salt.size, secret.data, secret.size, ad.data, ad.size);
    if (!error) {
        error = gcry_kdf_compute(handle, nullptr);
        if (!error) error = gcry_kdf_final(handle, outSize, out);
        gcry_kdf_close(handle);
    }
    if (error) Say(reason, reasonSize, "Argon2id failed: ", gcry_strerror(error));
    return !error;
}

HashKey DerivePasswordKey(const char* password, const uint8_t* salt, size_t saltSize, char* reason, size_t reasonSize) {
    const HashKey failed{0, 0};
    if (!password) password = "";
    // Bounded: a password buffer is kPathSize bytes, terminator included.
    const void* end = memchr(password, 0, kPathSize);
    if (!end) {
        Say(reason, reasonSize, "the password is too long");
        return failed;
    }
    if (!salt || saltSize < kPasswordSaltMin) {
        Say(reason, reasonSize, "the session's salt is too short");
        return failed;
    }
    // The terminator goes in too: Argon2 takes no empty password, and no
    // password is a prefix of another's input.
    const size_t passwordSize = static_cast<const char*>(end) - password + 1;
    uint8_t bytes[16];
    if (!Argon2id(kPasswordKeyCost, {password, passwordSize}, {salt, saltSize}, {nullptr, 0}, {nullptr, 0}, bytes,
                  sizeof bytes, reason, reasonSize))
        return failed;
    HashKey key;
    for (int i = 7; i >= 0; --i) {
        key.k0 = (key.k0 << 8) | bytes[i];
        key.k1 = (key.k1 << 8) | bytes[8 + i];
    }
    volatile uint8_t* wipe = bytes;
    for (size_t i = 0; i < sizeof bytes; ++i) wipe[i] = 0;
    // All zeros is how a failure reads; a derivation cannot be allowed to look like one.
    if (!PasswordKeyDerived(key)) key.k0 = 1;
    return key;
}

bool PasswordKeyDerived(const HashKey& key) { return (key.k0 | key.k1) != 0; }
