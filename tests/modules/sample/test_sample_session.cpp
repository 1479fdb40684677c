// The sample game hosts and joins a network session for real: two game
// directories laid out by `cmake --install` (the test's set-up step), a host
// and a joiner on the loopback address with the sample network layer. The
// host writes the aircraft list from the sample's own type lists, the joiner
// receives it through the launch, and both open the Session screen, which the
// joiner's demo script pictures.
#include "aircraft_list_file.h"
#include "tests/support/game_process.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/tool_run.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

using testsupport::GameProcess;
using testsupport::ReadWholeFile;
using testsupport::SystemSidePath;

namespace {

const std::string kGames = SystemSidePath(SAMPLE_SESSION_DIR);

// A laid-out game directory with its log file switched on.
struct SampleGame {
    explicit SampleGame(const char* name) : dir(kGames + "\\" + name) {}
    bool SwitchLogOn() {
        std::string startup = ReadWholeFile(File("startup.ini"));
        if (startup.find("LogFile=Varn.log") != std::string::npos) return Write("Varn.log", "");
        const size_t at = startup.find("LogFile=");
        return at != std::string::npos && Write("startup.ini", startup.insert(at + 8, "Varn.log"));
    }
    bool Write(const std::string& name, const std::string& bytes) {
        HANDLE file = CreateFileA(File(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        const bool ok = file != INVALID_HANDLE_VALUE && WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                        written == bytes.size();
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        return ok;
    }
    bool Start(const std::string& arguments) { return process.Start(File("Varn.exe"), arguments, dir); }
    std::string File(const std::string& name) const { return dir + "\\" + name; }
    std::string Log() const { return ReadWholeFile(File("Varn.log")); }

    std::string dir;
    GameProcess process;
};

// The log's error lines, but for the options file that a first start lacks.
std::string Errors(const std::string& log) {
    std::istringstream lines(log);
    std::string line, errors;
    while (std::getline(lines, line))
        if (line.rfind("error:", 0) == 0 && line.find("Options.ini not found!") == std::string::npos) errors += line + "\n";
    return errors;
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(SampleSession, TheJoinerReceivesTheHostsListsAndBothShowTheSessionScreen) {
    const int gamePort = testsupport::FreeLoopbackPort(), queryPort = testsupport::FreeLoopbackPort();
    if (!gamePort || !queryPort || gamePort == queryPort) GTEST_SKIP() << "no UDP port can be bound on the loopback address";
    SampleGame host("host"), joiner("joiner");
    ASSERT_TRUE(host.SwitchLogOn() && joiner.SwitchLogOn()) << kGames;
    ASSERT_TRUE(joiner.Write("Demo.ini", "0 wait Session\r\n1 shot session\r\n0.5 key Q\r\n"));
    // A stale copy of the host's aircraft data file, which the join replaces.
    CreateDirectoryA(joiner.File("NetCache").c_str(), nullptr);
    ASSERT_TRUE(joiner.Write("NetCache\\AircraftTypes.ini", "[Stale]\r\nName=Stale type\r\n"));
    testsupport::MessageBoxWatcher boxes("Error!");

    const std::string ports = " -netport:" + std::to_string(gamePort) + " -queryport:" + std::to_string(queryPort) +
                              " -netbind:127.0.0.1";
    ASSERT_TRUE(host.Start("-host -n:Pilot -s:Evening -g:1 -m:8 -p:secret -gamespy" + ports));
    ASSERT_TRUE(host.process.WaitForText(host.File("Varn.log"), "info: menu: screen Session")) << host.Log();
    ASSERT_TRUE(joiner.Start("-join:127.0.0.1:" + std::to_string(gamePort) + " -n:Wingman -p:secret -netbind:127.0.0.1"));
    EXPECT_EQ(1, joiner.process.Wait(90000));
    EXPECT_TRUE(host.process.WaitForText(host.File("Varn.log"), "info: menu: session Evening now has 2 of 8 players"))
        << host.Log();
    ASSERT_TRUE(host.process.CloseWindow());
    EXPECT_EQ(1, host.process.Wait(60000));

    // The host's list: its three aircraft types usable in network games, the
    // ranges of the one with a second range widened to it.
    const std::string list = ReadWholeFile(host.File("NetCache\\AircraftList.dat"));
    EXPECT_EQ(4u + 3u * 204u, list.size());
    EXPECT_EQ(list, ReadWholeFile(joiner.File("NetCache\\AircraftList.dat")));
    std::vector<sample::ListedAircraft> types;
    ASSERT_TRUE(sample::ReadAircraftList(list, &types));
    ASSERT_EQ(3u, types.size());
    EXPECT_EQ("Kestrel trainer", types[0].name);
    EXPECT_EQ("Merlin fighter", types[1].name);
    EXPECT_EQ(250, types[1].low);
    EXPECT_EQ(1100, types[1].high);
    EXPECT_EQ("Swift interceptor", types[2].name);
    EXPECT_EQ(5, types[0].flags);  // both flag words

    const std::string hostLog = host.Log(), joinerLog = joiner.Log();
    const std::string listLine = "info: objects: aircraft list AircraftTypes.ini: 4 types, 3 usable in network games";
    EXPECT_EQ(2u, Occurrences(hostLog, listLine)) << hostLog;  // read at start, read again before writing the list
    // The data file is served out of the host's object catalog and read again.
    EXPECT_EQ(ReadWholeFile(SystemSidePath(std::string(VARN_TEST_SOURCE_DIR) + "/modules/sample/data/AircraftTypes.ini")),
              ReadWholeFile(joiner.File("NetCache\\AircraftTypes.ini")));
    EXPECT_EQ(2u, Occurrences(joinerLog, listLine)) << joinerLog;
    const std::string types3 = "3 aircraft types: Kestrel trainer, Merlin fighter, Swift interceptor";
    EXPECT_NE(hostLog.find("info: menu: session Evening, mission game, 1 of 8 players, " + types3), std::string::npos) << hostLog;
    size_t at = 0;
    for (const std::string& line : {std::string("info: mission: multiplayer mode MpMission"), std::string("info: menu: screen Session"),
                                    "info: menu: session Evening, mission game, 2 of 8 players, " + types3,
                                    std::string("info: demo: step 2 saved picture session"),
                                    std::string("info: menu: Quit chosen on Session")}) {
        at = joinerLog.find(line, at);
        EXPECT_NE(at, std::string::npos) << line << "\n" << joinerLog;
        if (at == std::string::npos) break;
    }
    EXPECT_EQ("", Errors(hostLog)) << hostLog;  // the connect screen's texts were found, among others
    EXPECT_EQ("", Errors(joinerLog)) << joinerLog;
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_GT(ReadWholeFile(joiner.File("ScreenShots\\session.bmp")).size(), 54u);
}

// Two flights alone: the Debrief lists the orders of the flight just flown,
// as many as its lines hold and then how many more; each order taken shows in
// flight; no flight asks for the network layer.
TEST(SampleSession, TheDebriefListsTheOrdersOfTheFlightJustFlown) {
    SampleGame game("host");
    ASSERT_TRUE(game.SwitchLogOn());
    ASSERT_TRUE(game.Write("Demo.ini", "0 wait MainScreen\r\n0 key F\r\n0 wait Flight\r\n"
                                       "0.2 key Tab\r\n0.2 key 1\r\n0.2 key Tab\r\n0.2 key 2\r\n0.2 key Tab\r\n"
                                       "0.2 key 3\r\n0.2 key Escape\r\n0 wait Debrief\r\n0 key F\r\n"
                                       "0 wait Flight\r\n0.2 key Tab\r\n0.2 key 4\r\n0.2 key Escape\r\n"
                                       "0 wait Debrief\r\n0 key Q\r\n"));
    testsupport::MessageBoxWatcher boxes(nullptr);
    ASSERT_TRUE(game.Start(""));
    EXPECT_EQ(1, game.process.Wait(120000));
    DeleteFileA(game.File("Demo.ini").c_str());
    const std::string log = game.Log();
    size_t at = 0;
    for (const char* line : {"info: flight: shows order taken: Wingman 4: Close formation",
                             "info: flight: shows order taken: Wingman 4: Spread out",
                             "info: flight: shows order taken: Wingman 4: Break",
                             "info: menu: debrief lists 7 of the flight's 9 orders",
                             "info: flight: shows order taken: Wingman 4: Return to base",
                             "info: menu: debrief lists 3 of the flight's 3 orders"}) {
        at = log.find(line, at);
        EXPECT_NE(at, std::string::npos) << line << "\n" << log;
        if (at == std::string::npos) break;
    }
    EXPECT_EQ(log.find("Interface NET"), std::string::npos) << log;
    EXPECT_EQ("", Errors(log)) << log;
    EXPECT_TRUE(boxes.Texts().empty());
}

}  // namespace
