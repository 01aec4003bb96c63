// LyComponent: binding, ownership, names, flags, namespaces and properties.

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include <velora/data_type.h>
#include <velora/entity.h>
#include <velora/event_source.h>
#include <velora/namespace.h>
#include <velora/property.h>

#include "core/sdk_host_object.h"
#include "core/served_properties.h"
#include "lysdk/lycomponent.h"
#include "lysdk/lyevent.h"
#include "property/property_access.h"

LYSDK_BEGIN_NAMESPACE

constexpr bool SameBits(unsigned sdk, unsigned host) { return sdk == host; }
static_assert(SameBits(kLyObjectFlagDeletable, velora::kObjectDeletable) &&
                  SameBits(kLyObjectFlagInDisplaySet, velora::kObjectInDisplaySet) &&
                  SameBits(kLyObjectFlagLocked, velora::kObjectLocked) &&
                  SameBits(kLyObjectFlagRenamable, velora::kObjectRenamable),
              "object flag bits differ from the host's");

namespace {

// Set by the component allocator and read (then cleared) by the next
// component constructor: it tells a heap component from a member or local.
bool gLastAllocationFromComponentAllocator = false;

void* AllocateComponent(std::size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    gLastAllocationFromComponentAllocator = true;
    return block;
}

LyComponent* Self(void* component) { return static_cast<LyComponent*>(component); }

bool GetSelected(void* component) {
    velora::Object* host = __LyHostObject(Self(component));
    return host && host->IsSelected();
}

void SetSelected(void* component, bool on) {
    if (velora::Object* host = __LyHostObject(Self(component))) host->Select(on);
}

LyFolder* GetFolder(void* component) {
    velora::Plug* host = __LyHostPlug(Self(component));
    if (!host) return nullptr;
    for (int i = 0; i < host->DstCount(); ++i) {
        velora::Plug* dst = host->Dst(i);
        if (dst && dst->IsA(velora::kClassFolder))
            return reinterpret_cast<LyFolder*>(LyGetLyComponent(dst, true));
    }
    return nullptr;
}

void SetFolder(void* component, LyFolder* folder) {
    velora::Object* host = __LyHostObject(Self(component));
    if (!host) return;
    if (!folder) {
        if (LyFolder* current = GetFolder(component)) {
            velora::Object* old = __LyHostObject(reinterpret_cast<LyComponent*>(current));
            if (old) old->DisconnectSrc(host);
        }
        return;
    }
    velora::Object* target = __LyHostObject(reinterpret_cast<LyComponent*>(folder));
    if (target && target->IsA(velora::kClassFolder)) target->ConnectSrc(host, 0);
}

constexpr ICallback::Handler kObjectEventHandler =
    static_cast<ICallback::Handler>(&LyComponent::KObjectEvent);

}  // namespace

void* LyComponent::operator new(std::size_t size) { return AllocateComponent(size); }
void* LyComponent::operator new(std::size_t size, int, const char*, int) {
    return AllocateComponent(size);
}
void LyComponent::operator delete(void* pointer) { std::free(pointer); }
void LyComponent::operator delete(void* pointer, int, const char*, int) { std::free(pointer); }

LyArrayTemplate<LyComponent*>& LyGetComponentArray() {
    static LyArrayTemplate<LyComponent*> living(4096);
    return living;
}

const char* LyComponentGetName(void* component) {
    LyComponent* self = Self(component);
    if (velora::Object* host = __LyHostObject(self)) return host->Name();
    const char* local = self->mLocalName;
    return local ? local : "";
}

void LyComponentSetName(void* component, const char* name) {
    LyComponent* self = Self(component);
    const char* text = name ? name : "";
    if (velora::Object* host = __LyHostObject(self)) {
        std::string plain;
        velora::Object::SplitName(text, nullptr, &plain);
        if (host->HasObjectFlags(kLyObjectFlagRenamable)) host->SetName(plain.c_str());
        self->mLocalName = plain.c_str();
        return;
    }
    self->mLocalName = text;
}

const char* LyComponentGetLongName(void* component) {
    LyComponent* self = Self(component);
    if (velora::Object* host = __LyHostObject(self)) return host->LabelName();
    const char* local = self->mLocalName;
    return local ? local : "";
}

void LyComponentSetLongName(void* component, const char* name) {
    LyComponent* self = Self(component);
    const char* text = name ? name : "";
    if (velora::Object* host = __LyHostObject(self)) {
        std::string ns;
        velora::Object::SplitName(text, &ns, nullptr);
        velora::Namespace* target = ns.empty() ? nullptr : velora::Namespace::Find(ns.c_str());
        if (target && target->IsHierarchyContentLocked()) {
            __LyTraceWarning(
                "Cannot add more objects to the namespace <%s> because it is hierarchy content "
                "locked.\n",
                ns.c_str());
            return;
        }
        if (host->HasObjectFlags(kLyObjectFlagRenamable)) host->SetLongName(text);
    }
    self->mLocalName = text;
}

LyComponent::LyComponent(HIObject object) : LyComponent(nullptr, object) {}

LyComponent::LyComponent(const char* name, HIObject object)
    : LyPlug(nullptr), mPropertyEvents(nullptr), mLocalName(), mCreatedHostObject(nullptr) {
    // Read the allocator's mark before anything else can allocate a component.
    const bool heap = gLastAllocationFromComponentAllocator;
    gLastAllocationFromComponentAllocator = false;
    if (object) {
        SetHIObject(object, false);
    } else {
        LySDKHostObject* created = LySDKHostObject::Create(name);
        mCreatedHostObject = created;
        SetHIObject(created->IQuery(lyiface::kIdSelf), true);
    }
    velora::Object* host = __LyHostObject(this);

    velora::Property* hostName = object && host ? host->FindProperty("Name") : nullptr;
    if (hostName && hostName->TypeId() != velora::kDataString) hostName = nullptr;
    if (hostName)
        Name.SetInternal(hostName);
    else
        Name.Init(this, "Name", &LyComponentGetName, &LyComponentSetName);
    PropertyAdd(&Name);
    LongName.Init(this, "LongName", &LyComponentGetLongName, &LyComponentSetLongName);
    PropertyAdd(&LongName);
    ListObjectsOf(host ? static_cast<IObject*>(host) : nullptr);
    PropertyAdd(&Components);
    PropertyAdd(&Parents);
    Parents.SetListOfParents(true);
    Selected.Init(this, "Selected", &GetSelected, &SetSelected);
    PropertyAdd(&Selected);
    Folder.Init(this, "Folder", &GetFolder, &SetFolder);
    PropertyAdd(&Folder);

    mAllocated = heap;
    LyGetComponentArray().Add(this);
}

LyComponent::~LyComponent() {
    LyGetComponentArray().RemoveIt(this);
    __LyForgetServedProperties(this);
    // Members of derived classes are gone already: the manager must not
    // touch the properties they declared.
    PropertyList.ForgetDeclared();
    if (mHIObject) {
        HIObject host = mHIObject;
        const bool owned = mSDKComponent;
        if (SetHIObject(nullptr, false) && owned) {
            velora::Object* full = velora::AsObject(host);
            if (!full || full->IsDeletable()) host->Destroy(0);
        }
    }
    // Events that outlive their parent must not reach back into it.
    InvalidatePropertyEventsParents();
}

IObject* LyComponent::IQuery(std::uint32_t id, int arg) {
    switch (id) {
        case lyiface::kIdPassThrough:
            return mHIObject ? mHIObject->IQuery(id, arg) : nullptr;
        case lyiface::kIdFullObject:
            return mHIObject ? mHIObject->IQuery(lyiface::kIdSelf, arg) : nullptr;
        default:
            return LyPlug::IQuery(id, arg);
    }
}

void LyComponent::Destroy(int mode) {
    LyDestroy();
    LyPlug::Destroy(mode);
}

bool LyComponent::LyCreate() { return true; }
void LyComponent::LyDestroy() {}

int LyComponent::PropertyAdd(LyProperty* property) {
    if (!property) return -1;
    // An unbound property that the extension's class declares is served by
    // its own functions; the library's own members are kept by the host.
    const char* self = reinterpret_cast<const char*>(static_cast<LyComponent*>(this));
    const char* at = reinterpret_cast<const char*>(property);
    if (!property->IsInternal() && (at < self || at >= self + sizeof(LyComponent)))
        __LyAddServedProperty(this, property);
    PropertyList.Add(property);
    // The manager answers -1 whatever it did; find where the property went.
    return PropertyList.FindInCache(property->GetInternal()) == property ? 0 : -1;
}

bool LyComponent::UseCustomPropertyViewSet() const { return true; }

bool LyComponent::SetHIObject(HIObject object, bool owns) {
    // Rebinding to another object first lets go of the previous one, so no
    // slot or event registration is left pointing at this component.
    if (object && mHIObject && object != mHIObject) SetHIObject(nullptr, false);
    mSDKComponent = owns;
    if (object) mHIObject = object;
    HIObject current = mHIObject;
    bool result = true;
    if (!current) {
        mHIObject = object;
    } else {
        auto* holder =
            static_cast<IWrapperHolder*>(current->IQuery(lyiface::kIdWrapperHolder));
        velora::Object* full = velora::AsObject(current);
        IObject* self = IQuery(lyiface::kIdSelf);
        if (object) {
            if (holder) {
                // An object has one wrapper: one that held the slot before
                // lets go (it is detached, not deleted).
                IObject* previous = holder->GetWrapper();
                if (previous && previous != self)
                    static_cast<LyPlug*>(static_cast<ICallback*>(previous))->SetHIObject(nullptr, false);
                holder->SetWrapper(self);
            }
            if (full) {
                PropertyList.SetParent(full);
                // Hear of host properties going away; registered once.
                full->PropertyEvents().RemoveHandler(this, kObjectEventHandler,
                                                     velora::kEventPropertyRemoved);
                full->PropertyEvents().AddHandler(this, kObjectEventHandler,
                                                  velora::kEventPropertyRemoved);
            }
            ListObjectsOf(full ? static_cast<IObject*>(full) : nullptr);
            return true;
        }
        // Only this component's own entry is cleared: the slot may hold
        // another wrapper by now.
        if (holder) {
            if (holder->GetWrapper() == self)
                holder->SetWrapper(nullptr);
            else
                result = false;
        }
        if (full) full->PropertyEvents().RemoveAll(this);
        PropertyList.SetParent(nullptr);
        ListObjectsOf(nullptr);
        mHIObject = nullptr;
    }
    InvalidatePropertyEventsParents();
    return result;
}

void LyComponent::ListObjectsOf(IObject* object) {
    // The lists read the host object at each call; they must never keep
    // one that has gone.
    Components.Init(object, "Components");
    Parents.Init(object, "Parents");
}

void LyComponent::LyDelete() {
    velora::Object* full = __LyHostObject(this);
    if (full) {
        if (full->IsDeletable()) {
            // The host ends the object and, through the slot, this wrapper.
            full->Destroy(0);
        } else {
            __LyTraceWarning("Warning: [%s] is not deletable!\n", full->FullName());
        }
        return;
    }
    if (mAllocated)
        delete this;
    else
        Destroy(0);
}

const char* LyComponent::GetFullName() const {
    if (velora::Object* full = __LyHostObject(this)) return full->FullName();
    const char* local = mLocalName;
    return local ? local : "";
}

const char* LyComponent::GetName() const {
    return LyComponentGetName(const_cast<LyComponent*>(this));
}

void LyComponent::SetName(const char* name) { LyComponentSetName(this, name); }

unsigned int LyComponent::GetObjectFlags() const {
    velora::Object* full = __LyHostObject(this);
    return full ? full->ObjectFlags() : 0u;
}

bool LyComponent::HasObjectFlags(unsigned int flags) const {
    velora::Object* full = __LyHostObject(this);
    return full && full->HasObjectFlags(flags);
}

void LyComponent::SetObjectFlags(unsigned int flags) {
    if (velora::Object* full = __LyHostObject(this)) full->SetObjectFlags(flags);
}

bool LyComponent::GetObjectStatus(unsigned int status) const {
    velora::Object* full = __LyHostObject(this);
    return full && (full->Status() & status) != 0;
}

void LyComponent::SetObjectStatus(unsigned int status, bool on) {
    if (velora::Object* full = __LyHostObject(this)) full->SetStatus(status, on);
}

namespace {

void ChangeFlags(velora::Object* full, unsigned int flags, bool on) {
    if (!full || full->HasObjectFlags(kLyObjectFlagLocked)) return;
    full->SetObjectFlags(on ? full->ObjectFlags() | flags : full->ObjectFlags() & ~flags);
    if ((flags & kLyObjectFlagInDisplaySet) && full->IsA(velora::kClassModel)) {
        velora::MainEntity& entity = velora::MainEntity::Instance();
        if (on)
            entity.AddToDisplaySet(full);
        else
            entity.RemoveFromDisplaySet(full);
    }
    velora::MainEntity::Instance().Notify(velora::kEntityObjectFlagsChanged, full);
}

}  // namespace

void LyComponent::EnableObjectFlags(unsigned int flags) { ChangeFlags(__LyHostObject(this), flags, true); }
void LyComponent::DisableObjectFlags(unsigned int flags) { ChangeFlags(__LyHostObject(this), flags, false); }

void LyComponent::HardSelect() {
    if (velora::Object* full = __LyHostObject(this)) full->HardSelect();
}

LyNamespace* LyComponent::GetOwnerNamespace() {
    velora::Object* full = __LyHostObject(this);
    velora::Object* ns = full ? full->OwnerNamespace() : nullptr;
    return reinterpret_cast<LyNamespace*>(ns ? LyGetLyComponent(ns, true) : nullptr);
}

void LyComponent::SetOwnerNamespace(LyNamespace* ns) {
    velora::Object* full = __LyHostObject(this);
    if (!full) return;
    velora::Object* target = ns ? __LyHostObject(reinterpret_cast<LyComponent*>(ns)) : nullptr;
    full->SetOwnerNamespace(target);
}

LyFileReference* LyComponent::GetOwnerFileReference() {
    velora::Object* full = __LyHostObject(this);
    velora::Object* reference = full ? full->OwnerFileReference() : nullptr;
    return reinterpret_cast<LyFileReference*>(reference ? LyGetLyComponent(reference, true)
                                                        : nullptr);
}

namespace {

// Nesting of namespace processing; the outermost call may open a rename
// transaction that the matching return closes.
int gNamespaceNesting = 0;
bool gNamespaceTransaction = false;
constexpr int kRenameTransactionThreshold = 300;

int CountRenamableDescendants(velora::Object* object) {
    int count = 0;
    for (int i = 0; i < object->ChildCount(); ++i) {
        velora::Object* child = object->Child(i);
        if (!child) continue;
        if (child->HasObjectFlags(kLyObjectFlagRenamable)) ++count;
        count += CountRenamableDescendants(child);
    }
    return count;
}

std::size_t LongestPrefix(velora::Object* object, bool hierarchy) {
    std::size_t longest = std::strlen(object->NamespacePart());
    if (!hierarchy) return longest;
    for (int i = 0; i < object->ChildCount(); ++i)
        if (velora::Object* child = object->Child(i))
            longest = std::max(longest, LongestPrefix(child, true));
    return longest;
}

bool ProcessNamespace(velora::Object* full, LyNamespaceAction action, const char* ns,
                      const char* replacement, bool onlyMissing, bool hierarchy) {
    if (!velora::IsValidNamespaceName(ns)) {
        __LyTraceWarning(
            "Namespace name should only contains alphabet, digit and '_', Can't start with "
            "digit, operation aborted.\n");
        return false;
    }
    if (replacement && *replacement && !velora::IsValidNamespaceName(replacement)) {
        __LyTraceWarning(
            "Replace to name should only contains alphabet, digit and '_', Can't start with "
            "digit, operation aborted.\n");
        return false;
    }
    velora::Namespace* existing = velora::Namespace::Find(ns);
    if (existing && existing->IsHierarchyContentLocked()) {
        __LyTraceWarning(
            "Cannot add/remove objects to/from the namespace <%s> because it is hierarchy "
            "content locked.\n",
            ns);
        return false;
    }
    if (!full) return true;

    std::string name(ns);
    std::string with(replacement ? replacement : "");
    const long prefix = static_cast<long>(LongestPrefix(full, hierarchy));
    if (action == kLyNamespaceAdd) {
        const long limit = 904 - prefix;
        if (static_cast<long>(name.size()) > limit) {
            name.resize(static_cast<std::size_t>(std::max(0L, limit)));
            __LyTraceWarning("The namespace to concatenate is too long, it has been truncated!\n");
        }
    } else if (action == kLyNamespaceReplace && with.size() > name.size()) {
        const long limit = static_cast<long>(name.size()) - prefix + 905;
        if (static_cast<long>(with.size()) > limit) {
            with.resize(static_cast<std::size_t>(std::max(0L, limit)));
            __LyTraceWarning("The new namespace is too long, it has been truncated!\n");
        }
    }
    if (name.empty()) return false;
    velora::ApplyNamespaceAction(full, action, name.c_str(), with.c_str(), onlyMissing, hierarchy);
    return true;
}

}  // namespace

bool LyComponent::ProcessNamespaceHierarchy(LyNamespaceAction action, const char* ns,
                                            const char* replacement, bool onlyMissing) {
    velora::Object* full = __LyHostObject(this);
    if (gNamespaceNesting++ == 0 && full &&
        CountRenamableDescendants(full) > kRenameTransactionThreshold) {
        velora::BeginRenameTransaction();
        gNamespaceTransaction = true;
    }
    const bool ok = ProcessNamespace(full, action, ns, replacement, onlyMissing, true);
    if (--gNamespaceNesting == 0 && gNamespaceTransaction) {
        velora::EndRenameTransaction();
        gNamespaceTransaction = false;
    }
    return ok;
}

bool LyComponent::ProcessObjectNamespace(LyNamespaceAction action, const char* ns,
                                         const char* replacement, bool onlyMissing) {
    return ProcessNamespace(__LyHostObject(this), action, ns, replacement, onlyMissing, false);
}

LyProperty* LyComponent::PropertyCreate(const char* name, LyPropertyType type,
                                        const char* dataTypeName, bool animatable, bool user,
                                        LyProperty* referenceProperty) {
    velora::Object* full = __LyHostObject(this);
    if (!full || !name) return nullptr;
    velora::Property* target = nullptr;
    if (type == kLyPropertyTypeReference) {
        target = __LyHostProperty(referenceProperty);
        if (!target) return nullptr;
    }
    const velora::DataType* dataType = dataTypeName && *dataTypeName
                                           ? velora::DataType::Find(dataTypeName)
                                           : velora::DataType::Get(__LyHostDataTypeOf(type));
    if (!dataType) return nullptr;
    std::uint32_t flags = 0;
    if (animatable) flags |= velora::kCreateAnimatable;
    if (user) flags |= velora::kCreateUser;
    velora::Property* created = full->CreateProperty(name, dataType->Id(), flags);
    if (!created) return nullptr;
    if (target) created->Links().SetReferenced(target);
    return PropertyList.Wrap(created);
}

void LyComponent::PropertyRemove(LyProperty* property) {
    velora::Property* host = __LyHostProperty(property);
    if (!host) return;
    if (host->IsUser()) {
        velora::Object* owner = host->OwnerObject();
        if (!owner || !owner->RemoveProperty(host)) return;  // the host refused
    }
    // The removal event has usually dropped the wrapper already; this only
    // compares the address, so it is safe after the host property ended.
    PropertyList.RemoveFromCache(host);
}

bool LyComponent::PropertyAddReferenceProperty(LyProperty* property) {
    velora::Object* full = __LyHostObject(this);
    velora::Property* target = __LyHostProperty(property);
    if (!full || !target) return false;
    // The reference takes the referenced property's name, made unique here.
    std::string name = target->Name();
    for (int n = 1; full->FindProperty(name.c_str()); ++n)
        name = std::string(target->Name()) + " " + std::to_string(n);
    velora::Property* reference =
        full->CreateProperty(name.c_str(), velora::kDataReference, velora::kCreateUser);
    return reference && reference->Links().SetReferenced(target);
}

void LyComponent::RegisterPropertyEvent(LyPropertyEvent* event) {
    if (!event) return;
    if (!mPropertyEvents) mPropertyEvents = new LyArrayTemplate<LyPropertyEvent*>(10);
    if (mPropertyEvents->Find(event) < 0) mPropertyEvents->Add(event);
}

void LyComponent::UnregisterPropertyEvent(LyPropertyEvent* event) {
    if (mPropertyEvents) mPropertyEvents->RemoveIt(event);
}

void LyComponent::InvalidatePropertyEventsParents() {
    if (!mPropertyEvents) return;
    // Taken off the component first: an event told of its parent's end must
    // not find itself listed again.
    LyArrayTemplate<LyPropertyEvent*>* events = mPropertyEvents;
    mPropertyEvents = nullptr;
    for (int i = 0; i < events->GetCount(); ++i) (*events)[i]->InvalidateParent();
    delete events;
}

void LyComponent::KObjectEvent(IRegister*, EventRecord* event) {
    if (!event || event->type != velora::kEventPropertyRemoved || !mHIObject) return;
    IObject* removed = event->subject;
    LyProperty* wrapper = PropertyList.FindInCache(removed);
    const bool declared = wrapper && !wrapper->mAllocated;
    PropertyList.RemoveFromCache(removed);
    // A declared wrapper stays with its class; it must not keep a dead host.
    if (declared) wrapper->SetInternal(nullptr);
}

LYSDK_END_NAMESPACE
