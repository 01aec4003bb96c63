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

#include "lysdk/lyplug.h"
#include "lysdk/lystring.h"

LYSDK_BEGIN_NAMESPACE

class LyPropertyEvent;

/// Host object flags that components read.
enum LyObjectFlag : unsigned int {
    kLyObjectFlagDeletable = 0x2,
    kLyObjectFlagInDisplaySet = 0x8,
    kLyObjectFlagLocked = 0x20,
    kLyObjectFlagRenamable = 0x80,
};

class LYSDK_API LyComponent : public LyPlug {
    LYSDK_CLASS_DECLARE(LyComponent, LyPlug)
public:
    /// Wraps `object`, or, with null, creates and owns a LySDKHostObject.
    explicit LyComponent(HIObject object = nullptr);
    ~LyComponent() override;

    IObject* IQuery(std::uint32_t id, int arg = 0) override;
    void Destroy(int mode = 0) override;
    bool SetHIObject(HIObject object, bool owns) override;

    virtual bool LyCreate();
    virtual void LyDestroy();

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

    /// Deletes the host object when it is deletable (the component then ends
    /// with it); writes "Warning: [name] is not deletable!" and changes
    /// nothing when it is not; deletes the component itself when it has no
    /// full host object.
    void LyDelete() override;

private:
    LyArrayTemplate<LyPropertyEvent*>* mPropertyEvents;
    LyString mLocalName;
    HIObject mCreatedHostObject;
};

/// The process-wide array of living components (growth block 4096).
LYSDK_API LyArrayTemplate<LyComponent*>& LyGetComponentArray();

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYCOMPONENT_H
