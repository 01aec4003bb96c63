#ifndef LYSDK_LYCOMPONENT_H
#define LYSDK_LYCOMPONENT_H

// LyComponent: the base of every named SDK object.
//
// A component binds to a host object in both directions: it keeps the host
// object as its HIObject, and the host object keeps the component in its
// wrapper-holder slot. A component built without a host object creates its
// own (a "LySDKHostObject") and owns it. Who deletes whom:
//  - a component that created or was given ownership of its host object
//    destroys it when the component is destroyed, if the object is
//    deletable (flag 0x2) and not locked (flag 0x20);
//  - when the host ends an object it calls Destroy on the component in the
//    slot, which detaches it and deletes it if it was allocated with the
//    component allocator (operator new); a member or local is only
//    detached.

#include <cstddef>

#include "lysdk/lyenumtexts.h"
#include "lysdk/lyplug.h"
#include "lysdk/lyproperty.h"
#include "lysdk/lypropertylist.h"
#include "lysdk/lypropertytyped.h"
#include "lysdk/lystring.h"

LYSDK_BEGIN_NAMESPACE

class LyPropertyEvent;
class LyFolder;
class LyNamespace;
class LyFileReference;

/// Namespace operations of ProcessNamespaceHierarchy and
/// ProcessObjectNamespace.
enum LyNamespaceAction {
    kLyNamespaceAdd = 0,      ///< put the namespace in front of the object's own
    kLyNamespaceReplace = 1,  ///< replace a leading namespace by another
    kLyNamespaceRemove = 2,   ///< remove a leading namespace
};
LYSDK_ENUM_TEXTS(LyNamespaceAction);

/// Host object flags that components read.
enum LyObjectFlag : unsigned int {
    kLyObjectFlagDeletable = 0x2,
    kLyObjectFlagInDisplaySet = 0x8,
    kLyObjectFlagLocked = 0x20,
    kLyObjectFlagRenamable = 0x80,
};
LYSDK_ENUM_TEXTS(LyObjectFlag);

class LYSDK_API LyComponent : public LyPlug {
    LYSDK_CLASS_DECLARE(LyComponent, LyPlug)
public:
    /// Wraps `object`, or, with null, creates and owns a LySDKHostObject.
    explicit LyComponent(HIObject object = nullptr);
    /// The same; a host object created here is named `name` from the start
    /// (a plug-in class's creator passes the instance name it was given).
    LyComponent(const char* name, HIObject object);
    ~LyComponent() override;

    IObject* IQuery(std::uint32_t id, int arg = 0) override;
    void Destroy(int mode = 0) override;
    bool SetHIObject(HIObject object, bool owns) override;

    /// Hooks for derived classes: after creation, and before destruction.
    virtual bool LyCreate();
    virtual void LyDestroy();
    /// Lists `property` in PropertyList (when its type fits its host
    /// property); returns its index there, or -1.
    virtual int PropertyAdd(LyProperty* property);
    virtual bool UseCustomPropertyViewSet() const;

    /// The component allocator: it records that the object lives on the
    /// heap, so that Destroy may delete it.
    static void* operator new(std::size_t size);
    static void* operator new(std::size_t size, int block, const char* file, int line);
    static void operator delete(void* pointer);
    static void operator delete(void* pointer, int block, const char* file, int line);

    /// The host object's full name ("Group::namespace:name"), or the local
    /// name without a host object.
    const char* GetFullName() const;
    /// The plain name (host) or the local name.
    const char* GetName() const;
    /// Renames: the plain-name part goes to a renamable host object; the
    /// text is kept as the local name either way.
    void SetName(const char* name);

    unsigned int GetObjectFlags() const;
    bool HasObjectFlags(unsigned int flags) const;
    void SetObjectFlags(unsigned int flags);
    bool GetObjectStatus(unsigned int status) const;
    void SetObjectStatus(unsigned int status, bool on);
    /// Sets or clears `flags` unless the object is locked (0x20); a model
    /// joins or leaves the display set with 0x8. The host is told (43).
    void EnableObjectFlags(unsigned int flags);
    void DisableObjectFlags(unsigned int flags);

    void HardSelect();
    LyNamespace* GetOwnerNamespace();
    void SetOwnerNamespace(LyNamespace* ns);
    LyFileReference* GetOwnerFileReference();

    /// Adds, replaces or removes a namespace on this object and all its
    /// descendants (or on this object alone). Refused, with a trace line,
    /// for invalid names and locked namespaces; long names are cut to fit.
    bool ProcessNamespaceHierarchy(LyNamespaceAction action, const char* ns,
                                   const char* replacement = nullptr, bool onlyMissing = false);
    bool ProcessObjectNamespace(LyNamespaceAction action, const char* ns,
                                const char* replacement = nullptr, bool onlyMissing = false);

    /// Creates a host property on the host object; its wrapper, or null.
    /// `dataTypeName` null takes the type's default host data type. A
    /// reference property (type 19) needs `referenceProperty`.
    LyProperty* PropertyCreate(const char* name, LyPropertyType type, const char* dataTypeName,
                               bool animatable, bool user, LyProperty* referenceProperty = nullptr);
    /// Removes a property: a user-made host property is destroyed first
    /// (stopping here if the host refuses), then the wrapper is forgotten.
    void PropertyRemove(LyProperty* property);
    /// Adds a reference to `property`'s host property on this object.
    bool PropertyAddReferenceProperty(LyProperty* property);

    /// Property events whose parent is this component (kept once each).
    void RegisterPropertyEvent(LyPropertyEvent* event);
    void UnregisterPropertyEvent(LyPropertyEvent* event);
    /// Tells every registered event that its parent is gone, then forgets them.
    void InvalidatePropertyEventsParents();

    /// The host's object events: a host property of this object went away.
    void KObjectEvent(IRegister* source, EventRecord* event);


    /// Deletes the host object when it is deletable (the component then ends
    /// with it); writes "Warning: [name] is not deletable!" and changes
    /// nothing when it is not; deletes the component itself when it has no
    /// full host object.
    void LyDelete() override;

private:
    /// Points Components and Parents at the host object (or at nothing).
    void ListObjectsOf(IObject* object);

    friend LYSDK_API const char* LyComponentGetName(void* component);
    friend LYSDK_API void LyComponentSetName(void* component, const char* name);
    friend LYSDK_API const char* LyComponentGetLongName(void* component);
    friend LYSDK_API void LyComponentSetLongName(void* component, const char* name);

    LyArrayTemplate<LyPropertyEvent*>* mPropertyEvents;
    LyString mLocalName;

public:
    /// Every property of the component.
    LyPropertyManager PropertyList;
    /// The component's children (the objects connected to it).
    LyPropertyListComponent Components;
    /// The objects it is connected to.
    LyPropertyListComponent Parents;
    LyPropertyBool Selected;
    LyPropertyString Name;
    LyPropertyString LongName;
    LyPropertyBaseComponent<LyFolder*> Folder;

private:
    HIObject mCreatedHostObject;
};

/// Getters and setters of the Name and LongName properties.
LYSDK_API const char* LyComponentGetName(void* component);
LYSDK_API void LyComponentSetName(void* component, const char* name);
LYSDK_API const char* LyComponentGetLongName(void* component);
LYSDK_API void LyComponentSetLongName(void* component, const char* name);

/// The process-wide array of living components (growth block 4096).
LYSDK_API LyArrayTemplate<LyComponent*>& LyGetComponentArray();

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYCOMPONENT_H
