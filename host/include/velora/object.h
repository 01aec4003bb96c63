#ifndef VELORA_OBJECT_H
#define VELORA_OBJECT_H

// Host objects: named plugs with a flags word, a status word, a selection
// state, an owning file reference and the wrapper-holder slot of the SDK.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "velora/plug.h"

namespace velora {

namespace dsx {
class ObjectStore;
class FileProperty;
}  // namespace dsx

class EventSource;
class FileReference;
class ObjectRegistry;
class Property;
struct PropertyTable;

/// The object-registry entry that made an object: its group and name.
struct RegistryOrigin {
    std::string group;
    std::string name;
};

/// Bits of the object flags word.
enum ObjectFlag : std::uint32_t {
    kObjectDeletable = 0x2,     ///< the object may be deleted
    kObjectSystem = 0x4,        ///< created and kept by the host itself
    kObjectInDisplaySet = 0x8,  ///< a model in the display set
    kObjectLocked = 0x20,       ///< no flag changes, no deletion
    kObjectDestructed = 0x40,   ///< the host's end of the object has run (host-set only)
    kObjectRenamable = 0x80,    ///< the object may be renamed
};

/// Flags of a new object: deletable and renamable.
constexpr std::uint32_t kObjectDefaultFlags = kObjectDeletable | kObjectRenamable;

class Object;

/// The wrapper-holder slot of one object (interface id 51). It lives inside
/// the object and forwards identity queries to it.
class VELORA_API WrapperSlot final : public lyiface::IWrapperHolder {
public:
    explicit WrapperSlot(Object* owner) : owner_(owner) {}
    IObject* IQuery(std::uint32_t id, int arg = 0) override;
    void Destroy(int) override {}  // the slot ends with its object
    IObject* GetWrapper() const override { return wrapper_; }
    void SetWrapper(IObject* wrapper) override { wrapper_ = wrapper; }

private:
    Object* owner_;
    IObject* wrapper_ = nullptr;
};

class VELORA_API Object : public Plug {
public:
    /// A new object of class `classId` (a host object class) named `name`.
    /// Models, namespaces and file references are made by their own types;
    /// null for the classes that only their owners make (animation nodes,
    /// curves, scenes) and for a namespace name already in use.
    static Object* Create(const char* name = nullptr, int classId = kClassObject);

    IObject* IQuery(std::uint32_t id, int arg = 0) override;
    int ClassId() const final { return classId_; }

    /// Splits "a:b:name" into the namespace part "a:b" and the plain name.
    /// A text without ':' has an empty namespace part.
    static void SplitName(const char* text, std::string* nameSpace, std::string* name);

    /// The plain name.
    const char* Name() const { return name_.c_str(); }
    /// The namespace part ("" when none).
    const char* NamespacePart() const { return namespace_.c_str(); }
    /// "namespace:name", or the plain name without a namespace.
    const char* LabelName() const { return label_.c_str(); }
    /// "Group::label", the name that is unique in the scene.
    const char* FullName() const { return full_.c_str(); }
    /// Renames; the namespace part is kept. Refused (false) on a locked
    /// object and when a notification refuses: the object is told
    /// kActRequestRename and kActRename before, kActRenamed after.
    bool SetName(const char* name);
    /// Sets namespace and name from "a:b:name", told as SetName.
    bool SetLongName(const char* text);

    std::uint32_t ObjectFlags() const { return flags_; }
    /// Overwrites the flags word; kObjectDestructed stays the host's.
    void SetObjectFlags(std::uint32_t flags) {
        flags_ = (flags & ~kObjectDestructed) | (flags_ & kObjectDestructed);
    }
    bool HasObjectFlags(std::uint32_t flags) const { return (flags_ & flags) != 0; }
    /// Deletable and not locked.
    bool IsDeletable() const {
        return (flags_ & kObjectDeletable) && !(flags_ & kObjectLocked);
    }

    std::uint32_t Status() const { return status_; }
    void SetStatus(std::uint32_t status, bool on) { status_ = on ? status_ | status : status_ & ~status; }

    bool IsSelected() const { return selected_; }
    /// Selects or deselects, telling the object (kActSelect / kActUnselect).
    void Select(bool on);

    FileReference* OwnerFileReference() const;
    void SetOwnerFileReference(FileReference* reference);

    /// Selects the object and tells it again (kActReselect), as a click on
    /// an already selected object does.
    void HardSelect();

    /// The namespace object this object belongs to, or null.
    Object* OwnerNamespace() const { return static_cast<Object*>(ownerNamespace_.Get()); }
    /// Moves the object into `ns` (null: none); its label follows. The
    /// object is told kActRequestPrefixRename and kActPrefixRename before
    /// (either may refuse: false, nothing changed) and kActPrefixRenamed
    /// after.
    bool SetOwnerNamespace(Object* ns);

    /// Objects made by an extension class answer true, with the extension's
    /// class name; property editors then use that name for their view.
    virtual bool IsCustomObject() const { return false; }
    virtual const char* CustomClassName() const { return nullptr; }
    /// The name of the property view editors show this object with.
    virtual const char* PropertyViewName() const;

    /// The registry entry that made this object (ObjectRegistry::Create), or
    /// null for an object made some other way. The entry itself may have
    /// gone since; ObjectRegistry::OriginOf finds it when it is there.
    const RegistryOrigin* Origin() const { return origin_.get(); }

    /// Scene storage, one pass at a time (the store says which: its Pass()
    /// holds dsx::PassFlag bits, several at once possibly). Every stored
    /// object goes through this pair. The host part here writes and reads
    /// the label and flags (fields pass), every property with its type,
    /// flags, value and enumeration texts (0x4), and the objects and
    /// properties that object and reference values name (0x8, once every
    /// object exists). A class that keeps more calls these first and adds
    /// its own; a bridge hands the store on to its extension. False fails
    /// the object's pass.
    virtual bool Store(dsx::ObjectStore& store);
    virtual bool Retrieve(dsx::ObjectStore& store);

    /// Children in the host's hierarchy; plain objects have none.
    virtual int ChildCount() const { return 0; }
    virtual Object* Child(int) const { return nullptr; }

    /// The SDK wrapper held in the slot, or null.
    IObject* Wrapper() const { return slot_.GetWrapper(); }

    /// Data and state notifications about one of the object's properties
    /// (`plug` is the property) reach the object before the property; the
    /// host's own handling of those accepts them and leaves the scene to the
    /// property. About the object itself they are a plug's.
    bool PlugDataNotify(int action, Plug* plug, void* data, void* oldData, int size) override;
    bool PlugStateNotify(int action, Plug* plug, void* data, void* oldData, int size) override;

    // Properties (velora/property.h). The object owns them; they end with it.
    /// A new property, or null for a null or empty name, a name already in
    /// use on this object, or an invalid data type id. `createFlags` are
    /// PropertyCreateFlag bits.
    Property* CreateProperty(const char* name, int dataType, std::uint32_t createFlags = 0);
    /// Ends a user or temporary property of this object; false (nothing
    /// done) for others, for null and for a property of another object.
    bool RemoveProperty(Property* property);
    /// Properties in creation order.
    int PropertyCount() const;
    Property* PropertyAt(int i) const;
    /// Position of `property` in creation order, or -1.
    int PropertyIndex(const Property* property) const;
    /// The property named exactly `name` (bytes equal), in constant time.
    Property* FindProperty(const char* name) const;
    /// The same answer as FindProperty, through the class's own property
    /// map where it keeps one (classes whose instances all make the same
    /// properties); lookups from outside the host go through here.
    virtual Property* LookupProperty(const char* name) const { return FindProperty(name); }
    /// The first property, in creation order, whose name equals `name` with
    /// ASCII letters compared regardless of case; with `translated`, a
    /// translated name that so equals `name` also matches.
    Property* FindPropertyNoCase(const char* name, bool translated = false) const;
    /// Appends to `out`, in creation order, the properties whose name (or,
    /// with `translated`, whose translated name) matches `pattern` as
    /// WildcardMatch says; returns how many were appended.
    int MatchProperties(const char* pattern, bool translated, std::vector<Property*>* out) const;
    /// The source of this object's property events (kEventPropertyRemoved).
    /// Not raised while the object itself is ending.
    EventSource& PropertyEvents();
    /// Whether this object is a hierarchy model (velora::Model); a plain
    /// object may carry a model class id, so the class alone cannot say.
    bool IsHierarchyModel() const noexcept { return hierarchyModel_; }

protected:
    Object(const char* name, int classId);
    /// Called by the model base once: AsModel reads it instead of casting.
    void MarkHierarchyModel() noexcept { hierarchyModel_ = true; }
    /// One property's file form, in the properties pass; `out` already has
    /// the property's name, type, flags and value. Classes that keep more
    /// of a property (its animation curves) add it here.
    virtual bool StoreProperty(dsx::ObjectStore& store, const Property& property,
                               dsx::FileProperty& out);
    /// The reverse, once the value and flags are set.
    virtual bool RetrieveProperty(dsx::ObjectStore& store, const dsx::FileProperty& in,
                                  Property& property);
    /// Tells the wrapper in the slot (Destroy) before the plug goes.
    void Teardown() override;

private:
    void UpdateNames();
    /// Tells the object the three steps of a rename (request, announcement,
    /// done) around `change`; false, nothing changed, when refused.
    template <class Change>
    bool Renaming(int request, Change change);

    // The slot comes first: wrapper lookups read it on every walk.
    WrapperSlot slot_{this};
    int classId_;
    std::string name_;
    std::string namespace_;
    std::string label_;
    std::string full_;
    std::uint32_t flags_ = kObjectDefaultFlags;
    std::uint32_t status_ = 0;
    bool selected_ = false;
    bool hierarchyModel_ = false;
    PlugHandle ownerFile_;
    PlugHandle ownerNamespace_;
    PropertyTable* properties_ = nullptr;  // made with the first property
    std::unique_ptr<RegistryOrigin> origin_;  // only objects a registry entry made

    friend class Property;
    friend class ObjectRegistry;  // records the entry that made the object
    /// Lets the properties go without touching the table, then frees it.
    void DetachProperties();
};

/// The host object behind an IObject (full-object interface), or null.
inline Object* AsObject(IObject* object) {
    return object ? static_cast<Object*>(object->IQuery(lyiface::kIdFullObject)) : nullptr;
}

}  // namespace velora

#endif  // VELORA_OBJECT_H
