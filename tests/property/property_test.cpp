// LyProperty over bound and unbound values.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/object.h>
#include <velora/property.h>
#include <velora/string_list.h>

#include "common/host_scene.h"

using namespace VELSDK2025;

TEST(PropertyTypes, NamesExistOnlyForTheNamedTypes) {
    EXPECT_EQ(LyGetPropertyTypeName(kLyPropertyTypeInt64), nullptr);
    EXPECT_EQ(LyGetPropertyTypeName(kLyPropertyTypeUInt64), nullptr);
    EXPECT_EQ(LyGetPropertyTypeName(kLyPropertyTypeTimeSpan), nullptr);
    EXPECT_EQ(LyGetPropertyTypeName(kLyPropertyTypeReferenceValue), nullptr);
    EXPECT_EQ(LyGetPropertyTypeName(kLyPropertyTypeUnknown), nullptr);
    EXPECT_EQ(LyGetPropertyTypeName(static_cast<LyPropertyType>(23)), nullptr);
    EXPECT_STREQ(LyGetPropertyTypeName(kLyPropertyTypeVector2d), "Vector2d");
    EXPECT_STREQ(LyGetPropertyTypeName(kLyPropertyTypeColorRGBA), "ColorRGBA");
    LyPropertyTime time;
    EXPECT_STREQ(time.GetPropertyTypeName(), "time");
}

namespace {

int gStored = 0;
int GetStored(void*) { return gStored; }
void SetStored(void*, int v) { gStored = v; }
int GetSeven(void*) { return 7; }

bool gFlag = false;
bool GetFlag(void*) { return gFlag; }
void SetFlag(void*, bool v) { gFlag = v; }


class BoundProperties : public lysdk_test::HostScene {
protected:
    LyProperty* Wrapped(velora::Object* host, const char* name) {
        return LyGetLyComponent(host, true)->PropertyList.Find(name);
    }
};

}  // namespace

TEST(UnboundProperties, WithoutFunctionsReadZeroAndIgnoreWrites) {
    LyPropertyInt value;
    EXPECT_TRUE(value.IsReadOnly());
    EXPECT_EQ(static_cast<int>(value), 0);
    value = 5;
    EXPECT_EQ(static_cast<int>(value), 0);
    EXPECT_EQ(value.GetPropertyValue(), 0);
    EXPECT_STREQ(value.AsString(), "0");
    EXPECT_FALSE(value.IsInternal());
    EXPECT_EQ(value.GetPropertyFlags(), 0u);
    EXPECT_EQ(value.GetMin(), 0.0);
    EXPECT_EQ(value.GetEnumStringList(true), nullptr);

    LyPropertyVector3d vector;
    const LyVector3<double> read = vector;
    EXPECT_EQ(read[0], 0.0);
    EXPECT_EQ(read[2], 0.0);
}

TEST(UnboundProperties, FunctionsServeTheValueAndBoolTextIsTrueOrFalse) {
    LyPropertyInt seven;
    seven.Init(nullptr, "Seven", &GetSeven);
    EXPECT_EQ(static_cast<int>(seven), 7);
    EXPECT_TRUE(seven.IsReadOnly());
    EXPECT_STREQ(seven.GetName(), "Seven");

    LyPropertyInt stored;
    stored.Init(nullptr, "Stored", &GetStored, &SetStored);
    EXPECT_FALSE(stored.IsReadOnly());
    stored = 12;
    EXPECT_EQ(gStored, 12);
    EXPECT_TRUE(stored.SetString("-40"));
    EXPECT_EQ(gStored, -40);
    EXPECT_EQ(stored.AsInt(), -40);

    // A copy is unbound and has no functions.
    LyPropertyInt copy(stored);
    EXPECT_EQ(static_cast<int>(copy), 0);
    EXPECT_EQ(gStored, -40);

    // Bool text is true or false in any case.
    LyPropertyBool flag;
    flag.Init(nullptr, "Flag", &GetFlag, &SetFlag);
    EXPECT_TRUE(flag.SetString("TRUE"));
    EXPECT_TRUE(gFlag);
    EXPECT_STREQ(flag.AsString(), "true");
    EXPECT_TRUE(flag.SetString("nope"));
    EXPECT_FALSE(gFlag);
    EXPECT_STREQ(flag.AsString(), "false");
}

TEST_F(BoundProperties, EnumTextsComeFromTheHost) {
    velora::Object* host = Make("Light");
    velora::Property* kind = host->CreateProperty("Kind", velora::kDataEnum);
    for (const char* text : {"Point", "Spot", "Area"}) kind->Definition().EnumList(true)->Add(text, 0);
    LyProperty* wrapper = Wrapped(host, "Kind");
    ASSERT_NE(wrapper, nullptr);
    EXPECT_STREQ(wrapper->EnumList(1), "Spot");
    EXPECT_TRUE(wrapper->SetString("Area"));
    EXPECT_EQ(wrapper->AsInt(), 2);
    EXPECT_STREQ(wrapper->AsString(), "Area");
    EXPECT_FALSE(wrapper->SetString("Sun"));
    EXPECT_EQ(wrapper->AsInt(), 2);
    LyStringList* list = wrapper->GetEnumStringList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetCount(), 3);
    EXPECT_STREQ(list->GetAt(0), "Point");
}

TEST_F(BoundProperties, LocksFollowTheMemberCountAndClampsAndReadOnlyTheHost) {
    velora::Object* host = Make("Cube");
    host->CreateProperty("Translation", velora::kDataVector, velora::kCreateAnimatable);
    LyProperty* p = Wrapped(host, "Translation");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->GetSubMemberCount(), 3);
    EXPECT_TRUE(p->AllowsLocking());
    p->SetMemberLocked(4, true);  // no such member
    p->SetMemberLocked(-1, true);
    EXPECT_FALSE(p->HasSomethingLocked());
    p->SetLocked(true);
    EXPECT_TRUE(p->IsMemberLocked(2));
    EXPECT_FALSE(p->IsMemberLocked(3));  // no fourth member to ask about
    EXPECT_TRUE(p->IsLocked());
    // Locked is all four bits, whatever the member count.
    p->ModifyPropertyFlag(kLyPropertyFlagLockMember3, false);
    EXPECT_TRUE(p->IsMemberLocked(0));
    EXPECT_TRUE(p->HasSomethingLocked());
    EXPECT_FALSE(p->IsLocked());
    p->SetLocked(false);
    EXPECT_FALSE(p->IsMemberLocked(0));

    p->SetEnable(false);
    EXPECT_TRUE(p->GetPropertyFlag(kLyPropertyFlagDisabled));
    p->SetEnable(true);
    EXPECT_FALSE(p->GetPropertyFlag(kLyPropertyFlagDisabled));

    host->CreateProperty("Name2", velora::kDataString);  // not animatable: no locking
    LyProperty* text = Wrapped(host, "Name2");
    text->SetLocked(true);
    EXPECT_FALSE(text->HasSomethingLocked());

    host->CreateProperty("Size", velora::kDataNumber);
    LyProperty* size = Wrapped(host, "Size");
    size->SetMinMax(0.0, 10.0);
    EXPECT_TRUE(size->IsMinClamp());
    EXPECT_EQ(size->GetMax(), 10.0);
    EXPECT_TRUE(size->SetString("50"));
    EXPECT_STREQ(size->AsString(), "10");  // clamped by the host
    size->ModifyPropertyFlag(kLyPropertyFlagReadOnly, true);
    EXPECT_TRUE(size->IsReadOnly());
    EXPECT_FALSE(size->SetString("5"));
    EXPECT_STREQ(size->AsString(), "10");
}

TEST_F(BoundProperties, OnlyAHostPropertyBinds) {
    // An object, a bare plug or null leave the wrapper unbound and neutral.
    velora::Object* host = Make("Cube");
    velora::Plug* plug = velora::Plug::Create();
    for (IObject* notAProperty : {static_cast<IObject*>(host), static_cast<IObject*>(plug),
                                  static_cast<IObject*>(nullptr)}) {
        LyPropertyDouble p;
        p.SetInternal(notAProperty);
        EXPECT_FALSE(p.IsInternal());
        EXPECT_EQ(static_cast<double>(p), 0.0);
        p = 3.0;
        EXPECT_EQ(p.AsString(), std::string("0.000000"));
    }
    plug->Destroy(0);
}

namespace {

int gProduced = 0;
void Produce(IObject*) { ++gProduced; }

class Owner : public LyComponent {
public:
    LyPropertyInt Count;
    LyPropertyBaseEnum<LyConnectionType> Kind;
    LyPropertyStringList Items;
    Owner() {
        Count.CreateInternal(this, "Count", &Produce, nullptr);
        Kind.CreateInternal(this, "Kind", nullptr, nullptr);
        Items.Init(this, "Items");
    }
};

}  // namespace

TEST(CreatedProperties, CreateInternalMakesAndBindsTheHostProperty) {
    Owner owner;
    velora::Object* host = velora::AsObject(owner.GetHIObject());
    velora::Property* count = host->FindProperty("Count");
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(owner.Count.GetInternal(), static_cast<IObject*>(count));
    EXPECT_EQ(owner.Count.GetParent(), &owner);
    EXPECT_TRUE(count->Definition().IsExternallyHandled());
    const int before = gProduced;
    owner.Count = 9;
    EXPECT_EQ(static_cast<int>(owner.Count), 9);
    EXPECT_GT(gProduced, before);  // the host asked the handler for the value

    // The enumeration's own texts went into the host list.
    velora::Property* kind = host->FindProperty("Kind");
    ASSERT_NE(kind, nullptr);
    EXPECT_STREQ(kind->Definition().EnumText(1), "kLyConnectionTypeSystem");
    EXPECT_TRUE(owner.Kind.SetString("kLyConnectionTypeSystem"));
    EXPECT_EQ(owner.Kind.AsInt(), 1);

    EXPECT_TRUE(owner.Items.SetString("red~green~blue"));
    EXPECT_EQ(owner.Items.GetCount(), 3);
    EXPECT_STREQ(owner.Items.GetAt(1), "green");
    EXPECT_STREQ(owner.Items.AsString(), "red~green~blue");
    EXPECT_EQ(owner.Items.IndexOf("blue"), 2);
    owner.Items.Add("cyan", 42);
    EXPECT_EQ(owner.Items.Find(LyStringList::Reference(42)), 3);
    EXPECT_TRUE(owner.Items.IsList());
}

TEST_F(BoundProperties, AcceptTemporaryPropertyKeepsItAndTextureConnectableIsForColoursAndNumbers) {
    velora::Object* host = Make("Cube");
    host->CreateProperty("Mode", velora::kDataEnum, velora::kCreateTemporary);
    LyProperty* mode = Wrapped(host, "Mode");
    const char* const texts[] = {"Off", "On", nullptr};
    EXPECT_TRUE(mode->IsTemporaryProperty());
    EXPECT_TRUE(mode->AcceptTemporaryProperty(texts, nullptr, nullptr));
    EXPECT_FALSE(mode->IsTemporaryProperty());
    EXPECT_STREQ(mode->EnumList(1), "On");
    EXPECT_FALSE(mode->AcceptTemporaryProperty(texts, nullptr, nullptr));  // no longer temporary
    LyPropertyInt unbound;
    EXPECT_FALSE(unbound.AcceptTemporaryProperty(nullptr, nullptr, nullptr));

    LyComponent owner;
    LyPropertyColor colour;
    colour.CreateTextureConnectable(&owner, "Diffuse");
    ASSERT_TRUE(colour.IsInternal());
    EXPECT_TRUE(colour.IsTextureConnectableProperty());
    EXPECT_TRUE(colour.GetPropertyFlag(kLyPropertyFlagTextureConnected));
    LyPropertyString text;
    text.CreateTextureConnectable(&owner, "Label");
    EXPECT_FALSE(text.IsInternal());
}

TEST_F(BoundProperties, AReferenceReadsAndWritesTheReferencedHostProperty) {
    velora::Object* a = Make("RefA");
    velora::Object* b = Make("RefB");
    a->CreateProperty("Weight", velora::kDataNumber);
    a->CreateProperty("Height", velora::kDataNumber);
    LyProperty* weight = Wrapped(a, "Weight");
    LyProperty* height = Wrapped(a, "Height");
    LyComponent* cb = LyGetLyComponent(b, true);
    LyProperty* ref = cb->PropertyCreate("Link", kLyPropertyTypeReference, nullptr, false, true, weight);
    ASSERT_NE(ref, nullptr);
    EXPECT_TRUE(ref->IsReferenceProperty());
    EXPECT_EQ(ref->GetReferencedProperty(), weight);
    LyProperty* read = nullptr;
    ref->GetData(&read, sizeof read);
    EXPECT_EQ(read, weight);
    EXPECT_EQ(cb->PropertyCreate("Bad", kLyPropertyTypeReference, nullptr, false, true, nullptr), nullptr);
    EXPECT_TRUE(cb->PropertyAddReferenceProperty(weight));
    EXPECT_NE(b->FindProperty("Weight"), nullptr);
    // The value written is the wrapper, as GetData gives it.
    ref->SetData(&height);
    EXPECT_EQ(b->FindProperty("Link")->Links().Referenced(), a->FindProperty("Height"));
    EXPECT_EQ(ref->GetReferencedProperty(), height);
    // An unbound wrapper is nothing the host knows: refused, value kept.
    LyPropertyDouble unbound;
    LyProperty* stray = &unbound;
    ref->SetData(&stray);
    EXPECT_EQ(b->FindProperty("Link")->Links().Referenced(), a->FindProperty("Height"));
    LyProperty* none = nullptr;
    ref->SetData(&none);
    EXPECT_EQ(b->FindProperty("Link")->Links().Referenced(), nullptr);
    // The host itself takes nothing but a host property as a reference.
    velora::IObject* notAProperty = a;
    EXPECT_FALSE(b->FindProperty("Link")->SetRaw(&notAProperty));
    ref->SetData(&weight);
    a->Destroy(0);  // the referenced object ending empties the reference
    EXPECT_EQ(ref->GetReferencedProperty(), nullptr);
}
