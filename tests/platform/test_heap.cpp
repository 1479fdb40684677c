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
