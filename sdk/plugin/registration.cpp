// Registration of extension classes in the host's object registry.

#include <cstring>
#include <string>

#include <velora/object_registry.h>

#include "lysdk/lyplugin.h"

LYSDK_BEGIN_NAMESPACE

namespace {

velora::ObjectRegistry& Registry() { return velora::ObjectRegistry::Instance(); }

bool Put(const char* group, const char* entry, const char* description, LyObjectCreator creator,
         bool multiplicity, const char* icon) {
    return Registry().Register(group, entry, description, creator, multiplicity, icon);
}

}  // namespace

bool LyObject_Register(const char* group, const char* entry, const char* description,
                       LyObjectCreator creator, bool multiplicity, const char* icon) {
    std::string g = group ? group : "";
    if (g == "UI/Tools") {
        Put("Velora/MenuItems", "Tools", "Velora Tools", nullptr, false, nullptr);
        Put("Velora/MenuItems/Tools", entry, description, creator, multiplicity, nullptr);
    } else if (g == "UI/WindowTools") {
        Put("Menus/Window/ShowTool", entry, description, nullptr, true, nullptr);
        g = "UI/Tools";
    } else if (g == "Manipulators") {
        Put("Velora/MenuItems", "Manipulators", "Velora Manipulators", nullptr, false, nullptr);
        Put("Velora/MenuItems/Manipulators", entry, description, creator, multiplicity, nullptr);
    }
    // Every class is also listed under the SDK's own group, by the name the
    // caller gave (not the alias).
    const std::string listed = std::string("Velora/LYSDK/") + (group ? group : "");
    Put(listed.c_str(), entry, description, creator, multiplicity, icon);
    return Put(g.c_str(), entry, description, creator, multiplicity, icon);
}

bool LyObject_Unregister(const char* group, const char* entry, int) {
    return Registry().Unregister(group ? group : "", entry);
}

int LyObject_GetGroupCount() { return Registry().GroupCount(); }

const char* LyObject_GetGroupName(int group) { return Registry().GroupName(group); }

int LyObject_GetEntryCount(int group) { return Registry().EntryCount(group); }

const char* LyObject_GetEntryName(int group, int entry) {
    const velora::RegistryEntry* e = Registry().EntryAt(group, entry);
    return e ? e->name.c_str() : nullptr;
}

const char* LyObject_GetEntryDescription(int group, int entry, int) {
    const velora::RegistryEntry* e = Registry().EntryAt(group, entry);
    return e ? e->description.c_str() : nullptr;
}

const char* LyObject_GetEntryDLLName(int group, int entry, int) {
    const velora::RegistryEntry* e = Registry().EntryAt(group, entry);
    return e ? e->library.c_str() : nullptr;
}

const char* LyObject_GetIconName(int group, int entry, int) {
    const velora::RegistryEntry* e = Registry().EntryAt(group, entry);
    return e ? e->icon.c_str() : nullptr;
}

bool LyObject_GetMultiplicity(int group, int entry, int) {
    const velora::RegistryEntry* e = Registry().EntryAt(group, entry);
    return e && e->multiplicity;
}

bool LyGetStoreableCustomModelRegistered() { return Registry().StorableCustomModel(); }
bool LyGetStoreableCustomMaterialRegistered() { return Registry().StorableCustomMaterial(); }
bool LyGetStoreableCustomTextureRegistered() { return Registry().StorableCustomTexture(); }
void LySetStoreableCustomModelRegistered() { Registry().RaiseStorableCustomModel(); }
void LySetStoreableCustomMaterialRegistered() { Registry().RaiseStorableCustomMaterial(); }
void LySetStoreableCustomTextureRegistered() { Registry().RaiseStorableCustomTexture(); }

LYSDK_END_NAMESPACE
