#ifndef LYSDK_LYPROPERTYTYPED_H
#define LYSDK_LYPROPERTYTYPED_H

// Typed properties: an LyProperty with a fixed value type.
//
// A typed property is served in the first of three ways that applies:
//   1. get and set functions given by its declaring class (Init);
//   2. the bound host property;
//   3. neither: it reads as the zero value of its type and ignores writes.
// Declare them as members and initialise them in the constructor:
//
//     class MyThing : public LyComponent {
//     public:
//         LyPropertyInt Count;
//         MyThing() { Count.Init(this, "Count", &GetCount, &SetCount); }
//     };
//
// An unbound property with a get function but no set function is read-only.

#include <cstring>

#include "lysdk/lyenumtexts.h"
#include "lysdk/lyproperty.h"
#include "lysdk/lystringlist.h"
#include "lysdk/lytime.h"
#include "lysdk/lytimecode.h"
#include "lysdk/lyvector.h"

LYSDK_BEGIN_NAMESPACE

class LyComponent;

template <class T, int TYPE>
class LyPropertyBase : public LyProperty {
public:
    using SetFunction = void (*)(void* parent, T value);
    using GetFunction = T (*)(void* parent);

    LyPropertyBase() : mSet(nullptr), mGet(nullptr) {}
    /// An unbound copy without functions; it takes no value (having nowhere
    /// to keep one).
    LyPropertyBase(const LyPropertyBase& other) : LyProperty(), mSet(nullptr), mGet(nullptr) {
        T value = other;
        SetData(&value);
    }

    /// Gives the property its parent (passed to both functions), its own
    /// name and its functions; either function may be null.
    LyPropertyBase& Init(void* parent, const char* name, GetFunction get = nullptr,
                         SetFunction set = nullptr) {
        mParent = parent;
        mName = name;
        mGet = get;
        mSet = set;
        return *this;
    }

    LyPropertyType GetPropertyType() const override { return static_cast<LyPropertyType>(TYPE); }

    void GetData(void* data, int size, LyEvaluateInfo* info = nullptr) const override {
        if (!data) return;
        if (mGet) {
            T value = mGet(mParent);
            std::memcpy(data, static_cast<const void*>(&value), sizeof(T));
        } else if (IsInternal()) {
            LyProperty::GetData(data, size, info);
        } else {
            const T zero{};
            std::memcpy(data, static_cast<const void*>(&zero), sizeof(T));
        }
    }

    void SetData(void* data) override {
        if (!data) return;
        if (mSet) {
            T value;
            std::memcpy(static_cast<void*>(&value), data, sizeof(T));
            mSet(mParent, value);
        } else if (IsInternal()) {
            LyProperty::SetData(data);
        }
    }

    bool IsReadOnly() const override { return IsInternal() ? LyProperty::IsReadOnly() : !mSet; }

    operator T() const {
        T value{};
        GetData(&value, sizeof(T), nullptr);
        return value;
    }

    LyPropertyBase& operator=(T value) {
        SetData(&value);
        return *this;
    }

    LyPropertyBase& operator=(const LyPropertyBase& other) {
        T value = other;
        SetData(&value);
        return *this;
    }

    /// Writes straight into the host's stored value, past its change
    /// handling; nothing when unbound or the host keeps no stored value.
    virtual void SetPropertyValue(T value) {
        if constexpr (TYPE == kLyPropertyTypeCharPtr) {
            // The host owns its texts: copy, never store a caller's pointer.
            if (IsInternal()) LyProperty::SetData(&value);
        } else if (void* stored = IsInternal() ? GetValuePtr() : nullptr) {
            std::memcpy(stored, static_cast<const void*>(&value), sizeof(T));
        }
    }

    /// The host's stored value read directly; the zero value otherwise.
    T GetPropertyValue() const {
        T value{};
        if (const void* stored = IsInternal() ? GetValuePtr() : nullptr)
            std::memcpy(static_cast<void*>(&value), stored, sizeof(T));
        return value;
    }

protected:
    SetFunction mSet;
    GetFunction mGet;
};

/// A property whose value is an enumeration E: its text is the name of the
/// enumerator, from E's text table (lysdk/lyenumtexts.h) while unbound and
/// from the host once bound. Enumerations of flags (a table with values)
/// always read and take their texts through the table.
template <class E>
class LyPropertyBaseEnum : public LyPropertyBase<E, kLyPropertyTypeEnum> {
    using Base = LyPropertyBase<E, kLyPropertyTypeEnum>;

public:
    /// E's text table (null when E has none).
    static const char* const* Strings() { return LyEnumTexts(static_cast<E*>(nullptr)); }
    /// The values of a table in declaration order; null for a table by value.
    static const int* Values() { return LyEnumValues(static_cast<E*>(nullptr)); }

    const char* EnumList(int index) override {
        if (this->IsInternal() && !Values()) return LyProperty::EnumList(index);
        const char* const* table = Strings();
        if (!table || index < 0) return nullptr;
        for (int i = 0; i < index; ++i)
            if (!table[i]) return nullptr;  // past the end: never read beyond the null
        return table[index];
    }

    const char* AsString(LyDataAsStringFlag = kLyDataAsStringDefault) override {
        if (Values()) return LyEnumTextOf(Strings(), Values(), this->AsInt());
        return EnumList(this->AsInt());
    }

    bool SetString(const char* text) override {
        if (!text) return false;
        int i = 0;
        if (Values()) {
            if (!LyEnumValueOf(Strings(), Values(), text, &i)) return false;
        } else {
            for (const char* t = EnumList(0); std::strcmp(t ? t : "", text) != 0 || !t;
                 t = EnumList(++i)) {
                if (!t) return false;
            }
        }
        if (this->mSet) {
            this->mSet(this->mParent, static_cast<E>(i));
        } else if (this->IsInternal()) {
            LyProperty::SetData(&i);
        }
        return true;
    }

    LyPropertyBaseEnum& operator=(E value) {
        Base::operator=(value);
        return *this;
    }
};

/// The default enumeration: bound host enumerations that no SDK type
/// describes. It has no table; every text comes from the host.
enum kDefaultEnum { kDefaultEnumFirst = 0 };
LYSDK_ENUM_HOST_TEXTS(kDefaultEnum);

/// A property that refers to one component of type T.
template <class T>
class LyPropertyBaseComponent : public LyPropertyBase<T, kLyPropertyTypeObject> {
    using Base = LyPropertyBase<T, kLyPropertyTypeObject>;

public:
    LyPropertyBaseComponent() : mUserData(nullptr) {}

    /// Bound: the component connected to the host property (its wrapper).
    void GetData(void* data, int size, LyEvaluateInfo* info = nullptr) const override {
        if (!data) return;
        if (!this->mGet && this->IsInternal()) {
            IObject* object = nullptr;
            LyProperty::GetData(&object, sizeof object, info);
            T value = reinterpret_cast<T>(__LyComponentOf(object));
            std::memcpy(data, static_cast<const void*>(&value), sizeof value);
            return;
        }
        Base::GetData(data, size, info);
    }

    void SetData(void* data) override {
        if (!data) return;
        if (!this->mSet && this->IsInternal()) {
            T value;
            std::memcpy(static_cast<void*>(&value), data, sizeof value);
            IObject* object = __LyHostObjectOf(reinterpret_cast<LyComponent*>(value));
            LyProperty::SetData(&object);
            return;
        }
        Base::SetData(data);
    }

    operator T() const { return static_cast<T>(*static_cast<const Base*>(this)); }
    T operator->() const { return static_cast<T>(*this); }
    LyPropertyBaseComponent& operator=(T value) {
        Base::operator=(value);
        return *this;
    }
    LyPropertyBaseComponent& operator=(const LyPropertyBaseComponent& other) {
        Base::operator=(other);
        mUserData = other.mUserData;
        return *this;
    }

    /// A value of the declaring class's own; only carried along by assignment.
    void* mUserData;

private:
    // The SDK's conversions between host objects and components. Every
    // component class derives from LyComponent alone, so a component pointer
    // and a T pointer to the same object have the same address; T may still
    // be incomplete where the property is declared.
    static LyComponent* __LyComponentOf(IObject* object) { return LyGetLyComponent(object, true); }
    static IObject* __LyHostObjectOf(LyComponent* component) {
        return component ? reinterpret_cast<LyPlug*>(component)->GetHIObject() : nullptr;
    }
};

/// A text property. Comparison is by pointer first, then by bytes.
class LyPropertyString : public LyPropertyBase<const char*, kLyPropertyTypeCharPtr> {
public:
    operator const char*() const { return LyPropertyBase::operator const char*(); }
    LyPropertyString& operator=(const char* text) {
        LyPropertyBase::operator=(text);
        return *this;
    }
    bool operator==(const char* text) const {
        const char* value = *this;
        if (value == text) return true;
        return value && text && std::strcmp(value, text) == 0;
    }
    bool operator!=(const char* text) const { return !(*this == text); }
    /// Copies the text into the host's value (the host owns its texts, so a
    /// raw pointer write would not do); nothing when unbound.
    void SetPropertyValue(const char* text) override {
        if (IsInternal()) LyProperty::SetData(&text);
    }
};

/// An action: triggering it writes true.
class LyPropertyAction : public LyPropertyBase<bool, kLyPropertyTypeAction> {
public:
    bool operator()() {
        bool value = true;
        SetData(&value);
        return true;
    }
};

/// A list of texts kept in the host property's enumeration list.
class LYSDK_API LyPropertyStringList : public LyProperty {
public:
    using Reference = LyStringList::Reference;

    /// Creates the host property on `owner` and its list.
    LyPropertyStringList& Init(LyComponent* owner, const char* name);

    LyPropertyType GetPropertyType() const override { return kLyPropertyTypeStringList; }
    bool IsList() const override { return true; }
    /// Replaces the items by `text` split at "~".
    bool SetString(const char* text) override;
    /// The items joined with "~", in a buffer shared by every string-list
    /// property (valid until the next call).
    const char* AsString(LyDataAsStringFlag flag = kLyDataAsStringDefault) override;

    int Add(const char* text, Reference reference = 0);
    void InsertAt(int index, const char* text, Reference reference = 0);
    void RemoveAt(int index);
    int Remove(const char* text);
    void Clear();
    const char* GetAt(int index);
    const char* operator[](int index);
    bool SetAt(int index, const char* text);
    int GetCount();
    Reference GetReferenceAt(int index);
    void SetReferenceAt(int index, Reference reference);
    int IndexOf(const char* text);
    int Find(const char* text);
    int Find(Reference reference);
    void Sort();

private:
    LyStringList* List();
};

// The value instantiations.
using LyPropertyInt = LyPropertyBase<int, kLyPropertyTypeInt>;
using LyPropertyInt64 = LyPropertyBase<long long, kLyPropertyTypeInt64>;
using LyPropertyUInt64 = LyPropertyBase<unsigned long long, kLyPropertyTypeUInt64>;
using LyPropertyBool = LyPropertyBase<bool, kLyPropertyTypeBool>;
using LyPropertyFloat = LyPropertyBase<float, kLyPropertyTypeFloat>;
using LyPropertyDouble = LyPropertyBase<double, kLyPropertyTypeDouble>;
using LyPropertyCharPtr = LyPropertyBase<char*, kLyPropertyTypeCharPtr>;
using LyPropertyTime = LyPropertyBase<LyTime, kLyPropertyTypeTime>;
using LyPropertyTimeCode = LyPropertyBase<LyTimeCode, kLyPropertyTypeTimeCode>;
using LyPropertyVector4d = LyPropertyBase<LyVector4<double>, kLyPropertyTypeVector4d>;
using LyPropertyVector3d = LyPropertyBase<LyVector3<double>, kLyPropertyTypeVector3d>;
using LyPropertyColor = LyPropertyBase<LyColor, kLyPropertyTypeColorRGB>;
using LyPropertyColorAndAlpha = LyPropertyBase<LyColorAndAlpha, kLyPropertyTypeColorRGBA>;
using LyPropertyBoolAction = LyPropertyBase<bool, kLyPropertyTypeAction>;
using LyPropertyReference = LyPropertyBase<LyProperty*, kLyPropertyTypeReference>;
using LyPropertyTimeSpan = LyPropertyBase<LyTimeSpan, kLyPropertyTypeTimeSpan>;
using LyPropertyReferenceValue = LyPropertyBase<unsigned long long, kLyPropertyTypeReferenceValue>;
using LyPropertyVector2d = LyPropertyBase<LyVector2<double>, kLyPropertyTypeVector2d>;
using LyPropertyDefaultEnum = LyPropertyBaseEnum<kDefaultEnum>;
using LyPropertyComponent = LyPropertyBaseComponent<LyComponent*>;

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYPROPERTYTYPED_H
