// The shared list and the pointer array: append, removal rules and the
// rotating look-up that both of them use.
#include "files/cursor_list.h"
#include "files/pointer_array.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

int g_values[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

// Appends elements 0..n-1 of g_values.
void Fill(CursorList& list, int n) {
    for (int i = 0; i < n; ++i) ASSERT_EQ(1, list.Append(&g_values[i]));
}

int Value(void* element) { return *static_cast<int*>(element); }

bool FindValue(CursorList& list, int wanted, int* comparisons = nullptr) {
    return list.Find(false, [&](void* element) {
        if (comparisons) ++*comparisons;
        return Value(element) == wanted;
    });
}

}  // namespace

TEST(CursorList, AppendMakesTheTailCurrent) {
    CursorList list;
    EXPECT_EQ(-1, list.CurrentIndex());
    Fill(list, 3);
    EXPECT_EQ(3, list.Count());
    EXPECT_EQ(2, list.CurrentIndex());
    EXPECT_EQ(2, Value(list.Current()));
}

TEST(CursorList, RemovingTheTailMovesToThePredecessor) {
    CursorList list;
    Fill(list, 3);
    list.RemoveCurrent();
    EXPECT_EQ(2, list.Count());
    EXPECT_EQ(1, list.CurrentIndex());
    EXPECT_EQ(1, Value(list.Current()));
    EXPECT_EQ(list.TailNode(), list.CurrentNode());
    EXPECT_EQ(nullptr, list.TailNode()->next);
}

TEST(CursorList, RemovingTheMiddleMovesToTheSuccessorAtTheSameIndex) {
    CursorList list;
    Fill(list, 4);
    list.MoveTo(1);
    list.RemoveCurrent();
    EXPECT_EQ(3, list.Count());
    EXPECT_EQ(1, list.CurrentIndex());
    EXPECT_EQ(2, Value(list.Current()));
    // The links still run both ways through the gap.
    EXPECT_EQ(0, Value(list.CurrentNode()->previous->element));
    EXPECT_EQ(list.HeadNode()->next, list.CurrentNode());
}

TEST(CursorList, RemovingTheLastNodeLeavesAnEmptyList) {
    CursorList list;
    Fill(list, 1);
    list.RemoveCurrent();
    EXPECT_EQ(0, list.Count());
    EXPECT_EQ(-1, list.CurrentIndex());
    EXPECT_EQ(nullptr, list.HeadNode());
    EXPECT_EQ(nullptr, list.TailNode());
    list.RemoveCurrent();  // nothing current: no effect
    EXPECT_EQ(0, list.Count());
}

TEST(CursorList, LookupWrapsAroundToNodesBeforeTheStart) {
    CursorList list;
    Fill(list, 5);
    list.MoveTo(3);
    int comparisons = 0;
    ASSERT_TRUE(FindValue(list, 1, &comparisons));
    EXPECT_EQ(1, list.CurrentIndex());
    // 3, 4, then 0, 1 after the wrap.
    EXPECT_EQ(4, comparisons);
    // A repeated look-up of the same key is immediate.
    comparisons = 0;
    ASSERT_TRUE(FindValue(list, 1, &comparisons));
    EXPECT_EQ(1, comparisons);
}

TEST(CursorList, MissVisitsEveryNodeOnceAndClearsThePosition) {
    CursorList list;
    Fill(list, 5);
    list.MoveTo(2);
    int comparisons = 0;
    EXPECT_FALSE(FindValue(list, 42, &comparisons));
    EXPECT_EQ(5, comparisons);
    EXPECT_EQ(-1, list.CurrentIndex());
    EXPECT_EQ(nullptr, list.CurrentNode());
    // With no position the next look-up starts at the head.
    ASSERT_TRUE(FindValue(list, 4));
    EXPECT_EQ(4, list.CurrentIndex());
}

TEST(CursorList, EmptyListOrEmptyKeyLeavesThePositionAlone) {
    CursorList list;
    EXPECT_FALSE(FindValue(list, 0));
    EXPECT_EQ(-1, list.CurrentIndex());
    Fill(list, 3);
    list.MoveTo(1);
    EXPECT_FALSE(list.Find(true, [](void*) { return true; }));
    EXPECT_EQ(1, list.CurrentIndex());
}

TEST(CursorList, NullElementsAreSkipped) {
    CursorList list;
    ASSERT_EQ(1, list.Append(nullptr));
    Fill(list, 2);
    list.First();
    int calls = 0;
    EXPECT_TRUE(list.Find(false, [&](void* e) { ++calls; return Value(e) == 1; }));
    EXPECT_EQ(2, calls);
    EXPECT_EQ(2, list.CurrentIndex());
}

TEST(CursorList, IterationAndEmpty) {
    CursorList list;
    Fill(list, 3);
    int sum = 0;
    for (void* e = list.First(); e; e = list.Next()) sum += Value(e);
    EXPECT_EQ(3, sum);
    EXPECT_EQ(-1, list.CurrentIndex());
    list.Empty();
    EXPECT_EQ(0, list.Count());
    EXPECT_EQ(nullptr, list.First());
    EXPECT_EQ(nullptr, list.MoveTo(0));
}

TEST(PointerArray, FirstAppendAllocatesEightThenDoubles) {
    PointerArray array;
    EXPECT_EQ(0, array.Capacity());
    ASSERT_TRUE(array.Append(&g_values[0]));
    EXPECT_EQ(8, array.Capacity());
    for (int i = 1; i < 9; ++i) ASSERT_TRUE(array.Append(&g_values[i]));
    EXPECT_EQ(16, array.Capacity());
    EXPECT_EQ(9, array.Count());
    EXPECT_EQ(8, array.Cursor());
    EXPECT_EQ(8, Value(array.At(8)));
}

TEST(PointerArray, DoublingStopsBelowTheLimit) {
    PointerArray array;
    int item = 0;
    for (int i = 0; i < 32768; ++i) ASSERT_TRUE(array.Append(&item)) << i;
    EXPECT_EQ(32768, array.Capacity());
    // Doubling to 65536 would reach the limit.
    EXPECT_FALSE(array.Append(&item));
    EXPECT_EQ(32768, array.Count());
}

TEST(PointerArray, ReserveFixesTheCapacityExactly) {
    PointerArray array;
    ASSERT_TRUE(array.Reserve(3));
    EXPECT_TRUE(array.IsFixed());
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(array.Append(&g_values[i]));
    EXPECT_FALSE(array.Append(&g_values[3]));
    EXPECT_EQ(3, array.Count());

    EXPECT_TRUE(array.Reserve(65534));
    EXPECT_EQ(65534, array.Capacity());
    EXPECT_FALSE(array.Reserve(65535));
    EXPECT_EQ(0, array.Capacity());
    EXPECT_FALSE(array.IsFixed());

    ASSERT_TRUE(array.Reserve(0));
    EXPECT_FALSE(array.Append(&g_values[0]));
}

TEST(PointerArray, RotatingLookupFromTheCursor) {
    PointerArray array;
    for (int i = 0; i < 6; ++i) ASSERT_TRUE(array.Append(&g_values[i]));
    array.SetCursor(4);
    int calls = 0;
    auto find = [&](int wanted) {
        return array.Find(false, [&](void* e) { ++calls; return Value(e) == wanted; });
    };
    ASSERT_TRUE(find(2));
    EXPECT_EQ(2, array.Cursor());
    EXPECT_EQ(5, calls);  // 4, 5, 0, 1, 2
    calls = 0;
    EXPECT_FALSE(find(9));
    EXPECT_EQ(6, calls);
    EXPECT_EQ(-1, array.Cursor());
    EXPECT_FALSE(array.Find(true, [](void*) { return true; }));
    EXPECT_EQ(-1, array.Cursor());
}
