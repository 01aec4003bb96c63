#include "velora/data_type.h"

#include <cstring>

#include "velora/scene_file.h"

namespace velora {

namespace {

constexpr bool RowsInOrder() {
    for (int id = 0; id < kDataTypeCount; ++id)
        if (kDataTypeTable[id].id_ != id) return false;
    return true;
}
static_assert(RowsInOrder(), "the table is indexed by DataTypeId");

// Each row names its file type by number; those numbers are the scene-file
// library's own.
constexpr bool FileTypeIs(int dataType, dsx::FileValueType fileType) {
    return kDataTypeTable[dataType].fileType_ == fileType;
}
static_assert(FileTypeIs(kDataInteger, dsx::kFileValueInt) &&
                  FileTypeIs(kDataInt64, dsx::kFileValueInt64) &&
                  FileTypeIs(kDataUInt64, dsx::kFileValueUInt64) &&
                  FileTypeIs(kDataBool, dsx::kFileValueBool) &&
                  FileTypeIs(kDataFloat, dsx::kFileValueFloat) &&
                  FileTypeIs(kDataNumber, dsx::kFileValueDouble) &&
                  FileTypeIs(kDataString, dsx::kFileValueString) &&
                  FileTypeIs(kDataEnum, dsx::kFileValueEnum) &&
                  FileTypeIs(kDataTime, dsx::kFileValueTime) &&
                  FileTypeIs(kDataTimecode, dsx::kFileValueTimecode) &&
                  FileTypeIs(kDataObject, dsx::kFileValueObject) &&
                  FileTypeIs(kDataEvent, dsx::kFileValueEvent) &&
                  FileTypeIs(kDataStringList, dsx::kFileValueStringList) &&
                  FileTypeIs(kDataVector4, dsx::kFileValueVector4) &&
                  FileTypeIs(kDataVector, dsx::kFileValueVector3) &&
                  FileTypeIs(kDataColor, dsx::kFileValueColor) &&
                  FileTypeIs(kDataColorAndAlpha, dsx::kFileValueColorAlpha) &&
                  FileTypeIs(kDataAction, dsx::kFileValueAction) &&
                  FileTypeIs(kDataReference, dsx::kFileValueReference) &&
                  FileTypeIs(kDataVector2, dsx::kFileValueVector2),
              "file value types differ from the scene-file library's");
static_assert(static_cast<int>(dsx::kFileValueTypeCount) == static_cast<int>(kDataTypeCount),
              "one file type per data type");

}  // namespace

const DataType* DataType::Get(int id) {
    if (id <= kDataNone || id >= kDataTypeCount) return nullptr;
    return &kDataTypeTable[id];
}

const DataType* DataType::Find(const char* name) {
    if (!name) return nullptr;
    for (int id = 1; id < kDataTypeCount; ++id)
        if (std::strcmp(kDataTypeTable[id].name_, name) == 0) return &kDataTypeTable[id];
    return nullptr;
}

const DataType* DataType::FromFileType(int fileType) {
    for (int id = 1; id < kDataTypeCount; ++id)
        if (fileType != 0 && kDataTypeTable[id].fileType_ == fileType) return &kDataTypeTable[id];
    return nullptr;
}

const DataType* DataType::FromSdkType(int sdkType) {
    for (int id = 1; id < kDataTypeCount; ++id)
        if (sdkType != 0 && kDataTypeTable[id].sdkType_ == sdkType) return &kDataTypeTable[id];
    return nullptr;
}

const DataType* DataType::Base() const {
    return baseId_ == kDataNone ? this : &kDataTypeTable[baseId_];
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
