// LyProperty: the wrapper of one host property.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

#include <velora/object.h>
#include <velora/string_list.h>

#include "lysdk/lycomponent.h"
#include "lysdk/lystringlist.h"
#include "lysdk/lytime.h"
#include "lysdk/lytimecode.h"
#include "property/property_access.h"

LYSDK_BEGIN_NAMESPACE

namespace {

// The SDK's property types and flag bits are the host's own, read from the
// host's value-type table; these checks keep the two from drifting apart.
constexpr bool SdkTypeIs(int hostType, LyPropertyType sdkType, const char* name) {
    const velora::DataType& row = velora::kDataTypeTable[hostType];
    if (row.sdkType_ != sdkType) return false;
    if (!row.sdkName_ || !name) return row.sdkName_ == name;
    for (int i = 0;; ++i) {
        if (row.sdkName_[i] != name[i]) return false;
        if (!name[i]) return true;
    }
}
static_assert(SdkTypeIs(velora::kDataInteger, kLyPropertyTypeInt, "int") &&
                  SdkTypeIs(velora::kDataInt64, kLyPropertyTypeInt64, nullptr) &&
                  SdkTypeIs(velora::kDataUInt64, kLyPropertyTypeUInt64, nullptr) &&
                  SdkTypeIs(velora::kDataBool, kLyPropertyTypeBool, "bool") &&
                  SdkTypeIs(velora::kDataFloat, kLyPropertyTypeFloat, "float") &&
                  SdkTypeIs(velora::kDataNumber, kLyPropertyTypeDouble, "double") &&
                  SdkTypeIs(velora::kDataString, kLyPropertyTypeCharPtr, "charptr") &&
                  SdkTypeIs(velora::kDataEnum, kLyPropertyTypeEnum, "enum") &&
                  SdkTypeIs(velora::kDataTime, kLyPropertyTypeTime, "time") &&
                  SdkTypeIs(velora::kDataTimecode, kLyPropertyTypeTimeCode, "timecode") &&
                  SdkTypeIs(velora::kDataObject, kLyPropertyTypeObject, "object") &&
                  SdkTypeIs(velora::kDataEvent, kLyPropertyTypeEvent, "event") &&
                  SdkTypeIs(velora::kDataStringList, kLyPropertyTypeStringList, "stringlist") &&
                  SdkTypeIs(velora::kDataVector4, kLyPropertyTypeVector4d, "Vector4d") &&
                  SdkTypeIs(velora::kDataVector, kLyPropertyTypeVector3d, "Vector3d") &&
                  SdkTypeIs(velora::kDataColor, kLyPropertyTypeColorRGB, "ColorRGB") &&
                  SdkTypeIs(velora::kDataColorAndAlpha, kLyPropertyTypeColorRGBA, "ColorRGBA") &&
                  SdkTypeIs(velora::kDataAction, kLyPropertyTypeAction, "Action") &&
                  SdkTypeIs(velora::kDataReference, kLyPropertyTypeReference, "Reference") &&
                  SdkTypeIs(velora::kDataVector2, kLyPropertyTypeVector2d, "Vector2d"),
              "property types differ from the host's value-type table");
static_assert(velora::kDataTypeCount == 21 && kLyPropertyTypeVector2d == 22,
              "a type was added on one side only");

constexpr bool SameBits(unsigned sdk, unsigned host) { return sdk == host; }
static_assert(SameBits(kLyPropertyFlagDisabled, velora::kPropertyDisabled) &&
                  SameBits(kLyPropertyFlagAnimated, velora::kPropertyAnimated) &&
                  SameBits(kLyPropertyFlagReadOnly, velora::kPropertyReadOnly) &&
                  SameBits(kLyPropertyFlagTextureConnected, velora::kPropertyTextureConnected) &&
                  SameBits(kLyPropertyFlagLockMember0, velora::kPropertyLockMember0) &&
                  SameBits(kLyPropertyFlagLockMember1, velora::kPropertyLockMember0 << 1) &&
                  SameBits(kLyPropertyFlagLockMember2, velora::kPropertyLockMember0 << 2) &&
                  SameBits(kLyPropertyFlagLockMember3, velora::kPropertyLockMember0 << 3) &&
                  SameBits(kLyPropertyFlagLockMember0 | kLyPropertyFlagLockMember1 |
                               kLyPropertyFlagLockMember2 | kLyPropertyFlagLockMember3,
                           velora::kPropertyLockAll),
              "property flag bits differ from the host's");

constexpr int kTypeCount = kLyPropertyTypeVector2d + 1;

// A LyStringList that shows a host list it does not own.
class StringListView final : public LyStringList {
public:
    explicit StringListView(velora::StringList* list) : LyStringList(NoHostList{}) {
        mList = reinterpret_cast<LyHostStringList*>(list);
    }
    ~StringListView() { mList = nullptr; }
};

}  // namespace

int __LyHostDataTypeOf(int propertyType) {
    const velora::DataType* type = velora::DataType::FromSdkType(propertyType);
    return type ? type->Id() : velora::kDataNone;
}

LyPropertyType __LyPropertyTypeOf(int hostDataType) {
    const velora::DataType* type = velora::DataType::Get(hostDataType);
    return type ? static_cast<LyPropertyType>(type->SdkType()) : kLyPropertyTypeUnknown;
}

LyStringList* __LyStringListView(velora::StringList* list) {
    if (!list) return nullptr;
    // Views are kept for the process: a host list's address only comes back
    // for another host list, which the view then shows just as well.
    static std::mutex mutex;
    static std::unordered_map<velora::StringList*, std::unique_ptr<StringListView>> views;
    std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<StringListView>& view = views[list];
    if (!view) view = std::make_unique<StringListView>(list);
    return view.get();
}

const char* LyGetPropertyTypeName(LyPropertyType type) {
    const velora::DataType* row = type > 0 && type < kTypeCount ? velora::DataType::FromSdkType(type) : nullptr;
    return row ? row->SdkName() : nullptr;
}

LyProperty::LyProperty() : LyPlug(nullptr), mName(), mParent(nullptr) { mAllocated = false; }

LyProperty::LyProperty(const LyProperty& other)
    : LyPlug(other.mHIObject), mName(other.mName), mParent(other.mParent) {
    mAllocated = false;
    mSDKComponent = other.mSDKComponent;
}

LyProperty& LyProperty::operator=(const LyProperty& other) {
    if (this != &other) {
        mHIObject = other.mHIObject;
        mSDKComponent = other.mSDKComponent;
        mName = other.mName;
        mParent = other.mParent;
    }
    return *this;
}

LyProperty::~LyProperty() = default;

IObject* LyProperty::IQuery(std::uint32_t, int) { return nullptr; }

void LyProperty::Destroy(int) {
    if (mAllocated) delete this;
}

const char* LyProperty::ClassName() const { return "LyProperty"; }
bool LyProperty::Is(int typeId) const { return typeId == TypeInfo || LyPlug::Is(typeId); }
int LyProperty::GetTypeId() const { return TypeInfo; }
int LyProperty::GetInternalClassId() { return __LyGetInternalClassId(TypeInfo); }

void LyProperty::LyDelete() {
    // A property is removed through its owner (LyComponent::PropertyRemove);
    // on its own a wrapper can only let go of itself.
    Destroy(0);
}

char* LyProperty::TextBuffer() {
    static char buffer[kLyPropertyTextSize];
    return buffer;
}

LyPropertyType LyProperty::GetPropertyType() const {
    velora::Property* host = __LyHostProperty(this);
    return host ? __LyPropertyTypeOf(host->TypeId()) : kLyPropertyTypeUnknown;
}

LyPropertyDataType* LyProperty::GetDataType() const {
    velora::Property* host = __LyHostProperty(this);
    return host ? reinterpret_cast<LyPropertyDataType*>(const_cast<velora::DataType*>(host->Type()))
                : nullptr;
}

void LyProperty::SetData(void* data) {
    velora::Property* host = __LyHostProperty(this);
    if (!host || !data) return;
    if (host->TypeId() == velora::kDataReference) {
        // A reference's value is exchanged as the referenced property's
        // wrapper (GetData gives one): the host is handed the host property
        // behind it, and an unbound wrapper changes nothing.
        LyProperty* target = *static_cast<LyProperty**>(data);
        velora::Property* referenced = __LyHostProperty(target);
        if (target && !referenced) return;
        host->Links().SetReferenced(referenced);
        return;
    }
    host->SetRaw(data);
}

void LyProperty::GetData(void* data, int size, LyEvaluateInfo*) const {
    velora::Property* host = __LyHostProperty(this);
    if (!host || !data) return;
    const velora::DataType* type = host->Type();
    if (type->Id() == velora::kDataReference) {
        *static_cast<LyProperty**>(data) = GetReferencedProperty();
        return;
    }
    // A caller that says how much room it has never gets more.
    if (size > 0 && static_cast<std::size_t>(size) < type->ValueSize()) return;
    host->GetRaw(data);
}

const char* LyProperty::AsString(LyDataAsStringFlag) {
    char* text = TextBuffer();
    if (velora::Property* host = __LyHostProperty(this))
        return host->Format(text, kLyPropertyTextSize) < 0 ? nullptr : text;

    auto copy = [text](const char* s) -> const char* {
        if (!s) return nullptr;
        std::snprintf(text, kLyPropertyTextSize, "%s", s);
        return text;
    };
    switch (GetPropertyType()) {
        case kLyPropertyTypeInt:
            std::snprintf(text, kLyPropertyTextSize, "%d", AsInt());
            return text;
        case kLyPropertyTypeBool:
        case kLyPropertyTypeAction:
            return copy(AsInt() ? "true" : "false");
        case kLyPropertyTypeFloat: {
            float value = 0;
            GetData(&value, sizeof value);
            std::snprintf(text, kLyPropertyTextSize, "%f", static_cast<double>(value));
            return text;
        }
        case kLyPropertyTypeDouble: {
            double value = 0;
            GetData(&value, sizeof value);
            std::snprintf(text, kLyPropertyTextSize, "%f", value);
            return text;
        }
        case kLyPropertyTypeCharPtr: {
            const char* value = nullptr;
            GetData(&value, sizeof value);
            return copy(value ? value : "");
        }
        case kLyPropertyTypeEnum:
            return copy(EnumList(AsInt()));
        case kLyPropertyTypeTime: {
            LyTime value;
            GetData(&value, sizeof value);
            return copy(value.GetTimeString(kLyTimeModeDefault, LyTime::eStandard));
        }
        case kLyPropertyTypeTimeCode: {
            LyTimeCode value(30.0f);
            GetData(&value, sizeof value);
            return copy(value.GetTimeCodeString(LyTime::eStandard));
        }
        default:
            return nullptr;
    }
}

namespace {

bool EqualNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        int x = static_cast<unsigned char>(*a);
        int y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y) return false;
        if (!x) return true;
    }
}

}  // namespace

bool LyProperty::SetString(const char* text) {
    if (velora::Property* host = __LyHostProperty(this)) return host->Parse(text);
    const char* t = text ? text : "";
    switch (GetPropertyType()) {
        case kLyPropertyTypeInt:
            return SetInt(std::atoi(t)), true;
        case kLyPropertyTypeBool:
        case kLyPropertyTypeAction:
            return SetInt(EqualNoCase(t, "true") ? 1 : 0), true;
        case kLyPropertyTypeFloat: {
            float value = static_cast<float>(std::atof(t));
            SetData(&value);
            return true;
        }
        case kLyPropertyTypeDouble: {
            double value = std::atof(t);
            SetData(&value);
            return true;
        }
        case kLyPropertyTypeCharPtr: {
            const char* value = t;
            SetData(&value);
            return true;
        }
        case kLyPropertyTypeEnum:
            for (int i = 0;; ++i) {
                const char* item = EnumList(i);
                if (!item) return false;
                if (std::strcmp(item, t) == 0) {
                    SetData(&i);
                    return true;
                }
            }
        case kLyPropertyTypeTime: {
            LyTime value;
            if (!value.SetTimeString(t)) return false;
            SetData(&value);
            return true;
        }
        case kLyPropertyTypeTimeCode: {
            LyTimeCode value(30.0f);
            if (!value.SetTimeCodeString(t, LyTime::eStandard)) return false;
            SetData(&value);
            return true;
        }
        default:
            return false;
    }
}

int LyProperty::AsInt() {
    if (velora::Property* host = __LyHostProperty(this)) return host->AsInt();
    if (IsAnimatable()) {
        double value = 0;
        GetData(&value, sizeof value);
        return std::isfinite(value) ? static_cast<int>(value) : 0;
    }
    switch (GetPropertyType()) {
        case kLyPropertyTypeInt:
        case kLyPropertyTypeEnum: {
            int value = 0;
            GetData(&value, sizeof value);
            return value;
        }
        case kLyPropertyTypeBool:
        case kLyPropertyTypeAction: {
            bool value = false;
            GetData(&value, sizeof value);
            return value ? 1 : 0;
        }
        case kLyPropertyTypeFloat: {
            float value = 0;
            GetData(&value, sizeof value);
            return std::isfinite(value) ? static_cast<int>(value) : 0;
        }
        case kLyPropertyTypeDouble: {
            double value = 0;
            GetData(&value, sizeof value);
            return std::isfinite(value) ? static_cast<int>(value) : 0;
        }
        default:
            return 0;
    }
}

bool LyProperty::SetInt(int value) {
    if (velora::Property* host = __LyHostProperty(this)) return host->SetInt(value);
    if (IsAnimatable()) {
        double v = value;
        SetData(&v);
        return true;
    }
    switch (GetPropertyType()) {
        case kLyPropertyTypeInt:
        case kLyPropertyTypeEnum:
            SetData(&value);
            return true;
        case kLyPropertyTypeBool:
        case kLyPropertyTypeAction: {
            bool v = value != 0;
            SetData(&v);
            return true;
        }
        case kLyPropertyTypeFloat: {
            float v = static_cast<float>(value);
            SetData(&v);
            return true;
        }
        case kLyPropertyTypeDouble: {
            double v = value;
            SetData(&v);
            return true;
        }
        default:
            return false;
    }
}

bool LyProperty::IsList() const {
    velora::Property* host = __LyHostProperty(this);
    return host && host->Definition().IsList();
}

bool LyProperty::IsAnimatable() const {
    velora::Property* host = __LyHostProperty(this);
    return host && host->IsAnimatable();
}

bool LyProperty::IsReadOnly() const {
    velora::Property* host = __LyHostProperty(this);
    return host && host->HasFlag(kLyPropertyFlagReadOnly);
}

const char* LyProperty::EnumList(int index) {
    velora::Property* host = __LyHostProperty(this);
    if (!host || host->TypeId() != velora::kDataEnum) return nullptr;
    return host->Definition().EnumText(index);
}

const char* LyProperty::GetName() const {
    if (velora::Property* host = __LyHostProperty(this)) return host->Name();
    const char* name = mName;
    return name ? name : "";
}

void LyProperty::SetName(const char* name) {
    if (velora::Property* host = __LyHostProperty(this))
        host->SetName(name);
    else
        mName = name;
}

const char* LyProperty::GetPropertyTypeName() const {
    return LyGetPropertyTypeName(GetPropertyType());
}

int LyProperty::GetSubMemberCount() const {
    velora::Property* host = __LyHostProperty(this);
    return host ? host->MemberCount() : 0;
}

bool LyProperty::IsAnimated() const { return GetPropertyFlag(kLyPropertyFlagAnimated); }

bool LyProperty::IsUserProperty() const {
    velora::Property* host = __LyHostProperty(this);
    return host && host->IsUser();
}

bool LyProperty::IsTemporaryProperty() const {
    velora::Property* host = __LyHostProperty(this);
    return host && host->Definition().IsTemporary();
}

bool LyProperty::IsReferenceProperty() const {
    velora::Property* host = __LyHostProperty(this);
    return host && host->TypeId() == velora::kDataReference;
}

bool LyProperty::IsTextureConnectableProperty() const {
    velora::Property* host = __LyHostProperty(this);
    return host && host->Definition().IsTextureConnectable();
}

bool LyProperty::IsObjectList() const {
    velora::Property* host = __LyHostProperty(this);
    return host && host->Links().IsObjectList();
}

LyProperty* LyProperty::GetReferencedProperty() const {
    velora::Property* host = __LyHostProperty(this);
    if (!host || host->TypeId() != velora::kDataReference) return nullptr;
    velora::Property* target = host->Links().Referenced();
    if (!target || !target->OwnerObject()) return nullptr;
    LyComponent* owner = LyGetLyComponent(target->OwnerObject(), true);
    return owner ? owner->PropertyList.Wrap(target) : nullptr;
}

void* LyProperty::GetValuePtr() const {
    velora::Property* host = __LyHostProperty(this);
    return host ? host->ValuePtr() : nullptr;
}

LyPropertyFlag LyProperty::GetPropertyFlags() const {
    velora::Property* host = __LyHostProperty(this);
    return static_cast<LyPropertyFlag>(host ? host->Flags() : 0u);
}

bool LyProperty::GetPropertyFlag(LyPropertyFlag flag) const {
    return (GetPropertyFlags() & flag) != 0;
}

void LyProperty::ModifyPropertyFlag(LyPropertyFlag flag, bool on) {
    if (velora::Property* host = __LyHostProperty(this)) host->ModifyFlag(flag, on);
}

void LyProperty::SetEnable(bool enable) { ModifyPropertyFlag(kLyPropertyFlagDisabled, !enable); }

double LyProperty::GetMin() const {
    velora::Property* host = __LyHostProperty(this);
    return host ? host->Definition().Min() : 0.0;
}

double LyProperty::GetMax() const {
    velora::Property* host = __LyHostProperty(this);
    return host ? host->Definition().Max() : 0.0;
}

bool LyProperty::IsMinClamp() const {
    velora::Property* host = __LyHostProperty(this);
    return host && host->Definition().IsMinClamp();
}

bool LyProperty::IsMaxClamp() const {
    velora::Property* host = __LyHostProperty(this);
    return host && host->Definition().IsMaxClamp();
}

void LyProperty::SetMin(double value, bool clamp) {
    if (velora::Property* host = __LyHostProperty(this)) host->Definition().SetMin(value, clamp);
}

void LyProperty::SetMax(double value, bool clamp) {
    if (velora::Property* host = __LyHostProperty(this)) host->Definition().SetMax(value, clamp);
}

void LyProperty::SetMinMax(double min, double max, bool minClamp, bool maxClamp) {
    SetMin(min, minClamp);
    SetMax(max, maxClamp);
}

bool LyProperty::AllowsLocking() const {
    velora::Property* host = __LyHostProperty(this);
    return host && host->Definition().AllowsLocking();
}

bool LyProperty::IsLocked() const {
    return (GetPropertyFlags() & velora::kPropertyLockAll) == velora::kPropertyLockAll;
}

bool LyProperty::HasSomethingLocked() const {
    return (GetPropertyFlags() & velora::kPropertyLockAll) != 0;
}

bool LyProperty::IsMemberLocked(int index) const {
    if (index < 0 || index >= GetSubMemberCount()) return false;
    return (GetPropertyFlags() & (velora::kPropertyLockMember0 << index)) != 0;
}

void LyProperty::SetLocked(bool locked) {
    velora::Property* host = __LyHostProperty(this);
    if (!host || (locked && !host->Definition().AllowsLocking())) return;
    host->SetLocked(locked);
}

void LyProperty::SetMemberLocked(int index, bool locked) {
    velora::Property* host = __LyHostProperty(this);
    if (!host || (locked && !host->Definition().AllowsLocking())) return;
    if (index < 0 || index >= host->MemberCount()) return;
    host->SetMemberLocked(index, locked);
}

LyStringList* LyProperty::GetEnumStringList(bool create) {
    velora::Property* host = __LyHostProperty(this);
    if (!host) return nullptr;
    velora::StringList* list = host->Definition().EnumList(create);
    return host->Definition().HasEnumList() ? __LyStringListView(list) : nullptr;
}

void LyProperty::NotifyEnumStringListChanged() {
    if (velora::Property* host = __LyHostProperty(this)) host->NotifyEnumListChanged();
}

namespace {

velora::Property* CreateHostProperty(LyProperty* wrapper, LyComponent* owner, const char* name,
                                     std::uint32_t extraFlags) {
    velora::Object* object = owner ? __LyHostObject(owner) : nullptr;
    if (!object || !name) return nullptr;
    const int type = __LyHostDataTypeOf(wrapper->GetPropertyType());
    if (type == velora::kDataNone) return nullptr;
    std::uint32_t flags = extraFlags;
    if (wrapper->IsAnimatable()) flags |= velora::kCreateAnimatable;
    return object->CreateProperty(name, type, flags);
}

// Fills the host enumeration list from the wrapper's own texts.
void CopyEnumTexts(LyProperty* wrapper, velora::Property* host) {
    if (host->TypeId() != velora::kDataEnum) return;
    velora::StringList* list = host->Definition().EnumList(true);
    for (int i = 0;; ++i) {
        const char* text = wrapper->EnumList(i);
        if (!text) break;
        list->Add(text, 0);
    }
    host->NotifyEnumListChanged();
}

}  // namespace

LyProperty* LyProperty::CreateInternal(LyComponent* owner, const char* name, LyPropertyHandler h1,
                                       LyPropertyHandler h2) {
    velora::Property* host = CreateHostProperty(this, owner, name, 0);
    if (!host) return this;
    // The texts come from this wrapper's own table, read before binding.
    if (host->TypeId() == velora::kDataEnum) CopyEnumTexts(this, host);
    SetInternal(host);
    host->Definition().SetExternalHandlers(owner->GetHIObject(), h1, h2);
    mParent = owner;
    // Listed with its owner, so it lets go when the property or the object ends.
    owner->PropertyAdd(this);
    return this;
}

LyProperty* LyProperty::CreateTextureConnectable(LyComponent* owner, const char* name) {
    const velora::DataType* type = velora::DataType::Get(__LyHostDataTypeOf(GetPropertyType()));
    if (!type) return this;
    const int base = type->Base()->Id();
    const bool fits = type->Id() == velora::kDataColor || type->Id() == velora::kDataColorAndAlpha ||
                      base == velora::kDataNumber || base == velora::kDataVector ||
                      base == velora::kDataVector2 || base == velora::kDataVector4;
    if (!fits) return this;
    velora::Property* host = CreateHostProperty(this, owner, name, velora::kCreateConnectable);
    if (!host) return this;
    SetInternal(host);
    owner->PropertyAdd(this);
    host->Definition().SetAttribute(velora::kAttrTextureConnectable | velora::kAttrTextureShown, true);
    host->ModifyFlag(velora::kPropertyTextureConnected, true);
    host->Definition().SetConnectionFilter(velora::kClassTexture);
    mParent = owner;
    return this;
}

bool LyProperty::AcceptTemporaryProperty(const char* const* enumTexts, LyPropertyHandler h1,
                                         LyPropertyHandler h2) {
    velora::Property* host = __LyHostProperty(this);
    if (!host || !host->Definition().IsTemporary()) return false;
    host->Definition().SetAttribute(velora::kAttrTemporary, false);
    if (enumTexts && host->TypeId() == velora::kDataEnum) {
        velora::StringList* list = host->Definition().EnumList(true);
        for (const char* const* t = enumTexts; *t; ++t) list->Add(*t, 0);
        host->NotifyEnumListChanged();
    }
    if (!h1 && !h2) return true;
    host->Definition().SetExternalHandlers(host->OwnerObject(), h1, h2);
    return true;
}

LyProperty* LyProperty::InitInternal(HIObject hostProperty) {
    SetInternal(hostProperty);
    return this;
}

void LyProperty::SetInternal(HIObject hostProperty) {
    // Only a host property binds: anything else leaves the wrapper unbound.
    mHIObject = velora::AsProperty(hostProperty);
}

bool LyProperty::OriIsAnimated() const { return IsAnimated(); }

const char* LyProperty::OriValueAsString() const {
    return const_cast<LyProperty*>(this)->AsString();
}

LYSDK_END_NAMESPACE
