#include "fuzz/net/net_fuzz_entry.h"

#include "flight_messages.h"
#include "session_host.h"
#include "session_messages.h"

#include <cstring>
#include <map>
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

std::string CheckJoinerReaders(const char* data, size_t size) {
    uint64_t cookie = 0;
    ReadChallengeAnswer(data, size, &cookie);
    JoinAnswer joined;
    memset(&joined, 'x', sizeof joined);
    if (ReadJoinAnswer(data, size, &joined) && strnlen(joined.sessionName, sizeof joined.sessionName) >= sizeof joined.sessionName)
        return "a join answer's session name is not terminated";
    StatusAnswer status;
    ReadStatusAnswer(data, size, &status);
    FileInfoAnswer info;
    if (ReadFileInfoAnswer(data, size, &info) && info.size > kMaxFileSize) return "a file larger than the limit was taken";
    const uint32_t remaining = size > 20 ? static_cast<uint8_t>(data[size - 1]) * 16u : 1024u;
    const uint32_t expected = size > 13 ? static_cast<uint8_t>(data[10]) | static_cast<uint32_t>(static_cast<uint8_t>(data[11])) << 8 : 0;
    FileChunkAnswer chunk;
    if (ReadFileChunkAnswer(data, size, expected, remaining, &chunk)) {
        if (chunk.length > remaining || chunk.offset != expected) return "a chunk beyond what was asked was taken";
        if (chunk.bytes < data || chunk.bytes + chunk.length > data + size) return "a chunk's bytes lie outside the datagram";
    }
    FlightStates states;
    const uint64_t token = size > kHeaderSize + 8 ? static_cast<uint8_t>(data[kHeaderSize]) : 1;
    if (ReadFlightStates(data, size, token, &states)) {
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

}  // namespace

std::string FuzzNetDatagrams(const uint8_t* data, size_t size) {
    static const unsigned char seed[32] = {7};
    MemoryFiles files;
    SessionHost host(seed, &files);
    uint32_t now = 0xffff0000u;
    const SessionSettings settings{"Evening", "pw", 1, 1, 3, "v02.19.07"};
    host.Open(settings, now);
    host.Files().Add(0, "Aircraft.dat", kListed[0]);
    host.Files().Add(1, "AircraftList.dat", kListed[1]);
    host.SetReady(1);
    // One admitted player, joined the way a joining side does.
    char answer[kMaxDatagram];
    const Writer join = JoinRequest(1, host.CookieFor(kSenders[0], now), "v02.19.07", "Wingman", "pw", 0);
    if (!host.Handle(join.Data(), join.Size(), kSenders[0], now, answer) || !host.TokenOf(kSenders[0]))
        return "the player was not admitted";

    size_t at = 0;
    while (at + 3 <= size) {
        const uint8_t control = data[at];
        size_t length = data[at + 1] | static_cast<size_t>(data[at + 2]) << 8;
        at += 3;
        if (length > size - at) length = size - at;
        std::string datagram(reinterpret_cast<const char*>(data + at), length);
        at += length;
        const NetAddress from = kSenders[control & 3];
        now += (control >> 4) * 4000u;
        if ((control & 4) && datagram.size() >= 4) memcpy(&datagram[0], "VNL2", 4);
        if ((control & 8) && datagram.size() >= kHeaderSize + 8) {
            const uint64_t value = static_cast<uint8_t>(datagram[4]) == kJoin ? host.CookieFor(from, now) : host.TokenOf(from);
            for (int i = 0; i < 8; ++i) datagram[kHeaderSize + i] = static_cast<char>(value >> (8 * i));
        }
        const bool admitted = host.TokenOf(from) != 0;
        const size_t answered = host.Handle(datagram.data(), datagram.size(), from, now, answer);
        if (answered > kMaxDatagram) return "an answer overran the datagram";
        if (answered) {
            Reader request(datagram.data(), datagram.size());
            const uint8_t type = request.Type();
            if (!admitted && type != kChallenge && type != kJoin) return "a stranger was answered";
            if (type == kChallenge && answered > datagram.size()) return "a challenge answer outgrew its request";
            const std::string problem = CheckJoinerReaders(answer, answered);
            if (!problem.empty()) return problem;
        }
        if (files.strayed) return "a file off the list was opened";
        const std::string states = CheckPlayerStates(host);
        if (!states.empty()) return states;
        if (host.CurrentPlayers() > settings.maxPlayers) return "more players than the session holds";
        host.Expire(now);
        const std::string problem = CheckJoinerReaders(datagram.data(), datagram.size());
        if (!problem.empty()) return problem;
        char path[300];
        memcpy(path, datagram.data(), datagram.size() < sizeof path - 1 ? datagram.size() : sizeof path - 1);
        path[datagram.size() < sizeof path - 1 ? datagram.size() : sizeof path - 1] = '\0';
        const char* found = host.Files().Find(control & 1, path);
        if (found && strcmp(found, kListed[0]) != 0 && strcmp(found, kListed[1]) != 0) return "the list gave an unlisted path";
    }
    return "";
}
