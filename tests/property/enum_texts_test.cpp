// Enumeration text tables: every enumerator of every public enumeration
// reads as its own name and is written back from it (the list comes from
// the same headers the tables are generated from), and the table rules of
// enumeration properties.

#include <gtest/gtest.h>

#include <lysdk/lysdk.h>

using namespace VELSDK2025;

namespace {

// Where the property's functions keep an enumeration's value.
template <class E>
struct Slot {
    static E value;
    static E Get(void*) { return value; }
    static void Set(void*, E v) { value = v; }
};
template <class E>
E Slot<E>::value{};

template <class E>
void Check(E value, const char* text, const char* enumeration) {
    LyPropertyBaseEnum<E> property;
    property.Init(nullptr, "Value", &Slot<E>::Get, &Slot<E>::Set);
    Slot<E>::value = value;
    EXPECT_STREQ(property.AsString(), text) << enumeration;
    Slot<E>::value = E{};
    EXPECT_TRUE(property.SetString(text)) << enumeration << " " << text;
    EXPECT_EQ(static_cast<long long>(Slot<E>::value), static_cast<long long>(value)) << enumeration << " " << text;
}

TEST(EnumTexts, EveryEnumeratorReadsAndWritesItsName) {
    int checked = 0;
#define LYSDK_ENUM_CHECK(E, value, text) \
    Check<E>(value, text, #E);           \
    ++checked;
#include "lysdk_enum_checks.h"
#undef LYSDK_ENUM_CHECK
    EXPECT_GT(checked, 150);
}

TEST(EnumTexts, TablesByValueAndByDeclaration) {
    LyPropertyBaseEnum<LyInterpolation> interpolation;
    EXPECT_STREQ(interpolation.EnumList(2), "kLyInterpolationCubic");
    EXPECT_EQ(interpolation.EnumList(4), nullptr);
    EXPECT_EQ(interpolation.EnumList(-1), nullptr);
    LyInterpolation set = kLyInterpolationCubic;
    interpolation.Init(&set, "I", nullptr, [](void* p, LyInterpolation v) { *static_cast<LyInterpolation*>(p) = v; });
    EXPECT_TRUE(interpolation.SetString("kLyInterpolationLinear"));
    EXPECT_EQ(set, kLyInterpolationLinear);
    EXPECT_FALSE(interpolation.SetString("kLyInterpolationlinear"));
    EXPECT_FALSE(interpolation.SetString(nullptr));
    // A gap of an enumeration by value reads "#n"; flags list their texts
    // in declaration order with their values beside.
    EXPECT_STREQ(LyEnumTexts(static_cast<LySceneNotifyType*>(nullptr))[0], "#0");
    EXPECT_EQ(LyEnumValues(static_cast<LySceneNotifyType*>(nullptr)), nullptr);
    const int* values = LyEnumValues(static_cast<LyObjectFlag*>(nullptr));
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(values[2], 0x20);
    EXPECT_EQ(LyEnumTextOf(LyEnumTexts(static_cast<LyObjectFlag*>(nullptr)), values, 0x40), nullptr);
    // The default enumeration has no table: its texts are the host's.
    EXPECT_EQ(LyPropertyDefaultEnum::Strings(), nullptr);
    LyPropertyDefaultEnum unbound;
    EXPECT_EQ(unbound.EnumList(0), nullptr);
}

}  // namespace
