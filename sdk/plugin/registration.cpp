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
    const char* given = group ? group : "";
    const char* g = given;
    if (std::strcmp(g, "UI/Tools") == 0) {
        Put("Velora/MenuItems", "Tools", "Velora Tools", nullptr, false, nullptr);
        Put("Velora/MenuItems/Tools", entry, description, creator, multiplicity, nullptr);
    } else if (std::strcmp(g, "UI/WindowTools") == 0) {
        Put("Menus/Window/ShowTool", entry, description, nullptr, true, nullptr);
        g = "UI/Tools";
    } else if (std::strcmp(g, "Manipulators") == 0) {
        Put("Velora/MenuItems", "Manipulators", "Velora Manipulators", nullptr, false, nullptr);
        Put("Velora/MenuItems/Manipulators", entry, description, creator, multiplicity, nullptr);
    }
    // Every class is also listed under the SDK's own group, by the name the
    // caller gave (not the alias). (Built on the stack: a plug-in may
    // register thousands of classes.)
    static constexpr char kListed[] = "Velora/LYSDK/";
    const std::size_t length = std::strlen(given);
    char local[256];
    std::string longer;
    const char* listed = local;
    if (sizeof kListed + length <= sizeof local) {
        std::memcpy(local, kListed, sizeof kListed - 1);
        std::memcpy(local + sizeof kListed - 1, given, length + 1);
    } else {
        longer = std::string(kListed) + given;
        listed = longer.c_str();
    }
    Put(listed, entry, description, creator, multiplicity, icon);
    return Put(g, entry, description, creator, multiplicity, icon);
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
    return e ? e->library : nullptr;
}

const char* LyObject_GetIconName(int group, int entry, int) {
    const velora::RegistryEntry* e = Registry().EntryAt(group, entry);
    return e ? e->icon : nullptr;
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
