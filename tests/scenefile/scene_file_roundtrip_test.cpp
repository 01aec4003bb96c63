// Documents survive both encodings and a trip through a file unchanged,
// doubles bit for bit.

#include <nlohmann/json.hpp>

#include "scenefile/sample_document.h"

using namespace scenefile_test;

namespace {

class RoundTrip : public ::testing::TestWithParam<dsx::Encoding> {};

TEST_P(RoundTrip, EveryFieldAndPropertyTypeWithStableBytes) {
    const dsx::Document original = SampleDocument();
    dsx::Encoding found = dsx::Encoding(-1);
    const dsx::Document back = Decode(Encode(original, GetParam()), &found);
    EXPECT_EQ(found, GetParam());
    ASSERT_TRUE(dsx::SameContent(original, back));

    // SameContent is itself under test here: read a few values the long way.
    const dsx::FileObject* device = back.FindObject("Device::Glove");
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->ClassName(), "__LyDevice");
    std::int64_t i = 0;
    ASSERT_TRUE(device->GetInteger("Min", &i));
    EXPECT_EQ(i, INT64_MIN);
    double d = 1;
    ASSERT_TRUE(device->GetDouble("NegZero", &d));
    EXPECT_EQ(Bits(d), Bits(-0.0));
    ASSERT_TRUE(device->GetDouble("NaN", &d));
    EXPECT_EQ(Bits(d), 0x7ff4000000000123ull);
    std::uint32_t ref = 0;
    ASSERT_TRUE(device->GetReference("Target", &ref));
    EXPECT_EQ(back.FindObject(ref)->Name(), "Model::Hand");
    ASSERT_TRUE(device->GetReference("Nothing", &ref));
    EXPECT_EQ(ref, 0u);
    EXPECT_EQ(*device->GetString("Unicode"), *original.FindObject("Device::Glove")->GetString("Unicode"));
    EXPECT_EQ(std::get<std::vector<std::string>>(*device->Field("Names")).at(2), "z~w");

    const dsx::FileObject* model = back.FindObject("Model::Hand");
    std::uint64_t u = 0;
    ASSERT_TRUE(model->FindProperty("U64")->GetUnsigned(&u));
    EXPECT_EQ(u, UINT64_MAX);
    const dsx::FileProperty* t = model->FindProperty("Lcl Translation");
    EXPECT_EQ(t->LockBits(), 0x280u);
    EXPECT_EQ(t->MuteBits(), 0x1000u);
    ASSERT_NE(t->Animation(), nullptr);
    EXPECT_EQ(t->Animation()->ChannelCount(), 3);
    EXPECT_EQ(t->Animation()->ChannelCurve(1), nullptr);
    const dsx::Curve* custom = t->Animation()->ChannelCurve(2);
    ASSERT_NE(custom, nullptr);
    EXPECT_TRUE(custom->IsA(dsx::kFileClassCustomCurve));
    EXPECT_TRUE(custom->IsA(dsx::kFileClassCurve));
    EXPECT_EQ(*static_cast<const dsx::CustomCurve*>(custom)->TangentNameList().Text(),
              "Smooth,Ease In,Ease Out");
    EXPECT_FALSE(t->Animation()->ChannelCurve(0)->IsA(dsx::kFileClassCustomCurve));

    // Encoding what was decoded gives the same bytes: nothing drifts from
    // one save to the next. An empty document comes back empty.
    const std::string first = Encode(original, GetParam());
    EXPECT_EQ(Encode(back, GetParam()), first);
    EXPECT_EQ(Decode(Encode(dsx::Document(), GetParam())).ObjectCount(), 0);
}

TEST_P(RoundTrip, CurvesKeepEveryBit) {
    dsx::Document doc;
    dsx::FileProperty* p = doc.AddObject("Model", "Model::Big")->AddProperty("X", dsx::kFileValueDouble);
    dsx::Curve* curve = p->CreateAnimation(1)->CreateCurve(0, false);
    FillCurve(curve, 5000, 42);
    // Random bit patterns cover far more of the double space than any list.
    std::uint64_t x = 0x9e3779b97f4a7c15ull;
    for (dsx::CurveKey& k : curve->Keys()) {
        for (double& d : k.data) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            d = FromBits(x);
        }
    }
    const dsx::Document back = Decode(Encode(doc, GetParam()));
    const dsx::Curve* read = back.ObjectAt(0)->PropertyAt(0)->Animation()->ChannelCurve(0);
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->Keys().size(), curve->Keys().size());
    for (std::size_t i = 0; i < read->Keys().size(); ++i) {
        const dsx::CurveKey& a = curve->Keys()[i];
        const dsx::CurveKey& b = read->Keys()[i];
        ASSERT_EQ(a.time, b.time) << i;
        ASSERT_EQ(Bits(a.value), Bits(b.value)) << i;
        for (int d = 0; d < 6; ++d) ASSERT_EQ(Bits(a.data[d]), Bits(b.data[d])) << i << "/" << d;
        for (int d = 0; d < 3; ++d) ASSERT_EQ(Bits(a.tcb[d]), Bits(b.tcb[d])) << i << "/" << d;
        ASSERT_EQ(a.flags, b.flags);
    }
    EXPECT_EQ(read->PreExtrapolation().mode, dsx::kExtrapolationMirror);
    EXPECT_EQ(read->PreExtrapolation().count, 3);
    EXPECT_EQ(read->PostExtrapolation().mode, dsx::kExtrapolationKeepSlope);
    EXPECT_TRUE(dsx::SameContent(doc, back));
}

// `j` with the members of every object in the opposite order.
nlohmann::ordered_json Reversed(const nlohmann::ordered_json& j) {
    if (!j.is_structured()) return j;
    std::vector<std::pair<std::string, nlohmann::ordered_json>> members;
    for (auto it = j.begin(); it != j.end(); ++it)
        members.emplace_back(j.is_object() ? it.key() : std::string(), Reversed(*it));
    if (j.is_array()) {
        nlohmann::ordered_json out = nlohmann::ordered_json::array();
        for (auto& m : members) out.push_back(std::move(m.second));
        return out;
    }
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    for (auto it = members.rbegin(); it != members.rend(); ++it) out[it->first] = std::move(it->second);
    return out;
}

TEST_P(RoundTrip, MembersInAnyOrder) {
    // The writer's order reversed: each value before its property's type,
    // fields and properties before their object's id, keys and key indices
    // before their curve's class, objects before the version.
    const dsx::Document original = SampleDocument();
    const auto reversed = Reversed(nlohmann::ordered_json::parse(Encode(original, dsx::Encoding::kText)));
    std::string bytes = reversed.dump();
    if (GetParam() == dsx::Encoding::kBinary) {
        const std::vector<std::uint8_t> cbor = nlohmann::ordered_json::to_cbor(reversed);
        bytes = "\xD9\xD9\xF7" + std::string(cbor.begin(), cbor.end());
    }
    ASSERT_TRUE(dsx::SameContent(original, Decode(bytes)));
}

INSTANTIATE_TEST_SUITE_P(Encodings, RoundTrip,
                         ::testing::Values(dsx::Encoding::kText, dsx::Encoding::kBinary),
                         EncodingName);

TEST(SceneFileText, ReadableLayout) {
    dsx::Document doc;
    dsx::FileObject* o = doc.AddObject("__LyDevice", "Device::Glove");
    o->SetInteger("Icon", 3);
    o->SetDouble("Rate", std::numeric_limits<double>::infinity());
    dsx::Curve* c = o->AddProperty("X", dsx::kFileValueDouble)->CreateAnimation(1)->CreateCurve(0, false);
    dsx::CurveKey k;
    k.time = 141120000;
    k.value = 0.5;
    c->Keys().push_back(k);
    const std::string text = Encode(doc, dsx::Encoding::kText);
    EXPECT_EQ(text.rfind("{\n  \"format\": \"velora-dsx\",\n  \"version\": 2,\n", 0), 0u) << text;
    EXPECT_NE(text.find("\"Icon\": {\"int\":3}"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Rate\": {\"double\":\"inf\"}"), std::string::npos) << text;
    // One key, one line.
    EXPECT_NE(text.find("[141120000,0.5,8,0,0,0,0.0,0.0,0.0,0.0,0.0,0.0]"), std::string::npos) << text;
    EXPECT_EQ(text.back(), '\n');
}

TEST(SceneFileText, BinaryStartsWithTheCborTagAndIsSmaller) {
    dsx::Document doc;
    FillCurve(doc.AddObject("Model", "Model::M")->AddProperty("X", dsx::kFileValueDouble)->CreateAnimation(1)->CreateCurve(0, false),
              2000, 9);
    const std::string binary = Encode(doc, dsx::Encoding::kBinary);
    const std::string text = Encode(doc, dsx::Encoding::kText);
    ASSERT_GE(binary.size(), 3u);
    EXPECT_EQ(static_cast<unsigned char>(binary[0]), 0xD9);
    EXPECT_EQ(static_cast<unsigned char>(binary[1]), 0xD9);
    EXPECT_EQ(static_cast<unsigned char>(binary[2]), 0xF7);
    EXPECT_LT(binary.size() * 4, text.size() * 3) << binary.size() << " vs " << text.size();
}

TEST(SceneFileText, HandWrittenFileReads) {
    // What a person would type: integers where doubles go, members in any
    // order, optional members left out.
    const std::string text = R"({
      "version": 1, "format": "velora-dsx",
      "objects": [
        {"name": "Model::A", "class": "Model", "id": 5,
         "fields": {"Scale": {"double": 2}, "Peer": {"ref": 9}}},
        {"id": 9, "class": "Model", "name": "Model::B",
         "properties": [{"name": "V", "type": "vector3", "value": [1, 2.5, -3]}]}
      ]})";
    const dsx::Document doc = Decode(text);
    ASSERT_EQ(doc.ObjectCount(), 2);
    double d = 0;
    EXPECT_TRUE(doc.FindObject(5)->GetDouble("Scale", &d));
    EXPECT_EQ(d, 2.0);
    double v[3] = {};
    ASSERT_TRUE(doc.FindObject("Model::B")->FindProperty("V")->GetNumbers(v, 3));
    EXPECT_EQ(v[2], -3.0);
    EXPECT_EQ(doc.FindObject(9)->FindProperty("V")->Flags(), 0u);
}

TEST(SceneFileRoundTripOnDisk, BothEncodingsThroughFiles) {
    const fs::path dir = fs::temp_directory_path() / ("lysdk-scenefile-disk-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const dsx::Document original = SampleDocument();
    for (dsx::Encoding encoding : {dsx::Encoding::kText, dsx::Encoding::kBinary}) {
        const std::string path = (dir / "scene.dsx").string();
        std::string error;
        ASSERT_TRUE(dsx::SaveDocument(original, path, encoding, &error)) << error;
        dsx::Document back;
        dsx::Encoding found = dsx::Encoding(-1);
        ASSERT_TRUE(dsx::LoadDocument(path, &back, &error, &found)) << error;
        EXPECT_EQ(found, encoding);
        EXPECT_TRUE(dsx::SameContent(original, back));
    }
    fs::remove_all(dir);
}

// SameContent has to see every difference, or the round trips above prove
// nothing.
TEST(SceneFileSameContent, SeesEachDifference) {
    const dsx::Document a = SampleDocument();
    ASSERT_TRUE(dsx::SameContent(a, SampleDocument()));
    auto changed = [&](auto edit) {
        dsx::Document b = SampleDocument();
        edit(b);
        return !dsx::SameContent(a, b);
    };
    EXPECT_TRUE(changed([](dsx::Document& d) { d.FindObject("Device::Glove")->SetDouble("NegZero", 0.0); }));
    EXPECT_TRUE(changed([](dsx::Document& d) { d.FindObject("Device::Glove")->SetDouble("NaN", FromBits(0x7ff4000000000124ull)); }));
    EXPECT_TRUE(changed([](dsx::Document& d) { d.FindObject("Device::Glove")->SetReference("Nothing", 1); }));
    EXPECT_TRUE(changed([](dsx::Document& d) { d.FindObject("Device::Glove")->SetInteger("Rate", 0); }));
    EXPECT_TRUE(changed([](dsx::Document& d) { d.AddObject("X", "X::Y"); }));
    EXPECT_TRUE(changed([](dsx::Document& d) {
        d.FindObject("Model::Hand")->FindProperty("Lcl Translation")->Animation()->ChannelCurve(0)->Keys()[3].data[5] = 7;
    }));
    EXPECT_TRUE(changed([](dsx::Document& d) {
        d.FindObject("Model::Hand")->FindProperty("Lcl Translation")->Animation()->ChannelCurve(0)->Keys()[3].flags ^= velora::kTangentAuto;
    }));
    EXPECT_TRUE(changed([](dsx::Document& d) {
        auto* c = static_cast<dsx::CustomCurve*>(
            d.FindObject("Model::Hand")->FindProperty("Lcl Translation")->Animation()->ChannelCurve(2));
        c->KeyIndexList().SetText("0,5");
    }));
    EXPECT_TRUE(changed([](dsx::Document& d) {
        d.FindObject("Model::Hand")->FindProperty("Lcl Translation")->Animation()->SetCurve(1, std::make_unique<dsx::Curve>());
    }));
    EXPECT_TRUE(changed([](dsx::Document& d) { d.FindObject("Model::Hand")->FindProperty("F")->SetNumber(0.2); }));
    EXPECT_TRUE(changed([](dsx::Document& d) { d.FindObject("Model::Hand")->FindProperty("Weight")->SetFlags(0); }));
    EXPECT_TRUE(changed([](dsx::Document& d) { d.FindObject("Model::Hand")->FindProperty("Weight")->RemoveAnimation(); }));
}

TEST(SceneFileText, TheDocumentedExampleReads) {
    // The example in the format's documentation is a real file.
    std::ifstream in(fs::path(LYSDK_SOURCE_DIR) / "docs" /
                     "scene-file-format.md");
    const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t begin = page.find("```json\n");
    ASSERT_NE(begin, std::string::npos);
    const std::size_t end = page.find("```", begin + 8);
    ASSERT_NE(end, std::string::npos);
    const dsx::Document doc = Decode(page.substr(begin + 8, end - begin - 8));
    ASSERT_EQ(doc.ObjectCount(), 2);
    std::uint32_t target = 0;
    ASSERT_TRUE(doc.ObjectAt(0)->GetReference("Target", &target));
    EXPECT_EQ(doc.FindObject(target)->Name(), "Model::Hand");
    const dsx::FileProperty* p = doc.ObjectAt(0)->FindProperty("Lcl Translation");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->LockBits(), 0x280u);
    EXPECT_EQ(p->Animation()->ChannelCurve(0)->Keys().size(), 2u);
}

}  // namespace
