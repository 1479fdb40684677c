// A hostile peer against a real Varn.exe host with the sample network layer:
// a raw UDP client names files outside the list, asks before joining, forges
// cookies and sends broken datagrams; a script of the machine floods the query
// port from one address and from several. The host serves none of it, answers within its budgets
// and stays up: afterwards a real joiner still joins and receives the aircraft
// list, and a query client of the machine still reads the session. Joins from
// one address take only their seats, and a player who comes back replaces
// its own silent entry.
#include <winsock2.h>

#include "keyed_hash.h"
#include "password_key.h"
#include "session_messages.h"
#include "tests/host/network_game.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/unix_command.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace netwire;
using netgame::FreeLoopbackPort;
using netgame::Game;
using netgame::kProbeIni;
using testsupport::ReadWholeFile;

namespace {

// A UDP socket on a loopback address of the test's choice.
class RawPeer {
public:
    explicit RawPeer(const char* ip) {
        m_socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = inet_addr(ip);
        u_long nonBlocking = 1;
        m_ok = m_socket != INVALID_SOCKET && bind(m_socket, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
               ioctlsocket(m_socket, FIONBIO, &nonBlocking) == 0;
    }
    ~RawPeer() {
        if (m_socket != INVALID_SOCKET) closesocket(m_socket);
    }
    bool Ok() const { return m_ok; }
    void Send(int port, const void* data, size_t size) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(static_cast<u_short>(port));
        sendto(m_socket, static_cast<const char*>(data), static_cast<int>(size), 0, reinterpret_cast<sockaddr*>(&to),
               sizeof to);
    }
    void Send(int port, const Writer& datagram) { Send(port, datagram.Data(), datagram.Size()); }
    // The next datagram that comes within waitMs ("" for none).
    std::string Receive(DWORD waitMs) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_socket, &readable);
        timeval wait{static_cast<long>(waitMs / 1000), static_cast<long>(waitMs % 1000) * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0) return "";
        char data[2048];
        const int got = recv(m_socket, data, sizeof data, 0);
        return got > 0 ? std::string(data, static_cast<size_t>(got)) : "";
    }
    // Counts the datagrams that come until none has come for quietMs.
    int CountUntilQuiet(DWORD quietMs) {
        int count = 0;
        while (!Receive(quietMs).empty()) ++count;
        return count;
    }

private:
    SOCKET m_socket = INVALID_SOCKET;
    bool m_ok = false;
};

class Winsock {
public:
    Winsock() { m_ok = WSAStartup(MAKEWORD(2, 2), &m_data) == 0; }
    ~Winsock() {
        if (m_ok) WSACleanup();
    }
    bool Ok() const { return m_ok; }

private:
    WSADATA m_data;
    bool m_ok;
};

// What the flooding script of the machine reports: answers per address.
struct FloodReport {
    std::string output;
    int addresses = 0;
    int total = 0;
    int most = 0;
    int sent = 0;
    double seconds = 0;
};

FloodReport Flood(const testsupport::ScratchDir& dir, const std::string& command) {
    FloodReport report;
    report.output = testsupport::RunUnixCommand(dir, command);
    size_t at = 0;
    while (at < report.output.size()) {
        size_t end = report.output.find('\n', at);
        if (end == std::string::npos) end = report.output.size();
        const std::string line = report.output.substr(at, end - at);
        char address[64];
        int count = 0;
        double seconds = 0;
        if (sscanf(line.c_str(), "127.0.0.%63s %d", address, &count) == 2) {
            ++report.addresses;
            report.total += count;
            report.most = count > report.most ? count : report.most;
        } else if (sscanf(line.c_str(), "sent %d", &count) == 1) {
            report.sent = count;
        } else if (sscanf(line.c_str(), "seconds %lf", &seconds) == 1) {
            report.seconds = seconds;
        }
        at = end + 1;
    }
    return report;
}

// The cookie of a challenge answer (0 for none); the session's salt goes to *salt.
uint64_t CookieFrom(const std::string& answer, uint8_t* salt = nullptr) {
    ChallengeAnswer challenge{};
    if (!ReadChallengeAnswer(answer.data(), answer.size(), &challenge)) return 0;
    if (salt) memcpy(salt, challenge.salt, kSaltSize);
    return challenge.cookie;
}

// The next datagram of the given type that comes within waitMs each ("" for
// none): the host's keep-alives to an admitted player are passed over.
std::string AnswerOf(RawPeer& peer, MessageType type, DWORD waitMs) {
    for (int i = 0; i < 16; ++i) {
        const std::string got = peer.Receive(waitMs);
        if (got.empty()) return "";
        if (Reader(got.data(), got.size()).Type() == type) return got;
    }
    return "";
}

// A join from the peer's own port: the join answer's status (-1 without
// one) and, when admitted, the place the host's status answer gives.
struct Seat {
    int status = -1;
    int place = 0;
};

Seat JoinFrom(RawPeer& peer, int port, const char* name, const char* password) {
    Seat seat;
    peer.Send(port, ChallengeRequest(1));
    uint8_t salt[kSaltSize] = {};
    const uint64_t cookie = CookieFrom(AnswerOf(peer, kChallengeAnswer, 3000), salt);
    if (!cookie) return seat;
    const HashKey key = PasswordKey(password, salt, kSaltSize);
    peer.Send(port, JoinRequest(2, cookie, "v02.19.07", name, key, 0));
    const std::string answer = AnswerOf(peer, kJoinAnswer, 3000);
    JoinAnswer joined{};
    if (!ReadJoinAnswer(answer.data(), answer.size(), cookie, &joined)) return seat;
    seat.status = joined.status;
    if (joined.status != kAdmitted) return seat;
    peer.Send(port, TokenRequest(kStatus, 3, joined.token));
    const std::string status = AnswerOf(peer, kStatusAnswer, 3000);
    StatusAnswer described{};
    const HashKey sealKey = AnswerKey(AnswerKeyBase(joined, key, cookie), joined.token);
    if (ReadStatusAnswer(status.data(), status.size(), sealKey, &described)) seat.place = described.place;
    return seat;
}

// Two free loopback ports for a host (the case skips when none can be bound),
// and the host of an eight-player session under the password "secret" on them.
class HostilePeer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(winsock.Ok());
        gamePort = FreeLoopbackPort();
        queryPort = FreeLoopbackPort();
        if (!gamePort || !queryPort || gamePort == queryPort) GTEST_SKIP() << "no UDP port can be bound on the loopback address";
    }
    void StartHost(Game& host) {
        ASSERT_TRUE(host.Start("-host -n:Pilot -s:Evening -g:1 -m:8 -p:secret -gamespy -netport:" + std::to_string(gamePort) +
                               " -queryport:" + std::to_string(queryPort) + " -netbind:127.0.0.1"));
        ASSERT_TRUE(host.WaitForLine("MNU mnuSetVersion(v02.19.07) = 0")) << host.Journal();
    }

    Winsock winsock;
    int gamePort = 0, queryPort = 0;
};

TEST_F(HostilePeer, IsServedNothingAnsweredWithinLimitsAndTheSessionGoesOn) {
    Game host(NET_LAYER_DLL, std::string(kProbeIni) + "[MNU]\nWaitFor=JoinerDone.txt\n");
    ASSERT_TRUE(host.Ok());
    ASSERT_TRUE(host.Dir().Write("Aircraft.dat", std::string(3000, 'a')));
    ASSERT_TRUE(host.Dir().Write("Secret.txt", "the player's own file"));
    ASSERT_NO_FATAL_FAILURE(StartHost(host));

    RawPeer peer("127.0.0.1"), other("127.0.0.1");  // two ports: two peers
    ASSERT_TRUE(peer.Ok() && other.Ok());
    const std::string secret = host.Dir().File("Secret.txt");
    const std::vector<std::string> hostile = {secret, "startup.ini", "..\\..\\..\\" + secret.substr(3), "..\\Secret.txt",
                                              "Secret.txt", "C:Secret.txt", "\\Secret.txt", "Objects\\..\\Secret.txt"};

    // Before joining: no answer to status or file requests, whatever their token.
    peer.Send(gamePort, TokenRequest(kStatus, 1, 0));
    for (const std::string& name : hostile) {
        peer.Send(gamePort, FileRequest(kFileInfo, 2, 0, 0, 0, name.c_str()));
        peer.Send(gamePort, FileRequest(kFileChunk, 3, 12345, 0, 0, name.c_str()));
    }
    peer.Send(gamePort, FileRequest(kFileInfo, 4, 0, 0, 0, "Aircraft.dat"));
    EXPECT_EQ(peer.CountUntilQuiet(500), 0);

    // Joins with no cookie, a forged one and another peer's: no answer.
    peer.Send(gamePort, ChallengeRequest(5));
    uint8_t salt[kSaltSize] = {};
    const uint64_t cookie = CookieFrom(peer.Receive(3000), salt);
    ASSERT_NE(cookie, 0u);
    const HashKey secretKey = PasswordKey("secret", salt, kSaltSize);
    other.Send(gamePort, ChallengeRequest(6));
    const uint64_t othersCookie = CookieFrom(other.Receive(3000));
    ASSERT_NE(othersCookie, 0u);
    for (uint64_t forged : {uint64_t(0), cookie ^ 0x100, othersCookie})
        peer.Send(gamePort, JoinRequest(7, forged, "v02.19.07", "Forger", secretKey, 0));
    EXPECT_EQ(peer.CountUntilQuiet(500), 0);

    // Truncated, oversized and random datagrams: nothing comes back.
    const Writer join = JoinRequest(8, cookie, "v02.19.07", "Forger", secretKey, 0);
    for (size_t cut = 0; cut < join.Size(); cut += 3) peer.Send(gamePort, join.Data(), cut);
    const Writer challenge = ChallengeRequest(9);
    peer.Send(gamePort, challenge.Data(), challenge.Size() - 1);
    const std::string oversized = std::string(challenge.Data(), challenge.Size()) + std::string(3000, 'x');
    peer.Send(gamePort, oversized.data(), oversized.size());
    peer.Send(queryPort, oversized.data(), oversized.size());
    uint32_t random = 12345;
    for (int i = 0; i < 300; ++i) {
        std::string datagram(1 + i % 200, '\0');
        for (char& c : datagram) c = static_cast<char>((random = random * 1103515245u + 12345u) >> 16);
        peer.Send(i % 2 ? gamePort : queryPort, datagram.data(), datagram.size());
    }
    EXPECT_EQ(peer.CountUntilQuiet(500), 0);

    // Admitted with the password (never sent itself), the peer still gets only the listed files.
    peer.Send(gamePort, JoinRequest(10, cookie, "v02.19.07", "Raw", PasswordKey("wrong", salt, kSaltSize), 0));
    std::string answer = peer.Receive(3000);
    JoinAnswer joined{};
    ASSERT_TRUE(ReadJoinAnswer(answer.data(), answer.size(), cookie, &joined));
    EXPECT_EQ(joined.status, kRefusedPassword);
    peer.Send(gamePort, JoinRequest(11, cookie, "v02.19.07", "Raw", secretKey, 0));
    answer = peer.Receive(3000);
    ASSERT_TRUE(ReadJoinAnswer(answer.data(), answer.size(), cookie, &joined));
    ASSERT_EQ(joined.status, kAdmitted);
    const HashKey sealKey = AnswerKey(secretKey, joined.token);
    for (const std::string& name : hostile) {
        for (int cacheFile = 0; cacheFile < 2; ++cacheFile) {
            peer.Send(gamePort, FileRequest(kFileInfo, 12, joined.token, cacheFile, 0, name.c_str()));
            answer = peer.Receive(3000);
            FileInfoAnswer info{};
            ASSERT_TRUE(ReadFileInfoAnswer(answer.data(), answer.size(), sealKey, &info)) << name;
            EXPECT_EQ(info.found, 0) << name;
            peer.Send(gamePort, FileRequest(kFileChunk, 13, joined.token, cacheFile, 0, name.c_str()));
            answer = peer.Receive(3000);
            EXPECT_EQ(answer.find("player's own"), std::string::npos) << name;
        }
    }
    peer.Send(gamePort, FileRequest(kFileInfo, 14, joined.token, 0, 0, "Aircraft.dat"));
    answer = peer.Receive(3000);
    FileInfoAnswer listed{};
    ASSERT_TRUE(ReadFileInfoAnswer(answer.data(), answer.size(), sealKey, &listed));
    EXPECT_EQ(listed.found, 1);
    EXPECT_EQ(listed.size, 3000u);
    // Another peer with the peer's token is still a stranger.
    other.Send(gamePort, FileRequest(kFileInfo, 15, joined.token, 0, 0, "Aircraft.dat"));
    EXPECT_EQ(other.CountUntilQuiet(500), 0);
    peer.Send(gamePort, TokenRequest(kLeave, 16, joined.token));

    // A flood of queries from one address, then from eight, sent from the
    // machine itself (Wine gives its programs no source address but
    // 127.0.0.1): answers keep to a burst and about one a second per address,
    // and to a total per second.
    std::string skipped;
    if (!testsupport::HasUnixProgram("/usr/bin/perl")) skipped = "perl is not installed: the query floods are skipped. ";
    if (skipped.empty()) {
        const std::string flood = "/usr/bin/perl " + std::string(VARN_TEST_SOURCE_DIR) + "/tests/host/udp_flood.pl " +
                                  std::to_string(queryPort) + " 10000 ";
        FloodReport one = Flood(host.Dir(), flood + "127.0.0.2");
        std::string eight;
        for (int i = 3; i <= 10; ++i) eight += " 127.0.0." + std::to_string(i);
        FloodReport many = Flood(host.Dir(), flood + eight);
        printf("10000 queries from one address in %.1f s: %d answered; from eight in %.1f s: %d answered, at most %d to one\n",
               one.seconds, one.total, many.seconds, many.total, many.most);
        ASSERT_EQ(one.addresses, 1) << one.output;
        ASSERT_EQ(many.addresses, 8) << many.output;
        EXPECT_EQ(one.sent, 10000) << one.output;
        EXPECT_EQ(many.sent, 10000) << many.output;
        EXPECT_LE(one.total, 10 + one.seconds + 3) << one.output;
        EXPECT_LE(many.most, 10 + many.seconds + 3) << many.output;
        EXPECT_LE(many.total, 40 + 40 * (many.seconds + 3)) << many.output;
    }

    // The session goes on: a real joiner joins and receives the aircraft list.
    Game joiner(NET_LAYER_DLL, kProbeIni);
    ASSERT_TRUE(joiner.Ok());
    ASSERT_TRUE(joiner.Start("-join:127.0.0.1:" + std::to_string(gamePort) + " -n:Wingman -p:secret -netbind:127.0.0.1"));
    testsupport::MessageBoxWatcher boxes("Error!", joiner.ProcessId());
    EXPECT_EQ(joiner.Wait(90000), 1);
    const std::string list = ReadWholeFile(host.Dir().File("NetCache\\AircraftList.dat"));
    EXPECT_EQ(list.size(), 412u);
    EXPECT_EQ(ReadWholeFile(joiner.Dir().File("NetCache\\AircraftList.dat")), list);
    EXPECT_EQ(ReadWholeFile(joiner.Dir().File("NetCache\\Aircraft.dat")), std::string(3000, 'a'));
    EXPECT_TRUE(boxes.Texts().empty()) << boxes.Texts().front();
    if (testsupport::HasUnixProgram("/usr/bin/quakestat")) {
        const std::string report = testsupport::RunUnixCommand(
            host.Dir(), "/usr/bin/quakestat -gps 127.0.0.1:" + std::to_string(queryPort) + " -R -P");
        EXPECT_NE(report.find("cpmission Evening"), std::string::npos) << report;
    } else {
        skipped += "quakestat (Debian package qstat) is not installed: the server-query check is skipped.";
    }
    ASSERT_TRUE(host.Dir().Write("JoinerDone.txt", "done"));
    EXPECT_EQ(host.Wait(60000), 1);
    if (!skipped.empty()) GTEST_SKIP() << skipped;
}

// Seven joins from seven ports of one IP address into a session of eight:
// three are seated, the rest are answered full. A seated player that falls
// silent (its program killed) and joins again from a new port under its
// name replaces its ghost and gets its place back; the seats stay three.
TEST_F(HostilePeer, OneAddressSeatsThreeAndAReturningPlayerReplacesItsGhost) {
    Game host(NET_LAYER_DLL, std::string(kProbeIni) + "[MNU]\nWaitFor=JoinerDone.txt\n");
    ASSERT_TRUE(host.Ok());
    ASSERT_NO_FATAL_FAILURE(StartHost(host));

    std::vector<std::unique_ptr<RawPeer>> peers;
    std::vector<int> statuses, places;
    for (int i = 0; i < 7; ++i) {
        peers.push_back(std::make_unique<RawPeer>("127.0.0.1"));
        ASSERT_TRUE(peers.back()->Ok());
        const Seat seat = JoinFrom(*peers.back(), gamePort, ("Pilot" + std::to_string(i)).c_str(), "secret");
        statuses.push_back(seat.status);
        places.push_back(seat.place);
    }
    EXPECT_EQ(statuses, (std::vector<int>{kAdmitted, kAdmitted, kAdmitted, kRefusedFull, kRefusedFull, kRefusedFull,
                                          kRefusedFull}));
    EXPECT_EQ(places, (std::vector<int>{1, 2, 3, 0, 0, 0, 0}));

    // Pilot1 says nothing more; once it has been silent for over 2 s it comes back from a new port.
    Sleep(2500);
    RawPeer back("127.0.0.1"), stranger("127.0.0.1");
    ASSERT_TRUE(back.Ok() && stranger.Ok());
    const Seat returned = JoinFrom(back, gamePort, "Pilot1", "secret");
    EXPECT_EQ(returned.status, kAdmitted);
    EXPECT_EQ(returned.place, 2);
    EXPECT_EQ(JoinFrom(stranger, gamePort, "Pilot7", "secret").status, kRefusedFull);

    ASSERT_TRUE(host.Dir().Write("JoinerDone.txt", "done"));
    EXPECT_EQ(host.Wait(60000), 1);
}

}  // namespace
