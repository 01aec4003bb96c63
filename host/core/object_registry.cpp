#include "velora/object_registry.h"

#include <cstring>
#include <exception>

#include "velora/object.h"
#include "velora/trace.h"

namespace velora {

ObjectRegistry& ObjectRegistry::Instance() {
    static ObjectRegistry registry;
    return registry;
}

void ObjectRegistry::Group::Reindex() {
    index.clear();
    for (std::size_t i = 0; i < entries.size(); ++i) index.emplace(entries[i].name, i);
}

ObjectRegistry::Group* ObjectRegistry::FindGroup(const char* group) {
    auto it = groupIndex_.find(group);
    return it == groupIndex_.end() ? nullptr : &groups_[it->second];
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
        groupIndex_.emplace(group, groups_.size());
        groups_.push_back(Group{group, {}, {}});
        g = &groups_.back();
    }
    RegistryEntry entry{group,
                        name,
                        description ? description : "",
                        icon ? icon : "",
                        library ? library : loading_,
                        creator,
                        multiplicity};
    auto found = g->index.find(entry.name);
    if (found != g->index.end()) {
        RegistryEntry& old = g->entries[found->second];
        // Menu entries without a creator are registered again by every
        // class that shares them; an entry that creates objects is not.
        if (old.creator || entry.creator)
            Trace::Instance().Printf(Trace::kDefaultLevel,
                                     "Warning: registry entry %s/%s of %s is registered again by %s; "
                                     "the entry of %s is used\n",
                                     group, name, EntryLibrary(old).c_str(),
                                     EntryLibrary(entry).c_str(), EntryLibrary(entry).c_str());
        old = std::move(entry);
        return true;
    }
    g->index.emplace(entry.name, g->entries.size());
    g->entries.push_back(std::move(entry));
    return true;
}

bool ObjectRegistry::Unregister(const char* group, const char* name) {
    if (!group || !name) return false;
    Group* g = FindGroup(group);
    if (!g) return false;
    auto found = g->index.find(name);
    if (found == g->index.end()) return false;
    g->entries.erase(g->entries.begin() + static_cast<std::ptrdiff_t>(found->second));
    g->Reindex();
    return true;
}

int ObjectRegistry::UnregisterLibrary(const char* path) {
    if (!path || !*path) return 0;
    int removed = 0;
    for (Group& g : groups_) {
        const std::size_t before = g.entries.size();
        for (auto it = g.entries.begin(); it != g.entries.end();)
            it = it->library == path ? g.entries.erase(it) : it + 1;
        if (g.entries.size() != before) {
            removed += static_cast<int>(before - g.entries.size());
            g.Reindex();
        }
    }
    return removed;
}

const RegistryEntry* ObjectRegistry::Find(const char* group, const char* name) const {
    if (!group || !name) return nullptr;
    const Group* g = FindGroup(group);
    if (!g) return nullptr;
    auto found = g->index.find(name);
    return found == g->index.end() ? nullptr : &g->entries[found->second];
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
                                const char* objectName, void* data) const {
    const RegistryEntry* e = Find(group, name);
    if (!e || !e->creator) return nullptr;
    std::string error;
    IObject* object = CallCreator(*e, owner, objectName, data, &error);
    if (!object) Trace::Instance().Printf(Trace::kDefaultLevel, "Warning: %s\n", error.c_str());
    return object;
}

std::string EntryLibrary(const RegistryEntry& entry) {
    return entry.library.empty() ? "the host" : entry.library;
}

IObject* CallCreator(const RegistryEntry& entry, IObject* owner, const char* objectName, void* data,
                     std::string* error) {
    const std::string where = "the creator of " + entry.group + "/" + entry.name + " in " +
                              EntryLibrary(entry);
    if (!entry.creator) {
        if (error) *error = entry.group + "/" + entry.name + " (from " + EntryLibrary(entry) +
                            ") has no creator";
        return nullptr;
    }
    try {
        IObject* object = entry.creator(owner, objectName, data);
        if (!object && error) *error = where + " returned null";
        return object;
    } catch (const std::exception& e) {
        if (error) *error = where + " threw: " + e.what();
    } catch (...) {
        if (error) *error = where + " threw an exception that is not a std::exception";
    }
    return nullptr;
}

IObject* CreateUserObjectRule(IObject*, const char* name, void*) {
    return Object::Create(name ? name : "UserObjectRule", kClassUserObjectRule);
}

IObject* CreateUserObjectFilter(IObject*, const char* name, void*) {
    return Object::Create(name ? name : "UserObjectFilter", kClassUserObjectFilter);
}

}  // namespace velora
