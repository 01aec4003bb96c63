// Storage of the property values that an extension serves through its own
// get and set functions.

#include "core/served_properties.h"

#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include <velora/data_type.h>
#include <velora/object.h>

#include "property/property_access.h"

LYSDK_BEGIN_NAMESPACE

namespace {

namespace dsx = velora::dsx;

std::unordered_map<const LyComponent*, std::vector<LyProperty*>>& Served() {
    static std::unordered_map<const LyComponent*, std::vector<LyProperty*>> served;
    return served;
}

// The host type of a served property whose value has a plain file form
// (numbers, texts, vectors, times); null for the others.
const velora::DataType* PlainType(const LyProperty* property) {
    const velora::DataType* type = velora::DataType::FromSdkType(property->GetPropertyType());
    if (!type) return nullptr;
    switch (type->Kind()) {
        case velora::ValueKind::kNone:
        case velora::ValueKind::kObject:
        case velora::ValueKind::kStringList:
        case velora::ValueKind::kReference:
            return nullptr;
        default:
            return type;
    }
}

bool SameValue(const velora::DataType& type, const void* a, const void* b) {
    if (type.Kind() != velora::ValueKind::kString)
        return std::memcmp(a, b, type.ValueSize()) == 0;
    const char* x;
    const char* y;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    return std::strcmp(x ? x : "", y ? y : "") == 0;
}

std::string Where(velora::dsx::ObjectStore& store, const LyProperty* property) {
    velora::Object* object = velora::AsObject(store.Subject());
    return std::string("'") + (object ? object->FullName() : "?") + "' property '" +
           property->GetName() + "'";
}

}  // namespace

void __LyAddServedProperty(LyComponent* owner, LyProperty* property) {
    if (!owner || !property || property->IsInternal() || !PlainType(property)) return;
    std::vector<LyProperty*>& list = Served()[owner];
    for (LyProperty* p : list)
        if (p == property) return;
    list.push_back(property);
}

void __LyForgetServedProperty(const LyComponent* owner, const LyProperty* property) {
    auto found = Served().find(owner);
    if (found == Served().end()) return;
    std::vector<LyProperty*>& list = found->second;
    for (auto it = list.begin(); it != list.end(); ++it)
        if (*it == property) {
            list.erase(it);
            return;
        }
}

void __LyForgetServedProperties(const LyComponent* owner) { Served().erase(owner); }

bool __LyStoreServedProperties(LyComponent* owner, dsx::ObjectStore& store) {
    if (!(store.Pass() & dsx::kPassAnimation)) return true;
    auto found = Served().find(owner);
    dsx::FileObject* record = store.WritableRecord();
    if (found == Served().end()) return true;
    if (!record) return false;
    for (LyProperty* p : found->second) {
        const velora::DataType* type = PlainType(p);
        dsx::FileProperty* out = type ? record->AddProperty(p->GetName(), type->FileType()) : nullptr;
        if (!out) {
            store.Session().Warn(Where(store, p) + " is not saved (a property of that name is)");
            continue;
        }
        alignas(8) unsigned char raw[4 * sizeof(double)] = {};
        p->GetData(raw, static_cast<int>(type->ValueSize()));
        out->SetFlags(dsx::kFilePropertyServed | (p->IsReadOnly() ? dsx::kFilePropertyReadOnly : 0u));
        if (!dsx::StoreRawValue(type->Id(), raw, *out)) continue;
        store.Session().CountProperty();
    }
    return true;
}

bool __LyRetrieveServedProperties(LyComponent* owner, dsx::ObjectStore& store) {
    if (!(store.Pass() & dsx::kPassAnimation)) return true;
    auto found = Served().find(owner);
    if (found == Served().end()) return true;
    const dsx::FileObject* record = store.Record();
    if (!record) return false;
    for (LyProperty* p : found->second) {
        const dsx::FileProperty* in = record->FindProperty(p->GetName());
        if (!in || !(in->Flags() & dsx::kFilePropertyServed)) continue;
        const velora::DataType* type = PlainType(p);
        alignas(8) unsigned char raw[4 * sizeof(double)] = {};
        if (!dsx::RetrieveRawValue(*in, type->Id(), raw, type->ValueSize())) {
            store.Session().Warn(Where(store, p) + " is of type " + type->Name() + "; the file's " +
                                 dsx::FileValueTypeName(in->Type()) + " value is not taken");
            continue;
        }
        if (p->IsReadOnly()) {
            // Nothing to write into: the value counts as restored when the
            // extension serves what was saved.
            alignas(8) unsigned char now[4 * sizeof(double)] = {};
            p->GetData(now, static_cast<int>(type->ValueSize()));
            if (!SameValue(*type, raw, now)) {
                store.Session().Warn(Where(store, p) + " is read-only; its saved value differs");
                continue;
            }
        } else {
            p->SetData(raw);
        }
        store.Session().CountProperty();
    }
    return true;
}

LYSDK_END_NAMESPACE
