#ifndef VELORA_PROPERTY_H
#define VELORA_PROPERTY_H

// Host properties: the named, typed values of host objects.
//
// A property is a plug owned by the object that created it
// (Object::CreateProperty) and ends with it. It holds:
//   - a name, unique among its object's properties, and an optional
//     translated name (the name shown in the user's language);
//   - a data type (velora/data_type.h) and the value of that type, stored in
//     the property itself (text values are owned copies);
//   - definition attributes (animatable, list, user, temporary, externally
//     handled, min/max clamps, locking allowed, texture connection, single
//     connection) and, when set, an enumeration list, min/max values, a
//     connection filter and the external value handlers;
//   - the flags word (kPropertyDisabled and the others below).
//
// Values
//   GetRaw/SetRaw exchange the raw value: DataType::ValueSize() bytes laid
//   out as the type's comment in data_type.h says. Writes (SetRaw, SetInt,
//   Parse) are refused on a read-only property (flag 0x40), keep locked
//   members unchanged (a scalar whose member 0 is locked refuses the write),
//   and clamp numeric members to min/max when the clamp attributes are set.
//   ValuePtr() gives the stored bytes for direct access and bypasses all of
//   that; it is null for types whose value is not stored inline (object,
//   event, string list, reference). A string's stored bytes are the owned
//   text pointer: read through it, write through SetRaw.
//
//   An externally handled property calls the "produce" handler before every
//   read of the value and the "take" handler after every accepted write, each
//   with the object registered with them; handlers typically refresh or
//   consume the value through ValuePtr().
//
// Text forms (Format and Parse)
//   Integer, Int64, UInt64  decimal ("-12"); parsing refuses values out of
//                           range, a sign on UInt64 values below zero, and
//                           any other character than surrounding spaces.
//   Bool, Action            "true" / "false"; parsing also takes "1" and "0",
//                           letters in any case.
//   Float, Number           the shortest decimal that reads back to the same
//                           value ("0.1", "1e+300", "nan", "inf", "-inf").
//   Vector2/Vector/Vector4, members in that form separated by one space
//   Color/ColorAndAlpha     ("1 0.5 0"); parsing takes spaces, tabs and one
//                           comma between members ("1, 0.5, 0") and needs
//                           exactly the type's member count.
//   String                  the text itself; parsing takes the text as it is.
//   Enum                    the enumeration text of the value; a value with
//                           no text (outside the list) is written "#<n>".
//                           Parsing takes a text of the list (exact bytes,
//                           the first equal one when texts repeat), "#<n>",
//                           or a plain decimal number.
//   Time                    the tick count followed by "T" ("141120000T");
//                           parsing takes the count with or without the "T".
//   TimeCode                raw frame, raw second and rate as three numbers
//                           in the vector form ("12 3661 30").
//   StringList              the items joined with "~"; parsing replaces the
//                           items by the pieces between "~".
//   Object, Reference       the connected object's label name (a property:
//                           "object label.property name"), "" when none;
//                           parsing only takes "" (which clears the value).
//   Event                   no text form: Format gives -1, Parse false.
//   Every refused text leaves the value unchanged.
//
// Threads
//   Nothing here takes a lock: properties, their tables and their event
//   sources are used from the thread that runs the host's scene operations.
//
// Object lists
//   An object-typed property's value is its sources: the first source for a
//   plain object property (which is single-connect from creation), all of
//   them for a list property (attribute kAttrList). A connection filter
//   (class id) refuses sources of other classes, and a single-connect
//   property refuses a second source; both hold for every way of connecting.

#include <cstddef>
#include <cstdint>
#include <string>

#include "velora/data_type.h"
#include "velora/plug.h"

namespace velora {

class Object;
class StringList;

/// A value handler of an externally handled property: called with the object
/// registered together with it.
using PropertyHandler = void (*)(IObject*);

/// Bits of the flags word.
enum PropertyFlag : std::uint32_t {
    kPropertyDisabled = 0x4,
    kPropertyAnimated = 0x10,
    kPropertyReadOnly = 0x40,
    kPropertyTextureConnected = 0x80,  ///< shown as able to take a texture
    kPropertyLockMember0 = 0x1000,     ///< lock of member i: 0x1000 << i
    kPropertyLockAll = 0xF000,
};

/// Definition attributes.
enum PropertyAttribute : std::uint32_t {
    kAttrAnimatable = 1u << 0,
    kAttrList = 1u << 1,            ///< a connectable list of objects (object type)
    kAttrUser = 1u << 2,            ///< made by the user; removable
    kAttrTemporary = 1u << 3,       ///< made for the moment; removable
    kAttrExternal = 1u << 4,        ///< value produced and taken by handlers
    kAttrMinClamp = 1u << 5,
    kAttrMaxClamp = 1u << 6,
    kAttrAllowsLocking = 1u << 7,
    kAttrTextureConnectable = 1u << 8,  ///< a texture may be connected
    kAttrTextureShown = 1u << 9,        ///< the texture slot is shown in editors
    kAttrSingleConnect = 1u << 10,      ///< at most one source
    kAttrConnectable = 1u << 11,        ///< made to take connections as sources
};

/// Flags of Object::CreateProperty.
enum PropertyCreateFlag : std::uint32_t {
    kCreateAnimatable = 0x1,   ///< animatable; locking allowed
    kCreateUser = 0x2,
    kCreateTemporary = 0x4,
    kCreateConnectable = 0x8,  ///< takes connections; an object property becomes a list
};

/// The event type raised by an object's property event source when one of
/// its properties goes away; the record's subject is that property.
constexpr int kEventPropertyRemoved = 10;

class VELORA_API Property final : public Plug {
public:
    /// Self and plug ids only: a property has no wrapper-holder slot and is
    /// not a full object.
    IObject* IQuery(std::uint32_t id, int arg = 0) override;
    int ClassId() const override { return kClassProperty; }

    /// The object whose property this is; null once removed from it.
    Object* OwnerObject() const { return object_; }

    const char* Name() const { return name_.c_str(); }
    /// Renames. False for a null or empty name, one that another property
    /// of the same object has, or when the property refuses the rename it is
    /// told of (kActRequestRename, kActRename; kActRenamed after).
    bool SetName(const char* name);
    /// The translated name, or the name when none was set.
    const char* TranslatedName() const;
    /// Null or empty removes the translation.
    void SetTranslatedName(const char* name);

    const DataType* Type() const { return type_; }
    int TypeId() const { return type_->Id(); }
    int MemberCount() const { return type_->MemberCount(); }

    // Definition attributes.
    std::uint32_t Attributes() const { return attributes_; }
    bool HasAttribute(std::uint32_t a) const { return (attributes_ & a) != 0; }
    void SetAttribute(std::uint32_t a, bool on);
    bool IsAnimatable() const { return HasAttribute(kAttrAnimatable); }
    bool IsList() const { return HasAttribute(kAttrList); }
    /// An object property listing connected objects.
    bool IsObjectList() const { return IsList() && type_->Id() == kDataObject; }
    bool IsUser() const { return HasAttribute(kAttrUser); }
    bool IsTemporary() const { return HasAttribute(kAttrTemporary); }
    bool IsExternallyHandled() const { return HasAttribute(kAttrExternal); }
    bool AllowsLocking() const { return HasAttribute(kAttrAllowsLocking); }
    bool IsTextureConnectable() const { return HasAttribute(kAttrTextureConnectable); }
    bool IsSingleConnect() const { return HasAttribute(kAttrSingleConnect); }

    /// Marks the property externally handled and registers the handlers (in
    /// this order) with `object`. Either handler may be null.
    void SetExternalHandlers(IObject* object, PropertyHandler produce, PropertyHandler take);
    /// Back to a stored value: the attribute and the handlers are cleared.
    void ClearExternalHandlers();
    IObject* HandlerObject() const;
    PropertyHandler ProduceHandler() const;
    PropertyHandler TakeHandler() const;

    // Range. The values are kept whatever the clamps say; the clamps decide
    // whether later writes are held to them. They apply to every member.
    double Min() const;
    double Max() const;
    bool IsMinClamp() const { return HasAttribute(kAttrMinClamp); }
    bool IsMaxClamp() const { return HasAttribute(kAttrMaxClamp); }
    void SetMin(double value, bool clamp);
    void SetMax(double value, bool clamp);

    // Enumeration list: the texts of an enum's values, the items of a
    // string list. A string-list property always has one.
    bool HasEnumList() const;
    /// The list, created first when `create` is true; else null when none.
    StringList* EnumList(bool create);
    const StringList* EnumList() const;
    /// Text of enumeration value i, or null past the end or without a list.
    const char* EnumText(int i) const;
    /// Bumps the list's change count and marks the property changed; owners
    /// of cached texts compare the count.
    void NotifyEnumListChanged();
    unsigned EnumListVersion() const;

    // Connections.
    /// Class id a source must be (or derive from); 0 accepts any class.
    int ConnectionFilter() const;
    void SetConnectionFilter(int classId);
    /// Whether `source` passes the filter (a null source never does).
    bool AcceptsSource(const Plug* source) const;

    // Flags word.
    std::uint32_t Flags() const { return flags_; }
    bool HasFlag(std::uint32_t f) const { return (flags_ & f) != 0; }
    /// Sets or clears `f`. The owning object, then the property, are told
    /// the proposed word (kActCandidate; either may refuse: false, nothing
    /// changed) and then the change (kActCandidated, the scene hears it).
    bool ModifyFlag(std::uint32_t f, bool on);
    bool IsReadOnly() const { return HasFlag(kPropertyReadOnly); }
    bool IsMemberLocked(int i) const;
    /// False (no change) for an index outside [0, member count), and for
    /// locking when locking is not allowed; unlocking is always done.
    bool SetMemberLocked(int i, bool on);
    /// Every member; false when locking is not allowed.
    bool SetLocked(bool on);

    // Values (see the top of this file).
    void* ValuePtr();
    const void* ValuePtr() const;
    /// Writes Type()->ValueSize() bytes into `out`. False for a null `out`
    /// and for types without a value (event).
    bool GetRaw(void* out) const;
    /// Reads Type()->ValueSize() bytes from `in`. False when refused. The
    /// owning object, then the property, are told the proposed value
    /// (kActCandidate, data `in`, old data the stored value; either may
    /// refuse) and then the value taken (kActCandidated, with a copy of the
    /// old value when someone listens).
    bool SetRaw(const void* in);
    /// Integer view of integer, enum, bool, 64-bit, float and number values
    /// (floating values truncate toward zero; out of range saturates; NaN is
    /// 0). False for other types.
    bool GetInt(int* out) const;
    int AsInt() const;
    /// Sets those types from an integer (UInt64 refuses negatives).
    bool SetInt(int value);

    /// Writes the text form into `buffer` (at most `size` bytes, always
    /// terminated when size > 0, cut at `size - 1` bytes) and returns the
    /// length of the whole text, or -1 for a type without a text form.
    int Format(char* buffer, std::size_t size) const;
    /// The text form into `out`; false (out emptied) without one.
    bool Format(std::string* out) const;
    /// Sets the value from its text form; false, value unchanged, when the
    /// text does not fit the type or the write is refused.
    bool Parse(const char* text);

    // Reference properties.
    /// The referenced property; null when none or once it has ended.
    Property* Referenced() const;
    /// Refers to `target` (null clears). False for a non-reference property,
    /// a read-only one, or a property referring to itself.
    bool SetReferenced(Property* target);

    // Object properties: the sources, filtered. All false/0/null for other
    // types.
    int ListCount() const;
    Plug* ListAt(int i) const;
    bool ListAdd(Plug* object);
    bool ListInsert(int i, Plug* object);
    /// Replaces entry i; the filter applies.
    bool ListSetAt(int i, Plug* object);
    bool ListRemoveAt(int i);
    void ListClear();
    /// Index of `object` in the list, or -1.
    int ListFind(const Plug* object) const;

    bool PlugNotify(int action, Plug* plug, int index, Plug* plug2, int type, Plug* plug3) override;

protected:
    Property(Object* object, const char* name, const DataType* type, std::uint32_t createFlags);
    ~Property() override;
    /// Leaves the object's table and tells its listeners before the plug goes.
    void Teardown() override;

private:
    friend class Object;
    struct Extras;
    Extras& Ext();
    const Extras* ExtOrNull() const { return extras_; }
    bool WriteChecked(const void* in);
    using ValueNotify = bool (Plug::*)(int, Plug*, void*, void*, int);
    /// Tells the owning object (through which an extension may refuse), then
    /// the property itself (whose own handling tells the scene). False when
    /// refused or when a handler ended the property.
    bool Tell(ValueNotify notify, int action, const void* data, const void* oldData, int size);
    void FormatText(std::string& out) const;
    bool ParseText(const char* text);
    void Produce() const;
    void Take();

    // The value's bytes; every type's value fits (four doubles at most).
    union Value {
        int i;
        long long ll;
        unsigned long long ull;
        bool b;
        float f;
        double d[4];
        char* s;
    };

    Object* object_;           // the object whose table lists it
    const DataType* type_;
    Extras* extras_ = nullptr;  // rarely used parts, made on first use
    std::uint32_t flags_ = 0;
    std::uint32_t attributes_ = 0;
    Value value_{};
    std::string name_;
};

/// The interface id only host properties answer (with themselves): the SDK
/// tells a property apart with one query on every property access.
constexpr std::uint32_t kIdHostProperty = 0x50525059u;

/// The host property behind an IObject, or null.
inline Property* AsProperty(IObject* object) {
    return object ? static_cast<Property*>(object->IQuery(kIdHostProperty)) : nullptr;
}

/// Wildcard match of a name: '*' matches any run of characters (also none),
/// '?' matches exactly one, every other character itself. There is no
/// escape character. ASCII letters match regardless of case. Null pattern or
/// text never match.
VELORA_API bool WildcardMatch(const char* pattern, const char* text);
/// Whether the pattern holds '*' or '?'.
VELORA_API bool HasWildcards(const char* pattern);

}  // namespace velora

#endif  // VELORA_PROPERTY_H
