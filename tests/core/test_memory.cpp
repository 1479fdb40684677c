// The memory manager and the debug system.
#include "core_fixture.h"

#include "platform/platform.h"
#include "shell_base/log.h"

#include <vector>

using coretest::LogRecorder;

namespace {

uint64_t g_physical = 0;
size_t g_largestTrial = 0;  // trial blocks above this size fail
std::vector<size_t> g_trials;

uint64_t FakePhysical() { return g_physical; }
uint32_t FakePage() { return 4096; }
void* FakeTrial(plat::HeapHandle heap, size_t size) {
    g_trials.push_back(size);
    return size <= g_largestTrial ? plat::HeapAllocate(heap, size) : nullptr;
}

class Memory : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(memory.Init());
        memory.SetMachine({&FakePhysical, &FakePage, &FakeTrial});
        g_trials.clear();
    }
    void TearDown() override { memory.Shutdown(); }

    MemoryManager memory;
};

TEST_F(Memory, SizesAreRoundedUpToEvenAndZeroGivesNothing) {
    EXPECT_EQ(nullptr, memory.memAlloc(0, 0, 0, nullptr));
    void* one = memory.memAlloc(1, 0, 0, "MOD");
    ASSERT_NE(nullptr, one);
    EXPECT_GE(plat::HeapBlockSize(memory.Heap(), one), 2u);
    void* odd = memory.memAlloc(13, 0, 0, nullptr);
    EXPECT_GE(plat::HeapBlockSize(memory.Heap(), odd), 14u);
    // The largest odd size has no even size above it in 32 bits.
    EXPECT_EQ(nullptr, memory.memAlloc(UINT32_MAX, 0, 0, nullptr));
    memory.memFree(one);
    memory.memFree(odd);
    EXPECT_FALSE(plat::HeapOwns(memory.Heap(), one));
}

TEST_F(Memory, FreeIgnoresNullAndForeignBlocks) {
    memory.memFree(nullptr);
    plat::HeapHandle other = plat::HeapCreatePrivate();
    void* foreign = plat::HeapAllocate(other, 32);
    memory.memFree(foreign);
    EXPECT_TRUE(plat::HeapOwns(other, foreign));
    plat::HeapDestroyPrivate(other);
}

TEST_F(Memory, ReleaseOwnerAndReservedLeaveBlocksInPlace) {
    void* block = memory.memAlloc(64, 0, 0, "COM");
    memory.memReleaseOwner("COM");
    memory.memReserved(5);
    EXPECT_TRUE(plat::HeapOwns(memory.Heap(), block));
    memory.memFree(block);
}

TEST_F(Memory, CompactionStartsAtHalfThePhysicalMemoryCappedAt128MiB) {
    g_largestTrial = 0;
    g_physical = 64ull << 20;
    memory.memCompact();
    EXPECT_EQ(32u << 20, memory.LastCompact().firstTrial);
    ASSERT_FALSE(g_trials.empty());
    EXPECT_EQ(size_t(32) << 20, g_trials.front());
    g_trials.clear();
    g_physical = 2048ull << 20;
    memory.memCompact();
    EXPECT_EQ(64u << 20, memory.LastCompact().firstTrial);
    EXPECT_EQ(size_t(64) << 20, g_trials.front());
}

TEST_F(Memory, CompactionHalvesUntilATrialSucceedsAndTouchesEveryPage) {
    g_physical = 2048ull << 20;
    g_largestTrial = 4u << 20;
    memory.memCompact();
    std::vector<size_t> expected = {64u << 20, 32u << 20, 16u << 20, 8u << 20, 4u << 20};
    EXPECT_EQ(expected, g_trials);
    MemoryManager::CompactReport report = memory.LastCompact();
    EXPECT_EQ(4u << 20, report.obtained);
    EXPECT_EQ(1024u, report.pagesTouched);  // bytes 0, 4096, ... below the last byte
}

TEST_F(Memory, CompactionToleratesEveryTrialFailing) {
    g_physical = 2048ull << 20;
    g_largestTrial = 0;
    memory.memCompact();
    MemoryManager::CompactReport report = memory.LastCompact();
    EXPECT_EQ(27, report.trials);  // 64 MiB down to 1 byte
    EXPECT_EQ(1u, g_trials.back());
    EXPECT_EQ(0u, report.obtained);
    EXPECT_EQ(0u, report.pagesTouched);
    g_trials.clear();
    g_physical = 0;
    memory.memCompact();
    EXPECT_TRUE(g_trials.empty());
}

TEST_F(Memory, InitBindsTheAccessLayerAndShutdownUnbindsIt) {
    EXPECT_EQ(&memory, ShellGetMemory());
    void* block = ShellAlloc(40);
    EXPECT_TRUE(plat::HeapOwns(memory.Heap(), block));
    ShellFree(block);
    memory.Shutdown();
    EXPECT_EQ(nullptr, ShellGetMemory());
    EXPECT_EQ(nullptr, memory.Heap());
    EXPECT_EQ(nullptr, memory.memAlloc(8, 0, 0, nullptr));
    ASSERT_TRUE(memory.Init());
}

TEST(DebugSystem, KeepsTheLevelAndWritesNothing) {
    testsupport::ScratchDir dir;
    testsupport::WorkingDirGuard back;
    ASSERT_TRUE(plat::DirChange(dir.Path()));
    LogRecorder log;
    DebugSystem debug;
    debug.dbgSetLevel(9);
    debug.Init(kDebugFileName);
    EXPECT_EQ(4, debug.Level());
    EXPECT_EQ(&debug, ShellGetDebug());
    EXPECT_TRUE(log.Has(LogSeverity::DebugSystem, "Debug System initialized..."));
    debug.dbgSetLevel(2);
    debug.dbgReserved0();
    debug.dbgReserved1(1, 2, 3, 4);
    debug.dbgReserved2(1, 2, 3);
    ShellDbgReserved4(7);
    LogInfo(nullptr);
    LogWarning("%s %d", "values", 3);
    EXPECT_EQ(2, debug.Level());
    debug.Shutdown();
    EXPECT_EQ(nullptr, ShellGetDebug());
    EXPECT_TRUE(log.Has(LogSeverity::DebugSystem, "Debug System deinitialized..."));
    EXPECT_FALSE(plat::FileIsPlain(dir.File("debug.out").c_str()));
}

}  // namespace
