#include "fuzz/net/net_fuzz_entry.h"

#include "flight_messages.h"
#include "session_host.h"
#include "session_messages.h"

#include "query_text.h"

#include <cstring>
#include <map>
#include <memory>
#include <string>

using namespace netwire;

namespace {

const char* const kListed[] = {"Objects\\Aircraft.dat", "Cache\\AircraftList.dat"};

class MemoryFiles final : public SessionFileSource {
public:
    bool Describe(const char* path, uint32_t* size, uint32_t* sum) override {
        if (!Listed(path)) return false;
        *size = static_cast<uint32_t>(Bytes(path).size());
        *sum = 1;
        return true;
    }
    int Read(const char* path, uint32_t offset, char* out, size_t size) override {
        if (!Listed(path)) return -1;
        const std::string bytes = Bytes(path);
        if (offset > bytes.size()) return -1;
        const size_t n = bytes.size() - offset < size ? bytes.size() - offset : size;
        memcpy(out, bytes.data() + offset, n);
        return static_cast<int>(n);
    }
    bool strayed = false;  // asked for a path that is not listed

private:
    bool Listed(const char* path) {
        for (const char* listed : kListed) {
            if (strcmp(path, listed) == 0) return true;
        }
        strayed = true;
        return false;
    }
    static std::string Bytes(const char* path) { return std::string(strcmp(path, kListed[0]) == 0 ? 2500 : 4, 'b'); }
};

const NetAddress kSenders[4] = {{0x0200007f, 4000}, {0x0300007f, 4000}, {0x0400007f, 9}, {0x0200007f, 4001}};

// The keys the joiner's readers are tried with: the fuzzed player's, so that
// sealed answers of the host reach the readers' own checks.
struct JoinerKeys {
    uint64_t cookie;
    HashKey answerKey;
    uint64_t token;
};

const unsigned char kSeed[32] = {7};
const SessionSettings kSettings{"Evening", "pw", 1, 1, 3, "v02.19.07", 2};

// A server information callback that takes all the room it is told of.
void VARN_CDECL GreedyInfo(char* output, int length, IQueryContext*) {
    const size_t used = strlen(output);
    if (length > 0 && used + 1 < static_cast<size_t>(length)) {
        memset(output + used, 'i', static_cast<size_t>(length) - used - 1);
        output[length - 1] = '\0';
    }
}

std::string CheckJoinerReaders(const char* data, size_t size, const JoinerKeys& keys) {
    ChallengeAnswer challenge;
    ReadChallengeAnswer(data, size, &challenge);
    JoinAnswer joined;
    memset(&joined, 'x', sizeof joined);
    if (ReadJoinAnswer(data, size, keys.cookie, &joined) &&
        strnlen(joined.sessionName, sizeof joined.sessionName) >= sizeof joined.sessionName)
        return "a join answer's session name is not terminated";
    StatusAnswer status;
    if (ReadStatusAnswer(data, size, keys.answerKey, &status) &&
        (status.currentPlayers < 0 || status.currentPlayers > status.maxPlayers))
        return "player counts no session has were taken";
    FileInfoAnswer info;
    if (ReadFileInfoAnswer(data, size, keys.answerKey, &info) && info.size > kMaxFileSize)
        return "a file larger than the limit was taken";
    const uint32_t remaining = size > 20 ? static_cast<uint8_t>(data[size - 1]) * 16u : 1024u;
    MessageType notice;
    ReadHostNotice(data, size, keys.answerKey, keys.token, &notice);
    FileChunkAnswer chunk;
    if (ReadFileChunkAnswer(data, size, keys.answerKey, remaining, &chunk)) {
        if (chunk.offset >= remaining || chunk.length > remaining - chunk.offset) return "a chunk beyond the file was taken";
        if (chunk.bytes < data || chunk.bytes + chunk.length > data + size) return "a chunk's bytes lie outside the datagram";
    }
    FlightStates states;
    if (ReadFlightStates(data, size, keys.token, keys.answerKey, &states)) {
        if (states.count > kMaxPlaces || states.place >= kMaxPlaces) return "a flight state beyond the places was taken";
        for (int i = 0; i < states.count; ++i) {
            const AircraftWireState& a = states.aircraft[i];
            if (a.id >= kMaxPlaces || !(a.x >= kMinPosition && a.x <= kMaxPosition) ||
                !(a.y >= kMinPosition && a.y <= kMaxPosition))
                return "a flight state outside the view's margins was taken";
        }
    }
    return "";
}

// What the host keeps of its players' flight states.
std::string CheckPlayerStates(const SessionHost& host) {
    for (int i = 0; i < host.PlayerCount(); ++i) {
        AircraftWireState state;
        if (!host.PlayerState(i, &state)) continue;
        if (state.id != host.PlayerPlace(i)) return "a player's state moved another place";
        if (!(state.x >= kMinPosition && state.x <= kMaxPosition) || !(state.y >= kMinPosition && state.y <= kMaxPosition))
            return "a player's state lies outside the view's margins";
    }
    return "";
}

// A hosting side with one admitted player, joined the way a joining side
// does, and that player's keys. Opening derives the password key (Argon2id,
// tens of milliseconds), so it is made once and each run starts from a copy.
struct OpenSession {
    MemoryFiles files;
    SessionHost host{kSeed, &files};
    JoinerKeys keys{};
    std::string problem;
    uint32_t now = 0xffff0000u;

    OpenSession() {
        host.Open(kSettings, now);
        host.Files().Add(0, "Aircraft.dat", kListed[0]);
        host.Files().Add(1, "AircraftList.dat", kListed[1]);
        host.SetReady(1);
        char answer[kMaxDatagram];
        const Writer challenge = ChallengeRequest(1);
        ChallengeAnswer cookie{};
        const size_t got = host.Handle(challenge.Data(), challenge.Size(), kSenders[0], now, answer);
        if (!ReadChallengeAnswer(answer, got, &cookie)) {
            problem = "the challenge was not answered";
            return;
        }
        const HashKey passwordKey = PasswordKey("pw", cookie.salt, kSaltSize);
        const Writer join = JoinRequest(2, cookie.cookie, "v02.19.07", "Wingman", passwordKey, 0);
        if (!host.Handle(join.Data(), join.Size(), kSenders[0], now, answer) || !host.TokenOf(kSenders[0])) {
            problem = "the player was not admitted";
            return;
        }
        const uint64_t token = host.TokenOf(kSenders[0]);
        keys = JoinerKeys{cookie.cookie, AnswerKey(passwordKey, token), token};
    }
};

}  // namespace

std::string FuzzNetDatagrams(const uint8_t* data, size_t size) {
    static OpenSession opened;
    if (!opened.problem.empty()) return opened.problem;
    MemoryFiles& files = opened.files;
    files.strayed = false;
    SessionHost host = opened.host;
    const SessionSettings& settings = kSettings;
    const JoinerKeys& keys = opened.keys;
    uint32_t now = opened.now;
    char answer[kMaxDatagram];
    // The query text: the datagram as a query, with one greedy callback.
    QueryReportingSetup setup{};
    setup.gameName = "game";
    setup.serverInfo = &GreedyInfo;
    const char* players[] = {"Lead", "Wingman"};
    const QueryFacts facts{&setup, nullptr, "v02.19.07", players, 2, 1};

    size_t at = 0;
    while (at + 3 <= size) {
        const uint8_t control = data[at];
        size_t length = data[at + 1] | static_cast<size_t>(data[at + 2]) << 8;
        at += 3;
        if (length > size - at) length = size - at;
        // Each datagram in a buffer of its own size, so that a read past it is seen.
        std::unique_ptr<char[]> bytes(new char[length ? length : 1]);
        memcpy(bytes.get(), data + at, length);
        at += length;
        char* const datagram = bytes.get();
        const NetAddress from = kSenders[control & 3];
        now += (control >> 4) * 4000u;
        if ((control & 4) && length >= 4) memcpy(datagram, "VNL2", 4);
        if ((control & 8) && length >= kHeaderSize + 8) {
            const uint64_t value = static_cast<uint8_t>(datagram[4]) == kJoin ? host.CookieFor(from, now) : host.TokenOf(from);
            for (int i = 0; i < 8; ++i) datagram[kHeaderSize + i] = static_cast<char>(value >> (8 * i));
        }
        const bool admitted = host.TokenOf(from) != 0;
        const size_t answered = host.Handle(datagram, length, from, now, answer);
        if (answered > kMaxDatagram) return "an answer overran the datagram";
        if (answered) {
            Reader request(datagram, length);
            const uint8_t type = request.Type();
            if (!admitted && type != kChallenge && type != kJoin) return "a stranger was answered";
            if (type == kChallenge && answered > length) return "a challenge answer outgrew its request";
            std::unique_ptr<char[]> exact(new char[answered]);
            memcpy(exact.get(), answer, answered);
            const std::string problem = CheckJoinerReaders(exact.get(), answered, keys);
            if (!problem.empty()) return problem;
        }
        if (files.strayed) return "a file off the list was opened";
        const std::string states = CheckPlayerStates(host);
        if (!states.empty()) return states;
        if (host.CurrentPlayers() > settings.maxPlayers) return "more players than the session holds";
        for (int i = 0; i < host.PlayerCount(); ++i) {
            int same = 0;
            for (int j = 0; j < host.PlayerCount(); ++j) same += host.PlayerAddress(j).ip == host.PlayerAddress(i).ip;
            if (same > settings.seatsPerAddress) return "one address took more seats than its share";
        }
        host.Expire(now);
        const std::string problem = CheckJoinerReaders(datagram, length, keys);
        if (!problem.empty()) return problem;
        char text[kQueryAnswerSize];
        const size_t written = WriteQueryAnswer(datagram, length, facts, text);
        if (written >= kQueryAnswerSize || strlen(text) != written) return "a query answer overran its datagram";
        if (written && !strstr(text, "\\final\\")) return "a query answer lost its closing pairs";
        char path[300];
        memcpy(path, datagram, length < sizeof path - 1 ? length : sizeof path - 1);
        path[length < sizeof path - 1 ? length : sizeof path - 1] = '\0';
        const char* found = host.Files().Find(control & 1, path);
        if (found && strcmp(found, kListed[0]) != 0 && strcmp(found, kListed[1]) != 0) return "the list gave an unlisted path";
    }
    return "";
}
