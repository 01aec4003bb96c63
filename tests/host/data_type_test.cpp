#include <gtest/gtest.h>

#include <velora/data_type.h>

using velora::DataType;

TEST(DataType, EveryIdHasAnEntryFoundAgainByItsName) {
    ASSERT_EQ(DataType::Count(), 20);
    for (int id = 1; id <= DataType::Count(); ++id) {
        const DataType* type = DataType::Get(id);
        ASSERT_NE(type, nullptr) << id;
        EXPECT_EQ(type->Id(), id);
        ASSERT_NE(type->Name(), nullptr);
        EXPECT_EQ(DataType::Find(type->Name()), type) << type->Name();
    }
}

TEST(DataType, OutOfRangeIdsAndUnknownNamesGiveNull) {
    EXPECT_EQ(DataType::Get(velora::kDataNone), nullptr);
    EXPECT_EQ(DataType::Get(-1), nullptr);
    EXPECT_EQ(DataType::Get(velora::kDataTypeCount), nullptr);
    EXPECT_EQ(DataType::Find(nullptr), nullptr);
    EXPECT_EQ(DataType::Find(""), nullptr);
    EXPECT_EQ(DataType::Find("number"), nullptr);  // names are case-sensitive
}

TEST(DataType, ScalarsAndVectorsAreBases) {
    for (int id : {velora::kDataNumber, velora::kDataInteger, velora::kDataVector2, velora::kDataVector,
                   velora::kDataVector4, velora::kDataBool, velora::kDataFloat, velora::kDataTime}) {
        EXPECT_TRUE(DataType::Get(id)->IsBase()) << id;
    }
}

TEST(DataType, DerivedTypesShareTheirBaseLayout) {
    struct Case {
        int id, base;
    };
    for (Case c : {Case{velora::kDataColor, velora::kDataVector}, Case{velora::kDataColorAndAlpha, velora::kDataVector4},
                   Case{velora::kDataEnum, velora::kDataInteger}, Case{velora::kDataAction, velora::kDataBool}}) {
        const DataType* type = DataType::Get(c.id);
        const DataType* base = DataType::Get(c.base);
        EXPECT_EQ(type->Base(), base) << type->Name();
        EXPECT_FALSE(type->IsBase());
        EXPECT_EQ(type->ValueSize(), base->ValueSize());
        EXPECT_EQ(type->MemberCount(), base->MemberCount());
        EXPECT_EQ(type->Kind(), base->Kind());
    }
}

TEST(DataType, VectorSizesFollowTheirMembers) {
    for (int id = 1; id <= DataType::Count(); ++id) {
        const DataType* type = DataType::Get(id);
        if (type->IsDoubles()) {
            EXPECT_EQ(type->ValueSize(), sizeof(double) * static_cast<std::size_t>(type->MemberCount()))
                << type->Name();
        }
    }
    EXPECT_EQ(DataType::Get(velora::kDataEvent)->ValueSize(), 0u);
    EXPECT_EQ(DataType::Get(velora::kDataEvent)->MemberCount(), 0);
}

TEST(DataType, NumericTypesAreTheOnesRangesApplyTo) {
    EXPECT_TRUE(DataType::Get(velora::kDataNumber)->IsNumeric());
    EXPECT_TRUE(DataType::Get(velora::kDataInteger)->IsNumeric());
    EXPECT_TRUE(DataType::Get(velora::kDataColor)->IsNumeric());
    EXPECT_FALSE(DataType::Get(velora::kDataEnum)->IsNumeric());
    EXPECT_FALSE(DataType::Get(velora::kDataString)->IsNumeric());
    EXPECT_FALSE(DataType::Get(velora::kDataTime)->IsNumeric());
}
