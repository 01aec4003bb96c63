// Host curves, nodes and property states through scene documents: every
// key flag, tangent, weight and extrapolation comes back bit for bit, custom
// tangents travel by name, locked channels stay, and lock and mute bits move
// five places.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include <velora/animation.h>
#include <velora/curve_file.h>
#include <velora/data_type.h>
#include <velora/fcurve.h>
#include <velora/property.h>
#include <velora/model.h>
#include <velora/scene.h>
#include <velora/scene_file.h>
#include <velora/scene_io.h>
#include <velora/time.h>

#include "scenefile/sample_document.h"

namespace {

using namespace scenefile_test;
using velora::FCurve;
using velora::FCurveKey;

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void ExpectSameKeys(const FCurve& a, const FCurve& b) {
    ASSERT_EQ(a.KeyCount(), b.KeyCount());
    for (int i = 0; i < a.KeyCount(); ++i) {
        const FCurveKey& x = a.KeyAt(i);
        const FCurveKey& y = b.KeyAt(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(x.time, y.time);
        EXPECT_EQ(x.flags, y.flags);
        const float xs[] = {x.value, x.leftDerivative, x.rightDerivative, x.leftWeight, x.rightWeight,
                            x.leftVelocity, x.rightVelocity, x.tension, x.continuity, x.bias};
        const float ys[] = {y.value, y.leftDerivative, y.rightDerivative, y.leftWeight, y.rightWeight,
                            y.leftVelocity, y.rightVelocity, y.tension, y.continuity, y.bias};
        for (int f = 0; f < 10; ++f) EXPECT_TRUE(SameBits(xs[f], ys[f])) << "field " << f;
    }
}

class CurveConversion : public ::testing::TestWithParam<dsx::Encoding> {
protected:
    void TearDown() override {
        for (velora::Object* o : made_) o->Destroy(0);
    }
    FCurve* Curve() {
        FCurve* c = FCurve::Create("c");
        made_.push_back(c);
        return c;
    }
    velora::Object* Owner() {
        velora::Object* o = velora::Object::Create("Owner");
        made_.push_back(o);
        return o;
    }
    std::vector<velora::Object*> made_;
};

TEST_P(CurveConversion, EveryKeySurvivesBitForBit) {
    FCurve* curve = Curve();
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> any(-1e6f, 1e6f);
    const std::uint32_t interpolations[] = {velora::kKeyConstant, velora::kKeyLinear, velora::kKeyCubic,
                                            velora::kKeyCustom};
    const std::uint32_t modes[] = {0, 0x0100, 0x0200, 0x0400, 0x0C00, 0x1100, 0x2100, 0x6100, 0x7F00, 0x0300};
    curve->BeginEdit();
    for (int i = 0; i < 400; ++i) {
        FCurveKey key;
        key.time = -5000000000ll + i * 3528000ll + (i % 7);
        key.value = i % 11 == 0 ? -0.0f : any(rng);
        key.flags = interpolations[i % 4] | modes[(i / 4) % 10] |
                    (static_cast<std::uint32_t>(i % 4) << velora::kWeightShift) |
                    (static_cast<std::uint32_t>((i / 3) % 4) << velora::kVelocityShift);
        float* fields[] = {&key.leftDerivative, &key.rightDerivative, &key.leftWeight, &key.rightWeight,
                           &key.leftVelocity, &key.rightVelocity, &key.tension, &key.continuity, &key.bias};
        for (float* f : fields) *f = any(rng);
        if (i % 5 == 0) key.bias = 0.0f;  // keys without tension, continuity, bias too
        curve->KeyAdd(key);
    }
    curve->EndEdit();
    curve->SetPreExtrapolation(velora::kExtrapolationMirrorRepetition);
    curve->SetPreExtrapolationCount(3);
    curve->SetPostExtrapolation(velora::kExtrapolationRelativeRepetition);
    curve->SetDefaultValue(0.1);

    dsx::Document doc;
    dsx::FileProperty* p = doc.AddObject("Model", "Model::M")->AddProperty("X", dsx::kFileValueDouble);
    dsx::CurveNode* node = p->CreateAnimation(1);
    CopyAnimCurve(node->CreateCurve(0, true), curve, true);
    const dsx::Document back = Decode(Encode(doc, GetParam()));
    EXPECT_TRUE(dsx::SameContent(doc, back));
    FCurve* read = Curve();
    const dsx::CurveNode* readNode = back.ObjectAt(0)->PropertyAt(0)->Animation();
    CopyAnimCurve(read, readNode, 0, false);
    ExpectSameKeys(*curve, *read);
    EXPECT_EQ(read->PreExtrapolation(), velora::kExtrapolationMirrorRepetition);
    EXPECT_EQ(read->PreExtrapolationCount(), 3);
    EXPECT_EQ(read->PostExtrapolation(), velora::kExtrapolationRelativeRepetition);
    EXPECT_EQ(read->PostExtrapolationCount(), 0);
    EXPECT_EQ(read->DefaultValue(), 0.1);
    // The two curves evaluate alike everywhere.
    for (long long t = -6000000000ll; t < 0; t += 7919000)
        ASSERT_EQ(read->Evaluate(t), curve->Evaluate(t)) << t;
}

TEST_P(CurveConversion, CustomTangentsTravelByName) {
    FCurve* curve = Curve();
    const std::uint32_t kinds[] = {velora::kKeyCubic | velora::kTangentAuto,
                                   velora::kKeyCustom | velora::kCustomTangent1, velora::kKeyLinear,
                                   velora::kKeyCustom | velora::kCustomTangent2};
    for (int i = 0; i < 4; ++i) {
        FCurveKey key;
        key.time = i * velora::kTicksPerSecond;
        key.flags = kinds[i];
        curve->KeyAdd(key);
    }
    dsx::CurveNode node("X", 1);
    dsx::Curve* file = node.CreateCurve(0, true);
    CopyAnimCurve(file, curve, true);
    auto* custom = static_cast<dsx::CustomCurve*>(file);
    EXPECT_EQ(*custom->KeyIndexList().Text(), "1,3");
    EXPECT_EQ(*custom->TangentNameList().Text(),
              std::string(velora::CustomTangents::Name(velora::kCustomTangent1)) + "," +
                  velora::CustomTangents::Name(velora::kCustomTangent2));
    EXPECT_EQ(file->Keys()[1].flags & velora::kKeyInterpolationMask, velora::kKeyLinear);  // a plain key in the file
    EXPECT_EQ(curve->KeyAt(1).flags, kinds[1]);                                          // the host's is as it was
    FCurve* read = Curve();
    CopyAnimCurve(read, &node, 0, true);
    ExpectSameKeys(*curve, *read);

    // A name this host does not know leaves the key as the file has it; a
    // custom bit beside linear makes a linear key.
    custom->TangentNameList().SetText(std::string("Wobble,") + velora::CustomTangents::Name(velora::kCustomTangent0));
    file->Keys()[2].flags |= velora::kKeyCustom;
    CopyAnimCurve(read, &node, 0, true);
    EXPECT_EQ(read->KeyAt(1).flags & velora::kKeyInterpolationMask, velora::kKeyLinear);
    EXPECT_EQ(read->KeyAt(3).flags, velora::kKeyCustom | velora::kCustomTangent0);
    EXPECT_EQ(read->KeyAt(2).flags & velora::kKeyInterpolationMask, velora::kKeyLinear);

    // Without custom keys the lists stay empty and nothing becomes custom.
    FCurve* plain = Curve();
    plain->KeyAdd(FCurveKey());
    CopyAnimCurve(file, plain, true);
    EXPECT_EQ(*custom->KeyIndexList().Text(), "");
    CopyAnimCurve(read, &node, 0, true);
    EXPECT_EQ(read->KeyAt(0).flags, plain->KeyAt(0).flags);
}

TEST_P(CurveConversion, NodesChannelByChannelAndLockedChannels) {
    velora::Object* owner = Owner();
    velora::Property* position = owner->CreateProperty("Position", velora::kDataVector, velora::kCreateAnimatable);
    velora::SetPropertyAnimated(position, true);
    velora::AnimationNode* node = velora::PropertyAnimationNode(position);
    const double a[3] = {1, 2, 3}, b[3] = {4, 5, 6};
    node->KeyAdd(0, a, velora::kKeyLinear);
    node->KeyAdd(velora::kTicksPerSecond, b, velora::kKeyCubic | velora::kTangentTCB);
    node->Curve(2)->KeyClear();
    node->Curve(2)->SetDefaultValue(7.5);

    dsx::Document doc;
    dsx::FileProperty* p = doc.AddObject("Object", "Object::Owner")->AddProperty("Position", dsx::kFileValueVector3);
    velora::CopyFCurveNode(p->CreateAnimation(1), node, false);
    const dsx::Document back = Decode(Encode(doc, GetParam()));
    const dsx::CurveNode* file = back.ObjectAt(0)->PropertyAt(0)->Animation();
    ASSERT_EQ(file->ChannelCount(), 3);
    EXPECT_EQ(file->ChannelCurve(2), nullptr);  // no keys, only its value
    EXPECT_EQ(file->ChannelValue(2), 7.5);

    // Into another node: member 1 locked keeps its keys.
    velora::Property* other = owner->CreateProperty("Other", velora::kDataVector, velora::kCreateAnimatable);
    velora::SetPropertyAnimated(other, true);
    velora::AnimationNode* target = velora::PropertyAnimationNode(other);
    const double c[3] = {9, 9, 9};
    target->KeyAdd(5, c, velora::kKeyConstant);
    other->SetMemberLocked(0, true);
    velora::CopyLockedFCurveNode(target, file, false, other, static_cast<int>(velora::kPropertyLockMember0 << 1));
    ExpectSameKeys(*node->Curve(0), *target->Curve(0));
    EXPECT_EQ(target->Curve(1)->KeyCount(), 1);
    EXPECT_EQ(target->Curve(1)->KeyAt(0).value, 9.0f);
    EXPECT_EQ(target->Curve(2)->KeyCount(), 0);
    EXPECT_EQ(target->Curve(2)->DefaultValue(), 7.5);
    EXPECT_TRUE(other->IsMemberLocked(0));  // the property's locks are back
    // The plain copy takes every channel.
    velora::CopyFCurveNode(target, file);
    ExpectSameKeys(*node->Curve(1), *target->Curve(1));
    // A value into the unlocked channels.
    dsx::FileProperty value("Position", dsx::kFileValueVector3);
    const double v[3] = {-1, -2, -3};
    value.SetNumbers(v, 3);
    velora::CopyPropertyValueToLockedFCurveNode(target, &value, other, static_cast<int>(velora::kPropertyLockMember0));
    EXPECT_EQ(target->Curve(0)->KeyCount(), 2);
    EXPECT_EQ(target->Curve(1)->KeyCount(), 0);
    EXPECT_EQ(target->Curve(2)->DefaultValue(), -3.0);
    // Nulls change nothing.
    velora::CopyFCurveNode(static_cast<velora::AnimationNode*>(nullptr), file);
    velora::CopyAnimCurve(static_cast<FCurve*>(nullptr), file, 0, true);
    velora::CopyLockedFCurveNode(target, nullptr, false, other, 0);
    EXPECT_EQ(target->Curve(0)->KeyCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(Encodings, CurveConversion,
                         ::testing::Values(dsx::Encoding::kText, dsx::Encoding::kBinary),
                         EncodingName);

TEST(PropertyConversion, ValuesLocksAndMutes) {
    velora::Object* owner = velora::Object::Create("Values");
    struct Row {
        int dataType;
        const char* text;
    };
    const Row rows[] = {{velora::kDataInteger, "-12"},      {velora::kDataInt64, "-9000000000"},
                        {velora::kDataUInt64, "18000000000000000000"}, {velora::kDataBool, "true"},
                        {velora::kDataFloat, "0.1"},        {velora::kDataNumber, "1e+300"},
                        {velora::kDataString, "hand, left"}, {velora::kDataTime, "141120000T"},
                        {velora::kDataVector2, "1 2"},      {velora::kDataVector, "1 2 3"},
                        {velora::kDataColorAndAlpha, "0.5 0.25 1 0"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        velora::Property* from = owner->CreateProperty((std::string("from") + row.text).c_str(), row.dataType);
        velora::Property* to = owner->CreateProperty((std::string("to") + row.text).c_str(), row.dataType);
        ASSERT_TRUE(from->Parse(row.text));
        dsx::FileProperty file("P", velora::DataType::Get(row.dataType)->FileType());
        velora::CopyPropertyValue(&file, from);
        velora::CopyPropertyValue(to, &file);
        std::string text;
        to->Format(&text);
        EXPECT_EQ(text, row.text);
    }
    // Locks and mutes move five places, and only where the property allows.
    velora::Property* p = owner->CreateProperty("Locked", velora::kDataVector, velora::kCreateAnimatable);
    p->SetMemberLocked(1, true);
    velora::SetPropertyMemberMuted(p, 2, true);
    dsx::FileProperty file("Locked", dsx::kFileValueVector3);
    velora::CopyPropertyLockedStatus(&file, p);
    velora::CopyPropertyMutedStatus(&file, p);
    EXPECT_EQ(file.LockBits(), 0x100u);
    EXPECT_EQ(file.MuteBits(), 0x2000u);
    velora::Property* q = owner->CreateProperty("Copy", velora::kDataVector, velora::kCreateAnimatable);
    q->SetMemberLocked(0, true);
    velora::CombinePropertyLockedStatus(q, &file);
    EXPECT_EQ(q->Flags() & velora::kPropertyLockAll, 0x3000u);
    velora::CopyPropertyLockedStatus(q, &file);
    velora::CopyPropertyMutedStatus(q, &file);
    EXPECT_EQ(q->Flags() & velora::kPropertyLockAll, 0x2000u);
    EXPECT_EQ(q->Flags() & velora::kPropertyMuteAll, 0x40000u);
    // A locked member keeps its value unless asked otherwise.
    const double now[3] = {0, 0, 0}, fileValue[3] = {4, 5, 6};
    q->ModifyFlag(velora::kPropertyLockAll, false);
    q->SetRaw(now);
    q->SetMemberLocked(1, true);
    file.SetNumbers(fileValue, 3);
    velora::CopyLockedPropertyValue(q, &file, true);
    double read[3];
    q->GetRaw(read);
    EXPECT_EQ(read[0], 4.0);
    EXPECT_EQ(read[1], 0.0);
    velora::CopyLockedPropertyValue(q, &file, false);
    q->GetRaw(read);
    EXPECT_EQ(read[1], 5.0);
    EXPECT_TRUE(q->IsMemberLocked(1));
    owner->Destroy(0);

    std::vector<const velora::DataType*> types;
    velora::ConvertBlendBypass(dsx::kFileValueVector3, &types);
    velora::ConvertBlendBypass(dsx::kFileValueVector3, &types);
    velora::ConvertBlendBypass(30, &types);
    ASSERT_EQ(types.size(), 1u);
    EXPECT_EQ(types[0]->Id(), velora::kDataVector);
}

}  // namespace

namespace {

// A scene saved and opened again: the animated property of a model comes
// back with every key as it was, and its locks.
TEST(SceneCurves, AnimatedPropertiesSurviveSaveAndOpen) {
    velora::Model* model = velora::Model::Create("Bouncer");
    velora::Scene::Main().AddModel(model);
    velora::Property* t = model->TranslationProperty();
    velora::SetPropertyAnimated(t, true);
    velora::AnimationNode* node = velora::PropertyAnimationNode(t);
    const std::uint32_t kinds[] = {velora::kKeyCubic | velora::kTangentTCB, velora::kKeyConstant | velora::kConstantNext,
                                   velora::kKeyCubic | velora::kTangentUser | velora::kTangentBreak | velora::kWeightRight,
                                   velora::kKeyCustom | velora::kCustomTangent2, velora::kKeyLinear};
    for (int c = 0; c < 3; ++c) {
        for (int i = 0; i < 5; ++i) {
            FCurveKey key;
            key.time = i * 4704000ll + c;
            key.value = static_cast<float>(i * 1.1 + c);
            key.flags = kinds[(i + c) % 5];
            key.tension = 0.3f;
            key.leftDerivative = -1.5f;
            key.rightDerivative = 2.25f;
            key.rightWeight = 0.125f;
            node->Curve(c)->KeyAdd(key);
        }
    }
    node->Curve(1)->SetPostExtrapolation(velora::kExtrapolationMirrorRepetition);
    node->Curve(1)->SetPostExtrapolationCount(4);
    t->SetMemberLocked(2, true);
    // A copy of the curves to compare with.
    velora::Object* keep = velora::Object::Create("Copies");
    std::vector<FCurve*> copies;
    for (int c = 0; c < 3; ++c) {
        FCurve* copy = FCurve::Create("copy");
        copy->SetOwner(keep);
        copy->CopyFrom(*node->Curve(c));
        copies.push_back(copy);
    }
    const std::string path = ::testing::TempDir() + "curves.dsx";
    std::string error;
    ASSERT_TRUE(velora::SaveScene(path, false, &error)) << error;
    model->Destroy(0);
    ASSERT_TRUE(velora::OpenScene(path, &error)) << error;
    auto* back = velora::AsModel(velora::Scene::Main().FindObject("Model::Bouncer"));
    ASSERT_NE(back, nullptr);
    velora::Property* read = back->TranslationProperty();
    EXPECT_TRUE(read->HasFlag(velora::kPropertyAnimated));
    EXPECT_TRUE(read->IsMemberLocked(2));
    velora::AnimationNode* readNode = velora::PropertyAnimationNode(read);
    ASSERT_NE(readNode, nullptr);
    for (int c = 0; c < 3; ++c) ExpectSameKeys(*copies[c], *readNode->Curve(c));
    EXPECT_EQ(readNode->Curve(1)->PostExtrapolation(), velora::kExtrapolationMirrorRepetition);
    EXPECT_EQ(readNode->Curve(1)->PostExtrapolationCount(), 4);
    back->Destroy(0);
    keep->Destroy(0);
    std::remove(path.c_str());
}

}  // namespace
