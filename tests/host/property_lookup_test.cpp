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

TEST_F(PropertyLookup, ExactCaseFreeAndTranslatedLookups) {
    Object* cube = Make("Cube");
    Property* first = cube->CreateProperty("Scaling", velora::kDataVector);
    Property* second = cube->CreateProperty("SCALING", velora::kDataVector);
    Property* v = cube->CreateProperty("Visibility", velora::kDataBool);
    ASSERT_TRUE(first && second && v);
    // Exact lookup is case-sensitive; the case-free one takes the first in creation order.
    EXPECT_EQ(cube->FindProperty("SCALING"), second);
    for (const char* miss : {"scaling", "Scal", static_cast<const char*>(nullptr)})
        EXPECT_EQ(cube->FindProperty(miss), nullptr);
    EXPECT_EQ(cube->FindPropertyNoCase("scaling"), first);
    EXPECT_EQ(cube->FindPropertyNoCase("SCALING"), first);
    EXPECT_EQ(cube->FindPropertyNoCase("scal"), nullptr);
    EXPECT_EQ(Make("Empty")->FindProperty("Scaling"), nullptr);
    // Translated names are found only when asked, and never by the exact lookup.
    EXPECT_STREQ(v->TranslatedName(), "Visibility");  // no translation: the name
    v->SetTranslatedName("Sichtbarkeit");
    EXPECT_STREQ(v->TranslatedName(), "Sichtbarkeit");
    EXPECT_EQ(cube->FindPropertyNoCase("sichtbarkeit", false), nullptr);
    EXPECT_EQ(cube->FindPropertyNoCase("sichtbarkeit", true), v);
    EXPECT_EQ(cube->FindPropertyNoCase("visibility", true), v);
    EXPECT_EQ(cube->FindProperty("Sichtbarkeit"), nullptr);
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

TEST_F(PropertyLookup, OnlyUserOrTemporaryPropertiesOfTheObjectAreRemovedButAnyMayEnd) {
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
    builtin->Destroy(0);  // ended directly, it still leaves the table
    EXPECT_EQ(cube->FindProperty("Builtin"), nullptr);
    EXPECT_EQ(cube->PropertyCount(), 0);
    EXPECT_EQ(cube->OwnedCount(), 0);
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
    struct Case {
        const char* pattern;
        const char* text;
        bool match;
    };
    const std::string longText(5000, 'a');
    const Case cases[] = {
        {"*", "", true}, {"", "", true}, {"", "a", false}, {"?", "", false}, {"?", "x", true}, {"??", "x", false},
        {"a*b*c", "aXXbYYc", true}, {"a*b*c", "aXXbYYcd", false}, {"*c", "abcabc", true}, {"a*bc", "abcbcbc", true},
        {"ABC", "abc", true}, {"abc", "abd", false}, {"**a**", "a", true}, {nullptr, "a", false}, {"a", nullptr, false},
        // Bytes above ASCII are compared as they are.
        {"\xc3\xa9*", "\xc3\xa9t\xc3\xa9", true}, {"\xc3\x89", "\xc3\xa9", false},
        // Long adversarial input stays cheap (one backtrack point).
        {"*a*a*a*a*a*a*a*a*b", longText.c_str(), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(velora::WildcardMatch(c.pattern, c.text), c.match)
            << (c.pattern ? c.pattern : "null") << " / " << (c.text ? c.text : "null");
    for (const char* p : {"a*", "?"}) EXPECT_TRUE(velora::HasWildcards(p));
    for (const char* p : {"Lcl Translation", "", static_cast<const char*>(nullptr)})
        EXPECT_FALSE(velora::HasWildcards(p));
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
