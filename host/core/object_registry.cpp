#include "velora/object_registry.h"

#include <cstring>

#include "velora/object.h"

namespace velora {

ObjectRegistry& ObjectRegistry::Instance() {
    static ObjectRegistry registry;
    return registry;
}

ObjectRegistry::Group* ObjectRegistry::FindGroup(const char* group) {
    for (Group& g : groups_)
        if (g.name == group) return &g;
    return nullptr;
}

const ObjectRegistry::Group* ObjectRegistry::FindGroup(const char* group) const {
    return const_cast<ObjectRegistry*>(this)->FindGroup(group);
}

bool ObjectRegistry::Register(const char* group, const char* name, const char* description,
                              ObjectCreator creator, bool multiplicity, const char* icon,
                              const char* library) {
    if (!name || !*name) return false;
    if (!group) group = "";
    Group* g = FindGroup(group);
    if (!g) {
        groups_.push_back(Group{group, {}});
        g = &groups_.back();
    }
    RegistryEntry entry{group,
                        name,
                        description ? description : "",
                        icon ? icon : "",
                        library ? library : loading_,
                        creator,
                        multiplicity};
    for (RegistryEntry& e : g->entries) {
        if (e.name == name) {
            e = std::move(entry);
            return true;
        }
    }
    g->entries.push_back(std::move(entry));
    return true;
}

bool ObjectRegistry::Unregister(const char* group, const char* name) {
    if (!group || !name) return false;
    Group* g = FindGroup(group);
    if (!g) return false;
    for (auto it = g->entries.begin(); it != g->entries.end(); ++it) {
        if (it->name == name) {
            g->entries.erase(it);
            return true;
        }
    }
    return false;
}

int ObjectRegistry::UnregisterLibrary(const char* path) {
    if (!path || !*path) return 0;
    int removed = 0;
    for (Group& g : groups_) {
        for (auto it = g.entries.begin(); it != g.entries.end();) {
            if (it->library == path) {
                it = g.entries.erase(it);
                ++removed;
            } else {
                ++it;
            }
        }
    }
    return removed;
}

const RegistryEntry* ObjectRegistry::Find(const char* group, const char* name) const {
    if (!group || !name) return nullptr;
    const Group* g = FindGroup(group);
    if (!g) return nullptr;
    for (const RegistryEntry& e : g->entries)
        if (e.name == name) return &e;
    return nullptr;
}

const char* ObjectRegistry::GroupName(int i) const {
    return i >= 0 && i < GroupCount() ? groups_[static_cast<std::size_t>(i)].name.c_str() : nullptr;
}

int ObjectRegistry::EntryCount(const char* group) const {
    const Group* g = group ? FindGroup(group) : nullptr;
    return g ? static_cast<int>(g->entries.size()) : 0;
}

const RegistryEntry* ObjectRegistry::EntryAt(const char* group, int i) const {
    const Group* g = group ? FindGroup(group) : nullptr;
    if (!g || i < 0 || i >= static_cast<int>(g->entries.size())) return nullptr;
    return &g->entries[static_cast<std::size_t>(i)];
}

int ObjectRegistry::EntryCount(int group) const {
    if (group < 0 || group >= GroupCount()) return 0;
    return static_cast<int>(groups_[static_cast<std::size_t>(group)].entries.size());
}

const RegistryEntry* ObjectRegistry::EntryAt(int group, int i) const {
    if (group < 0 || group >= GroupCount() || i < 0 || i >= EntryCount(group)) return nullptr;
    return &groups_[static_cast<std::size_t>(group)].entries[static_cast<std::size_t>(i)];
}

IObject* ObjectRegistry::Create(const char* group, const char* name, IObject* owner,
                                const char* objectName, void* data) {
    const RegistryEntry* e = Find(group, name);
    if (!e || !e->creator) return nullptr;
    IObject* made = e->creator(owner, objectName, data);
    // The object keeps its origin, and the record ends with it.
    if (Object* object = AsObject(made))
        object->origin_ = std::make_unique<RegistryOrigin>(RegistryOrigin{group, name});
    return made;
}

const RegistryEntry* ObjectRegistry::StorableEntryFor(const RegistryEntry* entry) const {
    if (!entry || !entry->creator) return nullptr;
    static constexpr char kStorable[] = "DsxStorable/";
    for (const Group& g : groups_) {
        if (g.name.compare(0, sizeof kStorable - 1, kStorable) != 0) continue;
        for (const RegistryEntry& e : g.entries)
            if (&e == entry || (e.creator == entry->creator && e.name == entry->name)) return &e;
    }
    return nullptr;
}

const RegistryEntry* ObjectRegistry::OriginOf(const Object* object) const {
    const RegistryOrigin* origin = object ? object->Origin() : nullptr;
    return origin ? Find(origin->group.c_str(), origin->name.c_str()) : nullptr;
}

IObject* CreateUserObjectRule(IObject*, const char* name, void*) {
    return Object::Create(name ? name : "UserObjectRule", kClassUserObjectRule);
}

IObject* CreateUserObjectFilter(IObject*, const char* name, void*) {
    return Object::Create(name ? name : "UserObjectFilter", kClassUserObjectFilter);
}

}  // namespace velora
