#include "session_host.h"

#include "password_key.h"
#include "session_messages.h"

#include "files/strings.h"

#include <cstring>

using namespace netwire;

namespace {

// Per source address: a small burst, then one answer a second. In total: a
// cap per kind, so that a flood of one kind cannot use up another's; none on
// challenges, whose answer is no larger than the request and costs no state:
// a total there is one that forged source addresses would use up.
const Budget kPerAddress = {10, 1000};
const Budget kTotal[kAnswerKinds] = {
    {40, 25},  // queries: 40 a second
    {0, 1},    // challenges: per address only
    {20, 50},  // joins (only with a valid cookie, so from real addresses)
};

// An admitted player's status and file requests: a window of chunks in flight,
// then one answer each 4 ms (about 256 KB/s of chunks).
const Budget kPlayerRequests = {64, 4};
// File bytes a player may draw: each listed file twice over, once it asked
// for that file's size, and a margin for retries.
const uint32_t kFileAllowanceMargin = 64u << 10;
// A returning player replaces its old entry when that was silent this long.
const uint32_t kGhostSilenceMs = 2000;

// Flight states from one player: a fixed rate of ten a second, with room
// for twice that.
const Budget kPlayerStates = {20, 50};

// A player's name as query answers of backslash-separated pairs may carry
// it: a backslash or control character in it could forge pairs.
struct PlainName {
    char name[SessionHost::kNameSize];
};
PlainName SafeName(const char* name) {
    PlainName plain;
    CopyString(plain.name, name, sizeof plain.name);
    for (char* c = plain.name; *c; ++c) {
        if (*c == '\\' || static_cast<unsigned char>(*c) < 0x20) *c = '_';
    }
    return plain;
}

HashKey KeyFromSeed(const unsigned char* seed) {
    HashKey key;
    for (int i = 7; i >= 0; --i) key.k0 = (key.k0 << 8) | seed[i];
    for (int i = 15; i >= 8; --i) key.k1 = (key.k1 << 8) | seed[i];
    return key;
}

}  // namespace

// Who may send a message and what its answer costs. Messages of other kinds
// are dropped unread.
struct SessionHost::Rule {
    MessageType type;
    MessageType answerType;
    bool admittedOnly;  // read only from an admitted player (address and token)
    bool (SessionHost::*fromAnyone)(Reader&, const NetAddress&, uint32_t, Writer&);
    bool (SessionHost::*fromPlayer)(Reader&, Player&, Writer&);
    bool budgeted;  // counted against the player's request budget
};

const SessionHost::Rule SessionHost::kRules[] = {
    {kChallenge, kChallengeAnswer, false, &SessionHost::AnswerChallenge, nullptr, false},
    {kJoin, kJoinAnswer, false, &SessionHost::AnswerJoin, nullptr, false},
    {kStatus, kStatusAnswer, true, nullptr, &SessionHost::AnswerStatus, true},
    {kFileInfo, kFileInfoAnswer, true, nullptr, &SessionHost::AnswerFileInfo, true},
    {kFileChunk, kFileChunkAnswer, true, nullptr, &SessionHost::AnswerFileChunk, true},
    {kLeave, kLeave, true, nullptr, &SessionHost::AnswerLeave, false},
    {kKeepAlive, kKeepAlive, true, nullptr, nullptr, false},  // being heard from is all it does
    {kPlayerState, kPlayerState, true, nullptr, &SessionHost::TakePlayerState, false},
};

SessionHost::SessionHost(const unsigned char seed[32], SessionFileSource* files)
    : m_fileSource(files),
      m_seed(KeyFromSeed(seed)),
      m_limits{RateLimiter(kPerAddress, kTotal[0], KeyFromSeed(seed + 16)),
               RateLimiter(kPerAddress, kTotal[1], KeyFromSeed(seed + 16)),
               RateLimiter(kPerAddress, kTotal[2], KeyFromSeed(seed + 16))} {
    m_cookieKey = HashKey{Draw(), Draw()};
    m_previousCookieKey = HashKey{Draw(), Draw()};
}

uint64_t SessionHost::Draw() {
    // The seed's keyed hash of a counter: values nobody without the seed can tell.
    const uint64_t counter = m_drawn++;
    return KeyedHash(m_seed, &counter, sizeof counter);
}

void SessionHost::Open(const SessionSettings& settings, uint32_t now) {
    m_open = true;
    CopyString(m_name, settings.name, kTextSize);
    CopyString(m_version, settings.version, kTextSize);
    m_passwordGiven = settings.passwordGiven != 0;
    // A salt of its own names this session: no table of keys serves two hosts.
    for (size_t i = 0; i < kSaltSize; i += 8) {
        const uint64_t value = Draw();
        memcpy(m_salt + i, &value, 8);
    }
    m_passwordKey = PasswordKey(m_passwordGiven ? settings.password : "", m_salt, kSaltSize);
    m_seatsPerAddress = settings.seatsPerAddress > 0 ? settings.seatsPerAddress : kDefaultSeatsPerAddress;
    m_gameType = settings.gameType;
    m_maxPlayers = settings.maxPlayers;
    m_ready = 0;
    m_closed = 0;
    m_playerCount = 0;
    m_keyTime = now;
}

void SessionHost::Close() {
    m_open = false;
    m_playerCount = 0;
    m_files.Clear();
}

void SessionHost::SetReady(int ready) {
    m_ready = ready ? 1 : 0;
    m_closed = ready ? 0 : 1;
}

bool SessionHost::AllowAnswer(AnswerKind kind, uint32_t ip, uint32_t now) {
    return kind >= 0 && kind < kAnswerKinds && m_limits[kind].Allow(ip, now);
}

void SessionHost::RotateKeys(uint32_t now) {
    const uint32_t elapsed = now - m_keyTime;
    if (elapsed < kCookiePeriodMs) return;
    // After two periods or more, no cookie given before is valid any more.
    m_previousCookieKey = elapsed >= 2 * kCookiePeriodMs ? HashKey{Draw(), Draw()} : m_cookieKey;
    m_cookieKey = HashKey{Draw(), Draw()};
    m_keyTime = now;
}

uint64_t SessionHost::Cookie(const HashKey& key, const NetAddress& from) {
    unsigned char bytes[6];
    memcpy(bytes, &from.ip, 4);
    memcpy(bytes + 4, &from.port, 2);
    return KeyedHash(key, bytes, sizeof bytes);
}

uint64_t SessionHost::CookieFor(const NetAddress& from, uint32_t now) {
    RotateKeys(now);
    return Cookie(m_cookieKey, from);
}

uint64_t SessionHost::TokenOf(const NetAddress& from) const {
    for (int i = 0; i < m_playerCount; ++i) {
        if (m_players[i].address == from) return m_players[i].token;
    }
    return 0;
}

size_t SessionHost::Handle(const char* data, size_t size, const NetAddress& from, uint32_t now, char* answer) {
    Reader request(data, size);
    if (!m_open || !request.Valid()) return 0;
    const Rule* rule = nullptr;
    for (const Rule& candidate : kRules) {
        if (candidate.type == request.Type()) rule = &candidate;
    }
    if (!rule) return 0;
    Writer reply(rule->answerType, request.Request());
    bool answered = false;
    if (rule->admittedOnly) {
        const uint64_t token = request.U64();
        Player* player = request.Ok() ? Admitted(from, token, now) : nullptr;
        if (!player) return 0;  // strangers are not answered
        if (rule->budgeted && !player->requestBudget.Take(kPlayerRequests, now)) return 0;
        if (rule->fromPlayer) answered = (this->*rule->fromPlayer)(request, *player, reply);
        if (answered) reply.Seal(player->answerKey);
    } else {
        answered = (this->*rule->fromAnyone)(request, from, now, reply);
    }
    if (!answered || !reply.Ok()) return 0;
    memcpy(answer, reply.Data(), reply.Size());
    return reply.Size();
}

SessionHost::Player* SessionHost::Admitted(const NetAddress& from, uint64_t token, uint32_t now) {
    for (int i = 0; i < m_playerCount; ++i) {
        Player& player = m_players[i];
        if (player.address == from && SameInConstantTime(player.token, token)) {
            player.lastHeard = now;
            return &player;
        }
    }
    return nullptr;
}

bool SessionHost::AnswerChallenge(Reader& request, const NetAddress& from, uint32_t now, Writer& answer) {
    // The request is padded to its answer's size: the answer amplifies nothing.
    if (!request.Bytes(kChallengeSize - kHeaderSize)) return false;
    if (!AllowAnswer(kChallengeAnswers, from.ip, now)) return false;
    answer.U64(CookieFor(from, now));
    answer.Bytes(m_salt, kSaltSize);
    return true;
}

bool SessionHost::AnswerJoin(Reader& request, const NetAddress& from, uint32_t now, Writer& answer) {
    const uint64_t cookie = request.U64();
    char version[kTextSize], name[kNameSize];
    request.Text(version, sizeof version);
    request.Text(name, sizeof name);
    const uint64_t proof = request.U64();
    request.U32();  // colour
    if (!request.Ok()) return false;
    RotateKeys(now);
    // Both compared, so that the time taken tells nothing of which matched.
    const bool current = SameInConstantTime(cookie, Cookie(m_cookieKey, from));
    const bool previous = SameInConstantTime(cookie, Cookie(m_previousCookieKey, from));
    if (!(current | previous)) return false;  // no state and no answer without a valid cookie
    if (!AllowAnswer(kJoinAnswers, from.ip, now)) return false;

    int known = -1, sameAddress = 0, ghost = -1;
    for (int i = 0; i < m_playerCount; ++i) {
        const Player& player = m_players[i];
        if (player.address == from) known = i;
        if (player.address.ip != from.ip) continue;
        ++sameAddress;
        // A player who comes back from the same IP (its port may differ)
        // under its name, while its old entry is silent, is that entry's owner.
        if (now - player.lastHeard >= kGhostSilenceMs && StringsEqual(player.name, SafeName(name).name, true))
            ghost = i;
    }
    uint8_t status = kAdmitted;
    const bool passwordRight = SameInConstantTime(proof, PasswordProof(m_passwordKey, cookie));
    if (!StringsEqual(version, m_version, true))
        status = kRefusedVersion;
    // A key that could not be derived is all zeros, which anyone can compute:
    // no join is taken under it.
    else if (m_passwordGiven && (!passwordRight || !PasswordKeyDerived(m_passwordKey)))
        status = kRefusedPassword;
    else if (known < 0 && ghost < 0 && m_closed)
        status = kRefusedClosed;
    else if (known < 0 && ghost < 0 &&
             (CurrentPlayers() >= m_maxPlayers || m_playerCount >= kMaxJoined || sameAddress >= m_seatsPerAddress))
        status = kRefusedFull;
    uint64_t token = 0;
    if (status == kAdmitted) {
        if (known < 0) {
            // A ghost's entry is taken over with its place; a new player gets
            // the lowest free place.
            const bool returning = ghost >= 0;
            Player& player = returning ? m_players[ghost] : m_players[m_playerCount++];
            const int place = returning ? player.place : 0;
            player = Player();
            player.address = from;
            do player.token = Draw();
            while (player.token == 0);
            // Without a password the cookie is what only the two sides know.
            player.answerKey = AnswerKey(m_passwordGiven ? m_passwordKey : JoinAnswerKey(cookie), player.token);
            CopyString(player.name, SafeName(name).name, kNameSize);
            player.place = returning ? place : FreePlace();
            known = returning ? ghost : m_playerCount - 1;
        }
        m_players[known].lastHeard = now;
        token = m_players[known].token;
    }
    answer.U8(status);
    answer.U64(token);
    answer.Text(m_name);
    answer.U32(static_cast<uint32_t>(m_gameType));
    answer.U32(static_cast<uint32_t>(m_maxPlayers));
    answer.U32(static_cast<uint32_t>(CurrentPlayers()));
    answer.U8(static_cast<uint8_t>(m_ready));
    answer.U8(m_passwordGiven ? 1 : 0);
    answer.Seal(JoinAnswerKey(cookie));
    return true;
}

bool SessionHost::AnswerStatus(Reader&, Player& player, Writer& answer) {
    answer.U8(static_cast<uint8_t>(m_ready));
    answer.U32(static_cast<uint32_t>(m_maxPlayers));
    answer.U32(static_cast<uint32_t>(CurrentPlayers()));
    answer.U8(static_cast<uint8_t>(player.place));
    return true;
}

bool SessionHost::TakePlayerState(Reader& request, Player& player, Writer&) {
    AircraftWireState state;
    if (!ReadPlayerState(request, &state) || !player.stateBudget.Take(kPlayerStates, player.lastHeard)) return false;
    // Only the newest state counts: a late datagram never moves an aircraft back.
    if (player.hasState && !IsNewer(request.Request(), player.stateSequence)) return false;
    state.id = static_cast<uint8_t>(player.place);
    player.state = state;
    player.stateSequence = request.Request();
    player.hasState = true;
    return false;  // nothing to answer
}

int SessionHost::FreePlace() const {
    for (int place = 1; place < kMaxPlaces; ++place) {
        if (PlayerAtPlace(place) < 0) return place;
    }
    return 0;
}

int SessionHost::PlayerAtPlace(int place) const {
    for (int i = 0; place > 0 && i < m_playerCount; ++i) {
        if (m_players[i].place == place) return i;
    }
    return -1;
}

bool SessionHost::PlayerState(int index, AircraftWireState* state) const {
    if (index < 0 || index >= m_playerCount || !m_players[index].hasState) return false;
    *state = m_players[index].state;
    return true;
}

void SessionHost::ForgetStates() {
    for (int i = 0; i < m_playerCount; ++i) m_players[i].hasState = false;
}

const char* SessionHost::RequestedFile(Reader& request, uint32_t* offset) {
    const int cacheFile = request.U8();
    *offset = request.U32();
    char name[kTextSize];
    request.Text(name, sizeof name);
    // Files are served once the session is ready: the host has written them by then.
    if (!request.Ok() || !m_ready || !m_fileSource) return nullptr;
    return m_files.Find(cacheFile, name);
}

bool SessionHost::AnswerFileInfo(Reader& request, Player& player, Writer& answer) {
    uint32_t offset = 0;
    const char* path = RequestedFile(request, &offset);
    if (!request.Ok()) return false;
    uint32_t size = 0, sum = 0;
    const bool served = path && m_fileSource->Describe(path, &size, &sum) && size <= kMaxFileSize;
    const int entry = served ? m_files.IndexOf(path) : -1;
    if (entry >= 0 && !(player.filesDescribed & (1u << entry))) {
        // Each file's bytes are granted once per player, twice over.
        player.filesDescribed |= 1u << entry;
        player.fileAllowance += 2ull * size + kFileAllowanceMargin;
    }
    answer.U8(served ? 1 : 0);
    answer.U32(served ? size : 0);
    answer.U32(served ? sum : 0);
    return true;
}

bool SessionHost::AnswerFileChunk(Reader& request, Player& player, Writer& answer) {
    uint32_t offset = 0;
    const char* path = RequestedFile(request, &offset);
    if (!request.Ok()) return false;
    // A player who has drawn what its files' exchange needs is not served more.
    if (player.fileAllowance < kChunkSize) return false;
    char bytes[kChunkSize];
    int got = -1;
    if (path && offset <= kMaxFileSize) got = m_fileSource->Read(path, offset, bytes, sizeof bytes);
    if (got > static_cast<int>(sizeof bytes)) got = -1;
    if (got > 0) player.fileAllowance -= static_cast<uint32_t>(got);
    answer.U8(got >= 0 ? 1 : 0);
    answer.U32(offset);
    answer.U16(static_cast<uint16_t>(got > 0 ? got : 0));
    if (got > 0) answer.Bytes(bytes, static_cast<size_t>(got));
    return true;
}

bool SessionHost::AnswerLeave(Reader&, Player& player, Writer&) {
    Drop(static_cast<int>(&player - m_players));
    return false;  // nothing to answer
}

void SessionHost::Drop(int index) {
    if (index < 0 || index >= m_playerCount) return;
    m_players[index] = m_players[m_playerCount - 1];
    --m_playerCount;
}

void SessionHost::Expire(uint32_t now) {
    for (int i = m_playerCount - 1; i >= 0; --i) {
        if (now - m_players[i].lastHeard > kPlayerTimeoutMs) Drop(i);
    }
}
