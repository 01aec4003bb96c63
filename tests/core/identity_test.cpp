// Type ids, the class-id table, load-time registration and the entry point.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include <lysdk/lysdk.h>
#include <velora/class_registry.h>
#include <velora/object.h>
#include <velora/object_registry.h>

using namespace VELSDK2025;

TEST(TypeIds, AreDistinctPositiveAndFollowTheBaseChain) {
    EXPECT_GE(LyPlug::TypeInfo, 1);
    EXPECT_GE(LyComponent::TypeInfo, 1);
    EXPECT_NE(LyPlug::TypeInfo, LyComponent::TypeInfo);
    EXPECT_GT(LyPlug::mGlobalTypeInfo, LyComponent::TypeInfo);

    LyComponent component;
    EXPECT_STREQ(component.ClassName(), "LyComponent");
    EXPECT_EQ(component.GetTypeId(), LyComponent::TypeInfo);
    EXPECT_TRUE(component.Is(LyComponent::TypeInfo));
    EXPECT_TRUE(component.Is(LyPlug::TypeInfo));
    EXPECT_FALSE(component.Is(0));

    LyPlug plug;
    EXPECT_STREQ(plug.ClassName(), "LyPlug");
    EXPECT_TRUE(plug.Is(LyPlug::TypeInfo));
    EXPECT_FALSE(plug.Is(LyComponent::TypeInfo));
}

TEST(TypeIds, InternalClassIdTableGuardsItsEnds) {
    EXPECT_EQ(__LyGetInternalClassId(0), 0);
    EXPECT_EQ(__LyGetInternalClassId(-1), 0);
    EXPECT_EQ(__LyGetInternalClassId(720), 0);
    EXPECT_EQ(__LyGetInternalClassId(LyPlug::TypeInfo), 0);
    EXPECT_EQ(__LyGetInternalClassId(LyComponent::TypeInfo), velora::kClassObject);
    EXPECT_EQ(LyComponent::GetInternalClassId(), velora::kClassObject);
    EXPECT_EQ(LyPlug::GetInternalClassId(), velora::kClassPlug);
}

TEST(TypeIds, RegistrationRecordsTheHostClassUnderTheNextId) {
    const int before = LyPlug::mGlobalTypeInfo;
    const int id = __LyRegisterTypeInfo(velora::kClassModel);
    EXPECT_EQ(id, before);
    EXPECT_EQ(LyPlug::mGlobalTypeInfo, before + 1);
    EXPECT_EQ(__LyGetInternalClassId(id), velora::kClassModel);
}

TEST(LoadTimeRegistration, EveryLibraryHostClassIsKnownToTheHostUnderItsName) {
    const velora::ClassRegistry& classes = velora::ClassRegistry::Instance();
    const struct {
        const char* name;
        int parent;
    } expected[] = {
        {"LySDKHostObject", velora::kClassObject},
        {"__LyCustomManager", velora::kClassManager},
        {"__LyBox", velora::kClassBox},
        {"__LyDevice", velora::kClassDevice},
        {"__LyModel", velora::kClassModelMesh},
        {"__LyConstraint_HostConstraint", velora::kClassConstraint},
        {"__LyConstraint_HostConstraintSolver", velora::kClassConstraintSolver},
        {"__LyConstraintRelation", velora::kClassConstraintRelation},
        // An extension's solver is a constraint, through the library's host solver.
        {"__LyConstraintSolver", classes.Find("__LyConstraint_HostConstraintSolver")},
        {"__LyShader", velora::kClassShader},
        {"__LyLayeredTexture", velora::kClassLayeredTexture},
        {"__LyRendererCallback", velora::kClassRendererCallback},
        {"__LyManipulator", velora::kClassManipulator},
        {"__LyHUDELement", velora::kClassHUDElement},
        {"__LyCharacterSolver", velora::kClassCharacterSolver},
        {"__LyPhysicalProperties", velora::kClassPhysicalProperties},
        {"__LyApplyManagerRule", velora::kClassApplyManagerRule},
        {"__LyAssetMng", velora::kClassAssetManager},
        {"__LyAssetFile", velora::kClassAssetItem},
        {"__LyAssetFolder", velora::kClassAssetItem},
        {"__LyCommand", velora::kClassCommand},
        {"__LyDeck", velora::kClassVideoDeck},
        {"__LyFilter", velora::kClassDataFilter},
        {"DataLyDeviceOptical", velora::kClassPlug},
        {"__LyDeviceOptical", velora::kClassDeviceOptical},
        {"__LyFCurveEditorUtility", velora::kClassObject},
        {"__LyView", velora::kClassView},
        {"__LyWidgetHolder", velora::kClassWidgetHolder},
        {"__LyTool", velora::kClassToolWindow},
    };
    int previous = 0;
    for (const auto& row : expected) {
        const int id = classes.Find(row.name);
        ASSERT_NE(id, 0) << row.name;
        EXPECT_EQ(classes.Parent(id), row.parent) << row.name;
        EXPECT_GT(id, previous) << row.name << " registered out of order";
        EXPECT_EQ(LyRegister_ClassId(row.name), id);
        previous = id;
    }
    EXPECT_TRUE(classes.IsA(classes.Find("__LyConstraintSolver"), velora::kClassConstraint));
    EXPECT_EQ(LyRegister_ClassId("NoSuchClass"), 0);
    EXPECT_EQ(LyRegister_ClassId(nullptr), 0);
}

TEST(LoadTimeRegistration, EntryPointRegisteredTheUserObjectEntries) {
    velora::ObjectRegistry& registry = velora::ObjectRegistry::Instance();
    const velora::RegistryEntry* apply = registry.Find("Browsing/Apply", "UserObjects");
    const velora::RegistryEntry* filter = registry.Find("Browsing/Filters", "UserObjects");
    ASSERT_NE(apply, nullptr);
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(apply->description, "User Object rule");
    EXPECT_EQ(filter->description, "User Object filter");
    EXPECT_TRUE(apply->multiplicity);
    EXPECT_TRUE(filter->multiplicity);

    // The creators are real: they make host objects of the rule and filter kinds.
    IObject* rule = registry.Create("Browsing/Apply", "UserObjects", nullptr, "MyRule", nullptr);
    ASSERT_NE(rule, nullptr);
    velora::Object* host = velora::AsObject(rule);
    ASSERT_NE(host, nullptr);
    EXPECT_TRUE(host->IsA(velora::kClassUserObjectRule));
    EXPECT_STREQ(host->Name(), "MyRule");
    rule->Destroy(0);

    EXPECT_TRUE(EntryPointlysdk(1));
    EXPECT_TRUE(EntryPointlysdk(0));  // registering again replaces, never duplicates
    EXPECT_EQ(registry.EntryCount("Browsing/Apply"), 1);
}
