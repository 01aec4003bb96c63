// LyDsxObject over the host's storage sessions: an extension's fields and
// references go into a real file and come back from it.

#include <velora/scene_storage.h>

#include "core/host_fixture.h"
#include "scenefile/sample_document.h"

using namespace VELSDK2025;
using lysdk_test::HostScene;
namespace dsx = velora::dsx;

namespace {

class DsxObjects : public HostScene {
protected:
    // Stores `objects` the way the host's saver does: every object first,
    // then the passes, each object's extension part after its host part.
    template <class StoreFn>
    dsx::Document Store(const std::vector<velora::Object*>& objects, StoreFn extension) {
        dsx::Document doc;
        dsx::StorageSession session(&doc);
        for (velora::Object* o : objects)
            EXPECT_NE(session.AddObject(o, velora::ClassRegistry::Instance().Name(o->ClassId()), o->FullName()),
                      nullptr);
        for (std::uint32_t pass : {dsx::kPassHeader, dsx::kPassFields, dsx::kPassAnimation, dsx::kPassReferences})
            for (velora::Object* o : objects) {
                LyDsxObject store(session.Open(o, pass));
                extension(o, &store, static_cast<kDsxObjectStore>(pass));
            }
        return doc;
    }
};

TEST_F(DsxObjects, PassBitsIdentityAndNeutralAnswersWithoutAStore) {
    EXPECT_EQ(kLyDsxStoreFields, 2u);
    EXPECT_EQ(kLyDsxStoreReferences, 8u);
    LyDsxObject empty;
    EXPECT_STREQ(empty.ClassName(), "LyDsxObject");
    EXPECT_TRUE(empty.Is(LyDsxObject::TypeInfo));
    EXPECT_TRUE(empty.Is(LyPlug::TypeInfo));
    EXPECT_FALSE(empty.Is(LyComponent::TypeInfo));
    EXPECT_GT(LyDsxObject::TypeInfo, 0);
    // Without a host store everything answers neutrally.
    EXPECT_EQ(empty.GetPass(), 0u);
    EXPECT_FALSE(empty.IsStoring());
    EXPECT_FALSE(empty.IsRetrieving());
    EXPECT_FALSE(empty.FieldWriteInt("Icon", 1));
    EXPECT_FALSE(empty.FieldExists("Icon"));
    EXPECT_EQ(empty.FieldReadInt("Icon"), 0);
    EXPECT_STREQ(empty.FieldReadString("Icon"), "");
    EXPECT_EQ(empty.FieldReadObjectReference("Icon"), nullptr);
    // Nor is a host object handed in by mistake read as a store.
    velora::Object* cube = Make("Cube");
    LyDsxObject wrong(cube);
    EXPECT_FALSE(wrong.FieldWriteInt("Icon", 1));
    EXPECT_FALSE(wrong.IsStoring());
    EXPECT_EQ(wrong.FieldReadInt("Icon"), 0);
}

TEST_F(DsxObjects, FieldsAndReferencesThroughAFile) {
    velora::Object* device = Make("Glove", velora::kClassDevice);
    velora::Object* model = Make("Hand", velora::kClassModel);
    velora::Object* outsider = Make("Outsider");
    LyComponent* modelWrapper = LyGetLyComponent(model);
    LyComponent* outsiderWrapper = LyGetLyComponent(outsider);
    ASSERT_NE(modelWrapper, nullptr);

    std::vector<std::uint32_t> passesSeen;
    const dsx::Document doc = Store({device, model}, [&](velora::Object* o, LyDsxObject* dsx, kDsxObjectStore pass) {
        EXPECT_TRUE(dsx->IsStoring());
        EXPECT_EQ(dsx->GetPass(), pass);
        if (o != device) return;
        passesSeen.push_back(pass);
        if (pass & kLyDsxStoreFields) {
            EXPECT_TRUE(dsx->FieldWriteInt("Icon", 4));
            EXPECT_TRUE(dsx->FieldWriteInt("CommType", -2147483647 - 1));
            EXPECT_TRUE(dsx->FieldWriteInt("SamplingMode", 2147483647));
            EXPECT_TRUE(dsx->FieldWriteInt("InstrumentActive", 1));
            EXPECT_TRUE(dsx->FieldWriteDouble("Rate", 0.1));
            EXPECT_TRUE(dsx->FieldWriteString("Port", "COM3"));
            EXPECT_TRUE(dsx->FieldWriteObjectReference("Target", modelWrapper));
            EXPECT_TRUE(dsx->FieldWriteObjectReference("None", nullptr));
            // Not in this file: a reference to it could never resolve.
            EXPECT_FALSE(dsx->FieldWriteObjectReference("Lost", outsiderWrapper));
            EXPECT_FALSE(dsx->FieldWriteInt("", 1));
            EXPECT_FALSE(dsx->FieldWriteInt(nullptr, 1));
            EXPECT_FALSE(dsx->FieldWriteString("Null", nullptr));
            // Written fields read back during the store pass too.
            EXPECT_EQ(dsx->FieldReadInt("Icon"), 4);
        }
    });
    EXPECT_EQ(passesSeen, (std::vector<std::uint32_t>{1, 2, 4, 8}));

    // Through a real file, binary this time.
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("lysdk-dsx-object-" + std::to_string(::getpid()) + ".dsx"))
                                 .string();
    std::string error;
    ASSERT_TRUE(dsx::SaveDocument(doc, path, dsx::Encoding::kBinary, &error)) << error;
    dsx::Document loaded;
    ASSERT_TRUE(dsx::LoadDocument(path, &loaded, &error)) << error;
    std::filesystem::remove(path);

    // Loading: new host objects for the file's objects, bound by id.
    velora::Object* device2 = Make("Glove", velora::kClassDevice);
    velora::Object* model2 = Make("Hand", velora::kClassModel);
    dsx::StorageSession session(loaded);
    EXPECT_EQ(session.AddObject(device2, "x", "y"), nullptr);  // a retrieving session adds nothing
    ASSERT_TRUE(session.Bind(loaded.FindObject(device->FullName())->Id(), device2));
    EXPECT_FALSE(session.Bind(loaded.FindObject(model->FullName())->Id(), device2));  // bound already
    EXPECT_FALSE(session.Bind(999, model2));                                          // no such id

    {
        // Before the model is bound the reference does not resolve.
        LyDsxObject early(session.Open(device2, dsx::kPassFields));
        EXPECT_TRUE(early.IsRetrieving());
        EXPECT_TRUE(early.FieldExists("Target"));
        EXPECT_EQ(early.FieldReadObjectReference("Target"), nullptr);
        EXPECT_FALSE(early.FieldWriteInt("Icon", 9));  // nothing is written while reading
        EXPECT_EQ(early.FieldReadInt("Icon"), 4);
        EXPECT_EQ(early.FieldReadInt("CommType"), -2147483647 - 1);
        EXPECT_EQ(early.FieldReadInt("SamplingMode"), 2147483647);
        EXPECT_EQ(early.FieldReadInt("InstrumentActive"), 1);
        EXPECT_EQ(early.FieldReadDouble("Rate"), 0.1);
        EXPECT_STREQ(early.FieldReadString("Port"), "COM3");
        // Absent fields: not there, and an integer reads as 0.
        EXPECT_FALSE(early.FieldExists("Lost"));
        EXPECT_EQ(early.FieldReadInt("Lost"), 0);
        EXPECT_EQ(early.FieldReadInt("Port"), 0);  // a string is not an integer
        EXPECT_STREQ(early.FieldReadString("Icon"), "");
    }
    ASSERT_TRUE(session.Bind(loaded.FindObject(model->FullName())->Id(), model2));
    LyDsxObject late(session.Open(device2, dsx::kPassReferences));
    EXPECT_EQ(late.GetPass(), kLyDsxStoreReferences);
    EXPECT_EQ(late.FieldReadObjectReference("Target"), LyGetLyComponent(model2));
    EXPECT_TRUE(late.FieldExists("None"));
    EXPECT_EQ(late.FieldReadObjectReference("None"), nullptr);
    EXPECT_EQ(session.Open(outsider, dsx::kPassFields), nullptr);
}

TEST_F(DsxObjects, IntegersOutsideTheIntRangeSaturate) {
    // Written by another tool: 64-bit values read as the nearest int.
    dsx::Document doc;
    dsx::FileObject* record = doc.AddObject("Device", "Device::D");
    record->SetInteger("Big", INT64_MAX);
    record->SetInteger("Small", INT64_MIN);
    velora::Object* device = Make("D", velora::kClassDevice);
    dsx::StorageSession session(doc);
    ASSERT_TRUE(session.Bind(record->Id(), device));
    LyDsxObject dsx(session.Open(device, dsx::kPassFields));
    EXPECT_EQ(dsx.FieldReadInt("Big"), 2147483647);
    EXPECT_EQ(dsx.FieldReadInt("Small"), -2147483647 - 1);
}

}  // namespace
