#include "velora/object_registry.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <exception>
#include <functional>

#include "velora/object.h"
#include "velora/trace.h"

namespace velora {

namespace {

// Name to position within a group: open addressing with linear probing over
// a flat array of 8-byte slots (32 bits of the name's hash, the entry's
// position + 1; 0: empty), kept at most half full. A registration touches
// one or two neighbouring slots and, only when the hash agrees, the entry
// itself; growing moves slots without reading the entries. The array stays
// small and contiguous as a group grows to tens of thousands of entries.
class NameIndex {
public:
    static constexpr std::size_t kNone = ~std::size_t{0};

    std::size_t Find(std::string_view name, const std::deque<RegistryEntry>& entries) const {
        if (slots_.empty()) return kNone;
        const std::uint32_t hash = Hash(name);
        for (std::size_t i = hash & mask(); slots_[i].position; i = (i + 1) & mask())
            if (slots_[i].hash == hash && entries[slots_[i].position - 1].name == name)
                return slots_[i].position - 1;
        return kNone;
    }

    void Insert(std::string_view name, std::size_t position) {
        if ((count_ + 1) * 2 > slots_.size()) Grow();
        Place(Slot{Hash(name), static_cast<std::uint32_t>(position + 1)});
        ++count_;
    }

    void Rebuild(const std::deque<RegistryEntry>& entries) {
        slots_.clear();
        count_ = 0;
        for (std::size_t i = 0; i < entries.size(); ++i) Insert(entries[i].name, i);
        if (entries.empty()) slots_.shrink_to_fit();
    }

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t position = 0;
    };
    static std::uint32_t Hash(std::string_view name) {
        const std::size_t h = std::hash<std::string_view>()(name);
        return static_cast<std::uint32_t>(h ^ (h >> 32));
    }
    std::size_t mask() const { return slots_.size() - 1; }
    void Place(const Slot& slot) {
        std::size_t i = slot.hash & mask();
        while (slots_[i].position) i = (i + 1) & mask();
        slots_[i] = slot;
    }
    void Grow() {
        std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2);
        old.swap(slots_);
        for (const Slot& slot : old)
            if (slot.position) Place(slot);
    }
    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

}  // namespace

struct ObjectRegistry::Group {
    std::string name;
    std::deque<RegistryEntry> entries;
    NameIndex index;
};

ObjectRegistry::ObjectRegistry() = default;
ObjectRegistry::~ObjectRegistry() = default;

ObjectRegistry& ObjectRegistry::Instance() {
    static ObjectRegistry registry;
    return registry;
}

const char* ObjectRegistry::Intern(const char* text) {
    if (!text || !*text) return "";
    auto it = texts_.find(std::string_view(text));
    if (it == texts_.end()) it = texts_.emplace(text).first;
    return it->c_str();
}

ObjectRegistry::Group* ObjectRegistry::FindGroup(std::string_view group) {
    auto it = groupIndex_.find(group);
    return it == groupIndex_.end() ? nullptr : groups_[it->second].get();
}

const ObjectRegistry::Group* ObjectRegistry::FindGroup(std::string_view group) const {
    return const_cast<ObjectRegistry*>(this)->FindGroup(group);
}

bool ObjectRegistry::Register(const char* group, const char* name, const char* description,
                              ObjectCreator creator, bool multiplicity, const char* icon,
                              const char* library) {
    if (!name || !*name) return false;
    if (!group) group = "";
    Group* g = FindGroup(group);
    if (!g) {
        groups_.push_back(std::make_unique<Group>());
        g = groups_.back().get();
        g->name = group;
        groupIndex_.emplace(g->name, groups_.size() - 1);
    }
    const char* from = library ? Intern(library) : loading_;
    const std::size_t found = g->index.Find(name, g->entries);
    if (found != NameIndex::kNone) {
        RegistryEntry& old = g->entries[found];
        // Menu entries without a creator are registered again by every
        // class that shares them; an entry that creates objects is not.
        if (old.creator || creator) {
            const std::string was = EntryLibrary(old);
            const char* now = *from ? from : "the host";
            Trace::Instance().Printf(Trace::kDefaultLevel,
                                     "Warning: registry entry %s/%s of %s is registered again by %s; "
                                     "the entry of %s is used\n",
                                     group, name, was.c_str(), now, now);
        }
        old.description = description ? description : "";
        old.icon = Intern(icon);
        old.library = from;
        old.creator = creator;
        old.multiplicity = multiplicity;
        return true;
    }
    g->entries.push_back(RegistryEntry{g->name.c_str(), name, description ? description : "",
                                       Intern(icon), from, creator, multiplicity});
    g->index.Insert(name, g->entries.size() - 1);
    return true;
}

bool ObjectRegistry::Unregister(const char* group, const char* name) {
    if (!group || !name) return false;
    Group* g = FindGroup(group);
    if (!g) return false;
    const std::size_t found = g->index.Find(name, g->entries);
    if (found == NameIndex::kNone) return false;
    g->entries.erase(g->entries.begin() + static_cast<std::ptrdiff_t>(found));
    g->index.Rebuild(g->entries);
    return true;
}

int ObjectRegistry::UnregisterLibrary(const char* path) {
    if (!path || !*path) return 0;
    int removed = 0;
    for (const std::unique_ptr<Group>& g : groups_) {
        std::deque<RegistryEntry>& entries = g->entries;
        const std::size_t before = entries.size();
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [path](const RegistryEntry& e) { return std::strcmp(e.library, path) == 0; }),
                      entries.end());
        if (entries.size() != before) {
            removed += static_cast<int>(before - entries.size());
            g->index.Rebuild(entries);
        }
    }
    return removed;
}

const RegistryEntry* ObjectRegistry::Find(const char* group, const char* name) const {
    if (!group || !name) return nullptr;
    const Group* g = FindGroup(group);
    if (!g) return nullptr;
    const std::size_t found = g->index.Find(name, g->entries);
    return found == NameIndex::kNone ? nullptr : &g->entries[found];
}

const char* ObjectRegistry::GroupName(int i) const {
    return i >= 0 && i < GroupCount() ? groups_[static_cast<std::size_t>(i)]->name.c_str() : nullptr;
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
    return static_cast<int>(groups_[static_cast<std::size_t>(group)]->entries.size());
}

const RegistryEntry* ObjectRegistry::EntryAt(int group, int i) const {
    if (group < 0 || group >= GroupCount() || i < 0 || i >= EntryCount(group)) return nullptr;
    return &groups_[static_cast<std::size_t>(group)]->entries[static_cast<std::size_t>(i)];
}

IObject* ObjectRegistry::Create(const char* group, const char* name, IObject* owner,
                                const char* objectName, void* data, std::string* error) {
    const RegistryEntry* e = Find(group, name);
    if (!e || !e->creator) {
        if (error)
            *error = e ? std::string(group) + "/" + name + " (from " + EntryLibrary(*e) + ") has no creator"
                       : "no such registry entry";
        return nullptr;
    }
    std::string why;
    IObject* made = CallCreator(*e, owner, objectName, data, &why);
    if (!made) {
        if (error) *error = why;
        else Trace::Instance().Printf(Trace::kDefaultLevel, "Warning: %s\n", why.c_str());
        return nullptr;
    }
    // The object keeps its origin, and the record ends with it.
    if (Object* object = AsObject(made))
        object->origin_ = std::make_unique<RegistryOrigin>(RegistryOrigin{group, name});
    return made;
}

const RegistryEntry* ObjectRegistry::StorableEntryFor(const RegistryEntry* entry) const {
    if (!entry || !entry->creator) return nullptr;
    static constexpr char kStorable[] = "DsxStorable/";
    for (const std::unique_ptr<Group>& g : groups_) {
        if (g->name.compare(0, sizeof kStorable - 1, kStorable) != 0) continue;
        for (const RegistryEntry& e : g->entries)
            if (&e == entry || (e.creator == entry->creator && e.name == entry->name)) return &e;
    }
    return nullptr;
}

const RegistryEntry* ObjectRegistry::OriginOf(const Object* object) const {
    const RegistryOrigin* origin = object ? object->Origin() : nullptr;
    return origin ? Find(origin->group.c_str(), origin->name.c_str()) : nullptr;
}

std::string EntryLibrary(const RegistryEntry& entry) {
    return *entry.library ? entry.library : "the host";
}

IObject* CallCreator(const RegistryEntry& entry, IObject* owner, const char* objectName, void* data,
                     std::string* error) {
    const std::string where = "the creator of " + std::string(entry.group) + "/" + entry.name + " in " +
                              EntryLibrary(entry);
    if (!entry.creator) {
        if (error) *error = std::string(entry.group) + "/" + entry.name + " (from " + EntryLibrary(entry) +
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
