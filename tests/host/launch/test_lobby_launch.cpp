// The multiplayer launch against scripted modules: the journal of calls, the
// description handed over, the files written and the message box shown.
#include "launch_fakes.h"
#include "tests/support/log_recorder.h"

#include "files/command_line.h"
#include "host/launch/launch_request.h"
#include "host/launch/player_colors.h"
#include "host/launch/session_launch.h"

namespace launchtest {
namespace {

const char kStart[] = "TXT:load NetworkConnectScreen.str";
const char kEnd[] = "TXT:unload NetworkConnectScreen.str";

TEST_F(LaunchTest, WithoutHostOrJoinNothingHappensAndTheLaunchIsNotRecorded) {
    for (const char* commandLine : {"", "-n:Pilot -join -s:Evening", "-JOIN:127.0.0.1 -hosting"}) {
        ASSERT_TRUE(dir.Write("Options.ini", "[MultiplayerOptions]\nLobbyLaunched=TRUE\n"));
        options.optOpen(dir.File("Options.ini").c_str());
        EXPECT_EQ(Launch(commandLine), 1) << commandLine;
        EXPECT_EQ(journal, Journal()) << commandLine;
        EXPECT_NE(OptionsText().find("LobbyLaunched=FALSE"), std::string::npos) << commandLine;
        EXPECT_STREQ(nextScreen, "MainScreen");
    }
}

AircraftRecord MakeRecord(const char* name, int first0, int first1, int16_t second, int second0, int second1,
                          uint32_t flags1, uint32_t flags2) {
    AircraftRecord record;
    memset(&record, 0x11, sizeof record);  // the unused tail of the text fields is copied as held
    strcpy(record.name, name);
    strcpy(record.text, "a biplane");
    record.firstRangeStart = first0;
    record.firstRangeEnd = first1;
    record.secondRangeCount = second;
    record.secondRangeStart = second0;
    record.secondRangeEnd = second1;
    record.flags1 = flags1;
    record.flags2 = flags2;
    return record;
}

struct HostCase {
    const char* commandLine;
    int gameType;
    const char* mode;
    const char* screen;
};

TEST_F(LaunchTest, HostingCallsEveryModuleInOrderAndWritesTheUsableAircraft) {
    const HostCase cases[] = {
        {"-host -n:Pilot -s: Evening  -g:1 -m:8 -c:7 -gamespy", 1, "MpMission", "Briefing"},
        {"-host -n:Pilot -s: Evening  -g:2 -m:8 -c:7 -gamespy -p: secret ", 2, "MpDogfight", "Arena"},
    };
    objects.directory = "Objects";
    objects.aircraft.records = {MakeRecord("Camel", 10, 20, 1, 5, 25, 0x1, 0x10),
                                MakeRecord("Spad", 1, 2, 0, 0, 0, 0, 0),
                                MakeRecord("Fokker", 30, 40, 0, 1, 99, 0x4, 0x4)};
    objects.aircraft.withheld = 1;  // usable, but the list hands out no record: left out of the file
    objects.aircraft.usable = {1, 0, 1, 1};
    for (const HostCase& c : cases) {
        EXPECT_EQ(Launch(c.commandLine, "GameType0Screen=Arena\nGameType1Screen=Briefing\n"), 1);
        const Journal expected = {kStart,
                                  "TXT:text TXT_MENU_CREATING",
                                  "MMG:start network",
                                  "NET:start",
                                  "NET:configure 20 zero",
                                  "NET:color FFAA00CC",
                                  "NET:name Pilot",
                                  "NET:query 2 (null)",
                                  "NET:host",
                                  "OBJ:reload aircraft -1 0 in Objects",
                                  "OBJ:reload missiles -1 0 in Objects",
                                  "OBJ:reload bullets -1 0 in Objects",
                                  "NET:ready 1",
                                  std::string("MMG:mode ") + c.mode,
                                  kEnd};
        EXPECT_EQ(journal, expected) << c.commandLine;
        EXPECT_STREQ(nextScreen, c.screen);
        EXPECT_EQ(network.hostedName, "Evening");
        EXPECT_EQ(network.hosted.hostAddress, nullptr);
        EXPECT_EQ(network.hosted.gameType, c.gameType);
        EXPECT_EQ(network.hosted.maxPlayers, 8);
        EXPECT_EQ(network.hosted.currentPlayers, 0);
        EXPECT_EQ(network.hosted.gameplayOptionsSize, 12);
        EXPECT_EQ(network.hostedGameplay.size(), 12u);
        EXPECT_EQ(network.hostedGameplay.back(), 0);
        EXPECT_NE(OptionsText().find("LobbyLaunched=TRUE"), std::string::npos);
        EXPECT_STREQ(network.setup.gameName, "varnaircombat18");
        EXPECT_EQ(strlen(network.setup.secretKey), 6u);
        EXPECT_EQ(network.setup.first, nullptr);
        EXPECT_EQ(network.setup.last, nullptr);
    }
    // The second case gave a password; the first did not.
    EXPECT_EQ(network.hostedPassword, "secret");
    EXPECT_EQ(network.hosted.passwordGiven, 1);

    const std::string list = ReadFile(dir.File("NetCache\\AircraftList.dat"));
    ASSERT_GE(list.size(), 4u);
    int32_t count = 0;
    memcpy(&count, list.data(), 4);
    EXPECT_EQ(count, 2);
    ASSERT_EQ(list.size(), 4u + 2u * sizeof(AircraftListFileRecord));
    AircraftListFileRecord records[2];
    memcpy(records, list.data() + 4, sizeof records);
    EXPECT_STREQ(records[0].name, "Camel");
    EXPECT_EQ(memcmp(records[0].text, objects.aircraft.records[0].text, 128), 0);
    EXPECT_EQ(records[0].low, 5);
    EXPECT_EQ(records[0].high, 25);
    EXPECT_EQ(records[0].flags, 0x11);
    EXPECT_STREQ(records[1].name, "Fokker");
    EXPECT_EQ(records[1].low, 30);
    EXPECT_EQ(records[1].high, 40);
    EXPECT_EQ(records[1].flags, 0x4);
}

TEST_F(LaunchTest, AFailedHostShowsNothingAndKeepsTheScreenItChose) {
    network.hostResult = 0;
    EXPECT_EQ(Launch("-host -g:1", "GameType1Screen=Briefing\n"), 0);
    EXPECT_EQ(Lines("NET:ready"), Journal());
    EXPECT_EQ(Lines("MMG:mode"), Journal());
    EXPECT_STREQ(nextScreen, "Briefing");
    EXPECT_NE(OptionsText().find("LobbyLaunched=FALSE"), std::string::npos);
    EXPECT_EQ(GetFileAttributesA(dir.File("NetCache\\AircraftList.dat").c_str()), INVALID_FILE_ATTRIBUTES);
}

struct JoinCase {
    const char* name;
    const char* netLaunch;
    std::deque<int> joins;
    std::deque<int> errors;
    std::deque<int32_t> pumps;
    int result;
    int attempts;
    int code;  // launch error code afterwards; -1: unchanged
};

TEST_F(LaunchTest, JoiningRetriesAsScriptedAndExplainsAFailure) {
    const JoinCase cases[] = {
        {"timeout 60: six attempts", "ConnectionTimeout=60\n", {}, {}, {}, 0, 6, 4},
        {"timeout 5: one attempt", "ConnectionTimeout=5\n", {}, {}, {}, 0, 1, 4},
        {"closed at once", "", {}, {5}, {}, 0, 1, 5},
        {"full at once", "", {}, {3, 6}, {}, 0, 2, 6},
        {"wrong password at once", "", {}, {2}, {}, 0, 1, 2},
        {"window closed", "", {}, {}, {1, 0}, 0, 2, -1},
        {"code 3 retried, then in", "", {0, 0, 1}, {3, 3}, {}, 1, 3, -1},
    };
    for (const JoinCase& c : cases) {
        SCOPED_TRACE(c.name);
        network.joinResults = c.joins;
        network.errorCodes = c.errors;
        app.pumpResults = c.pumps;
        const int codeBefore = LaunchErrorCode();
        MessageBoxWatcher watcher("Error!", GetCurrentProcessId());
        EXPECT_EQ(Launch("-join:127.0.0.1:28150 -n:Wingman -gamespy", c.netLaunch), c.result);
        EXPECT_EQ(static_cast<int>(Lines("NET:join 0").size()), c.attempts);
        const int code = c.code == -1 ? codeBefore : c.code;
        EXPECT_EQ(LaunchErrorCode(), code);
        EXPECT_EQ(network.joinedAddress, "127.0.0.1:28150 ");
        EXPECT_EQ(network.joinedPassword, "HostSecret");
        EXPECT_EQ(network.joined.passwordGiven, 1);
        EXPECT_EQ(network.queryAddress, "127.0.0.1:28150 ");
        EXPECT_EQ(network.color, 0xFFE500E5u);  // [Multiplayer] PlayerColor=4
        EXPECT_EQ(journal.front(), kStart);
        EXPECT_EQ(journal[1], "TXT:text TXT_MENU_CONNECTING");
        EXPECT_EQ(journal.back(), kEnd);
        const std::vector<std::string> boxes = watcher.Texts();
        if (c.result) {
            EXPECT_TRUE(boxes.empty());
            EXPECT_EQ(Lines("MMG:mode"), Journal{"MMG:mode MpMission"});
        } else {
            const std::string expected = text.texts[LaunchErrorTextKey(code)];
            EXPECT_EQ(boxes, std::vector<std::string>{expected});
            EXPECT_EQ(Lines("MMG:mode"), Journal());
            EXPECT_NE(OptionsText().find("LobbyLaunched=FALSE"), std::string::npos);
        }
        EXPECT_EQ(Lines("NET:reset").size(), static_cast<size_t>(c.attempts - 1));
    }
}

TEST_F(LaunchTest, AJoinedPlayerWaitsForTheHostThenSynchronisesTheLists) {
    network.joinResults = {1};
    network.session.gameType = 2;
    network.readyAnswers = {0, 0};
    network.syncResults = {{"Aircraft.dat", {1, 1}}, {"Missiles.dat", {1, 0}}, {"Bullets.dat", {1, 0}}};
    EXPECT_EQ(Launch("-join: -n:Wingman -c:20", "GameType0Screen=Arena\n"), 1);
    const std::string listFile = dir.File("NetCache\\AircraftList.dat");
    const Journal expected = {kStart,
                              "TXT:text TXT_MENU_CONNECTING",
                              "MMG:start network",
                              "NET:start",
                              "NET:configure 20 zero",
                              "NET:color FF3FDDCE",
                              "NET:name Wingman",
                              "NET:join 0",
                              "NET:info",
                              "TXT:text TXT_MENU_CHECKING",
                              "NET:ready? 0",
                              "APP:pump",
                              "NET:ready? 0",
                              "APP:pump",
                              "NET:ready? 1",
                              "NET:sync Aircraft.dat",
                              "OBJ:reload aircraft -1 0 in " + std::string(strrchr(dir.Path(), '\\') + 1),
                              "NET:sync Missiles.dat",
                              "NET:sync Bullets.dat",
                              "NET:sync " + listFile,
                              "MMG:mode MpDogfight",
                              kEnd};
    EXPECT_EQ(journal, expected);
    EXPECT_EQ(network.joinedAddress, " ");
    EXPECT_STREQ(nextScreen, "Arena");
    EXPECT_NE(OptionsText().find("LobbyLaunched=TRUE"), std::string::npos);
}

// A file that does not arrive whole ends the join with the failure box and a
// log line naming it; nothing after it is synchronised, nothing is flown.
TEST_F(LaunchTest, AFileThatDoesNotArriveFailsTheJoinByName) {
    const std::string listFile = dir.File("NetCache\\AircraftList.dat");
    for (const std::string& lost : {std::string("Missiles.dat"), listFile}) {
        SCOPED_TRACE(lost);
        journal.clear();
        network.joinResults = {1};
        network.syncResults = {{lost, {0, 0}}};
        const int codeBefore = LaunchErrorCode();
        testsupport::LogRecorder log;
        MessageBoxWatcher watcher("Error!", GetCurrentProcessId());
        EXPECT_EQ(Launch("-join:10.0.0.1:1 -n:Wingman", ""), 0);
        EXPECT_EQ(Lines("NET:sync").back(), "NET:sync " + lost);
        EXPECT_EQ(Lines("MMG:mode"), Journal());
        EXPECT_EQ(watcher.Texts(), std::vector<std::string>{text.texts[LaunchErrorTextKey(codeBefore)]});
        EXPECT_TRUE(log.HasError("The join failed: \"" + lost + "\" could not be copied from the host")) << log.All();
        EXPECT_NE(OptionsText().find("LobbyLaunched=FALSE"), std::string::npos);
    }
}

TEST_F(LaunchTest, TheWaitForTheHostEndsWhenTheWindowClosesOrTimeRunsOut) {
    network.readyDefault = 0;
    for (int windowCloses = 1; windowCloses >= 0; --windowCloses) {
        network.joinResults = {1};
        app.pumpResults = windowCloses ? std::deque<int32_t>{1, 0} : std::deque<int32_t>{};
        const int codeBefore = LaunchErrorCode();
        MessageBoxWatcher watcher("Error!", GetCurrentProcessId());
        EXPECT_EQ(Launch("-join:10.0.0.1:1", "ConnectionTimeout=1\n"), 0);
        if (windowCloses) {
            EXPECT_EQ(Lines("APP:pump").size(), 2u);
        }
        EXPECT_EQ(Lines("NET:sync"), Journal());
        EXPECT_EQ(Lines("MMG:mode"), Journal());
        EXPECT_EQ(LaunchErrorCode(), codeBefore);
        EXPECT_EQ(watcher.Texts(), std::vector<std::string>{text.texts[LaunchErrorTextKey(codeBefore)]});
    }
}

// A timeout of 0 or below waits without limit, and one beyond 4,294,967 s
// does not wrap to a short wait (the 12 unready checks take over 1.2 s, the
// wrapped limit of 4,294,968 s would be 704 ms); a closed window still ends
// an unlimited wait.
TEST_F(LaunchTest, TheWaitForTheHostHasNoLimitAtZeroAndNoWrapWhenLarge) {
    struct Case {
        const char* netLaunch;
        std::deque<int32_t> pumps;
        int result;
    } cases[] = {
        {"ConnectionTimeout=0\n", {}, 1},
        {"ConnectionTimeout=-5\n", {}, 1},
        {"ConnectionTimeout=4294968\n", {}, 1},
        {"ConnectionTimeout=0\n", {1, 1, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.netLaunch);
        network.joinResults = {1};
        network.readyAnswers = std::deque<int>(12, 0);
        app.pumpResults = c.pumps;
        MessageBoxWatcher watcher("Error!", GetCurrentProcessId());
        EXPECT_EQ(Launch("-join:10.0.0.1:1", c.netLaunch), c.result);
        EXPECT_EQ(Lines("NET:ready? 0").size(), c.result ? 12u : 3u);
        EXPECT_EQ(Lines("MMG:mode").size(), c.result ? 1u : 0u);
    }
}

TEST_F(LaunchTest, WithoutANetworkLayerHostingAndJoiningFailWithoutCallingIt) {
    missions.layerPresent = false;
    EXPECT_EQ(Launch("-host -s:Evening"), 0);
    EXPECT_EQ(journal, (Journal{kStart, "TXT:text TXT_MENU_CREATING", "MMG:start network", kEnd}));
    const int codeBefore = LaunchErrorCode();
    MessageBoxWatcher watcher("Error!", GetCurrentProcessId());
    EXPECT_EQ(Launch("-join:127.0.0.1:28150"), 0);
    EXPECT_EQ(Lines("NET:"), Journal());
    EXPECT_EQ(watcher.Texts(), std::vector<std::string>{text.texts[LaunchErrorTextKey(codeBefore)]});
}

TEST(PlayerColors, FollowTheTableWithClampedIndexes) {
    const std::pair<int, uint32_t> cases[] = {
        {-3, 0xFFFF0000}, {0, 0xFFFF0000}, {1, 0xFF00FF00}, {2, 0xFF0000FF}, {3, 0xFFFFFF00}, {4, 0xFFE500E5},
        {5, 0xFF00FFFF},  {6, 0xFFFF6B00}, {7, 0xFFAA00CC}, {8, 0xFF6600FF}, {9, 0xFFFFC400}, {10, 0xFFFFCC99},
        {11, 0xFFCC0760}, {12, 0xFFFFB7FF}, {13, 0xFF8EDB00}, {14, 0xFFFF9966}, {15, 0xFF3FDDCE}, {20, 0xFF3FDDCE},
    };
    for (const auto& c : cases) EXPECT_EQ(PlayerColor(c.first), c.second) << c.first;
}

TEST(LaunchRequest, ReadsTokensByTheirOwnRules) {
    CommandLine line;
    LaunchRequest request;
    line.FromStringWithSeparators("-join:  -n: Wingman  -c:abc -m:x -g:1", "-");
    ReadLaunchRequest(line, nullptr, &request);
    EXPECT_TRUE(request.join);
    EXPECT_STREQ(request.address, "  ");
    EXPECT_STREQ(request.playerName, "Wingman");
    EXPECT_EQ(request.colorIndex, 0);  // not a number reads as 0
    EXPECT_EQ(request.maxPlayers, 16);
    EXPECT_EQ(request.gameType, 1);
    EXPECT_FALSE(request.host);

    // A 259-character address is kept whole; a longer one is cut, never overrun.
    const std::string address(300, 'a');
    line.FromStringWithSeparators(("-JOIN:x -join:" + address).c_str(), "-");
    ReadLaunchRequest(line, nullptr, &request);
    EXPECT_EQ(std::string(request.address), address.substr(0, 259));
}

}  // namespace
}  // namespace launchtest
