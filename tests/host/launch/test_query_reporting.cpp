// Server query answers written from the network layer's session information.
#include "launch_fakes.h"

#include "host/launch/query_reporting.h"

namespace launchtest {
namespace {

class GameMode final : public IQueryContext {
public:
    void Reserved0() override {}
    const char* GetGameMode() override { return "open"; }
};

class QueryReportingTest : public LaunchTest {
protected:
    void SetUp() override {
        LaunchTest::SetUp();
        registry.RegisterInterface(VARN_ID_NET, static_cast<INetworkLayer*>(&network), 0);
    }
    // Both answers for an output buffer of `length` bytes that starts with `prefix`.
    std::pair<std::string, std::string> Answers(int length, const std::string& prefix = "") {
        QueryReportingSetup* setup = BuildQueryReportingSetup();
        std::vector<char> info(static_cast<size_t>(length) + 8, 'Z');
        std::vector<char> rules(static_cast<size_t>(length) + 8, 'Z');
        snprintf(info.data(), static_cast<size_t>(length), "%s", prefix.c_str());
        snprintf(rules.data(), static_cast<size_t>(length), "%s", prefix.c_str());
        setup->serverInfo(info.data(), length, &mode);
        setup->rules(rules.data(), length, &mode);
        for (size_t i = static_cast<size_t>(length); i < info.size(); ++i) {
            EXPECT_EQ(info[i], 'Z');
            EXPECT_EQ(rules[i], 'Z');
        }
        return {info.data(), rules.data()};
    }
    GameMode mode;
};

TEST_F(QueryReportingTest, AHostedMissionAnswersWithItsStateAndRules) {
    network.inSession = 1;
    const auto answers = Answers(1024, "\\gamename\\x");
    EXPECT_EQ(answers.first,
              "\\gamename\\x\\hostname\\Evening\\hostport\\0\\gametype\\cpmission\\numplayers\\3\\maxplayers\\8"
              "\\gamemode\\open");
    EXPECT_EQ(answers.second, "\\gamename\\x\\timelimit\\0\\fraglimit\\0\\teamplay\\1\\rankedserver\\0");
    EXPECT_EQ(Lines("NET:info").size(), 2u);
    EXPECT_EQ(registry.ReferenceCount(VARN_ID_NET), 0);
}

TEST_F(QueryReportingTest, OtherGameTypesAndANamelessSessionAreReported) {
    network.inSession = 1;
    network.session.gameType = 2;
    network.session.name = nullptr;
    const auto answers = Answers(1024);
    EXPECT_EQ(answers.first,
              "\\hostname\\\\hostport\\0\\gametype\\dogfight\\numplayers\\3\\maxplayers\\8\\gamemode\\open");
    EXPECT_EQ(answers.second, "\\timelimit\\0\\fraglimit\\0\\teamplay\\2\\rankedserver\\0");
}

TEST_F(QueryReportingTest, AShortBufferTakesWholePairsOnlyAndNeverOverruns) {
    network.inSession = 1;
    // "\hostname\Evening" is 17 bytes, "\hostport\0" 11 more; "\timelimit\0" 11, "\fraglimit\0" 11.
    EXPECT_EQ(Answers(30), std::make_pair(std::string("\\hostname\\Evening\\hostport\\0"),
                                          std::string("\\timelimit\\0\\fraglimit\\0")));
    EXPECT_EQ(Answers(17), std::make_pair(std::string(), std::string("\\timelimit\\0")));
    EXPECT_EQ(Answers(1), std::make_pair(std::string(), std::string()));
    // A full buffer stays as it is.
    EXPECT_EQ(Answers(8, "1234567"), std::make_pair(std::string("1234567"), std::string("1234567")));
}

TEST_F(QueryReportingTest, BeforeThePlayerIsInASessionNothingIsAppended) {
    EXPECT_EQ(Answers(1024, "\\x\\y"), std::make_pair(std::string("\\x\\y"), std::string("\\x\\y")));
    registry.UnregisterInterface(VARN_ID_NET);
    EXPECT_EQ(Answers(1024, "\\x\\y"), std::make_pair(std::string("\\x\\y"), std::string("\\x\\y")));
}

}  // namespace
}  // namespace launchtest
