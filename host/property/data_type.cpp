#include "velora/data_type.h"

#include <cstring>

namespace velora {

namespace {

// Indexed by DataTypeId. A null base means the type is its own base.
const DataType kTypes[kDataTypeCount] = {
    {kDataNone, "", nullptr, 0, 0, ValueKind::kNone},
    {kDataInteger, "Integer", nullptr, 1, sizeof(int), ValueKind::kInt32},
    {kDataInt64, "Int64", nullptr, 1, sizeof(long long), ValueKind::kInt64},
    {kDataUInt64, "UInt64", nullptr, 1, sizeof(unsigned long long), ValueKind::kUInt64},
    {kDataBool, "Bool", nullptr, 1, sizeof(bool), ValueKind::kBool},
    {kDataFloat, "Float", nullptr, 1, sizeof(float), ValueKind::kFloat},
    {kDataNumber, "Number", nullptr, 1, sizeof(double), ValueKind::kDoubles},
    {kDataString, "String", nullptr, 1, sizeof(const char*), ValueKind::kString},
    // An enumeration value is an index, stored and exchanged as an integer.
    {kDataEnum, "Enum", &kTypes[kDataInteger], 1, sizeof(int), ValueKind::kInt32},
    {kDataTime, "Time", nullptr, 1, sizeof(long long), ValueKind::kTime},
    {kDataTimecode, "TimeCode", nullptr, 1, 3 * sizeof(double), ValueKind::kTimecode},
    {kDataObject, "Object", nullptr, 1, sizeof(void*), ValueKind::kObject},
    {kDataEvent, "Event", nullptr, 0, 0, ValueKind::kNone},
    {kDataStringList, "StringList", nullptr, 1, sizeof(void*), ValueKind::kStringList},
    {kDataVector4, "Vector4", nullptr, 4, 4 * sizeof(double), ValueKind::kDoubles},
    {kDataVector, "Vector", nullptr, 3, 3 * sizeof(double), ValueKind::kDoubles},
    // Colours share the vector layouts, so vector code serves them too.
    {kDataColor, "Color", &kTypes[kDataVector], 3, 3 * sizeof(double), ValueKind::kDoubles},
    {kDataColorAndAlpha, "ColorAndAlpha", &kTypes[kDataVector4], 4, 4 * sizeof(double),
     ValueKind::kDoubles},
    // Triggering an action is writing true to it: its value is a bool.
    {kDataAction, "Action", &kTypes[kDataBool], 1, sizeof(bool), ValueKind::kBool},
    {kDataReference, "Reference", nullptr, 1, sizeof(void*), ValueKind::kReference},
    {kDataVector2, "Vector2", nullptr, 2, 2 * sizeof(double), ValueKind::kDoubles},
};

}  // namespace

const DataType* DataType::Get(int id) {
    if (id <= kDataNone || id >= kDataTypeCount) return nullptr;
    return &kTypes[id];
}

const DataType* DataType::Find(const char* name) {
    if (!name) return nullptr;
    for (int id = 1; id < kDataTypeCount; ++id)
        if (std::strcmp(kTypes[id].name_, name) == 0) return &kTypes[id];
    return nullptr;
}

bool DataType::IsNumeric() const {
    switch (kind_) {
        case ValueKind::kInt32:
        case ValueKind::kInt64:
        case ValueKind::kUInt64:
        case ValueKind::kFloat:
        case ValueKind::kDoubles:
            return id_ != kDataEnum;
        default:
            return false;
    }
}

}  // namespace velora
