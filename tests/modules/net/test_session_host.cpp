// The hosting side's datagram handling without sockets, on a clock the test
// moves: cookies, admission, the file allow-list, answer budgets, leaving and
// timeouts, the shared flight's states; and the joining side's readers.
#include "flight_messages.h"
#include "session_host.h"
#include "session_messages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>

using namespace netwire;

namespace {

// Files held in memory; records every path the host asks for.
class MemoryFiles final : public SessionFileSource {
public:
    bool Describe(const char* path, uint32_t* size, uint32_t* sum) override {
        asked.insert(path);
        auto file = files.find(path);
        if (file == files.end()) return false;
        *size = static_cast<uint32_t>(file->second.size());
        *sum = 77;
        return true;
    }
    int Read(const char* path, uint32_t offset, char* out, size_t size) override {
        asked.insert(path);
        auto file = files.find(path);
        if (file == files.end() || offset > file->second.size()) return -1;
        const size_t n = std::min(size, file->second.size() - offset);
        memcpy(out, file->second.data() + offset, n);
        return static_cast<int>(n);
    }
    std::map<std::string, std::string> files;
    std::set<std::string> asked;
};

const unsigned char kSeed[32] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,
                                 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};
const NetAddress kPeer{0x0200007f, 4000};   // 127.0.0.2:4000 as the wire has it
const NetAddress kOther{0x0300007f, 4000};  // 127.0.0.3

class SessionHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        files.files["Objects\\Aircraft.dat"] = std::string(3000, 'a');
        files.files["C:\\Game\\NetCache\\AircraftList.dat"] = "list";
        files.files["startup.ini"] = "secret settings";
        SessionSettings settings{"Evening", "secret", 1, 1, 3, "v02.19.07", 0};
        host.Open(settings, now);
        ASSERT_TRUE(host.Files().Add(0, "Aircraft.dat", "Objects\\Aircraft.dat"));
        ASSERT_TRUE(host.Files().Add(1, "AircraftList.dat", "C:\\Game\\NetCache\\AircraftList.dat"));
        host.SetReady(1);
    }
    // The answer to a datagram ("" for none).
    std::string Send(const Writer& request, const NetAddress& from = kPeer) {
        char answer[kMaxDatagram];
        const size_t size = host.Handle(request.Data(), request.Size(), from, now, answer);
        EXPECT_LE(size, kMaxDatagram);
        return std::string(answer, size);
    }
    uint64_t Cookie(const NetAddress& from = kPeer) {
        const std::string answer = Send(ChallengeRequest(1), from);
        ChallengeAnswer challenge{};
        if (!ReadChallengeAnswer(answer.data(), answer.size(), &challenge)) return 0;
        EXPECT_EQ(answer.size(), kChallengeSize);
        memcpy(salt, challenge.salt, sizeof salt);
        return challenge.cookie;
    }
    // The join answer's status, or -1 when none came; the token goes to *token.
    int Join(uint64_t cookie, const char* password, const NetAddress& from = kPeer, uint64_t* token = nullptr,
             const char* name = "Wingman") {
        const std::string answer = Send(JoinRequest(2, cookie, "v02.19.07", name, Key(password), 0), from);
        JoinAnswer joined{};
        if (!ReadJoinAnswer(answer.data(), answer.size(), cookie, &joined)) return answer.empty() ? -1 : -2;
        EXPECT_EQ(answer.find("secret"), std::string::npos);
        if (token) *token = joined.token;
        return joined.status;
    }
    // The file-info answer for a name: the size when found, -1 when not, -2 when unanswered.
    long long FileSize(uint64_t token, int cacheFile, const char* name, const NetAddress& from = kPeer) {
        const std::string answer = Send(FileRequest(kFileInfo, 3, token, cacheFile, 0, name), from);
        FileInfoAnswer info{};
        if (answer.empty()) return -2;
        EXPECT_TRUE(ReadFileInfoAnswer(answer.data(), answer.size(), SealKey(token), &info));
        return info.found ? static_cast<long long>(info.size) : -1;
    }

    // The password's key under the session's salt, as a joiner derives it;
    // derived once per password and salt, as the derivation is slow by design.
    HashKey Key(const char* password) {
        const std::string both = std::string(password) + '\0' + std::string(reinterpret_cast<const char*>(salt), sizeof salt);
        auto known = derived.find(both);
        if (known == derived.end()) known = derived.emplace(both, PasswordKey(password, salt, sizeof salt)).first;
        return known->second;
    }
    // The key of the host's seals on answers to the player with this token.
    HashKey SealKey(uint64_t token) { return AnswerKey(Key("secret"), token); }

    uint8_t salt[kSaltSize] = {};  // as the last challenge answer gave it
    std::map<std::string, HashKey> derived;
    uint32_t now = 0xfffff000u;  // the millisecond clock wraps during the tests
    MemoryFiles files;
    SessionHost host{kSeed, &files};
};

TEST(KeyedHash, MatchesTheReferenceVector) {
    // SipHash-2-4, key 00..0f, message 00..0e.
    HashKey key{0x0706050403020100ull, 0x0f0e0d0c0b0a0908ull};
    unsigned char message[15];
    for (int i = 0; i < 15; ++i) message[i] = static_cast<unsigned char>(i);
    EXPECT_EQ(KeyedHash(key, message, sizeof message), 0xa129ca6149be45e5ull);
    const uint8_t salt[kSaltSize] = {1}, other[kSaltSize] = {2};
    const HashKey secret = PasswordKey("secret", salt, kSaltSize);
    EXPECT_NE(PasswordProof(secret, 1), PasswordProof(secret, 2));
    EXPECT_NE(PasswordProof(secret, 1), PasswordProof(PasswordKey("Secret", salt, kSaltSize), 1));
    EXPECT_NE(PasswordProof(secret, 1), PasswordProof(PasswordKey("secret", other, kSaltSize), 1));
}

TEST(FileAllowList, OnlyPlainRelativeNamesAreListedOrFound) {
    struct Case {
        int cacheFile;
        const char* name;
        bool plain;
    };
    const Case cases[] = {
        {0, "Aircraft.dat", true},       {0, "Objects\\Aircraft.dat", true}, {1, "AircraftList.dat", true},
        {1, "NetCache\\List.dat", false}, {0, "", false},                     {0, "C:\\Windows\\win.ini", false},
        {0, "C:win.ini", false},         {0, "\\Windows\\win.ini", false},   {0, "\\\\server\\share\\x", false},
        {0, "..\\..\\x.dat", false},     {0, "Objects\\..\\..\\x", false},   {0, "..", false},
        {0, ".\\Aircraft.dat", false},   {0, "Objects\\", false},            {0, "Objects\\\\x", false},
        {0, "../x.dat", false},          {0, "a/b", false},                  {0, "a\tb", false},
    };
    for (const Case& c : cases) EXPECT_EQ(FileAllowList::IsPlainName(c.cacheFile, c.name), c.plain) << c.name;
    FileAllowList list;
    EXPECT_FALSE(list.Add(0, "..\\Secret.dat", "..\\Secret.dat"));
    EXPECT_FALSE(list.Add(0, std::string(300, 'a').c_str(), "a"));
    for (int i = 0; i < FileAllowList::kMaxEntries; ++i)
        EXPECT_TRUE(list.Add(0, ("F" + std::to_string(i)).c_str(), "path"));
    EXPECT_FALSE(list.Add(0, "OneMore", "path"));
    EXPECT_STREQ(list.Find(0, "f3"), "path");
    EXPECT_EQ(list.Find(1, "F3"), nullptr);
}

TEST_F(SessionHostTest, OnlyAJoinReturningItsAddresssCookieIsAdmitted) {
    const uint64_t cookie = Cookie();
    ASSERT_NE(cookie, 0u);
    // A short challenge would make the answer larger than the request.
    Writer shortChallenge(kChallenge, 1);
    EXPECT_EQ(Send(shortChallenge), "");
    // No cookie, a forged one, another address's: no answer, no player.
    EXPECT_EQ(Join(0, "secret"), -1);
    EXPECT_EQ(Join(cookie ^ 1, "secret"), -1);
    EXPECT_EQ(Join(Cookie(kOther), "secret"), -1);
    EXPECT_EQ(host.CurrentPlayers(), 1);
    EXPECT_EQ(Join(cookie, "wrong"), kRefusedPassword);
    EXPECT_EQ(Join(cookie, ""), kRefusedPassword);
    // A cookie lives one to two periods: the key rotates.
    now += SessionHost::kCookiePeriodMs;
    uint64_t token = 0;
    EXPECT_EQ(Join(cookie, "secret", kPeer, &token), kAdmitted);
    EXPECT_NE(token, 0u);
    EXPECT_EQ(host.CurrentPlayers(), 2);
    now += SessionHost::kCookiePeriodMs;
    EXPECT_EQ(Join(cookie, "secret"), -1);  // stale
    const uint64_t fresh = Cookie();
    uint64_t again = 0;
    EXPECT_EQ(Join(fresh, "secret", kPeer, &again), kAdmitted);  // the same player, the same token
    EXPECT_EQ(again, token);
    EXPECT_EQ(host.CurrentPlayers(), 2);
    ASSERT_EQ(Join(Cookie(kOther), "secret", kOther, nullptr, "Evil\\hostname\\x\n"), kAdmitted);
    EXPECT_STREQ(host.PlayerName(1), "Evil_hostname_x_");  // cannot forge query pairs
    const NetAddress third{0x0400007f, 1};
    EXPECT_EQ(Join(Cookie(third), "secret", third), kRefusedFull);
    host.SetReady(0);
    EXPECT_EQ(Join(Cookie(third), "secret", third), kRefusedClosed);
    const uint64_t cookie2 = Cookie();
    const std::string old = Send(JoinRequest(2, cookie2, "v01.00.00", "Old", Key("secret"), 0));
    JoinAnswer refused{};
    EXPECT_FALSE(ReadJoinAnswer(old.data(), old.size(), cookie2 + 1, &refused));  // sealed under its cookie
    ASSERT_TRUE(ReadJoinAnswer(old.data(), old.size(), cookie2, &refused));
    EXPECT_EQ(refused.status, kRefusedVersion);
    EXPECT_EQ(refused.token, 0u);
}

TEST_F(SessionHostTest, StrangersAndOffListNamesAreServedNothing) {
    uint64_t token = 0;
    ASSERT_EQ(Join(Cookie(), "secret", kPeer, &token), kAdmitted);
    // Strangers: no answer at all, whatever they name.
    EXPECT_EQ(FileSize(token, 0, "Aircraft.dat", kOther), -2);
    EXPECT_EQ(FileSize(token + 1, 0, "Aircraft.dat"), -2);
    EXPECT_EQ(Send(TokenRequest(kStatus, 4, token + 1)), "");
    EXPECT_EQ(Send(Writer(kStatus, 4)), "");  // no token at all
    // The admitted player: only listed names, never as a path.
    for (const char* name : {"startup.ini", "Objects\\Aircraft.dat", "C:\\Game\\NetCache\\AircraftList.dat",
                             "..\\..\\startup.ini", "C:\\Windows\\win.ini", "AircraftList.dat"})
        EXPECT_EQ(FileSize(token, 0, name), -1) << name;
    EXPECT_EQ(FileSize(token, 1, "Aircraft.dat"), -1);
    EXPECT_EQ(FileSize(token, 1, "..\\AircraftList.dat"), -1);
    EXPECT_EQ(files.asked, std::set<std::string>());
    EXPECT_EQ(FileSize(token, 0, "AIRCRAFT.DAT"), 3000);
    EXPECT_EQ(FileSize(token, 1, "AircraftList.dat"), 4);
    const std::string chunk = Send(FileRequest(kFileChunk, 5, token, 0, 2048, "Aircraft.dat"));
    FileChunkAnswer read{};
    ASSERT_TRUE(ReadFileChunkAnswer(chunk.data(), chunk.size(), SealKey(token), 3000, &read));
    EXPECT_EQ(read.offset, 2048u);
    EXPECT_EQ(std::string(read.bytes, read.length), std::string(952, 'a'));
    EXPECT_FALSE(ReadFileChunkAnswer(chunk.data(), chunk.size(), SealKey(token), 2999, &read));  // longer than the file
    EXPECT_FALSE(ReadFileChunkAnswer(chunk.data(), chunk.size(), SealKey(token + 1), 3000, &read));  // forged
    EXPECT_FALSE(ReadFileChunkAnswer(chunk.data(), chunk.size() - 1, SealKey(token), 3000, &read));
    EXPECT_EQ(files.asked, (std::set<std::string>{"Objects\\Aircraft.dat", "C:\\Game\\NetCache\\AircraftList.dat"}));
    const std::string status = Send(TokenRequest(kStatus, 6, token));
    StatusAnswer state{};
    ASSERT_TRUE(ReadStatusAnswer(status.data(), status.size(), SealKey(token), &state));
    EXPECT_EQ(state.ready, 1);
    EXPECT_EQ(state.currentPlayers, 2);
}

TEST_F(SessionHostTest, AnswersToStrangersKeepToTheirBudgets) {
    // One address: a burst of ten, then one a second.
    int answered = 0;
    for (int i = 0; i < 50; ++i) answered += Cookie() != 0;
    EXPECT_EQ(answered, 10);
    now += 999;
    EXPECT_EQ(Cookie(), 0u);
    now += 1;
    EXPECT_NE(Cookie(), 0u);
    EXPECT_EQ(Cookie(), 0u);
    // Queries have their own budget, untouched by the challenges.
    EXPECT_TRUE(host.AllowAnswer(kQueryAnswers, kPeer.ip, now));
    // Many addresses: the total caps the answers of a kind.
    now += 60000;
    answered = 0;
    for (uint32_t i = 0; i < 1000; ++i) answered += host.AllowAnswer(kQueryAnswers, 0x0a000000u + i, now);
    EXPECT_EQ(answered, 40);
    now += 1000;
    answered = 0;
    for (uint32_t i = 0; i < 1000; ++i) answered += host.AllowAnswer(kQueryAnswers, 0x0b000000u + i, now);
    EXPECT_EQ(answered, 40);  // 40 a second
    EXPECT_NE(Cookie(kOther), 0u);  // challenges still answered
}

TEST_F(SessionHostTest, PlayersThatLeaveOrFallSilentAreDropped) {
    uint64_t first = 0, second = 0;
    ASSERT_EQ(Join(Cookie(), "secret", kPeer, &first), kAdmitted);
    ASSERT_EQ(Join(Cookie(kOther), "secret", kOther, &second), kAdmitted);
    EXPECT_EQ(host.CurrentPlayers(), 3);
    EXPECT_EQ(Send(TokenRequest(kLeave, 7, first), kOther), "");  // the other's leave names the wrong token
    EXPECT_EQ(host.CurrentPlayers(), 3);
    EXPECT_EQ(Send(TokenRequest(kLeave, 7, first)), "");
    EXPECT_EQ(host.CurrentPlayers(), 2);
    EXPECT_EQ(FileSize(first, 0, "Aircraft.dat"), -2);  // a stranger again
    now += SessionHost::kPlayerTimeoutMs;
    EXPECT_EQ(Send(TokenRequest(kKeepAlive, 8, second), kOther), "");
    now += SessionHost::kPlayerTimeoutMs;
    host.Expire(now);
    EXPECT_EQ(host.CurrentPlayers(), 2);  // kept by its keep-alive
    now += 1;
    host.Expire(now);
    EXPECT_EQ(host.CurrentPlayers(), 1);
    EXPECT_EQ(host.TokenOf(kOther), 0u);
}

// Each player flies its own place, told in the status answer; only its own
// newest states count, within its budget; a place that is left is given again.
TEST_F(SessionHostTest, PlayersFlyTheirOwnPlacesWithTheirNewestStates) {
    uint64_t first = 0, second = 0;
    ASSERT_EQ(Join(Cookie(), "secret", kPeer, &first), kAdmitted);
    ASSERT_EQ(Join(Cookie(kOther), "secret", kOther, &second), kAdmitted);
    StatusAnswer status{};
    const std::string answer = Send(TokenRequest(kStatus, 3, second), kOther);
    ASSERT_TRUE(ReadStatusAnswer(answer.data(), answer.size(), SealKey(second), &status));
    EXPECT_EQ(status.place, 2);
    EXPECT_EQ(host.PlayerAtPlace(1), 0);
    EXPECT_EQ(host.PlayerAtPlace(0), -1);  // the host's own

    AircraftWireState state{3, 0.25f, 0.5f, 42}, seen{};
    EXPECT_FALSE(host.PlayerState(0, &seen));
    EXPECT_EQ(Send(PlayerStateMessage(10, first, state), kOther), "");  // another's token: nothing taken
    EXPECT_FALSE(host.PlayerState(0, &seen));
    EXPECT_EQ(Send(PlayerStateMessage(10, first, state)), "");
    ASSERT_TRUE(host.PlayerState(0, &seen));
    EXPECT_EQ(seen.id, 1);  // its own place, whatever it says
    EXPECT_NEAR(seen.x, 0.25f, 1e-4);
    EXPECT_EQ(seen.order, 42);
    state.order = 46;
    Send(PlayerStateMessage(9, first, state));  // late: an older state never wins
    host.PlayerState(0, &seen);
    EXPECT_EQ(seen.order, 42);
    state.x = 1e30f;  // positions stay within the view's margins
    Send(PlayerStateMessage(11, first, state));
    host.PlayerState(0, &seen);
    EXPECT_EQ(seen.order, 46);
    EXPECT_EQ(seen.x, kMaxPosition);

    // Twenty at once, then ten a second.
    uint32_t sequence = 12;
    auto sendMany = [&](int count) {
        int taken = 0;
        for (int i = 0; i < count; ++i, ++sequence) {
            state.order = static_cast<uint8_t>(sequence);
            Send(PlayerStateMessage(sequence, first, state));
            host.PlayerState(0, &seen);
            taken += seen.order == state.order;
        }
        return taken;
    };
    now += 1000;
    EXPECT_EQ(sendMany(30), 20);
    now += 500;
    EXPECT_EQ(sendMany(30), 10);

    EXPECT_EQ(Send(TokenRequest(kLeave, sequence, first)), "");
    EXPECT_EQ(host.PlayerAtPlace(1), -1);
    ASSERT_EQ(Join(Cookie(), "secret", kPeer, &first), kAdmitted);
    EXPECT_EQ(host.PlayerPlace(host.PlayerAtPlace(1)), 1);
}

TEST(FlightMessages, TheJoinerTakesOnlyWholeStatesWithItsToken) {
    const AircraftWireState aircraft[2] = {{0, 0.5f, 0.55f, 42}, {3, -5.0f, 0.7f, 0}};
    const HashKey key{5, 6};
    const Writer message = FlightStatesMessage(5, 99, key, 1, aircraft, 2);
    FlightStates states{};
    EXPECT_FALSE(ReadFlightStates(message.Data(), message.Size(), 99, HashKey{5, 7}, &states));
    ASSERT_TRUE(ReadFlightStates(message.Data(), message.Size(), 99, key, &states));
    EXPECT_EQ(states.place, 1);
    ASSERT_EQ(states.count, 2);
    EXPECT_EQ(states.aircraft[1].id, 3);
    EXPECT_EQ(states.aircraft[1].x, kMinPosition);
    EXPECT_EQ(states.aircraft[0].order, 42);
    EXPECT_FALSE(ReadFlightStates(message.Data(), message.Size(), 98, key, &states));
    EXPECT_FALSE(ReadFlightStates(message.Data(), message.Size(), 0, key, &states));
    EXPECT_FALSE(ReadFlightStates(message.Data(), message.Size() - 1, 99, key, &states));
    // Changed and sealed again: the readers' own checks refuse it.
    auto resealed = [&](size_t at, int value) {
        std::string bytes(message.Data(), message.Size() - kSealSize);
        bytes[at] = static_cast<char>(value);
        const uint64_t seal = KeyedHash(key, bytes.data(), bytes.size());
        for (int i = 0; i < 8; ++i) bytes += static_cast<char>(seal >> (8 * i));
        return bytes;
    };
    std::string forged = resealed(kHeaderSize + 9, 2);
    ASSERT_TRUE(ReadFlightStates(forged.data(), forged.size(), 99, key, &states));
    forged = resealed(kHeaderSize + 9, kMaxPlaces + 1);  // the count
    EXPECT_FALSE(ReadFlightStates(forged.data(), forged.size(), 99, key, &states));
    forged = resealed(kHeaderSize + 10, kMaxPlaces);  // the first id
    EXPECT_FALSE(ReadFlightStates(forged.data(), forged.size(), 99, key, &states));
    EXPECT_TRUE(IsNewer(1, 0xffffffffu));
    EXPECT_FALSE(IsNewer(5, 5));
}

}  // namespace

namespace {

// Challenges from thousands of addresses are all answered (each within its own
// budget): forged sources cannot use up what an honest joiner needs.
TEST_F(SessionHostTest, AChallengeFloodFromManyAddressesLeavesHonestJoinsTheirCookies) {
    int answered = 0;
    for (uint32_t i = 0; i < 3000; ++i) answered += Cookie(NetAddress{0x0a000000u + (i << 8), 5}) != 0;
    EXPECT_EQ(answered, 3000);
    EXPECT_EQ(Join(Cookie(), "secret"), kAdmitted);
}

// At most the seats per address from one IP; a player who comes back from
// that IP under its name, silent for two seconds, gets its place back.
TEST_F(SessionHostTest, OneAddressTakesAFewSeatsAndAReturningPlayerReplacesItsGhost) {
    SessionSettings settings{"Evening", "secret", 1, 1, 16, "v02.19.07", 0};
    host.Open(settings, now);
    host.SetReady(1);
    auto from = [](uint16_t port) { return NetAddress{kPeer.ip, port}; };
    uint64_t first = 0;
    ASSERT_EQ(Join(Cookie(from(1)), "secret", from(1), &first, "One"), kAdmitted);
    ASSERT_EQ(Join(Cookie(from(2)), "secret", from(2), nullptr, "Two"), kAdmitted);
    ASSERT_EQ(Join(Cookie(from(3)), "secret", from(3), nullptr, "Three"), kAdmitted);
    EXPECT_EQ(Join(Cookie(from(4)), "secret", from(4), nullptr, "Four"), kRefusedFull);
    EXPECT_EQ(Join(Cookie(kOther), "secret", kOther, nullptr, "Four"), kAdmitted);  // another IP
    const int place = host.PlayerPlace(0);
    now += 1999;
    EXPECT_EQ(Join(Cookie(from(5)), "secret", from(5), nullptr, "One"), kRefusedFull);  // not yet a ghost
    now += 1;
    uint64_t again = 0;
    ASSERT_EQ(Join(Cookie(from(5)), "secret", from(5), &again, "One"), kAdmitted);
    EXPECT_EQ(host.CurrentPlayers(), 5);
    EXPECT_NE(again, first);
    EXPECT_EQ(host.TokenOf(from(1)), 0u);
    EXPECT_EQ(host.PlayerPlace(host.PlayerAtPlace(place)), place);
    EXPECT_EQ(host.TokenOf(from(5)), again);
    host.Open(SessionSettings{"Evening", "secret", 1, 1, 16, "v02.19.07", 1}, now);
    host.SetReady(1);
    ASSERT_EQ(Join(Cookie(from(1)), "secret", from(1), nullptr, "One"), kAdmitted);
    EXPECT_EQ(Join(Cookie(from(2)), "secret", from(2), nullptr, "Two"), kRefusedFull);
}

// An admitted player's requests keep to a window and then a rate, and its
// chunks to twice the bytes of the files it was told of.
TEST_F(SessionHostTest, AnAdmittedPlayerDrawsNoMoreThanItsFilesNeed) {
    uint64_t token = 0;
    ASSERT_EQ(Join(Cookie(), "secret", kPeer, &token), kAdmitted);
    int answered = 0;
    for (int i = 0; i < 100; ++i) answered += !Send(TokenRequest(kStatus, 4, token)).empty();
    EXPECT_EQ(answered, 64);
    now += 60000;
    EXPECT_EQ(Send(FileRequest(kFileChunk, 5, token, 0, 0, "Aircraft.dat")), "");  // size not asked yet
    ASSERT_EQ(FileSize(token, 1, "AircraftList.dat"), 4);
    ASSERT_EQ(FileSize(token, 0, "Aircraft.dat"), 3000);
    ASSERT_EQ(FileSize(token, 0, "Aircraft.dat"), 3000);  // granted once
    size_t bytes = 0;
    for (int i = 0; i < 300; ++i, now += 4) {
        const std::string chunk = Send(FileRequest(kFileChunk, 6, token, 0, 0, "Aircraft.dat"));
        FileChunkAnswer read{};
        if (ReadFileChunkAnswer(chunk.data(), chunk.size(), SealKey(token), 3000, &read)) bytes += read.length;
    }
    EXPECT_EQ(bytes, (2 * 4 + 65536 + 2 * 3000 + 65536) / 1024 * 1024);  // each file's grant counts
}

TEST(SessionMessages, SealedAnswersWithImpossibleCountsOrAnotherKeyAreRefused) {
    const HashKey key{1, 2};
    auto status = [&](uint32_t maxPlayers, uint32_t current, const HashKey& sealKey) {
        Writer answer(kStatusAnswer, 9);
        answer.U8(1);
        answer.U32(maxPlayers);
        answer.U32(current);
        answer.U8(1);
        answer.Seal(sealKey);
        StatusAnswer read{};
        return ReadStatusAnswer(answer.Data(), answer.Size(), key, &read);
    };
    EXPECT_TRUE(status(8, 3, key));
    EXPECT_TRUE(status(8, 8, key));
    EXPECT_FALSE(status(8, 3, HashKey{1, 3}));
    EXPECT_FALSE(status(8, 9, key));
    EXPECT_FALSE(status(0xffffffffu, 0x80000000u, key));  // -1 of -2147483648
    EXPECT_FALSE(status(0x80000000u, 0, key));
}

}  // namespace

namespace {

// Without a password any password joins, and the answers are sealed under the
// cookie's key: what the joiner derives from its own password plays no part.
TEST_F(SessionHostTest, WithoutAPasswordAnswersAreSealedUnderTheCookie) {
    host.Open(SessionSettings{"Evening", "", 0, 1, 8, "v02.19.07", 0}, now);
    host.SetReady(1);
    const uint64_t cookie = Cookie();
    const std::string answer = Send(JoinRequest(2, cookie, "v02.19.07", "Wingman", Key("anything"), 0));
    JoinAnswer joined{};
    ASSERT_TRUE(ReadJoinAnswer(answer.data(), answer.size(), cookie, &joined));
    ASSERT_EQ(joined.status, kAdmitted);
    EXPECT_EQ(joined.passwordChecked, 0);
    const std::string status = Send(TokenRequest(kStatus, 3, joined.token));
    StatusAnswer read{};
    const HashKey base = AnswerKeyBase(joined, Key("anything"), cookie);
    EXPECT_TRUE(ReadStatusAnswer(status.data(), status.size(), AnswerKey(base, joined.token), &read));
    EXPECT_FALSE(ReadStatusAnswer(status.data(), status.size(), AnswerKey(Key("anything"), joined.token), &read));
}

}  // namespace

namespace {

// Faults a quick read of the code misses: a cookie bound to the IP only, a
// key surviving a long idle time, a compare of half the token, an expiry
// loop that skips a player, a timeout too short.
TEST_F(SessionHostTest, CookiesTokensAndTimeoutsHoldAtTheirEdges) {
    const uint64_t cookie = Cookie();
    EXPECT_EQ(Join(cookie, "secret", NetAddress{kPeer.ip, 4001}), -1);  // same IP, another port
    now += 2 * SessionHost::kCookiePeriodMs;  // idle for two periods at once
    EXPECT_EQ(Join(cookie, "secret"), -1);
    uint64_t first = 0, second = 0;
    ASSERT_EQ(Join(Cookie(), "secret", kPeer, &first), kAdmitted);
    ASSERT_EQ(Join(Cookie(kOther), "secret", kOther, &second), kAdmitted);
    EXPECT_EQ(Send(TokenRequest(kStatus, 4, first ^ (1ull << 40))), "");  // differs in the high half only
    now += 30000;  // a player silent for 30 s is still there (a long route, a loading joiner)
    host.Expire(now);
    EXPECT_EQ(host.CurrentPlayers(), 3);
    now += 1;
    host.Expire(now);  // both silent: both go in one pass
    EXPECT_EQ(host.CurrentPlayers(), 1);
}

// The place a returning player gets back is its own, not the lowest free one.
TEST_F(SessionHostTest, AReturningPlayerGetsItsOwnPlaceNotTheLowestFree) {
    uint64_t first = 0;
    ASSERT_EQ(Join(Cookie(), "secret", kPeer, &first, "One"), kAdmitted);
    ASSERT_EQ(Join(Cookie(NetAddress{kPeer.ip, 2}), "secret", NetAddress{kPeer.ip, 2}, nullptr, "Two"), kAdmitted);
    ASSERT_EQ(Send(TokenRequest(kLeave, 5, first)), "");
    now += 2000;
    ASSERT_EQ(Join(Cookie(NetAddress{kPeer.ip, 3}), "secret", NetAddress{kPeer.ip, 3}, nullptr, "Two"), kAdmitted);
    EXPECT_EQ(host.PlayerAtPlace(1), -1);
    EXPECT_EQ(host.PlayerPlace(host.PlayerAtPlace(2)), 2);
}

// Readers and writers on buffers of exactly their size, where a read or
// write one past shows.
TEST(NetWire, ReadersAndWritersKeepWithinExactBuffers) {
    std::unique_ptr<char[]> mark(new char[4]);
    memcpy(mark.get(), "VNL2", 4);
    EXPECT_FALSE(Reader(mark.get(), 4).Valid());
    Writer text(kJoin, 1);
    text.Text("a text of twenty chars");
    std::unique_ptr<char[]> out(new char[8]);
    Reader reader(text.Data(), text.Size());
    reader.Text(out.get(), 8);
    EXPECT_TRUE(reader.Ok());
    EXPECT_STREQ(out.get(), "a text ");
    Writer full(kJoin, 1);
    full.Bytes(std::string(kMaxDatagram - kHeaderSize - 10, 'x').data(), kMaxDatagram - kHeaderSize - 10);
    full.Bytes("0123456789", 10);
    EXPECT_TRUE(full.Ok());
    full.U8(1);
    EXPECT_FALSE(full.Ok());
    EXPECT_EQ(full.Size(), kMaxDatagram);
    // An admission without a token is no admission, sealed or not.
    Writer admitted(kJoinAnswer, 1);
    admitted.U8(kAdmitted);
    admitted.U64(0);
    admitted.Text("Evening");
    for (int i = 0; i < 3; ++i) admitted.U32(1);
    admitted.U8(1);
    admitted.U8(1);
    admitted.Seal(JoinAnswerKey(5));
    JoinAnswer joined{};
    EXPECT_FALSE(ReadJoinAnswer(admitted.Data(), admitted.Size(), 5, &joined));
    // A seal with less than a header before it seals nothing.
    std::string shortSealed = "VNL2";
    const uint64_t seal = KeyedHash(HashKey{1, 2}, shortSealed.data(), 4);
    for (int i = 0; i < 8; ++i) shortSealed += static_cast<char>(seal >> (8 * i));
    size_t size = shortSealed.size();
    EXPECT_FALSE(Unseal(shortSealed.data(), &size, HashKey{1, 2}));
}

// Before the session is ready nothing is served, not even a file's size.
TEST_F(SessionHostTest, NoFileIsServedBeforeTheSessionIsReady) {
    uint64_t token = 0;
    ASSERT_EQ(Join(Cookie(), "secret", kPeer, &token), kAdmitted);
    host.SetReady(0);
    EXPECT_EQ(FileSize(token, 0, "Aircraft.dat"), -1);
    EXPECT_EQ(files.asked, std::set<std::string>());
    host.SetReady(1);
    EXPECT_EQ(FileSize(token, 0, "Aircraft.dat"), 3000);
}

}  // namespace

namespace {

// The joiner's readers, each on sealed answers that hold one bad field.
TEST(SessionMessages, SealedAnswersOutsideTheirLimitsAreRefused) {
    const HashKey key{3, 4};
    auto sealed = [&](Writer writer) {
        writer.Seal(key);
        return std::string(writer.Data(), writer.Size());
    };
    auto chunk = [&](uint32_t offset, uint16_t length) {
        Writer w(kFileChunkAnswer, 1);
        w.U8(1);
        w.U32(offset);
        w.U16(length);
        w.Bytes(std::string(length, 'c').data(), length);
        const std::string bytes = sealed(w);
        FileChunkAnswer read{};
        return ReadFileChunkAnswer(bytes.data(), bytes.size(), key, 3000, &read);
    };
    EXPECT_TRUE(chunk(2048, 952));
    EXPECT_FALSE(chunk(5000, 10));  // beyond the file's end
    auto status = [&](int place) {
        Writer w(kStatusAnswer, 1);
        w.U8(1);
        w.U32(8);
        w.U32(2);
        w.U8(static_cast<uint8_t>(place));
        const std::string bytes = sealed(w);
        StatusAnswer read{};
        return ReadStatusAnswer(bytes.data(), bytes.size(), key, &read);
    };
    EXPECT_TRUE(status(kMaxPlaces - 1));
    EXPECT_FALSE(status(kMaxPlaces));
    auto info = [&](uint32_t size) {
        Writer w(kFileInfoAnswer, 1);
        w.U8(1);
        w.U32(size);
        w.U32(7);
        const std::string bytes = sealed(w);
        FileInfoAnswer read{};
        return ReadFileInfoAnswer(bytes.data(), bytes.size(), key, &read);
    };
    EXPECT_TRUE(info(kMaxFileSize));
    EXPECT_FALSE(info(kMaxFileSize + 1));
    const Writer leave = HostNotice(kLeave, 1, 77, key);
    MessageType type;
    EXPECT_TRUE(ReadHostNotice(leave.Data(), leave.Size(), key, 77, &type));
    EXPECT_EQ(type, kLeave);
    EXPECT_FALSE(ReadHostNotice(leave.Data(), leave.Size(), key, 78, &type));
}

}  // namespace
