// LyStringList and the host list behind it: splitting and joining, searches,
// sorting, copies and the answers to indices outside the list.

#include <gtest/gtest.h>

#include <string>

#include <lysdk/lysdk.h>
#include <velora/string_list.h>

using namespace VELSDK2025;

static std::string Joined(const LyStringList& list) { return list.AsString(','); }

TEST(LyStringList, SplitsAndJoinsRoundTripThroughOneSharedBuffer) {
    LyStringList list("a~~bc~", '~');
    ASSERT_EQ(list.GetCount(), 4);  // empty pieces are entries
    EXPECT_STREQ(list[1], "");
    EXPECT_STREQ(list.AsString('~'), "a~~bc~");
    EXPECT_STREQ(list.AsString('|'), "a||bc|");
    EXPECT_TRUE(list.SetString("x,y", ','));
    EXPECT_EQ(Joined(list), "x,y");
    EXPECT_EQ(list.GetReferenceAt(0), 0u);
    EXPECT_TRUE(list.SetString("", ','));
    EXPECT_EQ(list.GetCount(), 0);
    ASSERT_NE(list.AsString(','), nullptr);
    EXPECT_STREQ(list.AsString(','), "");
    EXPECT_TRUE(list.SetString(nullptr, ','));
    EXPECT_EQ(list.GetCount(), 0);
    // AsString shares one buffer between lists.
    LyStringList a("a", ','), b("b", ',');
    const char* first = a.AsString(',');
    EXPECT_EQ(b.AsString(','), first);
    EXPECT_STREQ(first, "b");
}

TEST(LyStringList, FindByTextFlagsAndByReferenceRemoveTheFirstExactMatch) {
    LyStringList removing("ab,abc,AB,ab", ',');
    EXPECT_EQ(removing.Remove("a"), -1);
    EXPECT_EQ(removing.Remove("Ab"), -1);
    EXPECT_EQ(Joined(removing), "ab,abc,AB,ab");
    EXPECT_EQ(removing.Remove("ab"), 0);
    EXPECT_EQ(Joined(removing), "abc,AB,ab");
    EXPECT_EQ(removing.IndexOf("ab"), 2);
    LyStringList list;
    EXPECT_EQ(list.Add("Alpha", 0x100000001ull), 0);
    EXPECT_EQ(list.Add("beta", 1), 1);
    EXPECT_EQ(list.Add("alphabet", 1), 2);
    EXPECT_EQ(list.Find("alpha", true, false), -1);
    EXPECT_EQ(list.Find("alpha", false, false), 0);
    EXPECT_EQ(list.Find("alpha", true, true), 2);
    EXPECT_EQ(list.Find("ALPHABE", false, true), 2);
    EXPECT_EQ(list.Find("alphabets", false, true), -1);
    EXPECT_EQ(list.Find(LyStringList::Reference(1)), 1);  // first of two
    EXPECT_EQ(list.Find(LyStringList::Reference(0x100000001ull)), 0);
    EXPECT_EQ(list.Find(LyStringList::Reference(0)), -1);
    list.SetReferenceAt(1, 7);
    EXPECT_EQ(list.Find(LyStringList::Reference(1)), 2);
}

TEST(LyStringList, SortIsStableByByteOrder) {
    LyStringList list("b,B,a,,ab,\xe9", ',');
    list.Sort();
    EXPECT_EQ(Joined(list), ",B,a,ab,b,\xe9");
    // Enough equal texts that an unstable sort would reorder some of them.
    LyStringList many;
    const char* texts[] = {"c", "a", "b"};
    for (int i = 0; i < 60; ++i) many.Add(texts[(i * 7) % 3], i);
    many.Sort();
    for (int i = 1; i < 60; ++i) {
        const bool sameText = std::string(many[i - 1]) == many[i];
        EXPECT_TRUE(sameText ? many.GetReferenceAt(i - 1) < many.GetReferenceAt(i)
                             : std::string(many[i - 1]) < many[i])
            << i;
    }
}

TEST(LyStringList, EditsAndIndicesOutsideTheList) {
    LyStringList list("a,c", ',');
    list.InsertAt(1, "b", 5);
    list.InsertAt(3, "d");
    list.InsertAt(9, "never");
    list.InsertAt(-1, "never");
    EXPECT_EQ(Joined(list), "a,b,c,d");
    EXPECT_EQ(list.GetReferenceAt(1), 5u);
    EXPECT_TRUE(list.SetAt(3, list.GetAt(0)));
    EXPECT_FALSE(list.SetAt(4, "x"));
    EXPECT_EQ(list.GetAt(4), nullptr);
    EXPECT_EQ(list[-1], nullptr);
    EXPECT_EQ(list.GetReferenceAt(-1), 0u);
    list.SetReferenceAt(4, 1);
    list.RemoveAt(4);
    list.RemoveAt(-1);
    list.RemoveAt(0);
    EXPECT_EQ(Joined(list), "b,c,a");
    list.Add(nullptr);
    EXPECT_STREQ(list.GetAt(3), "");
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(LyStringList, CopiesAreIndependentAndShareTheHostType) {
    LyStringList source("a,b", ',');
    source.SetReferenceAt(1, 2);
    LyStringList copy(source);
    LyStringList assigned;
    assigned.Add("old");
    EXPECT_EQ(&(assigned = source), &assigned);
    LyStringList& self = assigned;
    assigned = self;
    copy.SetAt(0, "z");
    EXPECT_EQ(Joined(source), "a,b");
    EXPECT_EQ(Joined(copy), "z,b");
    EXPECT_EQ(Joined(assigned), "a,b");
    EXPECT_EQ(assigned.GetReferenceAt(1), 2u);
    ASSERT_NE(copy.GetInternal(), source.GetInternal());
    // Library code hands the host list to host operations; changes made there
    // are the list's own.
    auto* host = reinterpret_cast<velora::StringList*>(copy.GetInternal());
    host->Add("from host", 3);
    EXPECT_EQ(copy.Find(LyStringList::Reference(3)), 2);
}

TEST(HostStringList, JoinsIntoACallerBufferAndSplitsItsOwnText) {
    velora::StringList list;
    list.Split("one,two", ',');
    char buffer[6];
    EXPECT_EQ(list.Join(',', buffer, sizeof buffer), 7u);
    EXPECT_STREQ(buffer, "one,t");
    EXPECT_EQ(list.Join(',', nullptr, 0), 7u);
    list.Split(list.TextAt(1), 'w');  // the text being split is replaced
    EXPECT_EQ(list.Join('+'), "t+o");
    list.Split("a,b", '\0');
    EXPECT_EQ(list.Count(), 1);
    EXPECT_FALSE(list.Insert(2, "x", 0));
    EXPECT_FALSE(list.SetReferenceAt(1, 0));
}
