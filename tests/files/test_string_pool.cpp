// StringPool: capacity rule (one byte always free), cursor walk, direct writes
// at the end, seeking and clearing.
#include "files/string_pool.h"

#include <gtest/gtest.h>

#include <string>

TEST(StringPool, WithoutStorageEverythingIsEmpty) {
    StringPool pool;
    EXPECT_FALSE(pool.Append("x"));
    EXPECT_FALSE(pool.HasMore());
    EXPECT_EQ(0, pool.UsedBytes());
    EXPECT_EQ(0, pool.FreeBytes());
    EXPECT_EQ(0, pool.Capacity());
    EXPECT_FALSE(pool.SeekTo("x"));
    pool.Next();
    pool.Advance(4);
    pool.Clear();
    EXPECT_EQ(nullptr, pool.End());
    EXPECT_EQ(nullptr, pool.Current());
}

TEST(StringPool, AllocateTenTakesTwoFourLetterTexts) {
    StringPool pool;
    ASSERT_TRUE(pool.Allocate(10));
    EXPECT_EQ(11, pool.Capacity());
    EXPECT_TRUE(pool.Append("abcd"));
    EXPECT_TRUE(pool.Append("efgh"));
    EXPECT_EQ(10, pool.UsedBytes());
    EXPECT_EQ(1, pool.FreeBytes());
    EXPECT_FALSE(pool.Append(""));
    EXPECT_FALSE(pool.Append(nullptr));
    EXPECT_EQ(10, pool.UsedBytes());
}

TEST(StringPool, FilledToItsLastByte) {
    // Allocate(260) holds 260 bytes of strings with their zero bytes.
    StringPool exact;
    ASSERT_TRUE(exact.Allocate(260));
    EXPECT_FALSE(exact.Append(std::string(260, 'q').c_str()));  // 261 bytes with its zero
    EXPECT_TRUE(exact.Append(std::string(259, 'q').c_str()));
    EXPECT_EQ(260, exact.UsedBytes());
    EXPECT_FALSE(exact.Append(""));

    StringPool pool;
    ASSERT_TRUE(pool.Allocate(260));
    const std::string big(258, 'p');
    EXPECT_TRUE(pool.Append(big.c_str()));
    EXPECT_EQ(259, pool.UsedBytes());
    EXPECT_FALSE(pool.Append("x"));
    EXPECT_TRUE(pool.Append(""));
    EXPECT_EQ(260, pool.UsedBytes());
    EXPECT_EQ(1, pool.FreeBytes());
    EXPECT_FALSE(pool.Append(""));
    // The byte kept free is still zero: the last string stays terminated.
    EXPECT_EQ(0, pool.Start()[260]);
    pool.Rewind();
    EXPECT_EQ(big, pool.Current());
}

TEST(StringPool, NegativeSizeIsRefused) {
    StringPool pool;
    ASSERT_TRUE(pool.Allocate(4));
    EXPECT_FALSE(pool.Allocate(-1));
    EXPECT_EQ(0, pool.Capacity());  // the old storage was freed
    EXPECT_FALSE(pool.Append("a"));
    ASSERT_TRUE(pool.Allocate(0));
    EXPECT_FALSE(pool.Append(""));
}

TEST(StringPool, CursorWalksTheStrings) {
    StringPool pool;
    ASSERT_TRUE(pool.Allocate(64));
    ASSERT_TRUE(pool.Append("one"));
    EXPECT_STREQ("one", pool.Current());  // Append leaves the cursor on the new string
    ASSERT_TRUE(pool.Append(""));
    ASSERT_TRUE(pool.Append("three"));
    EXPECT_STREQ("three", pool.Current());

    std::string walked;
    int count = 0;
    for (pool.Rewind(); pool.HasMore(); pool.Next()) {
        walked += std::string(pool.Current()) + "|";
        ++count;
    }
    EXPECT_EQ("one||three|", walked);
    EXPECT_EQ(3, count);
    EXPECT_EQ(pool.End(), pool.Current());
    pool.Next();  // at the end it stays put
    EXPECT_EQ(pool.End(), pool.Current());
}

TEST(StringPool, SeekToFindsOnlyStringStarts) {
    StringPool pool;
    ASSERT_TRUE(pool.Allocate(64));
    pool.Append("alpha");
    pool.Append("beta");
    pool.Append("gamma");
    char* beta = pool.Start() + 6;
    EXPECT_TRUE(pool.SeekTo(beta));
    EXPECT_EQ(beta, pool.Current());
    EXPECT_TRUE(pool.SeekTo(pool.Start()));
    EXPECT_STREQ("alpha", pool.Current());
    EXPECT_FALSE(pool.SeekTo(beta + 1));
    EXPECT_FALSE(pool.SeekTo(pool.End()));
    EXPECT_FALSE(pool.SeekTo(nullptr));
    const char sameText[] = "beta";
    EXPECT_FALSE(pool.SeekTo(sameText));  // a pointer into the pool, not equal text
    EXPECT_STREQ("alpha", pool.Current());
}

TEST(StringPool, DirectWritesAtTheEnd) {
    StringPool pool;
    ASSERT_TRUE(pool.Allocate(16));
    pool.Append("key");
    memcpy(pool.End(), "a\0bc", 5);
    pool.Advance(5);
    EXPECT_EQ(9, pool.UsedBytes());
    pool.Rewind();
    pool.Next();
    EXPECT_STREQ("a", pool.Current());
    pool.Next();
    EXPECT_STREQ("bc", pool.Current());
    pool.Advance(-3);  // never backwards
    EXPECT_EQ(9, pool.UsedBytes());
    pool.Advance(1000);  // never past the storage
    EXPECT_EQ(17, pool.UsedBytes());
    EXPECT_EQ(0, pool.FreeBytes());
    EXPECT_FALSE(pool.Append(""));
}

TEST(StringPool, ClearZeroFillsWhatItHeldAndKeepsTheStorage) {
    StringPool pool;
    ASSERT_TRUE(pool.Allocate(8));
    char* storage = pool.Start();
    EXPECT_EQ(0, storage[0]);  // an empty pool is an empty text
    pool.Append("abc");
    pool.Append("de");
    pool.Clear();
    EXPECT_EQ(storage, pool.Start());
    EXPECT_EQ(0, pool.UsedBytes());
    EXPECT_FALSE(pool.HasMore());
    for (int i = 0; i < 7; ++i) EXPECT_EQ(0, storage[i]) << i;
    EXPECT_TRUE(pool.Append("abcdefg"));
    pool.Free();
    EXPECT_EQ(nullptr, pool.Start());
    EXPECT_EQ(0, pool.FreeBytes());
}
