// Host properties: definition, flags, value storage and connections. The
// text forms are in property_text.cpp.

#include "velora/property.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cfloat>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "property/property_table.h"
#include "velora/object.h"
#include "velora/scene_events.h"
#include "velora/string_list.h"

namespace velora {

namespace {

char* CopyText(const char* text) {
    const char* t = text ? text : "";
    const std::size_t n = std::strlen(t) + 1;
    char* copy = static_cast<char*>(std::malloc(n));
    if (copy) std::memcpy(copy, t, n);
    return copy;
}

}  // namespace

static_assert(sizeof(PlugHandle) <= sizeof(double[4]) && alignof(PlugHandle) <= alignof(double),
              "a reference's handle is kept in the value's bytes");

Property::Property(Object* object, const char* name, const DataType* type, std::uint32_t createFlags)
    : object_(object), type_(type), name_(name) {
    PropertyDefinition& d = definition_;
    if (createFlags & kCreateAnimatable) d.SetAttribute(kAttrAnimatable | kAttrAllowsLocking, true);
    if (createFlags & kCreateUser) d.SetAttribute(kAttrUser, true);
    if (createFlags & kCreateTemporary) d.SetAttribute(kAttrTemporary, true);
    if (createFlags & kCreateConnectable) d.SetAttribute(kAttrConnectable, true);
    switch (type_->Kind()) {
        case ValueKind::kString:
            value_.s = CopyText("");
            break;
        case ValueKind::kStringList:
            d.EnumList(true);
            d.SetAttribute(kAttrList, true);
            break;
        case ValueKind::kObject:
            // A connectable object property lists objects; a plain one holds one.
            d.SetAttribute((createFlags & kCreateConnectable) ? kAttrList : kAttrSingleConnect, true);
            break;
        case ValueKind::kReference:
            new (&value_) PlugHandle();
            break;
        default:
            break;
    }
}

Property::~Property() {
    if (type_->Kind() == ValueKind::kString) std::free(value_.s);
    if (type_->Kind() == ValueKind::kReference) ReferenceSlot().~PlugHandle();
}

PlugHandle& Property::ReferenceSlot() { return *std::launder(reinterpret_cast<PlugHandle*>(&value_)); }
const PlugHandle& Property::ReferenceSlot() const {
    return *std::launder(reinterpret_cast<const PlugHandle*>(&value_));
}

void Property::Teardown() {
    if (Object* object = object_) {
        PropertyTable* table = object->properties_;
        object_ = nullptr;
        table->byName.Erase(this);
        auto& order = table->order;
        order.erase(std::remove(order.begin(), order.end(), this), order.end());
        object->ModFlags() |= kModSelfProperty;
        // Listeners hear of it while the property is still whole; it is
        // already out of the lookups.
        if (!object->IsEnding()) {
            lyiface::EventRecord record(kEventPropertyRemoved, 0, this);
            ++table->raising;
            table->events.Raise(record);
            // A listener that ended the object left the table to us.
            if (--table->raising == 0 && table->orphaned) delete table;
        }
    }
    Plug::Teardown();
}

IObject* Property::IQuery(std::uint32_t id, int) {
    switch (id) {
        case lyiface::kIdSelf:
        case lyiface::kIdPlug:
        case kIdHostProperty:
            return this;
        default:
            return nullptr;
    }
}

bool Property::SetName(const char* name) {
    if (!name || !*name) return false;
    if (name_ == name) return true;
    if (object_ && object_->properties_->byName.Find(name)) return false;
    const std::string wanted(name);  // `name` may point into a handler's storage
    const PlugHandle alive(this);
    if (!PlugNotify(kActRequestRename, this, 0, nullptr, 0, nullptr) || !alive.Valid()) return false;
    if (!PlugNotify(kActRename, this, 0, nullptr, 0, nullptr) || !alive.Valid()) return false;
    if (object_) {
        PropertyTable* table = object_->properties_;
        if (table->byName.Find(wanted)) return false;  // taken meanwhile
        // Indexed by its name: out of the index before it changes.
        table->byName.Erase(this);
        name_ = wanted;
        table->byName.Insert(this);
    } else {
        name_ = wanted;
    }
    ModFlags() |= kModSelfName;
    PlugNotify(kActRenamed, this, 0, nullptr, 0, nullptr);
    return true;
}

const char* Property::TranslatedName() const {
    const char* translation = definition_.Translation();
    return translation ? translation : name_.c_str();
}

void Property::NotifyEnumListChanged() {
    definition_.CountEnumListChange();
    ModFlags() |= kModSelfOther;
}

bool Property::PlugNotify(int action, Plug* plug, int index, Plug* plug2, int type, Plug* plug3) {
    if (action == kActRequestConnectSrc) {
        if (!definition_.AcceptsSource(plug)) return false;
        if (definition_.IsSingleConnect() && SrcCount() >= 1) return false;
    }
    return Plug::PlugNotify(action, plug, index, plug2, type, plug3);
}

bool Property::Tell(ValueNotify notify, int action, const void* data, const void* oldData, int size) {
    void* now = const_cast<void*>(data);
    void* before = const_cast<void*>(oldData);
    if (Object* owner = object_) {
        if (owner->Wrapper()) {
            // An extension hears it through the owner's wrapper and may end
            // the property meanwhile.
            const PlugHandle alive(this);
            if (!(owner->*notify)(action, this, now, before, size) || !alive.Valid()) return false;
        } else if (!(owner->*notify)(action, this, now, before, size)) {
            return false;
        }
    }
    return (this->*notify)(action, this, now, before, size);
}

bool Property::ModifyFlag(std::uint32_t f, bool on) {
    const std::uint32_t before = flags_;
    const std::uint32_t proposed = on ? flags_ | f : flags_ & ~f;
    if (proposed == before) return true;
    if (!Tell(&Plug::PlugStateNotify, kActCandidate, &proposed, &before, sizeof flags_)) return false;
    const std::uint32_t old = flags_;  // a handler may have changed other bits
    flags_ = on ? flags_ | f : flags_ & ~f;
    if (flags_ == old) return true;
    // Evaluation schedules list the animated properties.
    if ((flags_ ^ old) & kPropertyAnimated) BumpStructureVersion();
    ModFlags() |= kModSelfFlags;
    Tell(&Plug::PlugStateNotify, kActValueChanged, &flags_, &old, sizeof flags_);
    return true;
}

bool Property::IsMemberLocked(int i) const {
    if (i < 0 || i >= MemberCount() || i > 3) return false;
    return HasFlag(kPropertyLockMember0 << i);
}

bool Property::SetMemberLocked(int i, bool on) {
    if (i < 0 || i >= MemberCount() || i > 3) return false;
    if (on && !definition_.AllowsLocking()) return false;
    return ModifyFlag(kPropertyLockMember0 << i, on);
}

bool Property::SetLocked(bool on) {
    if (on && !definition_.AllowsLocking()) return false;
    return ModifyFlag(kPropertyLockAll, on);
}

void* Property::ValuePtr() { return const_cast<void*>(static_cast<const Property*>(this)->ValuePtr()); }

const void* Property::ValuePtr() const {
    switch (type_->Kind()) {
        case ValueKind::kNone:
        case ValueKind::kObject:
        case ValueKind::kStringList:
        case ValueKind::kReference:
            return nullptr;
        default:
            return &value_;
    }
}

bool Property::GetRaw(void* out) const {
    if (!out) return false;
    definition_.Produce();
    switch (type_->Kind()) {
        case ValueKind::kNone:
            return false;
        case ValueKind::kString: {
            const char* text = value_.s ? value_.s : "";
            std::memcpy(out, &text, sizeof text);
            return true;
        }
        case ValueKind::kObject: {
            IObject* source = Src(0);
            std::memcpy(out, &source, sizeof source);
            return true;
        }
        case ValueKind::kStringList: {
            const StringList* list = definition_.EnumList();
            std::memcpy(out, &list, sizeof list);
            return true;
        }
        case ValueKind::kReference: {
            IObject* target = static_cast<Property*>(ReferenceSlot().Get());
            std::memcpy(out, &target, sizeof target);
            return true;
        }
        default:
            std::memcpy(out, &value_, type_->ValueSize());
            return true;
    }
}

bool Property::GetRaw(void* out, std::size_t size) const {
    return size == type_->ValueSize() && GetRaw(out);
}

bool Property::SetRaw(const void* in, std::size_t size) {
    return size == type_->ValueSize() && SetRaw(in);
}

bool Property::SetRaw(const void* in) {
    if (!in || IsReadOnly()) return false;
    const int size = static_cast<int>(type_->ValueSize());
    // The proposal: the owner's wrapper may refuse the value.
    if (!Tell(&Plug::PlugDataNotify, kActCandidate, in, ValuePtr(), size)) return false;
    // Those told of the change get the old value too: keep a copy, only when
    // someone listens (a text's copy outlives the write that frees it).
    const bool heard = !SceneEvents::Instance().Data().Empty() || (object_ && object_->Wrapper());
    const bool inline_ = ValuePtr() != nullptr;
    Value before{};
    std::string beforeText;
    if (heard && inline_) {
        before = value_;
        if (type_->Kind() == ValueKind::kString) {
            beforeText = value_.s ? value_.s : "";
            before.s = beforeText.data();
        }
    }
    if (!WriteChecked(in)) return false;
    ModFlags() |= kModSelfValue;
    definition_.Take();
    Tell(&Plug::PlugDataNotify, kActValueChanged, ValuePtr(), heard && inline_ ? &before : nullptr, size);
    return true;
}

namespace {

// Integers are held to whole bounds compared as integers, so the clamp is
// exact at the ends of 64-bit ranges that doubles cannot all represent. A
// NaN bound never applies; a bound beyond the type's range applies to every
// value or to none.
template <typename T>
T ClampInt(T v, bool useMin, double min, bool useMax, double max) {
    // Two to the number of value bits: the first double above every T.
    const double top = std::ldexp(1.0, std::numeric_limits<T>::digits);
    const double bottom = static_cast<double>(std::numeric_limits<T>::lowest());
    if (useMin && !std::isnan(min)) {
        const double m = std::ceil(min);
        if (m >= top) return std::numeric_limits<T>::max();
        if (m > bottom && v < static_cast<T>(m)) v = static_cast<T>(m);
    }
    if (useMax && !std::isnan(max)) {
        const double m = std::floor(max);
        if (m < bottom) return std::numeric_limits<T>::lowest();
        if (m < top && v > static_cast<T>(m)) v = static_cast<T>(m);
    }
    return v;
}

template <typename T>
T ClampReal(T v, bool useMin, double min, bool useMax, double max) {
    const double d = static_cast<double>(v);
    const double lo = static_cast<double>(std::numeric_limits<T>::lowest());
    const double hi = static_cast<double>(std::numeric_limits<T>::max());
    if (useMin && d < min) return static_cast<T>(min > hi ? hi : min);
    if (useMax && d > max) return static_cast<T>(max < lo ? lo : max);
    return v;
}

}  // namespace

bool Property::WriteChecked(const void* in) {
    const PropertyDefinition& d = definition_;
    const bool useMin = d.IsMinClamp();
    const bool useMax = d.IsMaxClamp();
    const double min = useMin ? d.Min() : 0.0;
    const double max = useMax ? d.Max() : 0.0;
    const bool scalarLocked = HasFlag(kPropertyLockMember0);
    switch (type_->Kind()) {
        case ValueKind::kNone:
            return false;
        case ValueKind::kInt32: {
            if (scalarLocked) return false;
            int v;
            std::memcpy(&v, in, sizeof v);
            if (type_->Id() != kDataEnum) v = ClampInt(v, useMin, min, useMax, max);
            value_.i = v;
            return true;
        }
        case ValueKind::kInt64:
        case ValueKind::kTime: {
            if (scalarLocked) return false;
            long long v;
            std::memcpy(&v, in, sizeof v);
            if (type_->Kind() == ValueKind::kInt64) v = ClampInt(v, useMin, min, useMax, max);
            value_.ll = v;
            return true;
        }
        case ValueKind::kUInt64: {
            if (scalarLocked) return false;
            unsigned long long v;
            std::memcpy(&v, in, sizeof v);
            value_.ull = ClampInt(v, useMin, min, useMax, max);
            return true;
        }
        case ValueKind::kBool: {
            if (scalarLocked) return false;
            unsigned char byte;
            std::memcpy(&byte, in, 1);
            value_.b = byte != 0;
            return true;
        }
        case ValueKind::kFloat: {
            if (scalarLocked) return false;
            float v;
            std::memcpy(&v, in, sizeof v);
            value_.f = ClampReal(v, useMin, min, useMax, max);
            return true;
        }
        case ValueKind::kDoubles: {
            const int n = MemberCount();
            double v[4];
            std::memcpy(v, in, sizeof(double) * static_cast<std::size_t>(n));
            bool any = false;
            for (int i = 0; i < n; ++i) {
                if (IsMemberLocked(i)) continue;
                value_.d[i] = ClampReal(v[i], useMin, min, useMax, max);
                any = true;
            }
            return any;
        }
        case ValueKind::kTimecode: {
            if (scalarLocked) return false;
            std::memcpy(value_.d, in, 3 * sizeof(double));
            return true;
        }
        case ValueKind::kString: {
            const char* text;
            std::memcpy(&text, in, sizeof text);
            char* copy = CopyText(text);  // copied first: text may be our own
            if (!copy) return false;
            std::free(value_.s);
            value_.s = copy;
            return true;
        }
        case ValueKind::kObject: {
            IObject* object;
            std::memcpy(&object, in, sizeof object);
            Plug* plug = AsPlug(object);
            if (object && !plug) return false;
            if (plug && !definition_.AcceptsSource(plug)) return false;
            if (plug && SrcCount() == 1 && Src(0) == plug) return true;
            DisconnectAllSrc();
            if (SrcCount() != 0) return false;  // a disconnection was refused
            return plug ? ConnectSrc(plug) : true;
        }
        case ValueKind::kStringList: {
            const StringList* list;
            std::memcpy(&list, in, sizeof list);
            StringList* own = definition_.EnumList(true);
            if (list == own) return true;
            if (list)
                *own = *list;
            else
                own->Clear();
            return true;
        }
        case ValueKind::kReference: {
            // Whatever the caller hands over, only a host property is taken.
            IObject* object;
            std::memcpy(&object, in, sizeof object);
            Property* target = AsProperty(object);
            if ((object && !target) || target == this) return false;
            ReferenceSlot().Reset(target);
            return true;
        }
    }
    return false;
}

bool Property::GetInt(int* out) const {
    if (!out) return false;
    definition_.Produce();
    auto saturate = [](double d) {
        if (std::isnan(d)) return 0;
        if (d >= static_cast<double>(INT_MAX)) return INT_MAX;
        if (d <= static_cast<double>(INT_MIN)) return INT_MIN;
        return static_cast<int>(d);  // truncates toward zero
    };
    switch (type_->Kind()) {
        case ValueKind::kInt32:
            *out = value_.i;
            return true;
        case ValueKind::kBool:
            *out = value_.b ? 1 : 0;
            return true;
        case ValueKind::kInt64:
            *out = value_.ll > INT_MAX ? INT_MAX : value_.ll < INT_MIN ? INT_MIN : static_cast<int>(value_.ll);
            return true;
        case ValueKind::kUInt64:
            *out = value_.ull > static_cast<unsigned long long>(INT_MAX) ? INT_MAX : static_cast<int>(value_.ull);
            return true;
        case ValueKind::kFloat:
            *out = saturate(value_.f);
            return true;
        case ValueKind::kDoubles:
            if (type_->Id() != kDataNumber) return false;
            *out = saturate(value_.d[0]);
            return true;
        default:
            return false;
    }
}

int Property::AsInt() const {
    int v = 0;
    return GetInt(&v) ? v : 0;
}

bool Property::SetInt(int value) {
    switch (type_->Kind()) {
        case ValueKind::kInt32:
            return SetRaw(&value);
        case ValueKind::kBool: {
            const bool b = value != 0;
            return SetRaw(&b);
        }
        case ValueKind::kInt64: {
            const long long v = value;
            return SetRaw(&v);
        }
        case ValueKind::kUInt64: {
            if (value < 0) return false;
            const unsigned long long v = static_cast<unsigned long long>(value);
            return SetRaw(&v);
        }
        case ValueKind::kFloat: {
            const float v = static_cast<float>(value);
            return SetRaw(&v);
        }
        case ValueKind::kDoubles: {
            if (type_->Id() != kDataNumber) return false;
            const double v = value;
            return SetRaw(&v);
        }
        default:
            return false;
    }
}

}  // namespace velora
