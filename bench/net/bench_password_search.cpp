// What a captured join is worth to a password search: an attacker who saw one
// join's cookie and password proof tries guesses on one core until a proof
// matches. Timed in one run for the old key (two SipHash computations of the
// password, no salt) and for the Argon2id key under the host's salt, each
// followed by the proof's keyed hash. Prints guesses per second.
//   bench_password_search [ARGON2_GUESSES]   (default 10)
#include "keyed_hash.h"
#include "password_key.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kSecret[] = "secret";
const uint8_t kSalt[16] = {'V', 'a', 'r', 'n', 'S', 'e', 's', 's', 'i', 'o', 'n', 'S', 'a', 'l', 't', '1'};
const uint64_t kCookie = 0x1234567890abcdefull;

// The key the layer used to derive: two SipHash computations of the password
// under fixed keys, with no salt and no cost.
HashKey UnsaltedKey(const char* password) {
    const HashKey first{0x5661726e50617373ull, 0x776f72644b657930ull};
    const HashKey second{0x5661726e50617373ull, 0x776f72644b657931ull};
    const size_t length = strlen(password);
    return HashKey{KeyedHash(first, password, length), KeyedHash(second, password, length)};
}

// Guesses "guess0", "guess1", ... and last the secret itself, so that every
// run ends on a find (which checks the search is real).
template <class Key>
double GuessesPerSecond(long guesses, uint64_t captured, Key key) {
    char guess[32];
    long found = -1;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < guesses; ++i) {
        if (i == guesses - 1)
            snprintf(guess, sizeof guess, "%s", kSecret);
        else
            snprintf(guess, sizeof guess, "guess%ld", i);
        if (SameInConstantTime(PasswordProof(key(guess), kCookie), captured)) found = i;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (found != guesses - 1) {
        fprintf(stderr, "the search did not find the password\n");
        exit(1);
    }
    return guesses / elapsed.count();
}

}  // namespace

int main(int argc, char** argv) {
    const long argonGuesses = argc > 1 ? atol(argv[1]) : 10;
    if (argonGuesses < 1) {
        fprintf(stderr, "usage: bench_password_search [ARGON2_GUESSES]\n");
        return 2;
    }
    char reason[128] = "";
    const HashKey argonKey = DerivePasswordKey(kSecret, kSalt, sizeof kSalt, reason, sizeof reason);
    if (!PasswordKeyDerived(argonKey)) {
        fprintf(stderr, "no password key: %s\n", reason);
        return 1;
    }
    const double before = GuessesPerSecond(4000000, PasswordProof(UnsaltedKey(kSecret), kCookie),
                                           [](const char* guess) { return UnsaltedKey(guess); });
    const double after = GuessesPerSecond(argonGuesses, PasswordProof(argonKey, kCookie), [](const char* guess) {
        return DerivePasswordKey(guess, kSalt, sizeof kSalt);
    });
    printf("captured-join search, one core:\n");
    printf("  SipHash key (no salt, no cost)      %14.0f guesses/s\n", before);
    printf("  Argon2id key (%lu MiB, %lu passes, %lu lane) %10.2f guesses/s\n", kPasswordKeyCost.memoryKiB / 1024,
           kPasswordKeyCost.passes, kPasswordKeyCost.lanes, after);
    printf("  the search is %.0f times slower\n", before / after);
    return 0;
}
