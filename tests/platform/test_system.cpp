// Timer, sleep, memory and page figures, the loader's failure path and the
// multibyte code-page switch.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <chrono>

TEST(Timer, CapsAndPeriods) {
    uint32_t minimum = 0, maximum = 0;
    ASSERT_TRUE(plat::TimerGetCaps(&minimum, &maximum));
    EXPECT_GE(minimum, 1u);
    EXPECT_LE(minimum, maximum);
    EXPECT_TRUE(plat::TimerGetCaps(nullptr, nullptr));
    EXPECT_TRUE(plat::TimerBeginPeriod(minimum));
    EXPECT_TRUE(plat::TimerEndPeriod(minimum));
}

TEST(Timer, MillisecondsNeverRunBackwardsAndFollowSleep) {
    uint32_t previous = plat::TimerTime();
    const uint32_t start = previous;
    auto wallStart = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - wallStart < std::chrono::milliseconds(50)) {
        uint32_t now = plat::TimerTime();
        ASSERT_LE(static_cast<int32_t>(previous - now), 0) << "time went back";
        previous = now;
    }
    plat::SleepMs(100);
    uint32_t elapsed = plat::TimerTime() - start;
    EXPECT_GE(elapsed, 140u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(Sleep, WaitsAtLeastTheTime) {
    auto start = std::chrono::steady_clock::now();
    plat::SleepMs(60);
    auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(waited.count(), 55);
    start = std::chrono::steady_clock::now();
    plat::SleepMs(0);
    waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_LT(waited.count(), 1000);
}

TEST(SystemFigures, PageSizeAndPhysicalMemory) {
    uint32_t page = plat::PageSize();
    EXPECT_GE(page, 4096u);
    EXPECT_EQ(0u, page & (page - 1)) << "not a power of two: " << page;
    EXPECT_GT(plat::TotalPhysicalMemory(), 16ull * 1024 * 1024);
}

// Work on the processor shows in the process's processor time, which never
// runs backwards; a process that has done nothing yet has used little of it.
TEST(SystemFigures, ProcessorTimeGrowsWithWork) {
    const double before = plat::ProcessorSeconds();
    EXPECT_GT(before, 0.0);
    EXPECT_LT(before, 3600.0);
    volatile uint64_t sum = 0;
    double after = before;
    const uint32_t started = plat::TimerTime();
    while (after <= before && plat::TimerTime() - started < 10000) {
        for (int i = 0; i < 1000000; ++i) sum = sum + static_cast<uint64_t>(i);
        after = plat::ProcessorSeconds();
    }
    EXPECT_GT(after, before);
}

TEST(Libraries, MissingModuleFailsWithAReason) {
    EXPECT_EQ(nullptr, plat::LibraryLoad("no_such_module_here.dll"));
    EXPECT_STRNE("", plat::LibraryLastError());
    EXPECT_EQ(nullptr, plat::LibraryLoad(""));
    EXPECT_EQ(nullptr, plat::LibrarySymbol(nullptr, "InitDLL"));
    EXPECT_FALSE(plat::LibraryFree(nullptr));
}

TEST(MultibyteCodePage, SwitchAndRestore) {
    const unsigned saved = plat::GetMultibyteCodePage();
    EXPECT_FALSE(plat::IsLeadByte('A'));
    EXPECT_FALSE(plat::IsLeadByte('\\'));
#ifdef _WIN32
    if (!plat::SetMultibyteCodePage(932)) GTEST_SKIP() << "the C runtime refused code page 932";
    EXPECT_EQ(932u, plat::GetMultibyteCodePage());
    EXPECT_TRUE(plat::IsLeadByte(0x95));
    const char text[] = "\x95\x5C" "a";
    EXPECT_EQ(text + 2, plat::NextChar(text));
#else
    EXPECT_FALSE(plat::SetMultibyteCodePage(932));
    EXPECT_TRUE(plat::SetMultibyteCodePage(1252));
    EXPECT_EQ(1252u, plat::GetMultibyteCodePage());
    EXPECT_FALSE(plat::IsLeadByte(0x95));
    const char text[] = "\x95\x5C" "a";
    EXPECT_EQ(text + 1, plat::NextChar(text));
#endif
    const char lone[] = "\x95";
    EXPECT_EQ(lone + 1, plat::NextChar(lone));  // a lead byte before the terminator counts alone
    EXPECT_TRUE(plat::SetMultibyteCodePage(saved));
    EXPECT_EQ(saved, plat::GetMultibyteCodePage());
    EXPECT_FALSE(plat::IsLeadByte(0x95) && saved == 0);
}
