// Two Varn.exe processes with the probe module set and the sample network
// layer: one hosts a session from the lobby command line, the other joins it
// and receives the aircraft list, and a query client of the machine reads the
// hosted session. Another pair meets through a long lossy route of the fault
// relay. One more run joins with a scripted layer that refuses.
#include <winsock2.h>

#include "tests/host/network_game.h"
#include "tests/modules/net/fault_relay.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/tool_run.h"
#include "tests/support/unix_command.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

using netgame::FreeLoopbackPort;
using netgame::Game;
using netgame::kProbeIni;
using testsupport::MessageBoxWatcher;
using testsupport::ReadWholeFile;
using testsupport::ScratchDir;
using testsupport::SystemSidePath;

namespace {

TEST(NetworkSession, AJoinerMeetsTheHostAndGetsTheAircraftListWhileAQueryClientReadsTheSession) {
    const int gamePort = FreeLoopbackPort(), queryPort = FreeLoopbackPort();
    if (!gamePort || !queryPort || gamePort == queryPort) GTEST_SKIP() << "no UDP port can be bound on the loopback address";
    Game host(NET_LAYER_DLL, std::string(kProbeIni) + "[MNU]\nWaitFor=JoinerDone.txt\n");
    Game joiner(NET_LAYER_DLL, std::string(kProbeIni) + "[MNU]\nWaitFor=Queried.txt\n");
    ASSERT_TRUE(host.Ok() && joiner.Ok());
    ASSERT_TRUE(host.Dir().Write("Aircraft.dat", std::string(3000, 'a')));
    ASSERT_TRUE(host.Dir().Write("Missiles.dat", "missiles"));
    const std::string ports = " -netport:" + std::to_string(gamePort) + " -queryport:" + std::to_string(queryPort) +
                              " -netbind:127.0.0.1";
    MessageBoxWatcher boxes("Error!");

    ASSERT_TRUE(host.Start("-host -n:Pilot -s:Evening -g:1 -m:8 -gamespy" + ports));
    ASSERT_TRUE(host.WaitForLine("MNU mnuSetVersion(v02.19.07) = 0")) << host.Journal();
    ASSERT_TRUE(joiner.Start("-join:127.0.0.1:" + std::to_string(gamePort) + " -n:Wingman -c:4 -netbind:127.0.0.1"));
    ASSERT_TRUE(joiner.WaitForLine("MNU mnuSetVersion(v02.19.07) = 0")) << joiner.Journal();

    // Read while the joiner is in the session, and again once it has left.
    const bool queried = testsupport::HasUnixProgram("/usr/bin/quakestat");
    const std::string query = "/usr/bin/quakestat -gps 127.0.0.1:" + std::to_string(queryPort) + " -R -P";
    std::string report = "(quakestat is not installed)", afterwards;
    if (queried) report = testsupport::RunUnixCommand(host.Dir(), query);
    ASSERT_TRUE(joiner.Dir().Write("Queried.txt", "done"));
    EXPECT_EQ(joiner.Wait(90000), 1);
    if (queried) afterwards = testsupport::RunUnixCommand(host.Dir(), query);
    ASSERT_TRUE(host.Dir().Write("JoinerDone.txt", "done"));
    EXPECT_EQ(host.Wait(60000), 1);

    const std::string hostJournal = host.Journal(), joinerJournal = joiner.Journal();
    for (const char* line : {"MMG mmgStartNetwork(DirectPlay.dll) = 1",
                             "TXT txtLookUpText(NetworkConnectScreen.str, TXT_MENU_CREATING)", "OBJ reload aircraft(-1, 0)",
                             "MMG mmgSetMultiplayerMode(MpMission)", "MNU waited for JoinerDone.txt = 1"})
        EXPECT_NE(hostJournal.find(line), std::string::npos) << line << "\n" << hostJournal;
    EXPECT_NE(hostJournal.find(", MpBriefing) = 1"), std::string::npos) << hostJournal;
    for (const char* line : {"MMG mmgStartNetwork(DirectPlay.dll) = 1", "TXT txtLookUpText(NetworkConnectScreen.str, TXT_MENU_CHECKING)",
                             "OBJ reload aircraft(-1, 0)", "MMG mmgSetMultiplayerMode(MpMission)"})
        EXPECT_NE(joinerJournal.find(line), std::string::npos) << line << "\n" << joinerJournal;
    // The host has no bullet file: that list is not reloaded.
    EXPECT_NE(joinerJournal.find("OBJ reload missiles(-1, 0)"), std::string::npos) << joinerJournal;
    EXPECT_EQ(joinerJournal.find("OBJ reload bullets"), std::string::npos) << joinerJournal;
    EXPECT_NE(joinerJournal.find(", MpBriefing) = 1"), std::string::npos) << joinerJournal;

    const std::string list = ReadWholeFile(host.Dir().File("NetCache\\AircraftList.dat"));
    EXPECT_EQ(list.size(), 412u);
    EXPECT_EQ(ReadWholeFile(joiner.Dir().File("NetCache\\AircraftList.dat")), list);
    EXPECT_EQ(ReadWholeFile(joiner.Dir().File("NetCache\\Aircraft.dat")), std::string(3000, 'a'));
    EXPECT_NE(ReadWholeFile(joiner.Dir().File("Options.ini")).find("LobbyLaunched=TRUE"), std::string::npos);
    EXPECT_NE(ReadWholeFile(host.Dir().File("Options.ini")).find("LobbyLaunched=TRUE"), std::string::npos);
    EXPECT_TRUE(boxes.Texts().empty()) << boxes.Texts().front();

    if (report == "(quakestat is not installed)")
        GTEST_SKIP() << "quakestat (Debian package qstat) is not installed: the server-query check is skipped";
    EXPECT_NE(report.find("2/8"), std::string::npos) << report;
    EXPECT_NE(report.find("cpmission Evening"), std::string::npos) << report;
    EXPECT_NE(report.find("gametype=cpmission,gamemode=open,timelimit=0,fraglimit=0,teamplay=1,rankedserver=0"),
              std::string::npos) << report;
    EXPECT_NE(report.find("Wingman"), std::string::npos) << report;
    // The joiner said it left: its place is free.
    EXPECT_NE(afterwards.find("1/8"), std::string::npos) << afterwards;
    EXPECT_EQ(afterwards.find("Wingman"), std::string::npos) << afterwards;
}

// Host and joiner as two processes through a relay of 300 ms each way that
// loses a fifth of the datagrams and reorders them: the join, the ready wait
// and the files get through whole within the launch's ConnectionTimeout.
TEST(NetworkSession, TwoProcessesMeetThroughALongLossyRoute) {
    const int gamePort = FreeLoopbackPort(), queryPort = FreeLoopbackPort();
    if (!gamePort || !queryPort || gamePort == queryPort) GTEST_SKIP() << "no UDP port can be bound on the loopback address";
    Game host(NET_LAYER_DLL, std::string(kProbeIni) + "[MNU]\nWaitFor=JoinerDone.txt\n");
    Game joiner(NET_LAYER_DLL, kProbeIni);
    ASSERT_TRUE(host.Ok() && joiner.Ok());
    std::string data(40000, '\0');
    uint32_t random = 5;
    for (char& c : data) c = static_cast<char>((random = random * 1103515245u + 12345u) >> 16);
    ASSERT_TRUE(host.Dir().Write("Aircraft.dat", data));
    ASSERT_TRUE(host.Start("-host -n:Pilot -s:Evening -g:1 -m:8 -p:secret -gamespy -netport:" + std::to_string(gamePort) +
                           " -queryport:" + std::to_string(queryPort) + " -netbind:127.0.0.1"));
    ASSERT_TRUE(host.WaitForLine("MNU mnuSetVersion(v02.19.07) = 0")) << host.Journal();
    struct Sockets {
        bool ok = NetSocketsStart();
        ~Sockets() {
            if (ok) NetSocketsStop();
        }
    } sockets;
    ASSERT_TRUE(sockets.ok);
    FaultRelay relay(NetAddress{htonl(INADDR_LOOPBACK), htons(static_cast<u_short>(gamePort))},
                     FaultRelay::Route{300, 60, 20, 11});
    ASSERT_TRUE(relay.Ok());
    MessageBoxWatcher boxes("Error!");

    ASSERT_TRUE(joiner.Start("-join:" + relay.Address() + " -n:Wingman -p:secret -netbind:127.0.0.1"));
    EXPECT_EQ(joiner.Wait(120000), 1);
    ASSERT_TRUE(host.Dir().Write("JoinerDone.txt", "done"));
    EXPECT_EQ(host.Wait(60000), 1);

    const std::string journal = joiner.Journal();
    for (const char* line : {"OBJ reload aircraft(-1, 0)", "MMG mmgSetMultiplayerMode(MpMission)"})
        EXPECT_NE(journal.find(line), std::string::npos) << line << "\n" << journal;
    EXPECT_TRUE(ReadWholeFile(joiner.Dir().File("NetCache\\Aircraft.dat")) == data);
    EXPECT_EQ(ReadWholeFile(joiner.Dir().File("NetCache\\AircraftList.dat")),
              ReadWholeFile(host.Dir().File("NetCache\\AircraftList.dat")));
    EXPECT_GT(relay.Dropped(), 10);
    EXPECT_TRUE(boxes.Texts().empty()) << boxes.Texts().front();
}

TEST(NetworkSession, AJoinThatTheLayerRefusesEndsTheProgramWithTheClosedMessage) {
    Game joiner(HOST_PROBE_DLL, std::string(kProbeIni) + "[NET]\nJoin=0\nError=3,5\n");
    ASSERT_TRUE(joiner.Ok());
    MessageBoxWatcher boxes("Error!");
    ASSERT_TRUE(joiner.Start("-join:10.0.0.1:5 -n:Wingman -gamespy"));
    EXPECT_EQ(joiner.Wait(60000), 1);  // the start-up sequence failed: the main loop never ran
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The session is closed"});
    const std::string journal = joiner.Journal();
    for (const char* line : {"MMG mmgStartNetwork(DirectPlay.dll) = 1", "DirectPlay.dll InitDLL NET", "NET netStart()",
                             "NET netConfigure(20)", "NET netSetPlayerColor(FFFF0000)", "NET netSetPlayerName(Wingman)",
                             "NET netEnableQueryReporting(2, 10.0.0.1:5 , varnaircombat18)",
                             "NET netJoinSession({(null), 10.0.0.1:5 , HostSecret, 1, 0, 0, 0}, 0) = 0",
                             "NET netGetLastError() = 3", "NET netResetAttempt()", "NET netGetLastError() = 5",
                             "DirectPlay.dll ExitDLL"})
        EXPECT_NE(journal.find(line), std::string::npos) << line << "\n" << journal;
    EXPECT_EQ(journal.find("MNU mnuRun"), std::string::npos) << journal;
    EXPECT_NE(ReadWholeFile(joiner.Dir().File("Options.ini")).find("LobbyLaunched=FALSE"), std::string::npos);
}

}  // namespace
