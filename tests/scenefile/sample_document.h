#ifndef LYSDK_TESTS_SCENEFILE_SAMPLE_DOCUMENT_H
#define LYSDK_TESTS_SCENEFILE_SAMPLE_DOCUMENT_H

// Documents and files for the scene-file tests: a sample holding every field
// type, every property value type, plain and custom curves and doubles that
// only survive a bit-exact trip, and a scratch directory per test.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include <velora/scene_file.h>

namespace scenefile_test {

namespace dsx = velora::dsx;
namespace fs = std::filesystem;

inline double FromBits(std::uint64_t bits) {
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

inline std::uint64_t Bits(double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return bits;
}

/// Doubles that a decimal or lossy encoding would change: the sign of zero,
/// denormals, the extremes, values without a short decimal form, and NaNs
/// with payloads.
inline const double* AwkwardDoubles(int* count) {
    static const double values[] = {
        0.0,
        -0.0,
        0.1,
        1.0 / 3.0,
        -2.5e-308,
        std::numeric_limits<double>::denorm_min(),
        -std::numeric_limits<double>::denorm_min(),
        DBL_MAX,
        -DBL_MAX,
        DBL_MIN,
        DBL_EPSILON,
        9007199254740993.0,  // 2^53 + 1 rounds; the rounded value must stay
        123456789.123456789,
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(),
        FromBits(0x7ff8000000000000ull),  // the quiet NaN
        FromBits(0x7ff0000000000001ull),  // a signalling NaN's bits
        FromBits(0xfff8dead0000beefull),  // a negative NaN with a payload
    };
    *count = static_cast<int>(sizeof values / sizeof values[0]);
    return values;
}

/// A curve whose keys use every column, with awkward doubles spread over
/// values, tangent data and the default.
inline void FillCurve(dsx::Curve* curve, int keyCount, std::uint64_t seed) {
    int n = 0;
    const double* awkward = AwkwardDoubles(&n);
    curve->SetDefaultValue(awkward[seed % n]);
    curve->PreExtrapolation() = {dsx::kExtrapolationMirror, 3};
    curve->PostExtrapolation() = {dsx::kExtrapolationKeepSlope, 0};
    std::uint64_t x = seed * 2654435761u + 1;
    for (int i = 0; i < keyCount; ++i) {
        x = x * 6364136223846793005ull + 1442695040888963407ull;
        dsx::CurveKey k;
        k.time = -141120000LL * 5 + static_cast<std::int64_t>(i) * 4704000 + static_cast<std::int64_t>(x % 1000);
        k.value = i % 3 == 0 ? awkward[(x >> 8) % n] : static_cast<double>(x % 100000) / 7.0;
        k.flags = velora::KeyFlagsFrom(1u << (i % 4) | (i % 5 == 0 ? velora::kKeyCustom : 0u),
                                       static_cast<int>(x % 256), static_cast<int>((x >> 3) % 4),
                                       static_cast<int>((x >> 5) % 4));
        for (int d = 0; d < 6; ++d) k.data[d] = awkward[(x >> (7 + d)) % n];
        if (i % 7 == 0)
            for (int d = 0; d < 3; ++d) k.tcb[d] = awkward[(x >> (13 + d)) % n];
        curve->Keys().push_back(k);
    }
}

/// One object per use: every field type, every property type, animated
/// properties with plain and custom curves, and references between them.
inline dsx::Document SampleDocument() {
    dsx::Document doc;
    dsx::FileObject* device = doc.AddObject("__LyDevice", "Device::Glove");
    dsx::FileObject* model = doc.AddObject("Model", "Model::Hand");
    dsx::FileObject* empty = doc.AddObject("Object", "Object::Empty");
    (void)empty;

    device->SetInteger("Icon", 7);
    device->SetInteger("Min", INT64_MIN);
    device->SetInteger("Max", INT64_MAX);
    device->SetDouble("Rate", 0.1);
    device->SetDouble("NegZero", -0.0);
    device->SetDouble("NaN", FromBits(0x7ff4000000000123ull));
    device->SetBool("InstrumentActive", true);
    device->SetBool("Off", false);
    device->SetString("Port", "/dev/ttyS0");
    device->SetString("Unicode", "\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xac \"quoted\" \\ \t\n");
    device->SetString("Empty", "");
    device->SetReference("Target", model->Id());
    device->SetReference("Nothing", 0);
    device->SetField("Channels", std::vector<std::int64_t>{0, -1, INT64_MAX, INT64_MIN});
    int n = 0;
    const double* awkward = AwkwardDoubles(&n);
    device->SetField("Calibration", std::vector<double>(awkward, awkward + n));
    device->SetField("Names", std::vector<std::string>{"x", "", "z~w"});
    device->SetField("NoInts", std::vector<std::int64_t>{});

    model->SetReference("Self", model->Id());
    model->SetReference("Back", device->Id());

    auto add = [&](const char* name, int type) {
        dsx::FileProperty* p = model->AddProperty(name, type);
        EXPECT_NE(p, nullptr) << name;
        return p;
    };
    add("I", dsx::kFileValueInt)->SetInteger(-2147483648LL);
    add("I64", dsx::kFileValueInt64)->SetInteger(INT64_MIN);
    add("U64", dsx::kFileValueUInt64)->SetUnsigned(UINT64_MAX);
    add("B", dsx::kFileValueBool)->SetInteger(1);
    add("F", dsx::kFileValueFloat)->SetNumber(0.1);
    add("D", dsx::kFileValueDouble)->SetNumber(-0.0);
    add("S", dsx::kFileValueString)->SetText("a, b; c");
    add("E", dsx::kFileValueEnum)->SetInteger(3);
    add("T", dsx::kFileValueTime)->SetInteger(-141120000LL * 3600);
    const double v2[] = {1.5, -2.25};
    add("V2", dsx::kFileValueVector2)->SetNumbers(v2, 2);
    const double v4[] = {awkward[1], awkward[5], awkward[13], awkward[17]};
    add("V4", dsx::kFileValueVector4)->SetNumbers(v4, 4);

    dsx::FileProperty* translation = add("Lcl Translation", dsx::kFileValueVector3);
    const double v3[] = {1, 2, 3};
    translation->SetNumbers(v3, 3);
    translation->SetFlags(dsx::kFilePropertyAnimatable | 0x80 | 0x200 | 0x1000);
    dsx::CurveNode* node = translation->CreateAnimation(3);
    node->SetChannelValue(0, 1.0);
    node->SetChannelValue(1, awkward[3]);
    node->SetChannelValue(2, awkward[16]);
    FillCurve(node->CreateCurve(0, false), 40, 1);
    auto* custom = static_cast<dsx::CustomCurve*>(node->CreateCurve(2, true));
    FillCurve(custom, 25, 2);
    custom->KeyIndexList().SetText("0,5,10");
    custom->TangentNameList().SetText("Smooth,Ease In,Ease Out");

    dsx::FileProperty* weight = add("Weight", dsx::kFileValueDouble);
    weight->SetNumber(100.0);
    weight->SetFlags(dsx::kFilePropertyUser | 0x800);
    dsx::CurveNode* single = weight->CreateAnimation(1);
    FillCurve(single->CreateCurve(0, true), 0, 3);  // a custom curve without keys
    return doc;
}

/// A document's bytes in an encoding, and a document read back from bytes.
inline std::string Encode(const dsx::Document& doc, dsx::Encoding encoding) {
    std::string bytes, error;
    EXPECT_TRUE(dsx::EncodeDocument(doc, encoding, &bytes, &error)) << error;
    return bytes;
}

inline dsx::Document Decode(const std::string& bytes, dsx::Encoding* found = nullptr) {
    dsx::Document doc;
    std::string error;
    EXPECT_TRUE(dsx::DecodeDocument(bytes.data(), bytes.size(), &doc, &error, found)) << error;
    return doc;
}

/// Names the text and binary instances of the tests run in both encodings.
inline std::string EncodingName(const ::testing::TestParamInfo<dsx::Encoding>& info) {
    return info.param == dsx::Encoding::kText ? "Text" : "Binary";
}

/// A directory of its own for each test, removed afterwards.
class ScratchDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               (std::string("lysdk-scenefile-") + info->test_suite_name() + "-" + info->name() + "-" +
                std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        velora::dsx::SetSaveFaultHook(nullptr);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    std::string Path(const char* name) const { return (dir_ / name).string(); }

    static std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    static void WriteBytes(const std::string& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    /// Every entry of the directory, sorted, so a left-over temporary shows.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const fs::directory_entry& e : fs::directory_iterator(dir_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;
};

}  // namespace scenefile_test

#endif  // LYSDK_TESTS_SCENEFILE_SAMPLE_DOCUMENT_H
