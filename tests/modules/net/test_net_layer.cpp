// The sample network layer for real, over loopback UDP: a hosting layer and
// joining layers in one process, the host's file manager serving files, and
// server queries answered with the host's own callbacks.
#include "core/interface_manager.h"
#include "files/file_manager.h"
#include "host/launch/query_reporting.h"
#include "net_wire.h"
#include "network_layer.h"
#include "session_messages.h"
#include "shell/shell.h"
#include "tests/modules/net/fault_relay.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/unix_command.h"
#include "varn/obj.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

// Object lists whose data files the host serves; one of them names a file
// outside the game directory, which is never served.
class DataList final : public ITypeList {
public:
    explicit DataList(const char* file) : m_file(file) {}
    int GetCount() override { return 0; }
    void GetRecord(int, void**) override {}
    const char* GetDataFileName() override { return m_file; }
    void Reload(int, int) override {}
    int IsUsable(int) override { return 0; }

private:
    const char* m_file;
};

class DataObjects final : public IObjectManager {
public:
    void objInit(const char*) override {}
    void objExit() override {}
    void objSetDirectory(const char*) override {}
    const char* objGetDirectory() override { return ""; }
    int objGetTypeId(const char* name) override {
        return strcmp(name, kAircraftTypeName) == 0 ? 1 : strcmp(name, kMissileTypeName) == 0 ? 2 : 3;
    }
    void objGetTypeList(int id, ITypeList** list) override { *list = id == 1 ? &m_aircraft : id == 2 ? &m_empty : &m_outside; }
    int objGetFlagMask(const char*) override { return 0; }
    IGameObject* objGetObject(int) override { return nullptr; }
    int objGetPlayerObjectId() override { return -1; }

private:
    DataList m_aircraft{"Aircraft.dat"}, m_empty{"Empty.dat"}, m_outside{"..\\Secret.dat"};
};

class NetLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.Made());
        ShellSetRegistry(registry.Init());
        files.Initialize();
        files.fmgSetRootDirectory(dir.Path());
        files.fmgSetCacheDirectory(dir.File("NetCache").c_str());
        registry.RegisterInterface(VARN_ID_FMG, static_cast<IFileManager*>(&files), 0);
        registry.RegisterInterface(VARN_ID_OBJ, static_cast<IObjectManager*>(&objects), 0);
        ShellAttachHost(nullptr);
        registry.RegisterInterface(VARN_ID_NET, static_cast<INetworkLayer*>(&host), 0);
        for (NetworkLayer* layer : {&host, &first, &second}) {
            layer->netStart();
            layer->ReadSettings("-netport:0 -queryport:0 -netbind:127.0.0.1");
        }
        host.netSetPlayerName("Pilot");
        first.netSetPlayerName("Wingman");
        second.netSetPlayerName("Third");
    }
    void TearDown() override {
        for (NetworkLayer* layer : {&host, &first, &second}) layer->Shutdown();
        registry.UnregisterInterface(VARN_ID_NET);
        ShellDetachHost();
        registry.UnregisterInterface(VARN_ID_OBJ);
        registry.UnregisterInterface(VARN_ID_FMG);
        files.Shutdown();
        registry.Deinit();
        ShellSetRegistry(nullptr);
    }

    // Hosts "Evening", a mission game for `maxPlayers`, with an optional password.
    void Host(int maxPlayers, const char* password) {
        SessionDescription description{};
        description.sessionName = "Evening";
        description.password = password ? password : "";
        description.passwordGiven = password ? 1 : 0;
        description.gameType = 1;
        description.maxPlayers = maxPlayers;
        ASSERT_EQ(host.netHostSession(&description), 1);
        address = "127.0.0.1:" + std::to_string(host.GamePort()) + " ";
    }
    // One join attempt; the layer's code afterwards (0 when joined).
    int Join(NetworkLayer& layer, const std::string& at, const char* password) {
        SessionDescription description{};
        description.hostAddress = at.c_str();
        description.password = password;
        description.passwordGiven = password[0] ? 1 : 0;
        const int joined = layer.netJoinSession(&description, 0);
        EXPECT_EQ(joined != 0, layer.netGetLastError() == 0);
        return layer.netGetLastError();
    }

    testsupport::ScratchDir dir;
    InterfaceManager registry;
    FileManager files;
    DataObjects objects;
    NetworkLayer host, first, second;
    std::string address;
};

TEST_F(NetLayerTest, PlayersJoinWithThePasswordUntilTheSessionIsFullOrClosed) {
    // Nobody hosts yet: the attempt goes unanswered and is worth retrying.
    UdpSocket probe;
    ASSERT_TRUE(probe.Open(NetAddress{htonl(INADDR_LOOPBACK), 0}));
    const std::string silent = "127.0.0.1:" + std::to_string(probe.LocalPort());
    EXPECT_EQ(Join(first, silent, "secret"), 3);
    EXPECT_EQ(Join(first, "nowhere.example:1", "secret"), 7);
    EXPECT_EQ(Join(first, "127.0.0.1:99999", "secret"), 7);

    Host(2, "secret");
    SessionDescription info{};
    EXPECT_EQ(first.netGetSessionInfo(&info), 0);
    EXPECT_EQ(Join(first, address, "wrong"), 2);
    EXPECT_EQ(Join(first, address, "secret"), 0);
    ASSERT_EQ(first.netGetSessionInfo(&info), 1);
    EXPECT_STREQ(info.sessionName, "Evening");
    EXPECT_EQ(info.gameType, 1);
    EXPECT_EQ(info.maxPlayers, 2);
    EXPECT_EQ(info.currentPlayers, 2);
    EXPECT_EQ(Join(first, address, "secret"), 0);  // the same player again is no new player
    EXPECT_EQ(Join(second, address, "secret"), 6);

    EXPECT_EQ(first.netIsSessionReady(), 0);
    host.netSetSessionReady(1);
    EXPECT_EQ(first.netIsSessionReady(), 1);
    EXPECT_EQ(host.netIsSessionReady(), 1);
    host.netSetSessionReady(0);
    EXPECT_STREQ(host.GetGameMode(), "closed");
    EXPECT_EQ(Join(second, address, "secret"), 5);
}

TEST_F(NetLayerTest, AHostWithoutPasswordAdmitsAnyAndRefusesOtherVersions) {
    Host(8, nullptr);
    EXPECT_EQ(Join(first, address, "HostSecret"), 0);
    EXPECT_STREQ(host.GetGameMode(), "open");

    // A request of another version, and datagrams that are not requests at all.
    UdpSocket raw;
    ASSERT_TRUE(raw.Open(NetAddress{htonl(INADDR_LOOPBACK), 0}));
    NetAddress to;
    ASSERT_TRUE(ParseNetAddress(address.c_str(), 0, &to));
    char answer[netwire::kMaxDatagram];
    ASSERT_TRUE(raw.Send(to, "garbage", 7));
    const netwire::Writer challenge = netwire::ChallengeRequest(5);
    ASSERT_TRUE(raw.Send(to, challenge.Data(), challenge.Size()));
    int size = raw.Receive(answer, sizeof answer, nullptr, 3000);
    netwire::ChallengeAnswer challenged{};
    ASSERT_TRUE(size > 0 && netwire::ReadChallengeAnswer(answer, static_cast<size_t>(size), &challenged));
    const uint64_t cookie = challenged.cookie;
    const HashKey key = PasswordKey("", challenged.salt, netwire::kSaltSize);
    const netwire::Writer unasked = netwire::JoinRequest(6, cookie + 1, "v01.00.00", "Old", key, 0);
    ASSERT_TRUE(raw.Send(to, unasked.Data(), unasked.Size()));
    const netwire::Writer request = netwire::JoinRequest(7, cookie, "v01.00.00", "Old", key, 0);
    ASSERT_TRUE(raw.Send(to, request.Data(), request.Size()));
    size = raw.Receive(answer, sizeof answer, nullptr, 3000);
    ASSERT_GT(size, 0);
    netwire::Reader reply(answer, static_cast<size_t>(size));
    EXPECT_EQ(reply.Request(), 7u);  // the garbage and the forged cookie went unanswered
    EXPECT_EQ(reply.U8(), netwire::kRefusedVersion);
}

TEST_F(NetLayerTest, OnlyTheListedFilesComeFromTheHostsFileManagerIntoTheCache) {
    std::string data(5000, 'x');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
    ASSERT_TRUE(dir.Write("Aircraft.dat", data));
    ASSERT_TRUE(dir.Write("Empty.dat", ""));
    ASSERT_TRUE(dir.Write("Secret.txt", "the player's own file"));
    ASSERT_TRUE(dir.Write("NetCache\\AircraftList.dat", "list"));
    Host(8, nullptr);
    int replaced = 7;
    EXPECT_EQ(first.netSyncFile("Aircraft.dat", &replaced), 0);  // not joined yet
    EXPECT_EQ(replaced, 0);
    ASSERT_EQ(Join(first, address, ""), 0);
    // Not served before the session is ready: nothing to copy, nothing replaced.
    EXPECT_EQ(first.netSyncFile("Aircraft.dat", &replaced), 1);
    EXPECT_EQ(replaced, 0);
    EXPECT_FALSE(std::ifstream(dir.File("NetCache\\Aircraft.dat")).good());
    host.netSetSessionReady(1);

    // Off the list, or named to climb out: not served whether or not the file
    // is there, and nothing is written.
    for (const std::string& name : {std::string("Secret.txt"), dir.File("Secret.txt"), std::string("startup.ini"),
                                    std::string("..\\") + "Secret.txt", std::string("Objects\\Aircraft.dat"),
                                    std::string("..\\Secret.dat"), std::string("Bullets.dat")}) {
        EXPECT_EQ(first.netSyncFile(name.c_str(), &replaced), 1) << name;
        EXPECT_EQ(replaced, 0) << name;
    }
    EXPECT_FALSE(std::ifstream(dir.File("NetCache\\Secret.txt")).good());
    EXPECT_FALSE(std::ifstream(dir.File("NetCache\\Secret.dat")).good());
    EXPECT_EQ(first.netSyncFile("Aircraft.dat", &replaced), 1);
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(ReadAll(dir.File("NetCache\\Aircraft.dat")), data);
    EXPECT_EQ(first.netSyncFile("Aircraft.dat", &replaced), 1);
    EXPECT_EQ(replaced, 0);
    ASSERT_TRUE(dir.Write("Aircraft.dat", "changed"));
    EXPECT_EQ(first.netSyncFile("aircraft.DAT", &replaced), 1);
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(ReadAll(dir.File("NetCache\\aircraft.DAT")), "changed");
    EXPECT_EQ(first.netSyncFile("Empty.dat", &replaced), 1);
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(first.netSyncFile(dir.File("NetCache\\AircraftList.dat").c_str(), &replaced), 1);
}

// Through a route of 300 ms each way that loses a fifth of the datagrams and
// reorders them: the join, the ready poll and a 256 KiB file get through
// whole; once the route is cut, the copy fails instead of hanging.
TEST_F(NetLayerTest, ALongLossyRouteJoinsAndCopiesAndACutRouteFailsTheCopy) {
    std::string data(256 << 10, '\0');
    uint32_t random = 99;
    for (char& c : data) c = static_cast<char>((random = random * 1103515245u + 12345u) >> 16);
    ASSERT_TRUE(dir.Write("Aircraft.dat", data));
    Host(8, "secret");
    host.netSetSessionReady(1);
    FaultRelay relay(NetAddress{htonl(INADDR_LOOPBACK), htons(host.GamePort())}, FaultRelay::Route{300, 60, 20, 7});
    ASSERT_TRUE(relay.Ok());
    int code = -1;
    for (int attempt = 0; attempt < 10 && code != 0; ++attempt) code = Join(first, relay.Address(), "secret");
    ASSERT_EQ(code, 0);
    int polls = 0;
    while (!first.netIsSessionReady() && polls < 200) ++polls;
    EXPECT_LT(polls, 200);
    int replaced = 0;
    EXPECT_EQ(first.netSyncFile("Aircraft.dat", &replaced), 1);
    EXPECT_EQ(replaced, 1);
    EXPECT_TRUE(ReadAll(dir.File("NetCache\\Aircraft.dat")) == data);
    EXPECT_GT(relay.Dropped(), 50);

    ASSERT_TRUE(dir.Write("Aircraft.dat", "changed"));
    relay.SetLoss(100);
    EXPECT_EQ(first.netSyncFile("Aircraft.dat", &replaced), 0);
    EXPECT_EQ(replaced, 0);
    EXPECT_TRUE(ReadAll(dir.File("NetCache\\Aircraft.dat")) == data);  // the old copy stays whole
}

// Sends a query to the host's query port and returns the answer ("" for none).
std::string Query(uint16_t port, const char* query) {
    UdpSocket client;
    if (!client.Open(NetAddress{htonl(INADDR_LOOPBACK), 0})) return "";
    NetAddress to{htonl(INADDR_LOOPBACK), htons(port)};
    client.Send(to, query, strlen(query));
    char answer[2048] = "";
    const int size = client.Receive(answer, sizeof answer - 1, nullptr, 3000);
    return size > 0 ? std::string(answer, static_cast<size_t>(size)) : "";
}

TEST_F(NetLayerTest, QueriesAreAnsweredWithTheHostsCallbacks) {
    host.netEnableQueryReporting(2, nullptr, BuildQueryReportingSetup());
    const uint16_t port = host.QueryPort();
    ASSERT_NE(port, 0);
    // Before the session: the identity only, the callbacks add nothing.
    EXPECT_EQ(Query(port, "\\status\\"), "\\gamename\\varnaircombat18\\gamever\\" + std::string(ShellGetVersionText()) +
                                             "\\final\\\\queryid\\1.1");
    Host(8, nullptr);
    ASSERT_EQ(Join(first, address, ""), 0);
    EXPECT_EQ(Query(port, "\\info\\"),
              "\\hostname\\Evening\\hostport\\0\\gametype\\cpmission\\numplayers\\2\\maxplayers\\8\\gamemode\\open"
              "\\final\\\\queryid\\2.1");
    EXPECT_EQ(Query(port, "\\rules\\"), "\\timelimit\\0\\fraglimit\\0\\teamplay\\1\\rankedserver\\0\\final\\\\queryid\\3.1");
    EXPECT_EQ(Query(port, "\\players\\"),
              "\\player_0\\Pilot\\frags_0\\0\\ping_0\\0\\player_1\\Wingman\\frags_1\\0\\ping_1\\0\\final\\\\queryid\\4.1");
    EXPECT_EQ(Query(port, "\\unknown\\"), "");
    // A joining layer keeps the setup but answers nothing itself.
    first.netEnableQueryReporting(2, address.c_str(), BuildQueryReportingSetup());
    EXPECT_EQ(first.QueryPort(), 0);
}

}  // namespace

namespace {

using testsupport::HasUnixProgram;
using testsupport::RunUnixCommand;

TEST_F(NetLayerTest, AQueryClientOfTheMachineReadsTheSessionAndItsRules) {
    if (!HasUnixProgram("/usr/bin/quakestat"))
        GTEST_SKIP() << "quakestat (Debian package qstat) is not installed";
    host.netEnableQueryReporting(2, nullptr, BuildQueryReportingSetup());
    if (host.QueryPort() == 0) GTEST_SKIP() << "no UDP socket can be bound on the loopback address";
    Host(8, nullptr);
    ASSERT_EQ(Join(first, address, ""), 0);
    const std::string report =
        RunUnixCommand(dir, "/usr/bin/quakestat -gps 127.0.0.1:" + std::to_string(host.QueryPort()) + " -R -P");
    EXPECT_NE(report.find("2/8"), std::string::npos) << report;
    EXPECT_NE(report.find("cpmission Evening"), std::string::npos) << report;
    EXPECT_NE(report.find("gametype=cpmission,gamemode=open,timelimit=0,fraglimit=0,teamplay=1,rankedserver=0"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("Wingman"), std::string::npos) << report;
}

// Polls until `done` holds; the deadline is far above what loopback takes
// and far below the layer's 30-second player timeout.
template <class Condition>
bool Eventually(Condition done) {
    for (int i = 0; i < 100; ++i) {
        if (done()) return true;
        Sleep(50);
    }
    return done();
}

// Host and joiner share a flight: each hears the other's aircraft, the newest
// state wins, and each says when it leaves (well before any timeout).
TEST_F(NetLayerTest, HostAndJoinerShareAFlightAndSayWhenTheyLeave) {
    Host(8, nullptr);
    ASSERT_EQ(Join(first, address, ""), 0);
    ASSERT_EQ(Join(second, address, ""), 0);
    EXPECT_EQ(first.netGetFlightPlace(), -1);  // told with the status
    host.netSetSessionReady(1);
    ASSERT_EQ(first.netIsSessionReady(), 1);
    ASSERT_EQ(second.netIsSessionReady(), 1);
    EXPECT_EQ(host.netGetFlightPlace(), 0);
    EXPECT_EQ(first.netGetFlightPlace(), 1);
    EXPECT_EQ(second.netGetFlightPlace(), 2);

    AircraftState state{}, lead{0.5f, 0.55f, 0}, wingman{0.32f, 0.65f, 0}, mine{0.7f, 0.6f, 0};
    char pilot[64];
    EXPECT_EQ(host.netGetRemoteAircraft(1, &state, pilot, sizeof pilot), 1);  // held, not heard yet
    EXPECT_STREQ(pilot, "Wingman");
    EXPECT_EQ(host.netGetRemoteAircraft(3, &state, pilot, sizeof pilot), 0);
    host.netSetFlightState(0, &lead);
    host.netSetFlightState(3, &wingman);
    first.netSetFlightState(1, &mine);
    second.netSetFlightState(2, &mine);
    ASSERT_TRUE(Eventually([&] { return host.netGetRemoteAircraft(1, &state, pilot, sizeof pilot) == 2; }));
    EXPECT_NEAR(state.x, 0.7f, 1e-3);
    ASSERT_TRUE(Eventually([&] { return first.netGetRemoteAircraft(3, &state, pilot, sizeof pilot) == 2; }));
    EXPECT_NEAR(state.y, 0.65f, 1e-3);
    EXPECT_STREQ(pilot, "");
    EXPECT_EQ(first.netGetRemoteAircraft(1, &state, pilot, sizeof pilot), 0);  // its own
    EXPECT_EQ(first.netGetRemoteAircraft(2, &state, pilot, sizeof pilot), 1);  // the other player's: never sent on

    wingman.order = 42;
    host.netSetFlightState(3, &wingman);
    EXPECT_TRUE(Eventually([&] { return first.netGetRemoteAircraft(3, &state, pilot, sizeof pilot) == 2 && state.order == 42; }));

    first.Shutdown();  // leaves, and says so: its place is free and the count follows
    EXPECT_TRUE(Eventually([&] { return host.netGetRemoteAircraft(1, &state, pilot, sizeof pilot) == 0; }));
    SessionDescription info{};
    EXPECT_TRUE(Eventually([&] { return host.netGetSessionInfo(&info) == 1 && info.currentPlayers == 2; }));
    EXPECT_EQ(host.netGetRemoteAircraft(2, &state, pilot, sizeof pilot), 2);
    host.Shutdown();
    EXPECT_TRUE(Eventually([&] { return second.netGetRemoteAircraft(0, &state, pilot, sizeof pilot) == 0; }));
}

}  // namespace

namespace {

// A host that falls silent in flight (its route cut, as when its process is
// killed) is dropped by the joiner, whose flight goes on alone; and the
// player who comes back from another port under its name gets its place back.
TEST_F(NetLayerTest, AJoinerDropsASilentHostAndAReturningPlayerGetsItsPlaceBack) {
    Host(8, nullptr);
    host.netSetSessionReady(1);
    FaultRelay relay(NetAddress{htonl(INADDR_LOOPBACK), htons(host.GamePort())}, FaultRelay::Route{0, 0, 0, 1});
    ASSERT_TRUE(relay.Ok());
    ASSERT_EQ(Join(first, relay.Address(), ""), 0);
    ASSERT_EQ(first.netIsSessionReady(), 1);
    AircraftState state{}, lead{0.5f, 0.55f, 0}, mine{0.7f, 0.6f, 0};
    char pilot[64];
    host.netSetFlightState(0, &lead);
    first.netSetFlightState(1, &mine);
    ASSERT_TRUE(Eventually([&] { return first.netGetRemoteAircraft(0, &state, pilot, sizeof pilot) == 2; }));
    relay.SetLoss(100);
    // Well past the joiner's 10 s; the bound only guards against a hang.
    bool dropped = false;
    for (int i = 0; i < 600 && !dropped; ++i, Sleep(50)) dropped = first.netGetRemoteAircraft(0, &state, pilot, sizeof pilot) == 0;
    EXPECT_TRUE(dropped);

    // The joiner's process dies (no leave): a new one, another port, same name.
    ASSERT_TRUE(Eventually([&] { return host.netGetRemoteAircraft(1, &state, pilot, sizeof pilot) == 2; }));
    second.netSetPlayerName("Wingman");
    bool back = false;
    for (int i = 0; i < 100 && !back; ++i, Sleep(50)) back = Join(second, address, "") == 0;
    ASSERT_TRUE(back);
    ASSERT_EQ(second.netIsSessionReady(), 1);
    EXPECT_EQ(second.netGetFlightPlace(), 1);
    SessionDescription info{};
    ASSERT_EQ(host.netGetSessionInfo(&info), 1);
    EXPECT_EQ(info.currentPlayers, 2);
}

}  // namespace
