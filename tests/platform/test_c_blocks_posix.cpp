// The posix backend's big C heap blocks: large-page and page alignment, and the
// blocks given back kept for reuse within a bound until a heap is compacted or
// destroyed.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

// Big blocks given back are kept for the next request they fit (at least its
// size, at most twice), within a bound, and compaction returns them.
TEST(CBlocks, GivenBackBigBlocksAreReusedWithinABoundUntilCompaction) {
    const size_t MiB = size_t{1} << 20;
    plat::ReleaseKeptCBlocks();
    ASSERT_EQ(plat::KeptCBlockBytes(), 0u);

    void* large = plat::AllocateCBlock(3 * MiB);
    ASSERT_NE(large, nullptr);
    memset(large, 1, 3 * MiB);
    plat::ReleaseCBlock(large, 3 * MiB);
    EXPECT_EQ(plat::KeptCBlockBytes(), 4 * MiB);  // whole 2 MiB pages
    void* medium = plat::AllocateCBlock(1 * MiB);  // less than half of it: not handed out
    void* again = plat::AllocateCBlock(4 * MiB);
    EXPECT_NE(medium, large);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(medium) % 4096, 0u);  // a file buffer starts on a page
    EXPECT_EQ(again, large);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(again) % (2 * MiB), 0u);
    EXPECT_EQ(plat::KeptCBlockBytes(), 0u);
    plat::ReleaseCBlock(medium, 1 * MiB);
    void* mediumAgain = plat::AllocateCBlock(MiB * 3 / 4);
    EXPECT_EQ(mediumAgain, medium);
    plat::ReleaseCBlock(mediumAgain, MiB * 3 / 4);
    plat::ReleaseCBlock(again, 4 * MiB);
    EXPECT_GE(plat::KeptCBlockBytes(), 5 * MiB);

    // Small blocks are never kept; the reserve stops at 64 MiB.
    plat::ReleaseCBlock(plat::AllocateCBlock(1000), 1000);
    std::vector<void*> blocks;
    for (int i = 0; i < 20; ++i) blocks.push_back(plat::AllocateCBlock(6 * MiB));
    for (void* block : blocks) plat::ReleaseCBlock(block, 6 * MiB);
    EXPECT_LE(plat::KeptCBlockBytes(), 64 * MiB);
    EXPECT_GT(plat::KeptCBlockBytes(), 56 * MiB);

    // Compacting or destroying a private heap gives every kept block back to the system.
    plat::HeapHandle heap = plat::HeapCreatePrivate();
    ASSERT_NE(heap, nullptr);
    void* block = plat::HeapAllocate(heap, 2 * MiB);
    EXPECT_TRUE(plat::HeapRelease(heap, block));
    EXPECT_GT(plat::KeptCBlockBytes(), 0u);
    plat::HeapCompactPrivate(heap);
    EXPECT_EQ(plat::KeptCBlockBytes(), 0u);
    EXPECT_TRUE(plat::HeapRelease(heap, plat::HeapAllocate(heap, 256 * 1024)));
    EXPECT_GE(plat::KeptCBlockBytes(), 256u * 1024u);  // what the C heap made of it
    plat::HeapDestroyPrivate(heap);
    EXPECT_EQ(plat::KeptCBlockBytes(), 0u);
}
