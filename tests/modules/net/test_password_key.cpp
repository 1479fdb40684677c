// The password key: Argon2id known answers (RFC 9106's, and ones the argon2
// command-line program of the reference implementation gave for the key's own
// costs), the salt's and the terminator's part, the length bound and failures.
#include "password_key.h"

#include "files/paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

const uint8_t* Salt(const char* text) { return reinterpret_cast<const uint8_t*>(text); }

bool SameKey(const HashKey& a, const HashKey& b) { return a.k0 == b.k0 && a.k1 == b.k1; }

TEST(PasswordKey, Argon2idGivesTheRfcAnswerWithSecretAndData) {
    uint8_t password[32], salt[16], secret[8], ad[12], tag[32];
    memset(password, 1, sizeof password);
    memset(salt, 2, sizeof salt);
    memset(secret, 3, sizeof secret);
    memset(ad, 4, sizeof ad);
    char reason[128] = "";
    ASSERT_TRUE(Argon2id({3, 32, 4}, {password, sizeof password}, {salt, sizeof salt}, {secret, sizeof secret},
                         {ad, sizeof ad}, tag, sizeof tag, reason, sizeof reason))
        << reason;
    const uint8_t expected[32] = {0x0d, 0x64, 0x0d, 0xf5, 0x8d, 0x78, 0x76, 0x6c, 0x08, 0xc0, 0x37,
                                  0xa3, 0x4a, 0x8b, 0x53, 0xc9, 0xd0, 0x1e, 0xf0, 0x45, 0x2d, 0x75,
                                  0xb6, 0x5e, 0xb5, 0x25, 0x20, 0xe9, 0x6b, 0x01, 0xe6, 0x59};
    EXPECT_EQ(0, memcmp(tag, expected, sizeof tag));
}

TEST(PasswordKey, KnownKeysForPasswordsAndSalts) {
    // printf 'secret\0' | argon2 VarnSessionSalt1 -id -t 2 -k 32768 -p 1 -l 16 -r
    const struct {
        const char* password;
        const char* salt;
        HashKey key;
    } cases[] = {
        {"secret", "VarnSessionSalt1", {0xcd08b7c37519b367ull, 0x731aed79e7ee446cull}},
        {"secret", "VarnSessionSalt2", {0x0d45ec2110e82c8aull, 0x49d656849df9396bull}},
        {"", "VarnSessionSalt1", {0x9df391808d5fc721ull, 0x51b0bc7aa1ec0fabull}},
        {nullptr, "VarnSessionSalt1", {0x9df391808d5fc721ull, 0x51b0bc7aa1ec0fabull}},
    };
    for (const auto& c : cases) {
        char reason[128] = "";
        const HashKey key = DerivePasswordKey(c.password, Salt(c.salt), 16, reason, sizeof reason);
        EXPECT_TRUE(SameKey(key, c.key)) << (c.password ? c.password : "(null)") << " " << c.salt << " " << reason;
        EXPECT_TRUE(PasswordKeyDerived(key));
    }
}

TEST(PasswordKey, LongestPasswordFitsAndOneMoreIsRefused) {
    // Exactly sized heap buffers, so that a read past the bound is seen.
    std::unique_ptr<char[]> longest(new char[kPathSize]);
    memset(longest.get(), 'x', kPathSize - 1);
    longest[kPathSize - 1] = '\0';
    const HashKey full = DerivePasswordKey(longest.get(), Salt("VarnSessionSalt1"), 16);
    longest[kPathSize - 2] = '\0';
    const HashKey shorter = DerivePasswordKey(longest.get(), Salt("VarnSessionSalt1"), 16);
    EXPECT_TRUE(PasswordKeyDerived(full));
    EXPECT_TRUE(PasswordKeyDerived(shorter));
    EXPECT_FALSE(SameKey(full, shorter));

    std::unique_ptr<char[]> unended(new char[kPathSize]);
    memset(unended.get(), 'x', kPathSize);
    char reason[128] = "";
    EXPECT_FALSE(PasswordKeyDerived(DerivePasswordKey(unended.get(), Salt("VarnSessionSalt1"), 16, reason, sizeof reason)));
    EXPECT_STREQ("the password is too long", reason);
}

TEST(PasswordKey, FailuresGiveTheRefusedKeyAndSayWhy) {
    char reason[128] = "";
    EXPECT_FALSE(PasswordKeyDerived(DerivePasswordKey("secret", Salt("VarnSalt"), 7, reason, sizeof reason)));
    EXPECT_STREQ("the session's salt is too short", reason);
    EXPECT_FALSE(PasswordKeyDerived(DerivePasswordKey("secret", nullptr, 16)));
    EXPECT_TRUE(PasswordKeyDerived(DerivePasswordKey("secret", Salt("VarnSalt"), 8)));
    // Only all zeros reads as a failure.
    EXPECT_TRUE(PasswordKeyDerived({0, 5}));
    EXPECT_TRUE(PasswordKeyDerived({5, 0}));

    // The library's own refusal (no lanes) comes back as text, bounded by the buffer.
    uint8_t tag[16];
    char small[12];
    memset(small, '#', sizeof small);
    EXPECT_FALSE(Argon2id({2, 64, 0}, {"pw", 2}, {"VarnSalt", 8}, {nullptr, 0}, {nullptr, 0}, tag, sizeof tag, small,
                          sizeof small));
    EXPECT_EQ(std::string("Argon2id fa"), small);
}

}  // namespace
