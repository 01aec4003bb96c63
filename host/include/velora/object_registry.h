#ifndef VELORA_OBJECT_REGISTRY_H
#define VELORA_OBJECT_REGISTRY_H

// The host's object registry: groups (paths such as "Browsing/Apply") of
// entries, each able to create an object through its creator function.

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <lyiface/object.h>

#include "velora/export.h"

namespace velora {

using lyiface::IObject;
class Object;

/// Creates an object for a registry entry from its owner (may be null), the
/// instance name and caller data. Returns the new object or null.
using ObjectCreator = IObject* (*)(IObject* owner, const char* name, void* data);

/// An entry of the registry. The group, icon and library texts are kept
/// once by the registry (entries share them) and stay valid for the life of
/// the process.
struct RegistryEntry {
    const char* group = "";
    std::string name;
    std::string description;  ///< text shown to the user
    const char* icon = "";    ///< icon file name; "" for none
    const char* library = ""; ///< file of the library that registered it; "" for none
    ObjectCreator creator = nullptr;  ///< null for menu-only entries
    bool multiplicity = false;        ///< more than one instance may exist
};

class VELORA_API ObjectRegistry {
public:
    static ObjectRegistry& Instance();

    /// Adds an entry, or replaces the one of the same group and name. A null
    /// group is the empty group. False for a null or empty entry name. The
    /// entry's library is `library`, or else the library being loaded (see
    /// SetLoadingLibrary). Replacing an entry that creates objects (menu-only
    /// entries are shared by design) writes a warning to the trace naming
    /// both libraries: the later registration wins.
    bool Register(const char* group, const char* name, const char* description,
                  ObjectCreator creator, bool multiplicity, const char* icon = nullptr,
                  const char* library = nullptr);
    /// Removes an entry; false when there is none.
    bool Unregister(const char* group, const char* name);
    /// Removes every entry the library at `path` registered (its creators
    /// are about to be unloaded); returns how many went.
    int UnregisterLibrary(const char* path);

    /// The entry, or null.
    const RegistryEntry* Find(const char* group, const char* name) const;
    /// Groups in order of first registration.
    int GroupCount() const { return static_cast<int>(groups_.size()); }
    const char* GroupName(int i) const;
    int EntryCount(const char* group) const;
    const RegistryEntry* EntryAt(const char* group, int i) const;
    /// The same by group index; 0 or null out of range.
    int EntryCount(int group) const;
    const RegistryEntry* EntryAt(int group, int i) const;

    /// The file of the library whose registrations are under way (set by the
    /// plug-in loader around a library's entry call); null for none.
    void SetLoadingLibrary(const char* path) { loading_ = Intern(path); }
    const char* LoadingLibrary() const { return loading_; }

    /// Host-wide flags raised when a plug-in registers a storable custom
    /// model, material or texture class. They are never lowered.
    bool StorableCustomModel() const { return storableModel_; }
    bool StorableCustomMaterial() const { return storableMaterial_; }
    bool StorableCustomTexture() const { return storableTexture_; }
    void RaiseStorableCustomModel() { storableModel_ = true; }
    void RaiseStorableCustomMaterial() { storableMaterial_ = true; }
    void RaiseStorableCustomTexture() { storableTexture_ = true; }

    /// Calls the entry's creator (see CallCreator); null when there is no
    /// entry or creator, or when the creator fails: then `error` says why,
    /// or, without `error`, the trace does. The object made keeps which
    /// entry made it (OriginOf).
    IObject* Create(const char* group, const char* name, IObject* owner, const char* objectName,
                    void* data, std::string* error = nullptr);

    /// The entry through which objects made by `entry` are saved and made
    /// again when a scene opens: an entry of the same name and creator in a
    /// group under "DsxStorable/" (a class registered there is storable;
    /// `entry` itself when it is one). Null when the class is not storable.
    const RegistryEntry* StorableEntryFor(const RegistryEntry* entry) const;
    /// The entry that made `object` through Create, or null (made some
    /// other way, or the entry is gone).
    const RegistryEntry* OriginOf(const Object* object) const;

private:
    ObjectRegistry();
    ~ObjectRegistry();
    // Entries keep their registration order in their group; each group finds
    // them by name through a hash index, so that registering many entries
    // stays linear (see object_registry.cpp).
    struct Group;
    Group* FindGroup(std::string_view group);
    const Group* FindGroup(std::string_view group) const;
    std::vector<std::unique_ptr<Group>> groups_;
    std::unordered_map<std::string_view, std::size_t> groupIndex_;
    /// The registry's one copy of a library or icon file name.
    const char* Intern(const char* text);
    std::set<std::string, std::less<>> texts_;
    const char* loading_ = "";
    bool storableModel_ = false;
    bool storableMaterial_ = false;
    bool storableTexture_ = false;
};

/// Calls the entry's creator. The creator is plug-in code: an exception it
/// throws is caught and, like a missing creator, answered with null and a
/// reason in `error` (naming the entry's library); a creator that returns
/// null leaves `error` saying so.
VELORA_API IObject* CallCreator(const RegistryEntry& entry, IObject* owner, const char* objectName,
                                void* data, std::string* error = nullptr);

/// "the host" for an entry the host registered itself, else its library.
VELORA_API std::string EntryLibrary(const RegistryEntry& entry);

/// Host creators for the user-object rule and filter entries.
VELORA_API IObject* CreateUserObjectRule(IObject* owner, const char* name, void* data);
VELORA_API IObject* CreateUserObjectFilter(IObject* owner, const char* name, void* data);

}  // namespace velora

#endif  // VELORA_OBJECT_REGISTRY_H
