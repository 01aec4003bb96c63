// LyString: the null state, extraction bounds, appends and assignment.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include <lysdk/lysdk.h>

using namespace VELSDK2025;

static const char* P(const LyString& s) { return s; }

TEST(LyString, NullAndEmptyAreBothEmptyButCompareApartOthersCompareBytes) {
    LyString null, fromNull(static_cast<const char*>(nullptr)), empty("");
    EXPECT_EQ(P(null), nullptr);
    EXPECT_EQ(P(fromNull), nullptr);
    ASSERT_NE(P(empty), nullptr);
    EXPECT_TRUE(null.IsEmpty() && empty.IsEmpty());
    EXPECT_EQ(null.GetLen() + empty.GetLen(), 0u);
    EXPECT_TRUE(null != "");
    EXPECT_TRUE(empty == "");
    EXPECT_TRUE(null != empty);
    EXPECT_TRUE(null == LyString());
    EXPECT_EQ(null[0], 0);
    EXPECT_EQ(null[1000], 0);
    EXPECT_EQ(P(LyString(null)), nullptr);
    // Other texts compare by their bytes.
    EXPECT_TRUE(LyString("abc") == "abc");
    EXPECT_TRUE(LyString("abc") != "abd");
    EXPECT_TRUE(LyString("abc") != "ab");
    EXPECT_TRUE(LyString("\xe9t\xe9") == LyString("\xe9t\xe9"));
}

TEST(LyString, FindCountsTheTerminatorAndExtractionKeepsInBounds) {
    const LyString twice("abcabc");
    EXPECT_EQ(twice.Find('b'), 1);
    EXPECT_EQ(twice.ReverseFind('b'), 4);
    EXPECT_EQ(twice.Find('z'), -1);
    EXPECT_EQ(LyString("abc").Find('\0'), 3);
    EXPECT_EQ(LyString().Find('a'), -1);
    EXPECT_EQ(LyString().ReverseFind('\0'), -1);
    // Extraction bounds.
    const LyString s("abcdef");
    EXPECT_STREQ(P(s.Mid(2, 3)), "cde");
    EXPECT_STREQ(P(s.Mid(4, 10)), "ef");
    EXPECT_EQ(P(s.Mid(6, 1)), nullptr);
    EXPECT_EQ(P(s.Mid(7, 1)), nullptr);
    EXPECT_EQ(P(s.Mid(2, 0)), nullptr);
    EXPECT_STREQ(P(s.Left(10)), "abcdef");
    EXPECT_STREQ(P(s.Left(2)), "ab");
    EXPECT_STREQ(P(s.Right(2)), "ef");
    EXPECT_STREQ(P(s.Right(6)), "abcdef");
    EXPECT_EQ(P(s.Right(7)), nullptr);
    // A count that fits is clamped; one whose sum with start wraps is not.
    EXPECT_STREQ(P(s.Mid(1, INT_MAX)), "bcdef");
    EXPECT_EQ(P(s.Mid(1, UINT_MAX)), nullptr);
    EXPECT_EQ(P(LyString().Left(3)), nullptr);
}

TEST(LyString, AppendsIncludingItsOwnText) {
    LyString s;
    s += 'x';
    EXPECT_STREQ(P(s), "x");
    s += static_cast<const char*>(nullptr);
    EXPECT_STREQ(P(s), "x");
    s += "yz";
    s += P(s);  // the realloc may move the text being appended
    EXPECT_STREQ(P(s), "xyzxyz");
    s += P(s) + 4;
    EXPECT_STREQ(P(s), "xyzxyzyz");
    const LyString sum = s + "!";
    EXPECT_STREQ(P(sum), "xyzxyzyz!");
    EXPECT_STREQ(P(s), "xyzxyzyz");
    EXPECT_STREQ(P(LyString("ab", "cd")), "abcd");
    EXPECT_STREQ(P(LyString(nullptr, "cd")), "cd");
    EXPECT_STREQ(P(LyString("ab", nullptr)), "ab");
}

TEST(LyString, AppendingItselfSurvivesTheBufferMoving) {
    // Doubling up to megabytes: realloc moves the buffer on the way (the
    // test checks that it did), and the text appended must be read from
    // where it went, not from where it was.
    LyString s("0123456789abcdef");
    std::string expected = "0123456789abcdef";
    int moves = 0;
    while (expected.size() < (std::size_t{1} << 21)) {
        const char* before = P(s);
        s += P(s);
        expected += expected;
        moves += P(s) != before;
        ASSERT_EQ(s.GetLen(), expected.size());
        ASSERT_EQ(std::memcmp(P(s), expected.data(), expected.size()), 0) << expected.size();
    }
    EXPECT_GT(moves, 0);
}

TEST(LyString, AssignmentReturnsAndCopies) {
    LyString a("left"), b("right");
    const LyString& result = (a = b);
    EXPECT_EQ(&result, &b);  // the right-hand operand, not `a`
    EXPECT_STREQ(P(a), "right");
    EXPECT_NE(P(a), P(b));  // duplicated, not shared
    LyString& self = a;
    a = self;
    EXPECT_STREQ(P(a), "right");
    EXPECT_EQ(&(a = "text"), &a);
    a = P(a) + 2;  // from its own buffer, which the assignment frees
    EXPECT_STREQ(P(a), "xt");
    a = static_cast<const char*>(nullptr);
    EXPECT_EQ(P(a), nullptr);
}
