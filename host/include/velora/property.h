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
//   - its definition (velora/property_definition.h: attributes, external
//     value handlers, range, enumeration list, connection filter), reached
//     through Definition();
//   - the flags word (kPropertyDisabled and the others below).
// What an object or reference property links to is read and changed through
// the view Links() gives (velora/property_links.h).
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
#include <cstddef>
#include <cstdint>
#include <string>

#include "velora/data_type.h"
#include "velora/plug.h"
#include "velora/property_definition.h"
#include "velora/property_links.h"

namespace velora {

class Object;
class StringList;

/// Bits of the flags word.
enum PropertyFlag : std::uint32_t {
    kPropertyDisabled = 0x4,
    kPropertyAnimated = 0x10,
    kPropertyReadOnly = 0x40,
    kPropertyTextureConnected = 0x80,  ///< shown as able to take a texture
    kPropertyLockMember0 = 0x1000,     ///< lock of member i: 0x1000 << i
    kPropertyLockAll = 0xF000,
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
    void SetTranslatedName(const char* name) { definition_.SetTranslation(name); }

    const DataType* Type() const { return type_; }
    int TypeId() const { return type_->Id(); }
    int MemberCount() const { return type_->MemberCount(); }

    /// What kind of property it is and the rules its value follows.
    PropertyDefinition& Definition() { return definition_; }
    const PropertyDefinition& Definition() const { return definition_; }
    /// The two questions most readers ask of the definition.
    bool IsAnimatable() const { return definition_.IsAnimatable(); }
    bool IsUser() const { return definition_.IsUser(); }
    /// What an object or reference property links to; read-only through a
    /// const property.
    PropertyLinks Links() { return PropertyLinks(*this); }
    const PropertyLinks Links() const { return PropertyLinks(const_cast<Property&>(*this)); }

    /// Counts a change of the enumeration texts (PropertyDefinition::
    /// EnumListVersion) and marks the property changed.
    void NotifyEnumListChanged();

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
    /// The same, checked: false, nothing read or written, unless `size` is
    /// exactly Type()->ValueSize(). Code that holds a value of a type it
    /// chose itself (a file's, a caller's) goes through these.
    bool GetRaw(void* out, std::size_t size) const;
    bool SetRaw(const void* in, std::size_t size);
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

    bool PlugNotify(int action, Plug* plug, int index, Plug* plug2, int type, Plug* plug3) override;

    /// Two words a client of the host (the SDK's property table) keeps with
    /// the property, beside its name, so that finding what it keeps for a
    /// property it has just looked up by name reads memory the lookup read
    /// already: who wrote the mark, and what. The host never reads them.
    struct ClientMark {
        std::uint64_t owner = 0;  // 0: nobody
        void* data = nullptr;
    };
    const ClientMark& Client() const { return client_; }
    void SetClient(std::uint64_t owner, void* data) { client_ = ClientMark{owner, data}; }

protected:
    Property(Object* object, const char* name, const DataType* type, std::uint32_t createFlags);
    ~Property() override;
    /// Leaves the object's table and tells its listeners before the plug goes.
    void Teardown() override;

private:
    friend class Object;
    friend class PropertyLinks;
    bool WriteChecked(const void* in);
    using ValueNotify = bool (Plug::*)(int, Plug*, void*, void*, int);
    /// Tells the owning object (through which an extension may refuse), then
    /// the property itself (whose own handling tells the scene). False when
    /// refused or when a handler ended the property.
    bool Tell(ValueNotify notify, int action, const void* data, const void* oldData, int size);
    void FormatText(std::string& out) const;
    bool ParseText(const char* text);
    /// The target of a reference property, kept in the value's bytes.
    PlugHandle& ReferenceSlot();
    const PlugHandle& ReferenceSlot() const;

    // The value's bytes; every type's value fits (four doubles at most, or
    // a reference's weak handle).
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
    PropertyDefinition definition_;
    std::uint32_t flags_ = 0;
    Value value_{};
    ClientMark client_;  // read right after the name, so kept beside it
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
