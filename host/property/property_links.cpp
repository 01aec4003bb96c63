// What object and reference properties link to.

#include "velora/property_links.h"

#include "velora/property.h"

namespace velora {

bool PropertyLinks::IsObject() const { return property_.Type()->Kind() == ValueKind::kObject; }

bool PropertyLinks::IsObjectList() const { return IsObject() && property_.Definition().IsList(); }

int PropertyLinks::Count() const { return IsObject() ? property_.SrcCount() : 0; }

Plug* PropertyLinks::At(int i) const { return IsObject() ? property_.Src(i) : nullptr; }

bool PropertyLinks::Add(Plug* object) {
    if (!IsObject() || property_.IsReadOnly()) return false;
    return property_.ConnectSrc(object);  // filter and single-connect: PlugNotify
}

bool PropertyLinks::Insert(int i, Plug* object) {
    if (!IsObject() || property_.IsReadOnly()) return false;
    return property_.ConnectSrcAt(i, object);
}

bool PropertyLinks::SetAt(int i, Plug* object) {
    if (!IsObject() || property_.IsReadOnly() || !property_.Definition().AcceptsSource(object)) return false;
    if (property_.Src(i) == object) return true;
    return property_.ReplaceSrcAt(i, object);
}

bool PropertyLinks::RemoveAt(int i) {
    if (!IsObject() || property_.IsReadOnly()) return false;
    return property_.DisconnectSrcAt(i);
}

void PropertyLinks::Clear() {
    if (IsObject() && !property_.IsReadOnly()) property_.DisconnectAllSrc();
}

int PropertyLinks::Find(const Plug* object) const {
    return IsObject() && object ? property_.SrcIndex(object) : -1;
}

Property* PropertyLinks::Referenced() const {
    if (property_.Type()->Kind() != ValueKind::kReference) return nullptr;
    return static_cast<Property*>(property_.ReferenceSlot().Get());
}

bool PropertyLinks::SetReferenced(Property* target) {
    if (property_.Type()->Kind() != ValueKind::kReference) return false;
    IObject* object = target;  // the raw value of a reference is an object interface
    return property_.SetRaw(&object);
}

}  // namespace velora
