#ifndef LYSDK_LYPROPERTY_H
#define LYSDK_LYPROPERTY_H

// Properties: the named, typed values of scene objects.
//
// The host owns the real properties. An LyProperty is the SDK's wrapper over
// one host property. It is either
//  - bound: it holds the host property (GetInternal) and every operation goes
//    to the host; or
//  - unbound: a member declared by a class whose host property does not exist
//    (yet). It then works from its own name and, in the typed classes of
//    lypropertytyped.h, from get and set functions the declaring class gives.
//
// Every component carries an LyPropertyManager (its PropertyList member): the
// table of wrappers over its host object's properties. The manager makes a
// wrapper of the matching typed class the first time a host property is asked
// for, owns it, returns the same wrapper afterwards, and forgets it when the
// host property goes away. Declared wrappers are owned by their declaring
// object; the manager only lists them.
//
// Unbound wrappers answer 0, false, 0.0 or null for every value and flag
// query, except for the name, AsString, SetString, AsInt and SetInt, which
// work on the unbound wrapper's own value where it has one.

#include "lysdk/lyenumtexts.h"
#include "lysdk/lyarray.h"
#include "lysdk/lyplug.h"
#include "lysdk/lystring.h"

LYSDK_BEGIN_NAMESPACE

class LyComponent;
class LyEvaluateInfo;
class LyStringList;

/// The value type of a property.
enum LyPropertyType {
    kLyPropertyTypeUnknown = 0,
    kLyPropertyTypeInt = 1,
    kLyPropertyTypeInt64 = 2,
    kLyPropertyTypeUInt64 = 3,
    kLyPropertyTypeBool = 4,
    kLyPropertyTypeFloat = 5,
    kLyPropertyTypeDouble = 6,
    kLyPropertyTypeCharPtr = 7,
    kLyPropertyTypeEnum = 8,
    kLyPropertyTypeTime = 9,
    kLyPropertyTypeTimeCode = 10,
    kLyPropertyTypeObject = 11,
    kLyPropertyTypeEvent = 12,
    kLyPropertyTypeStringList = 13,
    kLyPropertyTypeVector4d = 14,
    kLyPropertyTypeVector3d = 15,
    kLyPropertyTypeColorRGB = 16,
    kLyPropertyTypeColorRGBA = 17,
    kLyPropertyTypeAction = 18,
    kLyPropertyTypeReference = 19,
    kLyPropertyTypeTimeSpan = 20,
    kLyPropertyTypeReferenceValue = 21,
    kLyPropertyTypeVector2d = 22,
};
LYSDK_ENUM_TEXTS(LyPropertyType);

/// Bits of a property's flags word that the SDK interprets.
enum LyPropertyFlag : unsigned int {
    kLyPropertyFlagNone = 0,
    kLyPropertyFlagDisabled = 0x4,
    kLyPropertyFlagAnimated = 0x10,
    kLyPropertyFlagReadOnly = 0x40,
    kLyPropertyFlagTextureConnected = 0x80,
    kLyPropertyFlagLockMember0 = 0x1000,
    kLyPropertyFlagLockMember1 = 0x2000,
    kLyPropertyFlagLockMember2 = 0x4000,
    kLyPropertyFlagLockMember3 = 0x8000,
};
LYSDK_ENUM_TEXTS(LyPropertyFlag);

/// How AsString formats a value; passed through to the host.
enum LyDataAsStringFlag { kLyDataAsStringDefault = 0 };
LYSDK_ENUM_TEXTS(LyDataAsStringFlag);

/// The host's handle of a data type (opaque to plug-ins).
struct LyPropertyDataType;

/// A handler of an externally handled property: the host calls the first to
/// produce the value and the second to take it, each with the object that
/// registered them.
using LyPropertyHandler = void (*)(IObject* object);

/// Size of the buffer that AsString results live in until the next call.
constexpr int kLyPropertyTextSize = 1024;

/// The type name of a property type ("int", "Vector3d", ...), or null for the
/// types without one (Int64, UInt64, TimeSpan, ReferenceValue, Unknown).
LYSDK_API const char* LyGetPropertyTypeName(LyPropertyType type);

class LYSDK_API LyProperty : public LyPlug {
public:
    LyProperty();
    LyProperty(const LyProperty& other);
    LyProperty& operator=(const LyProperty& other);
    ~LyProperty() override;

    IObject* IQuery(std::uint32_t id, int arg = 0) override;
    /// Deletes the wrapper when it is one the manager made.
    void Destroy(int mode = 0) override;
    const char* ClassName() const override;
    bool Is(int typeId) const override;
    int GetTypeId() const override;
    static int TypeInfo;
    static int GetInternalClassId();

    // Value interface, in the order subclasses override it.
    virtual LyPropertyType GetPropertyType() const;
    virtual LyPropertyDataType* GetDataType() const;
    virtual void SetData(void* data);
    virtual void GetData(void* data, int size, LyEvaluateInfo* info = nullptr) const;
    /// The value as text, in one buffer shared by every property (valid until
    /// the next AsString of any property); null when there is no text form.
    virtual const char* AsString(LyDataAsStringFlag flag = kLyDataAsStringDefault);
    /// Sets the value from text; true when the value was taken.
    virtual bool SetString(const char* text);
    virtual bool IsList() const;
    virtual bool IsAnimatable() const;
    virtual bool IsReadOnly() const;
    /// Text of enumeration value `index`, or null.
    virtual const char* EnumList(int index);

    const char* GetName() const;
    void SetName(const char* name);
    const char* GetPropertyTypeName() const;
    int GetSubMemberCount() const;

    int AsInt();
    bool SetInt(int value);

    bool IsAnimated() const;
    bool IsUserProperty() const;
    bool IsTemporaryProperty() const;
    bool IsReferenceProperty() const;
    bool IsTextureConnectableProperty() const;
    bool IsObjectList() const;
    /// For a reference property: the wrapper of the referenced property.
    LyProperty* GetReferencedProperty() const;
    /// The host's stored value, for direct access; null when unbound.
    void* GetValuePtr() const;

    LyPropertyFlag GetPropertyFlags() const;
    bool GetPropertyFlag(LyPropertyFlag flag) const;
    void ModifyPropertyFlag(LyPropertyFlag flag, bool on);
    void SetEnable(bool enable);

    double GetMin() const;
    double GetMax() const;
    bool IsMinClamp() const;
    bool IsMaxClamp() const;
    void SetMin(double value, bool clamp = true);
    void SetMax(double value, bool clamp = true);
    void SetMinMax(double min, double max, bool minClamp = true, bool maxClamp = true);

    bool AllowsLocking() const;
    /// All four member lock bits set (whatever the member count).
    bool IsLocked() const;
    bool HasSomethingLocked() const;
    bool IsMemberLocked(int index) const;
    void SetLocked(bool locked);
    void SetMemberLocked(int index, bool locked);

    /// The host enumeration list (created first when `create`), or null.
    LyStringList* GetEnumStringList(bool create = false);
    void NotifyEnumStringListChanged();

    /// Creates the host property behind an unbound wrapper on `owner`'s host
    /// object, typed after GetPropertyType(), valued through h1 and h2.
    LyProperty* CreateInternal(LyComponent* owner, const char* name, LyPropertyHandler h1,
                               LyPropertyHandler h2);
    /// The same for a property a texture may be connected to (colours and
    /// number or vector types only).
    LyProperty* CreateTextureConnectable(LyComponent* owner, const char* name);
    /// Keeps a temporary host property: clears its temporary mark, adds the
    /// enumeration texts (up to the first null) and registers the handlers.
    bool AcceptTemporaryProperty(const char* const* enumTexts, LyPropertyHandler h1,
                                 LyPropertyHandler h2);

    LyProperty* InitInternal(HIObject hostProperty);
    void SetInternal(HIObject hostProperty);
    HIObject GetInternal() const { return mHIObject; }
    bool IsInternal() const { return GetInternal() != nullptr; }

    bool OriIsAnimated() const;
    const char* OriValueAsString() const;

    /// The object passed to typed properties' get and set functions, or the
    /// host object a list property shows.
    void* GetParent() const { return mParent; }

protected:
    void LyDelete() override;
    /// Shared text buffer of AsString.
    static char* TextBuffer();

    LyString mName;
    void* mParent;

    friend class LyPropertyManager;
};

/// The table of property wrappers of one component.
class LYSDK_API LyPropertyManager {
public:
    LyPropertyManager();
    ~LyPropertyManager();
    LyPropertyManager(const LyPropertyManager&) = delete;
    LyPropertyManager& operator=(const LyPropertyManager&) = delete;

    /// Number of host properties; 0 without a host object.
    int GetCount() const;
    /// The wrapper of host property `index`; null out of range.
    LyProperty* operator[](int index);
    /// The property called `name`: exact first, then ignoring case (and, with
    /// `multiLanguage`, by translated name). Null when none.
    LyProperty* Find(const char* name, bool multiLanguage = true);
    /// Fills `out` (cleared first) with the properties whose name matches the
    /// wildcard `pattern` ('*' any run, '?' one character, any case). A pattern
    /// without wildcards leaves `out` empty; a null or empty one, untouched.
    void FindPropertiesByName(const char* pattern, LyArrayTemplate<LyProperty*>& out,
                              bool multiLanguage = true);
    /// Lists a declared wrapper whose type fits its host property. Returns -1.
    int Add(LyProperty* property);
    /// Forgets the wrapper of a bound property. Returns -1.
    int Remove(LyProperty* property);

    LyProperty* FindInCache(HIObject hostProperty) const;
    void AddToCache(LyProperty* property);
    /// Drops the wrapper of `hostProperty`: a declared one leaves the list, an
    /// on-demand one is deleted.
    void RemoveFromCache(HIObject hostProperty);
    /// Serves `hostObject` from now on; null first clears the cache.
    void SetParent(HIObject hostObject);
    HIObject GetParent() const { return mParent; }

    /// The wrapper of a host property of this manager's object, made on first
    /// request (the wrapper factory).
    LyProperty* Wrap(HIObject hostProperty);

private:
    friend class LyComponent;
    /// Wrap for a pointer known to be a host property of this object.
    LyProperty* WrapHost(void* hostProperty);
    void ClearCache();
    void Reindex(HIObject hostProperty);
    /// Forgets the declared wrappers without touching them (their declaring
    /// object is being destroyed and they may be gone already).
    void ForgetDeclared();

    HIObject mParent;
    LyArrayTemplate<LyProperty*> mOnDemand;
    LyArrayTemplate<LyProperty*> mDeclared;
    // Host property to wrapper for both lists, so that finding a wrapper
    // does not grow with the number of properties. Made on first use.
    struct Index;
    Index* mIndex;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYPROPERTY_H
