#include "session_host.h"

#include "files/strings.h"

#include <cstring>

using namespace netwire;

namespace {

// Per source address: a small burst, then one answer a second. In total: a
// cap per kind, so that a flood of one kind cannot use up another's.
const Budget kPerAddress = {10, 1000};
const Budget kTotal[kAnswerKinds] = {
    {40, 25},  // queries: 40 a second
    {40, 25},  // challenges
    {20, 50},  // joins
};

// Flight states from one player: a fixed rate of ten a second, with room
// for twice that.
const Budget kPlayerStates = {20, 50};

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
};

const SessionHost::Rule SessionHost::kRules[] = {
    {kChallenge, kChallengeAnswer, false, &SessionHost::AnswerChallenge, nullptr},
    {kJoin, kJoinAnswer, false, &SessionHost::AnswerJoin, nullptr},
    {kStatus, kStatusAnswer, true, nullptr, &SessionHost::AnswerStatus},
    {kFileInfo, kFileInfoAnswer, true, nullptr, &SessionHost::AnswerFileInfo},
    {kFileChunk, kFileChunkAnswer, true, nullptr, &SessionHost::AnswerFileChunk},
    {kLeave, kLeave, true, nullptr, &SessionHost::AnswerLeave},
    {kKeepAlive, kKeepAlive, true, nullptr, nullptr},  // being heard from is all it does
    {kPlayerState, kPlayerState, true, nullptr, &SessionHost::TakePlayerState},
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
    m_passwordKey = PasswordKey(m_passwordGiven ? settings.password : "");
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
        if (rule->fromPlayer) answered = (this->*rule->fromPlayer)(request, *player, reply);
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

    int known = -1;
    for (int i = 0; i < m_playerCount; ++i) {
        if (m_players[i].address == from) known = i;
    }
    uint8_t status = kAdmitted;
    const bool passwordRight = SameInConstantTime(proof, PasswordProof(m_passwordKey, cookie));
    if (!StringsEqual(version, m_version, true))
        status = kRefusedVersion;
    else if (m_passwordGiven && !passwordRight)
        status = kRefusedPassword;
    else if (known < 0 && m_closed)
        status = kRefusedClosed;
    else if (known < 0 && (CurrentPlayers() >= m_maxPlayers || m_playerCount >= kMaxJoined))
        status = kRefusedFull;
    uint64_t token = 0;
    if (status == kAdmitted) {
        if (known < 0) {
            Player& player = m_players[m_playerCount++];
            player.address = from;
            do player.token = Draw();
            while (player.token == 0);
            CopyString(player.name, name, kNameSize);
            player.place = 0;  // not counted as taken while the free place is sought
            player.place = FreePlace();
            player.stateBudget = LeakyBucket();
            player.hasState = false;
            player.stateSequence = 0;
            // The name goes into query answers of backslash-separated pairs:
            // a backslash or control character in it could forge pairs.
            for (char* c = player.name; *c; ++c) {
                if (*c == '\\' || static_cast<unsigned char>(*c) < 0x20) *c = '_';
            }
            known = m_playerCount - 1;
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

bool SessionHost::AnswerFileInfo(Reader& request, Player&, Writer& answer) {
    uint32_t offset = 0;
    const char* path = RequestedFile(request, &offset);
    if (!request.Ok()) return false;
    uint32_t size = 0, sum = 0;
    const bool served = path && m_fileSource->Describe(path, &size, &sum) && size <= kMaxFileSize;
    answer.U8(served ? 1 : 0);
    answer.U32(served ? size : 0);
    answer.U32(served ? sum : 0);
    return true;
}

bool SessionHost::AnswerFileChunk(Reader& request, Player&, Writer& answer) {
    uint32_t offset = 0;
    const char* path = RequestedFile(request, &offset);
    if (!request.Ok()) return false;
    char bytes[kChunkSize];
    int got = -1;
    if (path && offset <= kMaxFileSize) got = m_fileSource->Read(path, offset, bytes, sizeof bytes);
    if (got > static_cast<int>(sizeof bytes)) got = -1;
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
