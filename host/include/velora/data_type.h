#ifndef VELORA_DATA_TYPE_H
#define VELORA_DATA_TYPE_H

// The host's property data types.
//
// Every property has exactly one data type. A data type has a name, a base
// type, a number of members and the size of its raw value (the bytes that
// Property::GetRaw writes and Property::SetRaw reads). The base type groups
// types that share one value layout, so that code written for the base (a
// `double`, a vector of three doubles) can serve every type derived from it:
// a colour is a vector of three doubles, an enumeration is an integer, an
// action is a bool. The scalar and vector types the others build on are their
// own base.
//
// The table is fixed when the library loads and never changes, so the
// `const DataType*` handles are stable for the whole process and may be
// compared by address.

#include <cstddef>

#include "velora/export.h"

namespace velora {

/// Ids of the data types, in table order. The values are stable.
enum DataTypeId : int {
    kDataNone = 0,        ///< no type (not a valid property type)
    kDataInteger,         ///< int, 4 bytes
    kDataInt64,           ///< long long, 8 bytes
    kDataUInt64,          ///< unsigned long long, 8 bytes
    kDataBool,            ///< bool, 1 byte
    kDataFloat,           ///< float, 4 bytes
    kDataNumber,          ///< double, 8 bytes
    kDataString,          ///< const char* to text the property owns
    kDataEnum,            ///< int index into the enumeration list
    kDataTime,            ///< long long tick count
    kDataTimecode,        ///< three doubles: raw frame, raw second, rate
    kDataObject,          ///< IObject* of the first source, or null
    kDataEvent,           ///< no value; a property that only raises events
    kDataStringList,      ///< StringList* (the property's enumeration list)
    kDataVector4,         ///< four doubles
    kDataVector,          ///< three doubles
    kDataColor,           ///< three doubles (red, green, blue)
    kDataColorAndAlpha,   ///< four doubles (red, green, blue, alpha)
    kDataAction,          ///< bool; writing true triggers the action
    kDataReference,       ///< Property* of the referenced property, or null
    kDataVector2,         ///< two doubles
    kDataTypeCount
};

/// How a type's value is held; fixed per type, shared with its base.
enum class ValueKind : unsigned char {
    kNone,        ///< no stored value (event)
    kInt32,       ///< integer and enum
    kInt64,
    kUInt64,
    kBool,        ///< bool and action
    kFloat,
    kDoubles,     ///< number and the vectors: memberCount doubles
    kString,
    kTime,        ///< a tick count
    kTimecode,    ///< three doubles
    kObject,      ///< the first source
    kStringList,  ///< the enumeration list
    kReference,   ///< a weak handle to another property
};

class VELORA_API DataType {
public:
    /// The type with id `id`, or null for kDataNone and out-of-range ids.
    static const DataType* Get(int id);
    /// The type called `name` (exact, case-sensitive), or null.
    static const DataType* Find(const char* name);
    /// Number of valid types; ids run 1..Count().
    static int Count() { return kDataTypeCount - 1; }

    int Id() const { return id_; }
    const char* Name() const { return name_; }
    /// The type whose layout this one shares; the type itself for a base.
    const DataType* Base() const { return base_ ? base_ : this; }
    bool IsBase() const { return Base() == this; }
    /// Number of members (3 for a vector, 1 for a scalar, 0 for an event).
    int MemberCount() const { return members_; }
    /// Bytes of the raw value.
    std::size_t ValueSize() const { return size_; }
    ValueKind Kind() const { return kind_; }

    /// True when the members are doubles (number, vectors, colours).
    bool IsDoubles() const { return kind_ == ValueKind::kDoubles; }
    /// True for the types whose members are numbers that min/max clamps hold
    /// (integers, floats, numbers, vectors, colours; not enumerations).
    bool IsNumeric() const;

    // Public only so that the table can be built as a constant array.
    int id_;
    const char* name_;
    const DataType* base_;
    int members_;
    std::size_t size_;
    ValueKind kind_;
};

}  // namespace velora

#endif  // VELORA_DATA_TYPE_H
