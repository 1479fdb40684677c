// The private heap: blocks not zeroed (poisoned where assertions are on), ownership and size, refusal of blocks
// that are not its own, and destruction with blocks still allocated.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

bool AllBytes(const void* block, size_t size, unsigned char value) {
    const unsigned char* bytes = static_cast<const unsigned char*>(block);
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] != value) return false;
    }
    return true;
}

}  // namespace

// A block that was zeroed and freed must not come back zeroed: code that
// reads what it never wrote would pass by chance.
TEST(PrivateHeap, FreshBlocksCarryThePoisonEvenWhenReused) {
#ifdef NDEBUG
    GTEST_SKIP() << "without assertions blocks are left as the heap hands them out";
#endif
    plat::HeapHandle heap = plat::HeapCreatePrivate();
    ASSERT_NE(nullptr, heap);
    for (int round = 0; round < 20; ++round) {
        void* block = plat::HeapAllocate(heap, 4096);
        ASSERT_NE(nullptr, block);
        ASSERT_TRUE(AllBytes(block, 4096, plat::kFreshBlockPoison)) << "round " << round;
        memset(block, 0, 4096);
        ASSERT_TRUE(plat::HeapRelease(heap, block));
    }
    plat::HeapDestroyPrivate(heap);
}

TEST(PrivateHeap, OwnershipAndSize) {
    plat::HeapHandle heap = plat::HeapCreatePrivate();
    ASSERT_NE(nullptr, heap);
    std::vector<void*> blocks;
    for (size_t size = 0; size < 1000; ++size) {
        void* block = plat::HeapAllocate(heap, size);
        ASSERT_NE(nullptr, block) << size;
        blocks.push_back(block);
    }
    for (size_t size = 0; size < blocks.size(); ++size) {
        EXPECT_TRUE(plat::HeapOwns(heap, blocks[size])) << size;
        if (size) {
            EXPECT_EQ(size, plat::HeapBlockSize(heap, blocks[size]));
        }
    }
    for (size_t size = 0; size < blocks.size(); size += 2) EXPECT_TRUE(plat::HeapRelease(heap, blocks[size]));
    for (size_t size = 1; size < blocks.size(); size += 2) {
        EXPECT_TRUE(plat::HeapOwns(heap, blocks[size])) << size;
        EXPECT_EQ(size, plat::HeapBlockSize(heap, blocks[size]));
    }
    plat::HeapDestroyPrivate(heap);  // frees the odd-sized blocks still allocated
}

TEST(PrivateHeap, ForeignAndReleasedBlocksAreRefused) {
    plat::HeapHandle heap = plat::HeapCreatePrivate();
    plat::HeapHandle other = plat::HeapCreatePrivate();
    ASSERT_NE(nullptr, heap);
    ASSERT_NE(nullptr, other);
    void* mine = plat::HeapAllocate(heap, 64);
    void* theirs = plat::HeapAllocate(other, 64);
    ASSERT_NE(nullptr, mine);
    ASSERT_NE(nullptr, theirs);
    int local = 0;

    EXPECT_FALSE(plat::HeapOwns(heap, theirs));
    EXPECT_FALSE(plat::HeapRelease(heap, theirs));
    EXPECT_TRUE(plat::HeapOwns(other, theirs));  // refusal left it alone
    EXPECT_EQ(0u, plat::HeapBlockSize(heap, theirs));
    EXPECT_FALSE(plat::HeapOwns(heap, &local));
    EXPECT_FALSE(plat::HeapRelease(heap, &local));
    EXPECT_FALSE(plat::HeapRelease(heap, nullptr));
    EXPECT_FALSE(plat::HeapOwns(heap, nullptr));

    ASSERT_TRUE(plat::HeapRelease(heap, mine));
    EXPECT_FALSE(plat::HeapOwns(heap, mine));
    EXPECT_FALSE(plat::HeapRelease(heap, mine)) << "a block was released twice";

    EXPECT_EQ(nullptr, plat::HeapAllocate(nullptr, 16));
    EXPECT_FALSE(plat::HeapOwns(nullptr, theirs));
    plat::HeapDestroyPrivate(heap);
    plat::HeapDestroyPrivate(other);
    plat::HeapDestroyPrivate(nullptr);
}

// Big blocks given back are kept for the next request they fit (at least its
// size, at most twice), within a bound, and compaction returns them.
TEST(CBlocks, GivenBackBigBlocksAreReusedWithinABoundUntilCompaction) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows heaps keep freed memory themselves; nothing is kept here";
#else
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
#endif
}
