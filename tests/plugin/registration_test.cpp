// Registration of extension classes and the registry queries.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

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

TEST(Registration, EachGroupGetsItsAliasesAndMenuEntries) {
    struct Case {
        const char* group;
        const char* name;
        std::vector<std::pair<const char*, bool>> entries;  // group, present
    };
    const Case cases[] = {
        // Tools get a menu entry and their own group.
        {"UI/Tools", "Painter",
         {{"Velora/MenuItems/Tools", true}, {"Velora/LYSDK/UI/Tools", true}, {"UI/Tools", true}}},
        // Window tools are listed under the name given but land in UI/Tools, with no Tools menu item.
        {"UI/WindowTools", "Mixer",
         {{"Menus/Window/ShowTool", true}, {"Velora/LYSDK/UI/WindowTools", true}, {"UI/Tools", true},
          {"UI/WindowTools", false}, {"Velora/MenuItems/Tools", false}}},
        {"Manipulators", "Twist", {{"Velora/MenuItems/Manipulators", true}, {"Manipulators", true}}},
        // Longer groups and null groups get no aliases.
        {"UI/Tools/Extra", "Ruler",
         {{"Velora/MenuItems/Tools", false}, {"Velora/LYSDK/UI/Tools/Extra", true}, {"UI/Tools/Extra", true}}},
        {nullptr, "Orphan", {{"Velora/LYSDK/", true}, {"", true}}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(LyObject_Register(c.group, c.name, "described", &CreateA, false, "icon.png")) << c.name;
        for (const auto& [group, present] : c.entries)
            EXPECT_EQ(Entry(group, c.name) != nullptr, present) << c.name << " in " << group;
    }
    // The menus and their items.
    const velora::RegistryEntry* menu = Entry("Velora/MenuItems", "Tools");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->description, "Velora Tools");
    EXPECT_EQ(menu->creator, nullptr);
    EXPECT_NE(Entry("Velora/MenuItems", "Manipulators"), nullptr);
    EXPECT_EQ(Entry("Velora/MenuItems/Tools", "Painter")->creator, &CreateA);
    EXPECT_STREQ(Entry("Velora/MenuItems/Tools", "Painter")->icon, "");  // the menu item carries no icon
    EXPECT_STREQ(Entry("Velora/LYSDK/UI/Tools", "Painter")->icon, "icon.png");
    EXPECT_STREQ(Entry("UI/Tools", "Painter")->icon, "icon.png");
    EXPECT_FALSE(Entry("UI/Tools", "Painter")->multiplicity);
    EXPECT_EQ(Entry("Menus/Window/ShowTool", "Mixer")->creator, nullptr);
    EXPECT_TRUE(Entry("Menus/Window/ShowTool", "Mixer")->multiplicity);
    EXPECT_EQ(Entry("Velora/MenuItems/Manipulators", "Twist")->creator, &CreateA);
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
