#include <gtest/gtest.h>

#include <utility>

#include <velora/data_type.h>

using velora::DataType;

TEST(DataType, EveryIdHasAnEntryFoundAgainByItsNameAndOthersGiveNull) {
    ASSERT_EQ(DataType::Count(), 20);
    for (int id = 1; id <= DataType::Count(); ++id) {
        const DataType* type = DataType::Get(id);
        ASSERT_NE(type, nullptr) << id;
        EXPECT_EQ(type->Id(), id);
        ASSERT_NE(type->Name(), nullptr);
        EXPECT_EQ(DataType::Find(type->Name()), type) << type->Name();
        // Vectors of doubles are as large as their members.
        if (type->IsDoubles())
            EXPECT_EQ(type->ValueSize(), sizeof(double) * static_cast<std::size_t>(type->MemberCount()))
                << type->Name();
    }
    EXPECT_EQ(DataType::Get(velora::kDataEvent)->ValueSize(), 0u);
    EXPECT_EQ(DataType::Get(velora::kDataEvent)->MemberCount(), 0);
    for (int id : {int(velora::kDataNone), -1, int(velora::kDataTypeCount)}) EXPECT_EQ(DataType::Get(id), nullptr) << id;
    for (const char* name : {static_cast<const char*>(nullptr), "", "number"})  // names are case-sensitive
        EXPECT_EQ(DataType::Find(name), nullptr);
}

TEST(DataType, BasesDerivedTypesAndTheNumericOnes) {
    for (int id : {velora::kDataNumber, velora::kDataInteger, velora::kDataVector2, velora::kDataVector,
                   velora::kDataVector4, velora::kDataBool, velora::kDataFloat, velora::kDataTime})
        EXPECT_TRUE(DataType::Get(id)->IsBase()) << id;
    // Derived types share their base's layout.
    const std::pair<int, int> derived[] = {{velora::kDataColor, velora::kDataVector},
                                           {velora::kDataColorAndAlpha, velora::kDataVector4},
                                           {velora::kDataEnum, velora::kDataInteger},
                                           {velora::kDataAction, velora::kDataBool}};
    for (const auto& [id, baseId] : derived) {
        const DataType* type = DataType::Get(id);
        const DataType* base = DataType::Get(baseId);
        EXPECT_EQ(type->Base(), base) << type->Name();
        EXPECT_FALSE(type->IsBase());
        EXPECT_EQ(type->ValueSize(), base->ValueSize());
        EXPECT_EQ(type->MemberCount(), base->MemberCount());
        EXPECT_EQ(type->Kind(), base->Kind());
    }
    // Ranges apply to the numeric types only.
    for (int id : {velora::kDataNumber, velora::kDataInteger, velora::kDataColor})
        EXPECT_TRUE(DataType::Get(id)->IsNumeric()) << id;
    for (int id : {velora::kDataEnum, velora::kDataString, velora::kDataTime})
        EXPECT_FALSE(DataType::Get(id)->IsNumeric()) << id;
}
