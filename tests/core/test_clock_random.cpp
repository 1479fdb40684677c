// The clock on a timer the test drives, and the random table.
#include "core_fixture.h"

#include <cmath>
#include <set>

using coretest::LogRecorder;

namespace {

// A millisecond timer under the test's control.
struct FakeTimer {
    bool capsAvailable = true;
    uint32_t minPeriod = 1;
    uint32_t maxPeriod = 1000000;
    uint32_t now = 0;
    uint32_t advancePerRead = 0;
    uint32_t reads = 0;
    std::vector<std::string> calls;
};
FakeTimer g_timer;

bool FakeCaps(uint32_t* minPeriod, uint32_t* maxPeriod) {
    *minPeriod = g_timer.minPeriod;
    *maxPeriod = g_timer.maxPeriod;
    return g_timer.capsAvailable;
}
bool FakeBegin(uint32_t period) {
    g_timer.calls.push_back("begin " + std::to_string(period));
    return true;
}
bool FakeEnd(uint32_t period) {
    g_timer.calls.push_back("end " + std::to_string(period));
    return true;
}
uint32_t FakeNow() {
    ++g_timer.reads;
    uint32_t value = g_timer.now;
    g_timer.now += g_timer.advancePerRead;
    return value;
}

class ClockTest : public ::testing::Test {
protected:
    void SetUp() override { g_timer = FakeTimer(); }
    Clock clock{Clock::TimerSource{&FakeCaps, &FakeBegin, &FakeEnd, &FakeNow}};
    LogRecorder log;
};

TEST_F(ClockTest, StartAcceptsAMinimumPeriodOf17AndRefuses18) {
    g_timer.minPeriod = 17;
    EXPECT_TRUE(clock.Start());
    EXPECT_EQ(17u, clock.TimerPeriod());
    EXPECT_EQ(17, clock.StepValue());
    clock.Stop();
    EXPECT_EQ((std::vector<std::string>{"begin 17", "end 17"}), g_timer.calls);

    Clock coarse{Clock::TimerSource{&FakeCaps, &FakeBegin, &FakeEnd, &FakeNow}};
    g_timer.minPeriod = 18;
    g_timer.maxPeriod = 500;
    g_timer.calls.clear();
    EXPECT_FALSE(coarse.Start());
    EXPECT_TRUE(log.Has(LogSeverity::Error, "Not enough timer resolution (18,500)!")) << log.All();
    EXPECT_TRUE(g_timer.calls.empty());
    EXPECT_EQ(0u, coarse.TimerPeriod());
}

TEST_F(ClockTest, StartFailsWithoutTimerCapabilities) {
    g_timer.capsAvailable = false;
    EXPECT_FALSE(clock.Start());
    EXPECT_TRUE(log.Has(LogSeverity::Error, "Unable to get TimeCaps!"));
    // Unstarted, updates count from the timer's own zero.
    g_timer.now = 250;
    clock.clkUpdate();
    EXPECT_EQ(250, clock.clkGetTimeMs());
}

TEST_F(ClockTest, DeltaSecondsAndRateFollowTheUpdates) {
    g_timer.now = 1000;
    ASSERT_TRUE(clock.Start());
    EXPECT_EQ(0, clock.clkGetTimeMs());
    g_timer.now = 1040;
    clock.clkUpdate();
    EXPECT_EQ(40, clock.clkGetTimeMs());
    EXPECT_EQ(40, clock.clkGetDeltaMs());
    EXPECT_FLOAT_EQ(0.04f, clock.clkGetDelta());
    EXPECT_FLOAT_EQ(0.04f, clock.clkGetTime());
    EXPECT_FLOAT_EQ(25.0f, clock.clkGetRate());
    clock.clkUpdate();  // same millisecond
    EXPECT_EQ(0, clock.clkGetDeltaMs());
    EXPECT_FLOAT_EQ(0.0f, clock.clkGetDelta());
    EXPECT_FLOAT_EQ(-1.0f, clock.clkGetRate());
    g_timer.now = 5000;
    clock.clkReset();
    EXPECT_EQ(0, clock.clkGetTimeMs());
    EXPECT_EQ(0, clock.clkGetDeltaMs());
}

TEST_F(ClockTest, TimeKeepsCountingAcrossTheTimerWrap) {
    g_timer.now = 0xFFFFFF00u;
    ASSERT_TRUE(clock.Start());
    g_timer.now = 0xFFFFFFF0u;
    clock.clkUpdate();
    EXPECT_EQ(0xF0, clock.clkGetTimeMs());
    g_timer.now = 0x00000100u;  // wrapped
    clock.clkUpdate();
    EXPECT_EQ(0x200, clock.clkGetTimeMs());
    EXPECT_EQ(0x110, clock.clkGetDeltaMs());
    EXPECT_GT(clock.clkGetRate(), 0.0f);
}

TEST_F(ClockTest, FixedStepsRoundTheElapsedTimeUpToWholeSteps) {
    ASSERT_TRUE(clock.Start());
    clock.clkSetFixedStep(1, 10);
    g_timer.now += 25;
    clock.clkUpdate();
    EXPECT_EQ(30, clock.StepValue());
    g_timer.now += 20;  // a whole number of steps stays as it is
    clock.clkUpdate();
    EXPECT_EQ(20, clock.StepValue());
    g_timer.now += 5;
    clock.clkUpdate();
    EXPECT_EQ(10, clock.StepValue());
    for (auto args : {std::make_pair(1, 0u), std::make_pair(0, 30u)}) {
        clock.clkSetStep(3);
        clock.clkSetFixedStep(args.first, args.second);
        g_timer.now += 50;
        clock.clkUpdate();
        EXPECT_EQ(3, clock.StepValue()) << args.first << "," << args.second;
    }
}

TEST_F(ClockTest, WaitPollsUntilTheTimeSinceTheLatestUpdateHasPassed) {
    ASSERT_TRUE(clock.Start());
    uint32_t before = g_timer.reads;
    clock.clkWait(0);
    EXPECT_EQ(before + 1, g_timer.reads);
    g_timer.advancePerRead = 1;
    uint32_t start = g_timer.now;
    clock.clkWait(5);
    EXPECT_GE(g_timer.now - start, 5u);
    EXPECT_LE(g_timer.now - start, 7u);
}

TEST(RandomTable, TheSequenceIsTheGeneratorsForEverySeed) {
    RandomTable table;
    table.rndSetSeed(1);
    EXPECT_EQ(41.0f / 32768.0f, table.Value(0));
    const int firstOutputs[] = {41, 18467, 6334, 26500, 19169};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(firstOutputs[i] / 32768.0f, table.Value(i)) << i;
    EXPECT_EQ(1u, table.rndGetSeed());
    EXPECT_FLOAT_EQ(41.0f / 32768.0f * 2.0f, table.rndScale(2.0f));
    table.rndNext();
    EXPECT_EQ(1u, table.rndGetSeed());
    table.rndSetSeed(0xFFFFFFFFu);
    EXPECT_EQ(0xFFFFFFFFu, table.rndGetSeed());
    EXPECT_EQ(0u, table.DrawCount());
}

TEST(RandomTable, RangesStayInsideTheirBounds) {
    RandomTable table;
    std::set<int> positive;
    std::set<int> negative;
    for (int i = 0; i < RandomTable::kSize; ++i) positive.insert(table.rndRange(10));
    for (int i = 0; i < RandomTable::kSize; ++i) negative.insert(table.rndRange(-10));
    EXPECT_EQ(0, *positive.begin());
    EXPECT_EQ(9, *positive.rbegin());
    EXPECT_EQ(-9, *negative.begin());
    EXPECT_EQ(0, *negative.rbegin());
    EXPECT_EQ(10u, positive.size());
}

TEST(RandomTable, NextNeverReaches32767) {
    // A seed whose table holds the largest generator value.
    uint32_t seed = 0;
    for (uint32_t candidate = 1; candidate < 1000 && !seed; ++candidate) {
        uint32_t state = candidate;
        for (int i = 0; i < RandomTable::kSize; ++i) {
            if (RandomTable::Generate(&state) == 32767) {
                seed = candidate;
                break;
            }
        }
    }
    ASSERT_NE(0u, seed);
    RandomTable table;
    table.rndSetSeed(seed);
    int largest = -1;
    for (int i = 0; i < RandomTable::kSize; ++i) largest = std::max(largest, static_cast<int>(table.rndNext()));
    EXPECT_EQ(32766, largest);
}

TEST(RandomTable, TheTableRepeatsAfter4096Draws) {
    RandomTable table;
    table.rndSetSeed(12345);
    float first = table.rndScale(1.0f);
    for (int i = 1; i < RandomTable::kSize; ++i) table.rndNext();
    EXPECT_EQ(first, table.rndScale(1.0f));
    EXPECT_EQ(12345u, table.rndGetSeed());
}

}  // namespace
