// The host part of every stored object: label, flags and properties, and
// the conversion of raw property values to and from their file form.

#include <cstring>
#include <string>
#include <vector>

#include "velora/curve_file.h"
#include "velora/data_type.h"
#include "velora/object.h"
#include "velora/property.h"
#include "velora/scene_storage.h"
#include "velora/string_list.h"

namespace velora {

namespace dsx {

namespace {

// A raw value of type T read from, or written to, memory that need not be
// aligned for it.
template <class T>
T Load(const void* raw) {
    T v;
    std::memcpy(&v, raw, sizeof v);
    return v;
}

template <class T>
bool Put(void* raw, T v) {
    std::memcpy(raw, &v, sizeof v);
    return true;
}

}  // namespace

bool StoreRawValue(int dataType, const void* raw, FileProperty& out) {
    const DataType* type = DataType::Get(dataType);
    if (!type || !raw || out.Type() != type->FileType()) return false;
    switch (type->Kind()) {
        case ValueKind::kInt32:
            return out.SetInteger(Load<int>(raw));
        case ValueKind::kInt64:
        case ValueKind::kTime:
            return out.SetInteger(Load<long long>(raw));
        case ValueKind::kUInt64:
            return out.SetUnsigned(Load<unsigned long long>(raw));
        case ValueKind::kBool:
            return out.SetInteger(Load<unsigned char>(raw) ? 1 : 0);
        case ValueKind::kFloat:
            return out.SetNumber(Load<float>(raw));
        case ValueKind::kDoubles:
        case ValueKind::kTimecode: {
            double v[4] = {};
            std::memcpy(v, raw, type->ValueSize());
            return out.SetNumbers(v, out.MemberCount());
        }
        case ValueKind::kString: {
            const char* v = Load<const char*>(raw);
            return out.SetText(v ? v : "");
        }
        default:
            return false;
    }
}

bool RetrieveRawValue(const FileProperty& in, int dataType, void* raw, std::size_t size) {
    const DataType* type = DataType::Get(dataType);
    if (!type || !raw || size != type->ValueSize() || in.Type() != type->FileType()) return false;
    std::int64_t i = 0;
    std::uint64_t u = 0;
    double d[4] = {};
    switch (type->Kind()) {
        case ValueKind::kInt32:  // the file holds the 32-bit range
            return in.GetInteger(&i) && Put(raw, static_cast<int>(i));
        case ValueKind::kInt64:
        case ValueKind::kTime:
            return in.GetInteger(&i) && Put(raw, static_cast<long long>(i));
        case ValueKind::kUInt64:
            return in.GetUnsigned(&u) && Put(raw, static_cast<unsigned long long>(u));
        case ValueKind::kBool:
            return in.GetInteger(&i) && Put(raw, i != 0);
        case ValueKind::kFloat:
            return in.GetNumber(d) && Put(raw, static_cast<float>(d[0]));
        case ValueKind::kDoubles:
        case ValueKind::kTimecode:
            if (!in.GetNumbers(d, in.MemberCount())) return false;
            std::memcpy(raw, d, size);
            return true;
        case ValueKind::kString: {
            const std::string* text = in.Text();
            return text && Put(raw, text->c_str());
        }
        default:
            return false;
    }
}

}  // namespace dsx

namespace {

namespace dsx = velora::dsx;

// The object flags a file keeps; the others (the host's own objects, say)
// are the host's business and never come from a file.
constexpr std::uint32_t kStoredObjectFlags =
    kObjectDeletable | kObjectInDisplaySet | kObjectLocked | kObjectRenamable;

// The host keeps per-member lock and mute bits at 0xF000 and 0xF0000; a
// file keeps them five places lower.
constexpr std::uint32_t kMuteAll = 0xF0000;
constexpr int kChannelShift = 5;

std::string Where(const Object& object, const char* property = nullptr) {
    std::string where = std::string("'") + object.FullName() + "'";
    if (property) where += std::string(" property '") + property + "'";
    return where;
}

std::uint32_t FileFlagsOf(const Property& p) {
    std::uint32_t flags = 0;
    if (p.IsAnimatable()) flags |= dsx::kFilePropertyAnimatable;
    if (p.IsUser()) flags |= dsx::kFilePropertyUser;
    if (p.IsReadOnly()) flags |= dsx::kFilePropertyReadOnly;
    if (p.HasFlag(kPropertyDisabled)) flags |= dsx::kFilePropertyDisabled;
    flags |= (p.Flags() & kPropertyLockAll) >> kChannelShift;
    flags |= (p.Flags() & kMuteAll) >> kChannelShift;
    return flags;
}

std::vector<std::string> TextsOf(const StringList* list) {
    std::vector<std::string> texts;
    if (!list) return texts;
    texts.reserve(static_cast<std::size_t>(list->Count()));
    for (int i = 0; i < list->Count(); ++i) texts.emplace_back(list->TextAt(i));
    return texts;
}

void SetTexts(StringList& list, const std::vector<std::string>& texts) {
    list.Clear();
    for (const std::string& text : texts) list.Add(text.c_str(), 0);
}

bool StoreValue(dsx::ObjectStore& store, const Object& object, const Property& p,
                dsx::FileProperty& out) {
    dsx::StorageSession& session = store.Session();
    switch (p.Type()->Kind()) {
        case ValueKind::kNone:
            return true;
        case ValueKind::kStringList:
            return out.SetTexts(TextsOf(p.Definition().EnumList()));
        case ValueKind::kObject: {
            std::vector<dsx::ObjectTarget> targets;
            for (int i = 0; i < p.Links().Count(); ++i) {
                Object* source = AsObject(p.Links().At(i));
                if (!source) {
                    session.Warn(Where(object, p.Name()) + ": source " + std::to_string(i) +
                                 " is not an object and is not saved");
                    continue;
                }
                targets.push_back(session.TargetOf(source));
            }
            return out.SetTargets(std::move(targets));
        }
        case ValueKind::kReference: {
            const Property* target = p.Links().Referenced();
            if (!target || !target->OwnerObject()) return true;
            dsx::ObjectTarget named = session.TargetOf(target->OwnerObject());
            named.property = target->Name();
            return out.SetTargets({std::move(named)});
        }
        default: {
            alignas(8) unsigned char raw[4 * sizeof(double)];
            return p.GetRaw(raw, p.Type()->ValueSize()) &&
                   dsx::StoreRawValue(p.TypeId(), raw, out);
        }
    }
}

// Writes `raw` past a read-only flag: the file's flags follow anyway.
bool WriteStored(Property& p, const void* raw) {
    const bool readOnly = p.IsReadOnly();
    if (readOnly) p.ModifyFlag(kPropertyReadOnly, false);
    const bool ok = p.SetRaw(raw, p.Type()->ValueSize());
    if (readOnly) p.ModifyFlag(kPropertyReadOnly, true);
    return ok;
}

void ApplyFlags(Property& p, std::uint32_t fileFlags) {
    p.ModifyFlag(kPropertyReadOnly, (fileFlags & dsx::kFilePropertyReadOnly) != 0);
    p.ModifyFlag(kPropertyDisabled, (fileFlags & dsx::kFilePropertyDisabled) != 0);
    if (p.Definition().AllowsLocking()) {
        p.ModifyFlag(kPropertyLockAll, false);
        p.ModifyFlag((fileFlags & dsx::kFilePropertyLockMask) << kChannelShift, true);
        p.ModifyFlag(kMuteAll, false);
        p.ModifyFlag((fileFlags & dsx::kFilePropertyMuteMask) << kChannelShift, true);
    }
}

// The property a file property restores into: the object's own of that
// name when it has the same type, a new one when there is none. A property
// of another type keeps its value: the file's is dropped with a warning
// (no value ever crosses types).
Property* TargetProperty(dsx::ObjectStore& store, Object& object, const dsx::FileProperty& in,
                         bool create) {
    const DataType* type = DataType::FromFileType(in.Type());
    if (!type) return nullptr;
    Property* p = object.FindProperty(in.Name().c_str());
    if (p) {
        if (p->Type() == type) return p;
        if (create)
            store.Session().Warn(Where(object, in.Name().c_str()) + " is of type " +
                                 p->Type()->Name() + "; the file's " +
                                 dsx::FileValueTypeName(in.Type()) + " value is not taken");
        return nullptr;
    }
    if (!create) return nullptr;
    std::uint32_t flags = 0;
    if (in.Flags() & dsx::kFilePropertyAnimatable) flags |= kCreateAnimatable;
    if (in.Flags() & dsx::kFilePropertyUser) flags |= kCreateUser;
    p = object.CreateProperty(in.Name().c_str(), type->Id(), flags);
    if (!p) store.Session().Warn(Where(object, in.Name().c_str()) + " cannot be created");
    return p;
}

bool RetrieveValue(dsx::ObjectStore& store, Object& object, const dsx::FileProperty& in,
                   Property& p) {
    switch (p.Type()->Kind()) {
        case ValueKind::kNone:
        case ValueKind::kObject:
        case ValueKind::kReference:
            return true;  // references resolve once every object exists
        case ValueKind::kStringList:
            SetTexts(*p.Definition().EnumList(true), in.Texts());
            p.NotifyEnumListChanged();
            return true;
        default: {
            if (p.TypeId() == kDataEnum && !in.Texts().empty() &&
                (!p.Definition().HasEnumList() || p.Definition().EnumList()->Count() == 0)) {
                SetTexts(*p.Definition().EnumList(true), in.Texts());
                p.NotifyEnumListChanged();
            }
            alignas(8) unsigned char raw[4 * sizeof(double)];
            if (!dsx::RetrieveRawValue(in, p.TypeId(), raw, p.Type()->ValueSize()))
                return false;
            if (WriteStored(p, raw)) return true;
            store.Session().Warn(Where(object, p.Name()) + ": the stored value was refused");
            return false;
        }
    }
}

void ResolveReferences(dsx::ObjectStore& store, Object& object, const dsx::FileProperty& in) {
    if (in.Type() != dsx::kFileValueObject && in.Type() != dsx::kFileValueReference) return;
    Property* p = TargetProperty(store, object, in, false);
    if (!p) return;
    dsx::StorageSession& session = store.Session();
    auto missing = [&](const dsx::ObjectTarget& t) {
        const std::string what = t.id ? "object " + std::to_string(t.id) + " of the file"
                                       : "'" + t.name + "'";
        session.Warn(Where(object, p->Name()) + ": " + what +
                     (t.property.empty() ? "" : " property '" + t.property + "'") +
                     " cannot be found; the reference is dropped");
    };
    const bool readOnly = p->IsReadOnly();
    if (readOnly) p->ModifyFlag(kPropertyReadOnly, false);
    if (in.Type() == dsx::kFileValueObject) {
        p->Links().Clear();
        for (const dsx::ObjectTarget& t : in.Targets()) {
            Plug* target = AsPlug(session.Resolve(t));
            if (!target) {
                missing(t);
            } else if (!p->Links().Add(target)) {
                session.Warn(Where(object, p->Name()) + ": '" + AsObject(target)->FullName() +
                             "' is refused as a source");
            }
        }
    } else if (!in.Targets().empty()) {
        const dsx::ObjectTarget& t = in.Targets()[0];
        Object* owner = AsObject(session.Resolve(t));
        Property* target = owner ? owner->FindProperty(t.property.c_str()) : nullptr;
        if (!target)
            missing(t);
        else if (!p->Links().SetReferenced(target))
            session.Warn(Where(object, p->Name()) + ": the reference is refused");
    } else {
        p->Links().SetReferenced(nullptr);
    }
    if (readOnly) p->ModifyFlag(kPropertyReadOnly, true);
}

}  // namespace

bool Object::StoreProperty(dsx::ObjectStore&, const Property&, dsx::FileProperty&) { return true; }

bool Object::RetrieveProperty(dsx::ObjectStore&, const dsx::FileProperty&, Property&) {
    return true;
}

bool Object::Store(dsx::ObjectStore& store) {
    dsx::FileObject* record = store.WritableRecord();
    if (!record) return false;
    const std::uint32_t pass = store.Pass();
    if (pass & dsx::kPassFields) {
        store.WriteString("Label", LabelName());
        store.WriteInteger("Flags", ObjectFlags() & kStoredObjectFlags);
    }
    if (pass & dsx::kPassAnimation) {
        for (int i = 0; i < PropertyCount(); ++i) {
            const Property& p = *PropertyAt(i);
            dsx::FileProperty* out = record->AddProperty(p.Name(), p.Type()->FileType());
            if (!out) {
                store.Session().Warn(Where(*this, p.Name()) + " is not saved (its name repeats)");
                continue;
            }
            out->SetFlags(FileFlagsOf(p));
            if (p.TypeId() == kDataEnum) out->SetTexts(TextsOf(p.Definition().EnumList()));
            if (!StoreValue(store, *this, p, *out) || !StoreProperty(store, p, *out)) {
                store.Session().Warn(Where(*this, p.Name()) + ": its value is not saved");
                continue;
            }
            StorePropertyAnimation(out, &p);
            store.Session().CountProperty();
        }
    }
    return true;
}

bool Object::Retrieve(dsx::ObjectStore& store) {
    const dsx::FileObject* record = store.Record();
    if (!record) return false;
    const std::uint32_t pass = store.Pass();
    if (pass & dsx::kPassFields) {
        std::int64_t flags = 0;
        if (record->GetInteger("Flags", &flags)) {
            const std::uint64_t bits = static_cast<std::uint64_t>(flags);
            if (bits & ~std::uint64_t(kStoredObjectFlags))
                store.Session().Warn(Where(*this) + ": flags " + std::to_string(flags) +
                                     " hold bits a file does not set; only " +
                                     std::to_string(bits & kStoredObjectFlags) + " are taken");
            SetObjectFlags((ObjectFlags() & ~kStoredObjectFlags) |
                           static_cast<std::uint32_t>(bits & kStoredObjectFlags));
        }
    }
    if (pass & dsx::kPassAnimation) {
        for (int i = 0; i < record->PropertyCount(); ++i) {
            const dsx::FileProperty& in = *record->PropertyAt(i);
            if (in.Flags() & dsx::kFilePropertyServed) continue;  // the extension's
            Property* p = TargetProperty(store, *this, in, true);
            if (!p || !RetrieveValue(store, *this, in, *p)) continue;
            ApplyFlags(*p, in.Flags());
            // Its curves, as the property's value is kept: past its locks.
            if (in.Animation()) {
                const std::uint32_t locks = p->Flags() & kPropertyLockAll;
                p->ModifyFlag(locks, false);
                RetrievePropertyAnimation(p, &in);
                p->ModifyFlag(locks, true);
            }
            if (!RetrieveProperty(store, in, *p)) continue;
            store.Session().CountProperty();
        }
    }
    if (pass & dsx::kPassReferences) {
        for (int i = 0; i < record->PropertyCount(); ++i)
            ResolveReferences(store, *this, *record->PropertyAt(i));
    }
    return true;
}

}  // namespace velora
