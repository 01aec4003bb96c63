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
    kDataReference,       ///< IObject* of the referenced property, or null; writes
                          ///< take only host properties (AsProperty)
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

/// One row of the value-type table: a host data type and the names and
/// numbers every other vocabulary knows it by.
class VELORA_API DataType {
public:
    /// The type with id `id`, or null for kDataNone and out-of-range ids.
    static const DataType* Get(int id);
    /// The type called `name` (exact, case-sensitive), or null.
    static const DataType* Find(const char* name);
    /// The type a scene file's value type number stands for, or null.
    static const DataType* FromFileType(int fileType);
    /// The type of an SDK property type number, or null (the SDK's time
    /// span and reference value types have no host type).
    static const DataType* FromSdkType(int sdkType);
    /// Number of valid types; ids run 1..Count().
    static int Count() { return kDataTypeCount - 1; }

    int Id() const { return id_; }
    const char* Name() const { return name_; }
    /// The type whose layout this one shares; the type itself for a base.
    const DataType* Base() const;
    bool IsBase() const { return Base() == this; }
    /// Number of members (3 for a vector, 1 for a scalar, 0 for an event).
    int MemberCount() const { return members_; }
    /// Bytes of the raw value.
    std::size_t ValueSize() const { return size_; }
    ValueKind Kind() const { return kind_; }
    /// The scene file's value type (velora::dsx::FileValueType) that stores
    /// values of this type; each type has its own.
    int FileType() const { return fileType_; }
    /// The SDK's property type (LyPropertyType) and its type name, null
    /// where the SDK gives the type none.
    int SdkType() const { return sdkType_; }
    const char* SdkName() const { return sdkName_; }

    /// True when the members are doubles (number, vectors, colours).
    bool IsDoubles() const { return kind_ == ValueKind::kDoubles; }
    /// True for the types whose members are numbers that min/max clamps hold
    /// (integers, floats, numbers, vectors, colours; not enumerations).
    bool IsNumeric() const;

    // Public only so that the table can be a constant array.
    int id_;
    const char* name_;
    int baseId_;  ///< kDataNone: its own base
    int members_;
    std::size_t size_;
    ValueKind kind_;
    int fileType_;
    int sdkType_;
    const char* sdkName_;
};

/// The table, indexed by DataTypeId. Handles come from Get and Find, which
/// answer rows of the library's own copy (compare those by address, not
/// rows of this array taken in another library). It is the one place that says what a
/// value type is called in the host, in scene files and in the SDK: every
/// conversion between those vocabularies reads it, and the SDK pins its own
/// enumeration to it at compile time.
inline constexpr DataType kDataTypeTable[kDataTypeCount] = {
    // id, host name, base, members, value bytes, kind, file type, SDK type, SDK name
    {kDataNone, "", kDataNone, 0, 0, ValueKind::kNone, 0, 0, nullptr},
    {kDataInteger, "Integer", kDataNone, 1, sizeof(int), ValueKind::kInt32, 1, 1, "int"},
    {kDataInt64, "Int64", kDataNone, 1, sizeof(long long), ValueKind::kInt64, 2, 2, nullptr},
    {kDataUInt64, "UInt64", kDataNone, 1, sizeof(unsigned long long), ValueKind::kUInt64, 3, 3,
     nullptr},
    {kDataBool, "Bool", kDataNone, 1, sizeof(bool), ValueKind::kBool, 4, 4, "bool"},
    {kDataFloat, "Float", kDataNone, 1, sizeof(float), ValueKind::kFloat, 5, 5, "float"},
    {kDataNumber, "Number", kDataNone, 1, sizeof(double), ValueKind::kDoubles, 6, 6, "double"},
    {kDataString, "String", kDataNone, 1, sizeof(const char*), ValueKind::kString, 7, 7,
     "charptr"},
    // An enumeration value is an index, stored and exchanged as an integer.
    {kDataEnum, "Enum", kDataInteger, 1, sizeof(int), ValueKind::kInt32, 8, 8, "enum"},
    {kDataTime, "Time", kDataNone, 1, sizeof(long long), ValueKind::kTime, 9, 9, "time"},
    {kDataTimecode, "TimeCode", kDataNone, 1, 3 * sizeof(double), ValueKind::kTimecode, 16, 10,
     "timecode"},
    {kDataObject, "Object", kDataNone, 1, sizeof(void*), ValueKind::kObject, 18, 11, "object"},
    {kDataEvent, "Event", kDataNone, 0, 0, ValueKind::kNone, 20, 12, "event"},
    {kDataStringList, "StringList", kDataNone, 1, sizeof(void*), ValueKind::kStringList, 17, 13,
     "stringlist"},
    {kDataVector4, "Vector4", kDataNone, 4, 4 * sizeof(double), ValueKind::kDoubles, 12, 14,
     "Vector4d"},
    {kDataVector, "Vector", kDataNone, 3, 3 * sizeof(double), ValueKind::kDoubles, 11, 15,
     "Vector3d"},
    // Colours share the vector layouts, so vector code serves them too.
    {kDataColor, "Color", kDataVector, 3, 3 * sizeof(double), ValueKind::kDoubles, 13, 16,
     "ColorRGB"},
    {kDataColorAndAlpha, "ColorAndAlpha", kDataVector4, 4, 4 * sizeof(double),
     ValueKind::kDoubles, 14, 17, "ColorRGBA"},
    // Triggering an action is writing true to it: its value is a bool.
    {kDataAction, "Action", kDataBool, 1, sizeof(bool), ValueKind::kBool, 15, 18, "Action"},
    {kDataReference, "Reference", kDataNone, 1, sizeof(void*), ValueKind::kReference, 19, 19,
     "Reference"},
    {kDataVector2, "Vector2", kDataNone, 2, 2 * sizeof(double), ValueKind::kDoubles, 10, 22,
     "Vector2d"},
};

}  // namespace velora

#endif  // VELORA_DATA_TYPE_H
