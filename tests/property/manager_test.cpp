// The property manager: finding, wrapping and forgetting host properties.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/data_type.h>
#include <velora/object.h>
#include <velora/property.h>

using namespace VELSDK2025;

namespace {

// A host object with a few properties, wrapped by a component.
class ManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = velora::Object::Create("Cube");
        translation = host->CreateProperty("Translation", velora::kDataVector, velora::kCreateAnimatable);
        visibility = host->CreateProperty("Visibility", velora::kDataBool);
        user = host->CreateProperty("Notes", velora::kDataString, velora::kCreateUser);
        translation->SetTranslatedName("Verschiebung");
        component = LyGetLyComponent(host, true);
        ASSERT_NE(component, nullptr);
    }
    void TearDown() override {
        if (host) host->Destroy(0);
    }

    velora::Object* host = nullptr;
    velora::Property* translation = nullptr;
    velora::Property* visibility = nullptr;
    velora::Property* user = nullptr;
    LyComponent* component = nullptr;
};

}  // namespace

TEST_F(ManagerTest, FindReturnsOneWrapperPerHostProperty) {
    LyPropertyManager& list = component->PropertyList;
    LyProperty* first = list.Find("Translation");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(list.Find("Translation"), first);
    EXPECT_EQ(first->GetInternal(), static_cast<IObject*>(translation));
    EXPECT_STREQ(first->GetName(), "Translation");
    EXPECT_EQ(first->GetPropertyType(), kLyPropertyTypeVector3d);
    EXPECT_EQ(list.FindInCache(translation), first);
    // The same wrapper through the wrapper registry and through the index.
    EXPECT_EQ(LyGetLyObject(translation, true), static_cast<IObject*>(static_cast<ICallback*>(first)));
    EXPECT_EQ(list[list.GetCount() - 3], first);
}

TEST_F(ManagerTest, FindFallsBackToCaseAndTranslatedNames) {
    LyPropertyManager& list = component->PropertyList;
    EXPECT_EQ(host->FindProperty("translation"), nullptr);  // the host's own lookup misses
    LyProperty* lower = list.Find("translation");
    ASSERT_NE(lower, nullptr);
    EXPECT_EQ(lower->GetInternal(), static_cast<IObject*>(translation));
    EXPECT_EQ(list.Find("verschiebung", true), lower);
    EXPECT_EQ(list.Find("verschiebung", false), nullptr);
    EXPECT_EQ(list.Find("Missing"), nullptr);
    EXPECT_EQ(list.Find(nullptr), nullptr);
}

TEST_F(ManagerTest, PatternsNeedWildcards) {
    LyPropertyManager& list = component->PropertyList;
    LyArrayTemplate<LyProperty*> out;
    out.Add(nullptr);
    list.FindPropertiesByName("Translation", out);  // no wildcard: emptied, nothing added
    EXPECT_EQ(out.GetCount(), 0);
    list.FindPropertiesByName("*i*", out);
    ASSERT_EQ(out.GetCount(), 2);  // Translation, Visibility (creation order)
    EXPECT_STREQ(out[0]->GetName(), "Translation");
    EXPECT_STREQ(out[1]->GetName(), "Visibility");
    out.Add(nullptr);
    list.FindPropertiesByName("", out);  // untouched
    EXPECT_EQ(out.GetCount(), 3);
}

TEST_F(ManagerTest, RemovedHostPropertiesAreForgotten) {
    LyPropertyManager& list = component->PropertyList;
    LyProperty* notes = list.Find("Notes");
    ASSERT_NE(notes, nullptr);
    component->PropertyRemove(notes);  // a user property: the host destroys it
    EXPECT_EQ(host->FindProperty("Notes"), nullptr);
    EXPECT_EQ(list.Find("Notes"), nullptr);

    // Only user or temporary properties may go; the wrapper stays usable.
    LyProperty* visible = list.Find("Visibility");
    component->PropertyRemove(visible);
    EXPECT_NE(host->FindProperty("Visibility"), nullptr);

    // RemoveFromCache deletes an on-demand wrapper: the next Find makes a new one.
    list.RemoveFromCache(visibility);
    LyProperty* again = list.Find("Visibility");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->GetInternal(), static_cast<IObject*>(visibility));
}

TEST_F(ManagerTest, WrappersStayFoundAsOthersAreRemoved) {
    // Enough properties that their wrappers share neighbourhoods in the
    // manager's index; removing every third must leave the others' wrappers
    // found (the same objects), not made again.
    LyPropertyManager& list = component->PropertyList;
    std::vector<velora::Property*> hosts;
    std::vector<LyProperty*> wrappers;
    for (int i = 0; i < 300; ++i) {
        const std::string name = "P" + std::to_string(i);
        hosts.push_back(host->CreateProperty(name.c_str(), velora::kDataNumber, velora::kCreateUser));
        wrappers.push_back(list.Find(name.c_str()));
    }
    for (int i = 0; i < 300; i += 3) ASSERT_TRUE(host->RemoveProperty(hosts[i]));
    for (int i = 0; i < 300; ++i) {
        const std::string name = "P" + std::to_string(i);
        if (i % 3 == 0) {
            EXPECT_EQ(list.Find(name.c_str()), nullptr) << name;
        } else {
            EXPECT_EQ(list.FindInCache(hosts[i]), wrappers[i]) << name;
            EXPECT_EQ(list.Find(name.c_str()), wrappers[i]) << name;
        }
    }
}

TEST_F(ManagerTest, AfterADetachTheWrappersAreMadeAgain) {
    // Detaching deletes the wrappers the manager made; bound again, the
    // manager makes new ones and finds those.
    LyPropertyManager& list = component->PropertyList;
    ASSERT_NE(list.Find("Translation"), nullptr);
    for (int round = 0; round < 2; ++round) {
        component->SetHIObject(nullptr, false);
        EXPECT_EQ(list.Find("Translation"), nullptr);
        component->SetHIObject(host, false);
        LyProperty* again = list.Find("Translation");
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(list.FindInCache(translation), again);
        EXPECT_EQ(again->GetInternal(), static_cast<IObject*>(translation));
    }
}

TEST_F(ManagerTest, AHostPropertyRemovedByTheHostDropsItsWrapper) {
    velora::Property* temp = host->CreateProperty("Temp", velora::kDataNumber, velora::kCreateTemporary);
    LyProperty* wrapper = component->PropertyList.Find("Temp");
    ASSERT_NE(wrapper, nullptr);
    ASSERT_TRUE(host->RemoveProperty(temp));  // event 10 reaches the component
    EXPECT_EQ(component->PropertyList.FindInCache(temp), nullptr);
}

TEST_F(ManagerTest, DeclaredWrappersAreListedWhenTheirTypeFits) {
    LyPropertyDouble asDouble;  // number base, not a vector
    asDouble.SetInternal(translation);
    component->PropertyList.Add(&asDouble);
    EXPECT_NE(component->PropertyList.FindInCache(translation), &asDouble);

    // A declared wrapper wins over the one made on demand, by name too.
    ASSERT_NE(component->PropertyList.Find("Translation"), nullptr);
    LyPropertyVector3d asVector;
    asVector.SetInternal(translation);
    component->PropertyList.Add(&asVector);
    EXPECT_EQ(component->PropertyList.FindInCache(translation), &asVector);
    EXPECT_EQ(component->PropertyList.Find("Translation"), &asVector);

    // When the host property goes, the declared wrapper leaves the list and
    // lets go of it, but is not deleted (it is a local here).
    velora::Property* temp = host->CreateProperty("Temp", velora::kDataVector, velora::kCreateTemporary);
    LyPropertyVector3d declared;
    declared.SetInternal(temp);
    component->PropertyList.Add(&declared);
    ASSERT_EQ(component->PropertyList.FindInCache(temp), &declared);
    host->RemoveProperty(temp);
    EXPECT_FALSE(declared.IsInternal());
    component->PropertyList.Remove(&asVector);
    EXPECT_EQ(component->PropertyList.FindInCache(translation), nullptr);
    LyProperty* made = component->PropertyList.Find("Translation");
    ASSERT_NE(made, nullptr);
    EXPECT_NE(made, &asVector);
    EXPECT_EQ(component->PropertyList.FindInCache(translation), made);
}

TEST_F(ManagerTest, WrappersAreTypedAfterTheirHostDataType) {
    struct Row {
        int hostType;
        LyPropertyType expected;
    } rows[] = {
        {velora::kDataInteger, kLyPropertyTypeInt},     {velora::kDataInt64, kLyPropertyTypeInt64},
        {velora::kDataUInt64, kLyPropertyTypeUInt64},   {velora::kDataBool, kLyPropertyTypeBool},
        {velora::kDataFloat, kLyPropertyTypeFloat},     {velora::kDataNumber, kLyPropertyTypeDouble},
        {velora::kDataString, kLyPropertyTypeCharPtr},  {velora::kDataEnum, kLyPropertyTypeEnum},
        {velora::kDataTime, kLyPropertyTypeTime},       {velora::kDataTimecode, kLyPropertyTypeTimeCode},
        {velora::kDataObject, kLyPropertyTypeObject},   {velora::kDataStringList, kLyPropertyTypeStringList},
        {velora::kDataVector4, kLyPropertyTypeVector4d}, {velora::kDataVector, kLyPropertyTypeVector3d},
        {velora::kDataColor, kLyPropertyTypeColorRGB},  {velora::kDataColorAndAlpha, kLyPropertyTypeColorRGBA},
        {velora::kDataAction, kLyPropertyTypeAction},   {velora::kDataVector2, kLyPropertyTypeVector2d},
        {velora::kDataReference, kLyPropertyTypeReference},
    };
    for (const Row& row : rows) {
        const std::string name = std::string("P") + std::to_string(row.hostType);
        host->CreateProperty(name.c_str(), row.hostType);
        LyProperty* wrapper = component->PropertyList.Find(name.c_str());
        ASSERT_NE(wrapper, nullptr) << name;
        EXPECT_EQ(wrapper->GetPropertyType(), row.expected) << name;
    }
}

TEST_F(ManagerTest, TypedWrappersReadAndWriteTheHostValue) {
    host->CreateProperty("Weight", velora::kDataNumber)->Parse("2.5");
    auto* weight = static_cast<LyPropertyDouble*>(component->PropertyList.Find("Weight"));
    EXPECT_EQ(static_cast<double>(*weight), 2.5);
    *weight = 4.25;
    double raw = 0;
    host->FindProperty("Weight")->GetRaw(&raw);
    EXPECT_EQ(raw, 4.25);
    EXPECT_STREQ(weight->AsString(), "4.25");
    EXPECT_TRUE(weight->SetString("-1.5"));
    EXPECT_EQ(static_cast<double>(*weight), -1.5);
    EXPECT_FALSE(weight->SetString("abc"));
    EXPECT_EQ(static_cast<double>(*weight), -1.5);
    EXPECT_EQ(weight->AsInt(), -1);
}

TEST_F(ManagerTest, AnUnboundManagerAnswersNothing) {
    LyPropertyManager alone;
    EXPECT_EQ(alone.GetCount(), 0);
    EXPECT_EQ(alone.Find("Translation"), nullptr);
    EXPECT_EQ(alone[0], nullptr);
    LyArrayTemplate<LyProperty*> out;
    out.Add(nullptr);
    alone.FindPropertiesByName("*", out);
    EXPECT_EQ(out.GetCount(), 1);
}
