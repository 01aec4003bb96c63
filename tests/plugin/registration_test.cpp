// Registration of extension classes and the registry queries.

#include <gtest/gtest.h>

#include <string>

#include <lysdk/lysdk.h>
#include <velora/object_registry.h>

using namespace VELSDK2025;

namespace {

IObject* CreateA(IObject*, const char*, void*) { return nullptr; }
IObject* CreateB(IObject*, const char*, void*) { return nullptr; }

const velora::RegistryEntry* Entry(const char* group, const char* name) {
    return velora::ObjectRegistry::Instance().Find(group, name);
}

int GroupIndex(const char* name) {
    for (int g = 0; g < LyObject_GetGroupCount(); ++g)
        if (std::string(LyObject_GetGroupName(g)) == name) return g;
    return -1;
}

}  // namespace

TEST(Registration, ToolsGetAMenuEntryAndTheirOwnGroup) {
    ASSERT_TRUE(LyObject_Register("UI/Tools", "Painter", "Paints", &CreateA, false, "paint.png"));
    const velora::RegistryEntry* menu = Entry("Velora/MenuItems", "Tools");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->description, "Velora Tools");
    EXPECT_EQ(menu->creator, nullptr);
    const velora::RegistryEntry* item = Entry("Velora/MenuItems/Tools", "Painter");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->creator, &CreateA);
    EXPECT_STREQ(item->icon, "");  // the menu item carries no icon
    const velora::RegistryEntry* listed = Entry("Velora/LYSDK/UI/Tools", "Painter");
    ASSERT_NE(listed, nullptr);
    EXPECT_STREQ(listed->icon, "paint.png");
    const velora::RegistryEntry* own = Entry("UI/Tools", "Painter");
    ASSERT_NE(own, nullptr);
    EXPECT_STREQ(own->icon, "paint.png");
    EXPECT_FALSE(own->multiplicity);
}

TEST(Registration, WindowToolsAreRegisteredAsTools) {
    ASSERT_TRUE(LyObject_Register("UI/WindowTools", "Mixer", "Mixes", &CreateB, false, nullptr));
    const velora::RegistryEntry* show = Entry("Menus/Window/ShowTool", "Mixer");
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->creator, nullptr);
    EXPECT_TRUE(show->multiplicity);
    // Listed under the name the caller gave, but the class lands in UI/Tools.
    EXPECT_NE(Entry("Velora/LYSDK/UI/WindowTools", "Mixer"), nullptr);
    EXPECT_NE(Entry("UI/Tools", "Mixer"), nullptr);
    EXPECT_EQ(Entry("UI/WindowTools", "Mixer"), nullptr);
    // No Tools menu item is made on this road.
    EXPECT_EQ(Entry("Velora/MenuItems/Tools", "Mixer"), nullptr);
}

TEST(Registration, ManipulatorsGetTheirMenu) {
    ASSERT_TRUE(LyObject_Register("Manipulators", "Twist", "Twists", &CreateA, true, nullptr));
    EXPECT_NE(Entry("Velora/MenuItems", "Manipulators"), nullptr);
    EXPECT_EQ(Entry("Velora/MenuItems/Manipulators", "Twist")->creator, &CreateA);
    EXPECT_NE(Entry("Manipulators", "Twist"), nullptr);
}

TEST(Registration, LongerGroupsAndNullGroupsGetNoAliases) {
    ASSERT_TRUE(LyObject_Register("UI/Tools/Extra", "Ruler", "Measures", &CreateA, false, nullptr));
    EXPECT_EQ(Entry("Velora/MenuItems/Tools", "Ruler"), nullptr);
    EXPECT_NE(Entry("Velora/LYSDK/UI/Tools/Extra", "Ruler"), nullptr);
    EXPECT_NE(Entry("UI/Tools/Extra", "Ruler"), nullptr);

    ASSERT_TRUE(LyObject_Register(nullptr, "Orphan", "No group", &CreateA, false, nullptr));
    EXPECT_NE(Entry("Velora/LYSDK/", "Orphan"), nullptr);
    EXPECT_NE(Entry("", "Orphan"), nullptr);
}

TEST(Registration, TheResultIsTheLastRegistrations) {
    // An entry without a name is refused by the host: the final step fails
    // although nothing was wrong with the group.
    EXPECT_FALSE(LyObject_Register("UI/WindowTools", nullptr, "x", &CreateA, false, nullptr));
    EXPECT_FALSE(LyObject_Register("Samples", "", "x", &CreateA, false, nullptr));
}

TEST(Registration, QueriesByIndexAndUnregister) {
    ASSERT_TRUE(LyObject_Register("Tests/Query", "One", "First", &CreateA, true, "one.png"));
    ASSERT_TRUE(LyObject_Register("Tests/Query", "Two", "Second", &CreateB, false, nullptr));
    const int g = GroupIndex("Tests/Query");
    ASSERT_GE(g, 0);
    ASSERT_EQ(LyObject_GetEntryCount(g), 2);
    EXPECT_STREQ(LyObject_GetEntryName(g, 1), "Two");
    EXPECT_STREQ(LyObject_GetEntryDescription(g, 0), "First");
    EXPECT_STREQ(LyObject_GetIconName(g, 0), "one.png");
    EXPECT_TRUE(LyObject_GetMultiplicity(g, 0));
    EXPECT_FALSE(LyObject_GetMultiplicity(g, 1));
    EXPECT_STREQ(LyObject_GetEntryDLLName(g, 0), "");  // registered outside any plug-in load
    EXPECT_EQ(LyObject_GetEntryName(g, 2), nullptr);
    EXPECT_EQ(LyObject_GetEntryName(-1, 0), nullptr);
    EXPECT_EQ(LyObject_GetGroupName(LyObject_GetGroupCount()), nullptr);
    EXPECT_EQ(LyObject_GetEntryCount(-3), 0);

    EXPECT_TRUE(LyObject_Unregister("Tests/Query", "One"));
    EXPECT_FALSE(LyObject_Unregister("Tests/Query", "One"));
    EXPECT_EQ(LyObject_GetEntryCount(g), 1);
}

TEST(Registration, StorableCustomFlagsOnlyRise) {
    LySetStoreableCustomMaterialRegistered();
    EXPECT_TRUE(LyGetStoreableCustomMaterialRegistered());
    LySetStoreableCustomMaterialRegistered();
    EXPECT_TRUE(LyGetStoreableCustomMaterialRegistered());
    LySetStoreableCustomTextureRegistered();
    EXPECT_TRUE(LyGetStoreableCustomTextureRegistered());
}

// Many entries, some replaced and some unloaded with their library: the
// others keep their order and are still found by name.
TEST(Registration, LargeGroupsStayFoundThroughReplacementsAndUnloads) {
    velora::ObjectRegistry& registry = velora::ObjectRegistry::Instance();
    const int count = 3000;
    for (int i = 0; i < count; ++i) {
        registry.SetLoadingLibrary(i % 3 == 0 ? "/plugins/thirds.so" : "/plugins/rest.so");
        const std::string name = "Item" + std::to_string(i);
        ASSERT_TRUE(registry.Register("Tests/Large", name.c_str(), "", &CreateA, true));
    }
    registry.SetLoadingLibrary(nullptr);
    // Registered again (another creator, another library): replaced in place.
    ASSERT_TRUE(registry.Register("Tests/Large", "Item7", "again", &CreateB, true, nullptr, "/plugins/late.so"));
    EXPECT_EQ(registry.EntryCount("Tests/Large"), count);
    EXPECT_EQ(Entry("Tests/Large", "Item7")->creator, &CreateB);
    EXPECT_STREQ(Entry("Tests/Large", "Item7")->library, "/plugins/late.so");

    EXPECT_EQ(registry.UnregisterLibrary("/plugins/thirds.so"), count / 3);
    EXPECT_EQ(registry.EntryCount("Tests/Large"), count - count / 3);
    for (int i : {0, 1, 2, 3, 1499, 1500, 2998, 2999}) {
        const std::string name = "Item" + std::to_string(i);
        EXPECT_EQ(Entry("Tests/Large", name.c_str()) != nullptr, i % 3 != 0) << name;
    }
    EXPECT_STREQ(registry.EntryAt("Tests/Large", 0)->name.c_str(), "Item1");
    EXPECT_STREQ(registry.EntryAt("Tests/Large", 2)->name.c_str(), "Item4");
    EXPECT_TRUE(registry.Unregister("Tests/Large", "Item1"));
    EXPECT_EQ(Entry("Tests/Large", "Item1"), nullptr);
    EXPECT_NE(Entry("Tests/Large", "Item2"), nullptr);
    registry.UnregisterLibrary("/plugins/rest.so");
    registry.UnregisterLibrary("/plugins/late.so");
    EXPECT_EQ(registry.EntryCount("Tests/Large"), 0);
    EXPECT_EQ(Entry("Tests/Large", "Item2"), nullptr);
}
