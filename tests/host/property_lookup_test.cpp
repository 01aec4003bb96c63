#include <string>
#include <vector>

#include "host/host_objects.h"

using velora::Object;
using velora::Property;

namespace {

class PropertyLookup : public host_test::HostObjects {};

TEST_F(PropertyLookup, CreationKeepsOrderNameTypeAndOwner) {
    Object* cube = Make("Cube");
    Property* a = cube->CreateProperty("Lcl Translation", velora::kDataVector, velora::kCreateAnimatable);
    Property* b = cube->CreateProperty("Visibility", velora::kDataBool);
    Property* c = cube->CreateProperty("Note", velora::kDataString, velora::kCreateUser);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(cube->PropertyCount(), 3);
    EXPECT_EQ(cube->PropertyAt(0), a);
    EXPECT_EQ(cube->PropertyAt(1), b);
    EXPECT_EQ(cube->PropertyAt(2), c);
    EXPECT_EQ(cube->PropertyAt(3), nullptr);
    EXPECT_EQ(cube->PropertyAt(-1), nullptr);
    EXPECT_EQ(cube->PropertyIndex(b), 1);
    EXPECT_STREQ(a->Name(), "Lcl Translation");
    EXPECT_EQ(a->TypeId(), velora::kDataVector);
    EXPECT_TRUE(a->IsAnimatable());
    EXPECT_TRUE(a->Definition().AllowsLocking());
    EXPECT_FALSE(b->IsAnimatable());
    EXPECT_TRUE(c->IsUser());
    EXPECT_EQ(a->OwnerObject(), cube);
    EXPECT_EQ(a->Owner(), cube);
    EXPECT_EQ(a->ClassId(), velora::kClassProperty);
}

TEST_F(PropertyLookup, CreationRefusesDuplicateEmptyAndUnknownType) {
    Object* cube = Make("Cube");
    ASSERT_NE(cube->CreateProperty("Size", velora::kDataNumber), nullptr);
    EXPECT_EQ(cube->CreateProperty("Size", velora::kDataInteger), nullptr);
    EXPECT_EQ(cube->CreateProperty("", velora::kDataNumber), nullptr);
    EXPECT_EQ(cube->CreateProperty(nullptr, velora::kDataNumber), nullptr);
    EXPECT_EQ(cube->CreateProperty("X", velora::kDataNone), nullptr);
    EXPECT_EQ(cube->CreateProperty("X", velora::kDataTypeCount), nullptr);
    EXPECT_EQ(cube->PropertyCount(), 1);
    // Another object may use the same name.
    EXPECT_NE(Make("Other")->CreateProperty("Size", velora::kDataNumber), nullptr);
}

TEST_F(PropertyLookup, ExactLookupIsCaseSensitive) {
    Object* cube = Make("Cube");
    Property* t = cube->CreateProperty("Translation", velora::kDataVector);
    EXPECT_EQ(cube->FindProperty("Translation"), t);
    EXPECT_EQ(cube->FindProperty("translation"), nullptr);
    EXPECT_EQ(cube->FindProperty("Translatio"), nullptr);
    EXPECT_EQ(cube->FindProperty(nullptr), nullptr);
    EXPECT_EQ(Make("Empty")->FindProperty("Translation"), nullptr);
}

TEST_F(PropertyLookup, CaseInsensitiveLookupTakesTheFirstInCreationOrder) {
    Object* cube = Make("Cube");
    Property* first = cube->CreateProperty("Scaling", velora::kDataVector);
    Property* second = cube->CreateProperty("SCALING", velora::kDataVector);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(cube->FindPropertyNoCase("scaling"), first);
    EXPECT_EQ(cube->FindPropertyNoCase("SCALING"), first);
    EXPECT_EQ(cube->FindPropertyNoCase("scal"), nullptr);
    EXPECT_EQ(cube->FindProperty("SCALING"), second);
}

TEST_F(PropertyLookup, TranslatedNamesAreFoundOnlyWhenAsked) {
    Object* cube = Make("Cube");
    Property* v = cube->CreateProperty("Visibility", velora::kDataBool);
    EXPECT_STREQ(v->TranslatedName(), "Visibility");  // no translation: the name
    v->SetTranslatedName("Sichtbarkeit");
    EXPECT_STREQ(v->TranslatedName(), "Sichtbarkeit");
    EXPECT_EQ(cube->FindPropertyNoCase("sichtbarkeit", false), nullptr);
    EXPECT_EQ(cube->FindPropertyNoCase("sichtbarkeit", true), v);
    EXPECT_EQ(cube->FindPropertyNoCase("visibility", true), v);
    EXPECT_EQ(cube->FindProperty("Sichtbarkeit"), nullptr);  // exact lookup: names only
    v->SetTranslatedName(nullptr);
    EXPECT_EQ(cube->FindPropertyNoCase("sichtbarkeit", true), nullptr);
}

TEST_F(PropertyLookup, RenameMovesTheNameInTheIndex) {
    Object* cube = Make("Cube");
    Property* p = cube->CreateProperty("Old", velora::kDataNumber);
    Property* other = cube->CreateProperty("Taken", velora::kDataNumber);
    ASSERT_TRUE(p->SetName("New name that is longer than the small-string buffer"));
    EXPECT_EQ(cube->FindProperty("Old"), nullptr);
    EXPECT_EQ(cube->FindProperty("New name that is longer than the small-string buffer"), p);
    EXPECT_FALSE(p->SetName("Taken"));
    EXPECT_FALSE(p->SetName(""));
    EXPECT_FALSE(p->SetName(nullptr));
    EXPECT_EQ(cube->FindProperty("Taken"), other);
    EXPECT_EQ(cube->FindProperty("New name that is longer than the small-string buffer"), p);
    ASSERT_TRUE(p->SetName("Old"));
    EXPECT_EQ(cube->FindProperty("Old"), p);
    EXPECT_TRUE(p->ModFlags() & velora::kModSelfName);
    // The freed name may be taken by a new property.
    EXPECT_NE(cube->CreateProperty("New name that is longer than the small-string buffer", velora::kDataBool),
              nullptr);
}

TEST_F(PropertyLookup, RemovalTakesThePropertyOutOfEveryLookup) {
    Object* cube = Make("Cube");
    Property* keep1 = cube->CreateProperty("A", velora::kDataNumber);
    Property* gone = cube->CreateProperty("B", velora::kDataNumber, velora::kCreateUser);
    Property* keep2 = cube->CreateProperty("C", velora::kDataNumber);
    velora::PlugHandle handle(gone);
    ASSERT_TRUE(cube->RemoveProperty(gone));
    EXPECT_FALSE(handle.Valid());
    EXPECT_EQ(cube->FindProperty("B"), nullptr);
    EXPECT_EQ(cube->FindPropertyNoCase("b"), nullptr);
    std::vector<Property*> found;
    EXPECT_EQ(cube->MatchProperties("*", false, &found), 2);
    EXPECT_EQ(found, (std::vector<Property*>{keep1, keep2}));
    EXPECT_EQ(cube->PropertyCount(), 2);
    EXPECT_EQ(cube->PropertyAt(1), keep2);
    EXPECT_EQ(cube->FindProperty("C"), keep2);
    // The name is free again.
    EXPECT_NE(cube->CreateProperty("B", velora::kDataNumber), nullptr);
}

TEST_F(PropertyLookup, DirectlyEndedPropertyAlsoLeavesTheTable) {
    Object* cube = Make("Cube");
    Property* p = cube->CreateProperty("Internal", velora::kDataNumber);
    p->Destroy(0);
    EXPECT_EQ(cube->FindProperty("Internal"), nullptr);
    EXPECT_EQ(cube->PropertyCount(), 0);
    EXPECT_EQ(cube->OwnedCount(), 0);
}

TEST_F(PropertyLookup, RemovalIsRefusedForPropertiesNeitherUserNorTemporary) {
    Object* cube = Make("Cube");
    Object* other = Make("Other");
    Property* builtin = cube->CreateProperty("Builtin", velora::kDataNumber, velora::kCreateAnimatable);
    Property* temporary = cube->CreateProperty("Temp", velora::kDataNumber, velora::kCreateTemporary);
    Property* user = other->CreateProperty("User", velora::kDataNumber, velora::kCreateUser);
    EXPECT_FALSE(cube->RemoveProperty(builtin));
    EXPECT_FALSE(cube->RemoveProperty(nullptr));
    EXPECT_FALSE(cube->RemoveProperty(user));  // another object's
    EXPECT_EQ(cube->FindProperty("Builtin"), builtin);
    EXPECT_EQ(other->FindProperty("User"), user);
    EXPECT_TRUE(cube->RemoveProperty(temporary));
    EXPECT_EQ(cube->PropertyCount(), 1);
}

TEST_F(PropertyLookup, WildcardPatternsMatchNamesInCreationOrder) {
    Object* cube = Make("Cube");
    Property* lt = cube->CreateProperty("Lcl Translation", velora::kDataVector);
    Property* lr = cube->CreateProperty("Lcl Rotation", velora::kDataVector);
    Property* ls = cube->CreateProperty("Lcl Scaling", velora::kDataVector);
    Property* vis = cube->CreateProperty("Visibility", velora::kDataBool);
    std::vector<Property*> out;
    EXPECT_EQ(cube->MatchProperties("Lcl *", false, &out), 3);
    EXPECT_EQ(out, (std::vector<Property*>{lt, lr, ls}));
    out.clear();
    EXPECT_EQ(cube->MatchProperties("*ation", false, &out), 2);
    EXPECT_EQ(out, (std::vector<Property*>{lt, lr}));
    out.clear();
    EXPECT_EQ(cube->MatchProperties("lcl ?caling", false, &out), 1);  // any case
    EXPECT_EQ(out, (std::vector<Property*>{ls}));
    out.clear();
    EXPECT_EQ(cube->MatchProperties("*i*i*i*", false, &out), 1);
    EXPECT_EQ(out, (std::vector<Property*>{vis}));
    out.clear();
    vis->SetTranslatedName("Sichtbarkeit");
    EXPECT_EQ(cube->MatchProperties("Sicht*", false, &out), 0);
    EXPECT_EQ(cube->MatchProperties("Sicht*", true, &out), 1);
    EXPECT_EQ(out, (std::vector<Property*>{vis}));
    // Appends: what was in `out` stays.
    EXPECT_EQ(cube->MatchProperties("Visibility", false, &out), 1);
    EXPECT_EQ(out.size(), 2u);
}

TEST(Wildcard, MatchRules) {
    using velora::WildcardMatch;
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_TRUE(WildcardMatch("", ""));
    EXPECT_FALSE(WildcardMatch("", "a"));
    EXPECT_FALSE(WildcardMatch("?", ""));
    EXPECT_TRUE(WildcardMatch("?", "x"));
    EXPECT_FALSE(WildcardMatch("??", "x"));
    EXPECT_TRUE(WildcardMatch("a*b*c", "aXXbYYc"));
    EXPECT_FALSE(WildcardMatch("a*b*c", "aXXbYYcd"));
    EXPECT_TRUE(WildcardMatch("*c", "abcabc"));
    EXPECT_TRUE(WildcardMatch("a*bc", "abcbcbc"));
    EXPECT_TRUE(WildcardMatch("ABC", "abc"));
    EXPECT_FALSE(WildcardMatch("abc", "abd"));
    EXPECT_TRUE(WildcardMatch("**a**", "a"));
    EXPECT_FALSE(WildcardMatch(nullptr, "a"));
    EXPECT_FALSE(WildcardMatch("a", nullptr));
    // Bytes above ASCII are compared as they are.
    EXPECT_TRUE(WildcardMatch("\xc3\xa9*", "\xc3\xa9t\xc3\xa9"));
    EXPECT_FALSE(WildcardMatch("\xc3\x89", "\xc3\xa9"));
    // Long adversarial input stays cheap (one backtrack point).
    const std::string text(5000, 'a');
    EXPECT_FALSE(WildcardMatch("*a*a*a*a*a*a*a*a*b", text.c_str()));
}

TEST(Wildcard, HasWildcards) {
    EXPECT_TRUE(velora::HasWildcards("a*"));
    EXPECT_TRUE(velora::HasWildcards("?"));
    EXPECT_FALSE(velora::HasWildcards("Lcl Translation"));
    EXPECT_FALSE(velora::HasWildcards(""));
    EXPECT_FALSE(velora::HasWildcards(nullptr));
}

TEST_F(PropertyLookup, ExactLookupStaysRightWithManyProperties) {
    Object* big = Make("Big");
    std::vector<Property*> made;
    for (int i = 0; i < 1000; ++i)
        made.push_back(big->CreateProperty(("Prop " + std::to_string(i)).c_str(), velora::kDataNumber,
                                           velora::kCreateUser));
    for (int i = 0; i < 1000; i += 2) ASSERT_TRUE(big->RemoveProperty(made[static_cast<std::size_t>(i)]));
    for (int i = 1; i < 1000; i += 2) {
        const std::string name = "Prop " + std::to_string(i);
        ASSERT_EQ(big->FindProperty(name.c_str()), made[static_cast<std::size_t>(i)]) << name;
        ASSERT_EQ(big->FindProperty(("Prop " + std::to_string(i - 1)).c_str()), nullptr);
    }
    EXPECT_EQ(big->PropertyCount(), 500);
    EXPECT_EQ(big->PropertyAt(0), made[1]);
    EXPECT_EQ(big->PropertyAt(499), made[999]);
}

}  // namespace
