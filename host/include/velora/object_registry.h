#ifndef VELORA_OBJECT_REGISTRY_H
#define VELORA_OBJECT_REGISTRY_H

// The host's object registry: groups (paths such as "Browsing/Apply") of
// entries, each able to create an object through its creator function.

#include <deque>
#include <string>
#include <vector>

#include <lyiface/object.h>

#include "velora/export.h"

namespace velora {

using lyiface::IObject;

/// Creates an object for a registry entry from its owner (may be null), the
/// instance name and caller data. Returns the new object or null.
using ObjectCreator = IObject* (*)(IObject* owner, const char* name, void* data);

struct RegistryEntry {
    std::string group;
    std::string name;
    std::string label;
    std::string icon;
    std::string library;  ///< file of the library that registered it, if any
    ObjectCreator creator = nullptr;
    bool flag = false;
};

class VELORA_API ObjectRegistry {
public:
    static ObjectRegistry& Instance();

    /// Adds an entry, or replaces the one of the same group and name.
    /// False for a null or empty group or name.
    bool Register(const char* group, const char* name, const char* label, ObjectCreator creator,
                  bool flag, const char* icon = nullptr, const char* library = nullptr);
    /// Removes an entry; false when there is none.
    bool Unregister(const char* group, const char* name);

    /// The entry, or null.
    const RegistryEntry* Find(const char* group, const char* name) const;
    /// Groups in order of first registration.
    int GroupCount() const { return static_cast<int>(groups_.size()); }
    const char* GroupName(int i) const;
    int EntryCount(const char* group) const;
    const RegistryEntry* EntryAt(const char* group, int i) const;

    /// Calls the entry's creator; null when there is no entry or creator.
    IObject* Create(const char* group, const char* name, IObject* owner, const char* objectName,
                    void* data) const;

private:
    ObjectRegistry() = default;
    struct Group {
        std::string name;
        std::deque<RegistryEntry> entries;
    };
    Group* FindGroup(const char* group);
    const Group* FindGroup(const char* group) const;
    std::deque<Group> groups_;
};

/// Host creators for the user-object rule and filter entries.
VELORA_API IObject* CreateUserObjectRule(IObject* owner, const char* name, void* data);
VELORA_API IObject* CreateUserObjectFilter(IObject* owner, const char* name, void* data);

}  // namespace velora

#endif  // VELORA_OBJECT_REGISTRY_H
