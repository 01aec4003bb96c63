// LyComponent: binding, ownership and names.

#include <cstdlib>
#include <new>
#include <string>

#include "core/host_classes.h"
#include "lysdk/lycomponent.h"

LYSDK_BEGIN_NAMESPACE

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

LyComponent::LyComponent(HIObject object)
    : LyPlug(nullptr), mPropertyEvents(nullptr), mLocalName(), mCreatedHostObject(nullptr) {
    // Read the allocator's mark before anything else can allocate a component.
    const bool heap = gLastAllocationFromComponentAllocator;
    gLastAllocationFromComponentAllocator = false;
    if (object) {
        SetHIObject(object, false);
    } else {
        LySDKHostObject* created = LySDKHostObject::Create();
        mCreatedHostObject = created;
        SetHIObject(created->IQuery(lyiface::kIdSelf), true);
    }
    mAllocated = heap;
    LyGetComponentArray().Add(this);
}

LyComponent::~LyComponent() {
    LyGetComponentArray().RemoveIt(this);
    if (mHIObject) {
        HIObject host = mHIObject;
        const bool owned = mSDKComponent;
        if (SetHIObject(nullptr, false) && owned) {
            velora::Object* full = velora::AsObject(host);
            if (!full || full->IsDeletable()) host->Destroy(0);
        }
    }
    delete mPropertyEvents;
    mPropertyEvents = nullptr;
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

bool LyComponent::SetHIObject(HIObject object, bool owns) {
    mSDKComponent = owns;
    if (object) mHIObject = object;
    HIObject current = mHIObject;
    bool result = true;
    if (!current) {
        mHIObject = object;
    } else {
        auto* holder =
            static_cast<IWrapperHolder*>(current->IQuery(lyiface::kIdWrapperHolder));
        if (object) {
            if (holder) holder->SetWrapper(IQuery(lyiface::kIdSelf));
            return true;
        }
        if (holder) {
            if (holder->GetWrapper()) {
                holder->SetWrapper(nullptr);
            } else {
                result = false;
            }
        }
        mHIObject = nullptr;
    }
    return result;
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
    if (velora::Object* full = __LyHostObject(this)) return full->Name();
    const char* local = mLocalName;
    return local ? local : "";
}

void LyComponent::SetName(const char* name) {
    const char* text = name ? name : "";
    if (velora::Object* full = __LyHostObject(this)) {
        std::string plain;
        velora::Object::SplitName(text, nullptr, &plain);
        if (full->HasObjectFlags(kLyObjectFlagRenamable)) full->SetName(plain.c_str());
        mLocalName = plain.c_str();
        return;
    }
    mLocalName = text;
}

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

LYSDK_END_NAMESPACE
