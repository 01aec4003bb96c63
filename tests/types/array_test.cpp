// LyArrayTemplate: block growth, insertion, removal and SetCount's rules.

#include <gtest/gtest.h>

#include <malloc.h>

#include <lysdk/lysdk.h>

using namespace VELSDK2025;

// Whole elements the storage can hold. LyPickInfos is 32 bytes, larger than
// any allocator's rounding slack, so the answer is the exact capacity.
static int Capacity(const LyArrayTemplate<LyPickInfos>& a) {
    return a.GetArray() ? static_cast<int>(malloc_usable_size(a.GetArray()) / sizeof(LyPickInfos))
                        : 0;
}

static LyPickInfos Pick(double x) { return LyPickInfos{nullptr, {x, 0, 0}}; }

TEST(LyArray, GrowsOneBlockAtATime) {
    LyArrayTemplate<LyPickInfos> a;
    EXPECT_EQ(Capacity(a), 0);
    const int expected[] = {10, 10, 20, 20, 30};  // after 1, 10, 11, 20, 21 adds
    const int after[] = {1, 10, 11, 20, 21};
    for (int step = 0, added = 0; step < 5; ++step) {
        for (; added < after[step]; ++added) EXPECT_EQ(a.Add(Pick(added)), added);
        EXPECT_EQ(Capacity(a), expected[step]) << "after " << added << " adds";
    }
    EXPECT_EQ(a.Find(Pick(20)), 20);
    LyArrayTemplate<LyPickInfos> small(4);
    small.Add(Pick(1));
    EXPECT_EQ(Capacity(small), 4);
}

TEST(LyArray, CopyKeepsBlockSizeAndTakesWholeBlocks) {
    LyArrayTemplate<LyPickInfos> source(4);
    for (int i = 0; i < 5; ++i) source.Add(Pick(i));
    LyArrayTemplate<LyPickInfos> copy(source);
    EXPECT_EQ(Capacity(copy), 8);
    LyArrayTemplate<LyPickInfos> assigned;
    EXPECT_EQ(&(assigned = source), &assigned);
    EXPECT_EQ(Capacity(assigned), 8);
    for (int i = 5; i < 9; ++i) assigned.Add(Pick(i));
    EXPECT_EQ(Capacity(assigned), 12);  // grew by the source's block of 4
    ASSERT_EQ(copy.GetCount(), 5);
    copy[0] = Pick(42);
    EXPECT_EQ(source[0].Point[0], 0.0);
    EXPECT_EQ(copy[4].Point[0], 4.0);
    EXPECT_EQ(LyArrayTemplate<LyPickInfos>(LyArrayTemplate<LyPickInfos>()).GetArray(), nullptr);
    LyArrayTemplate<LyPickInfos>& self = copy;
    copy = self;
    EXPECT_EQ(copy.GetCount(), 5);
    EXPECT_EQ(copy[0].Point[0], 42.0);
}

TEST(LyArray, InsertRemoveAndFindAndRemovalZeroFills) {
    LyArrayTemplate<int> a;
    a.Add(1), a.Add(2), a.Add(3);
    EXPECT_EQ(a.InsertAt(100, 9), 3);
    EXPECT_EQ(a.InsertAt(0, 0), 0);
    EXPECT_EQ(a.InsertAt(2, 7), 2);  // 0 1 7 2 3 9
    const int want[] = {0, 1, 7, 2, 3, 9};
    ASSERT_EQ(a.GetCount(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(a.GetAt(i), want[i]);
    EXPECT_EQ(a.Find(5), -1);
    EXPECT_TRUE(a.RemoveIt(7));
    EXPECT_FALSE(a.RemoveIt(7));
    EXPECT_EQ(a.GetLast(), 9);
    a.RemoveLast();
    EXPECT_EQ(a.GetArray()[4], 0);
    LyArrayTemplate<int> empty;
    int v = 1;
    EXPECT_FALSE(empty.Remove(v));
    EXPECT_EQ(empty.Find(0), -1);
    // Removal zero-fills the vacated slot.
    a.Clear();
    a.Add(1), a.Add(2), a.Add(3), a.Add(2);
    int two = 2;
    EXPECT_TRUE(a.Remove(two));  // the first 2 only
    EXPECT_EQ(a.GetAt(1), 3);
    a.RemoveAt(0);
    ASSERT_EQ(a.GetCount(), 2);
    EXPECT_EQ(a[0], 3);
    EXPECT_EQ(a[1], 2);
    EXPECT_EQ(a.GetArray()[2], 0);
    EXPECT_EQ(a.GetArray()[3], 0);
}

TEST(LyArray, SetCountShrinksToNButGrowsByN) {
    LyArrayTemplate<int> a;
    for (int i = 1; i <= 10; ++i) a.Add(i);
    a.SetCount(3);
    const int* storage = a.GetArray();
    EXPECT_EQ(a.GetCount(), 3);
    EXPECT_EQ(storage[5], 6);  // shrinking neither frees nor clears
    a.SetCount(5);
    EXPECT_EQ(a.GetCount(), 8);
    EXPECT_EQ(a.GetAt(2), 3);
    // Zero-filled from the old end to the end of the last block, not only
    // up to the new count.
    for (int i = 3; i < 10; ++i) EXPECT_EQ(a.GetArray()[i], 0) << i;
    a.SetCount(2);
    EXPECT_EQ(a.GetCount(), 2);
    a.Clear();
    EXPECT_EQ(a.GetArray(), nullptr);
    a.SetCount(0);
    EXPECT_EQ(a.GetArray(), nullptr);
    a.SetCount(12);
    EXPECT_EQ(a.GetCount(), 12);
    EXPECT_EQ(a.GetArray()[19], 0);  // two blocks, all zero
}
