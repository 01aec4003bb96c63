// LyDsxObject: an extension's view of the host's scene-file store of one
// object.

#include <climits>

#include <velora/scene_storage.h>

#include "core/host_access.h"
#include "lysdk/lycomponent.h"
#include "lysdk/lydsx.h"

LYSDK_BEGIN_NAMESPACE

// The bits are the host's own, handed over without translation.
constexpr bool SameBit(kDsxObjectStore sdk, velora::dsx::PassFlag host) {
    return static_cast<unsigned>(sdk) == static_cast<unsigned>(host);
}
static_assert(SameBit(kLyDsxStoreHeader, velora::dsx::kPassHeader) &&
                  SameBit(kLyDsxStoreFields, velora::dsx::kPassFields) &&
                  SameBit(kLyDsxStoreAnimation, velora::dsx::kPassAnimation) &&
                  SameBit(kLyDsxStoreReferences, velora::dsx::kPassReferences),
              "pass bits differ from the host's");

namespace {

velora::dsx::ObjectStore* StoreOf(const LyDsxObject* object) {
    return velora::dsx::AsObjectStore(object->GetHIObject());
}

bool Named(const char* name) { return name && *name; }

}  // namespace

LyDsxObject::LyDsxObject(HIObject store) : LyPlug(store) {}

LyDsxObject::~LyDsxObject() = default;

kDsxObjectStore LyDsxObject::GetPass() const {
    velora::dsx::ObjectStore* store = StoreOf(this);
    return static_cast<kDsxObjectStore>(store ? store->Pass() : 0u);
}

bool LyDsxObject::IsStoring() const {
    velora::dsx::ObjectStore* store = StoreOf(this);
    return store && store->IsStoring();
}

bool LyDsxObject::IsRetrieving() const {
    velora::dsx::ObjectStore* store = StoreOf(this);
    return store && !store->IsStoring();
}

bool LyDsxObject::FieldWriteInt(const char* name, int value) {
    velora::dsx::ObjectStore* store = StoreOf(this);
    return store && Named(name) && store->WriteInteger(name, value);
}

bool LyDsxObject::FieldWriteDouble(const char* name, double value) {
    velora::dsx::ObjectStore* store = StoreOf(this);
    return store && Named(name) && store->WriteDouble(name, value);
}

bool LyDsxObject::FieldWriteString(const char* name, const char* value) {
    velora::dsx::ObjectStore* store = StoreOf(this);
    return store && Named(name) && value && store->WriteString(name, value);
}

bool LyDsxObject::FieldWriteObjectReference(const char* name, LyComponent* object) {
    velora::dsx::ObjectStore* store = StoreOf(this);
    if (!store || !Named(name)) return false;
    if (!object) return store->WriteReference(name, nullptr);
    // A component without a host object cannot be in the file; refusing
    // here keeps the null reference for an explicit null.
    IObject* host = object->GetHIObject();
    return host && store->WriteReference(name, host);
}

bool LyDsxObject::FieldExists(const char* name) const {
    velora::dsx::ObjectStore* store = StoreOf(this);
    return store && Named(name) && store->HasField(name);
}

int LyDsxObject::FieldReadInt(const char* name) const {
    velora::dsx::ObjectStore* store = StoreOf(this);
    std::int64_t value = 0;
    if (!store || !Named(name) || !store->ReadInteger(name, &value)) return 0;
    if (value < INT_MIN) return INT_MIN;
    if (value > INT_MAX) return INT_MAX;
    return static_cast<int>(value);
}

double LyDsxObject::FieldReadDouble(const char* name) const {
    velora::dsx::ObjectStore* store = StoreOf(this);
    double value = 0.0;
    if (!store || !Named(name) || !store->ReadDouble(name, &value)) return 0.0;
    return value;
}

const char* LyDsxObject::FieldReadString(const char* name) const {
    velora::dsx::ObjectStore* store = StoreOf(this);
    const char* text = store && Named(name) ? store->ReadString(name) : nullptr;
    return text ? text : "";
}

LyComponent* LyDsxObject::FieldReadObjectReference(const char* name) const {
    velora::dsx::ObjectStore* store = StoreOf(this);
    if (!store || !Named(name)) return nullptr;
    IObject* target = store->ReadReference(name);
    return target ? LyGetLyComponent(target, true) : nullptr;
}

LYSDK_END_NAMESPACE
