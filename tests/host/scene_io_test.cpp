// Saving the host's scene and opening it again.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include <velora/data_type.h>
#include <velora/entity.h>
#include <velora/object.h>
#include <velora/property.h>
#include <velora/scene_file.h>
#include <velora/scene_io.h>

namespace {

std::string TempPath(const char* name) {
    return std::string(::testing::TempDir()) + "velora-scene-io-" + std::to_string(getpid()) + "-" + name;
}

velora::Object* Find(const char* fullName) {
    return velora::MainEntity::Instance().Objects().FindByFullName(fullName);
}

}  // namespace

TEST(SceneIo, ObjectsAndTypedValuesComeBack) {
    const std::string path = TempPath("roundtrip.dsx");
    {
        velora::Object* cube = velora::Object::Create("rig:IoCube", velora::kClassModelMesh);
        cube->CreateProperty("Size", velora::kDataNumber, velora::kCreateAnimatable)->Parse("0.1");
        cube->CreateProperty("Tint", velora::kDataColor)->Parse("1 0.5 0.25");
        cube->CreateProperty("Count", velora::kDataInteger, velora::kCreateUser)->Parse("-7");
        cube->CreateProperty("Note", velora::kDataString)->Parse("hello");
        cube->CreateProperty("Start", velora::kDataTime)->Parse("141120001T");
        cube->CreateProperty("Big", velora::kDataUInt64)->Parse("18446744073709551615");
        cube->CreateProperty("Frozen", velora::kDataBool)->Parse("true");
        cube->FindProperty("Frozen")->ModifyFlag(velora::kPropertyReadOnly, true);
        std::string error;
        velora::SceneCounts counts;
        ASSERT_TRUE(velora::SaveScene(path, false, &error, &counts)) << error;
        EXPECT_GE(counts.objects, 1);
        cube->Destroy(0);
    }
    ASSERT_EQ(Find("Model::rig:IoCube"), nullptr);

    std::string error;
    velora::SceneCounts counts;
    ASSERT_TRUE(velora::OpenScene(path, &error, &counts)) << error;
    velora::Object* cube = Find("Model::rig:IoCube");
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(cube->ClassId(), velora::kClassModelMesh);
    EXPECT_GT(velora::MainEntity::Instance().SceneModelCount(), 0);
    auto text = [cube](const char* name) {
        std::string out;
        velora::Property* p = cube->FindProperty(name);
        if (p) p->Format(&out);
        return out;
    };
    EXPECT_EQ(text("Size"), "0.1");
    EXPECT_TRUE(cube->FindProperty("Size")->IsAnimatable());
    EXPECT_EQ(cube->FindProperty("Tint")->TypeId(), velora::kDataColor);  // not a plain vector
    EXPECT_EQ(text("Tint"), "1 0.5 0.25");
    EXPECT_EQ(text("Count"), "-7");
    EXPECT_TRUE(cube->FindProperty("Count")->IsUser());
    EXPECT_EQ(text("Note"), "hello");
    EXPECT_EQ(text("Start"), "141120001T");
    EXPECT_EQ(text("Big"), "18446744073709551615");
    EXPECT_EQ(text("Frozen"), "true");
    EXPECT_TRUE(cube->FindProperty("Frozen")->IsReadOnly());

    // Opening again skips what already exists, and creates nothing twice.
    velora::SceneCounts again;
    ASSERT_TRUE(velora::OpenScene(path, &error, &again)) << error;
    EXPECT_EQ(again.objects, 0);
    EXPECT_EQ(again.skipped, counts.objects + counts.skipped);
    cube->Destroy(0);
    std::remove(path.c_str());
}

TEST(SceneIo, UnknownClassesAreSkippedAndBadFilesCreateNothing) {
    const std::string path = TempPath("unknown.dsx");
    velora::dsx::Document doc;
    velora::dsx::FileObject* alien = doc.AddObject("NoSuchHostClass", "Alien::Thing");
    alien->SetString("Label", "Thing");
    std::string error;
    ASSERT_TRUE(velora::dsx::SaveDocument(doc, path, velora::dsx::Encoding::kBinary, &error));
    velora::SceneCounts counts;
    ASSERT_TRUE(velora::OpenScene(path, &error, &counts)) << error;
    EXPECT_EQ(counts.objects, 0);
    EXPECT_EQ(counts.skipped, 1);

    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("{\"format\": \"velora-dsx\", \"version\": 1, \"objects\": [", f);  // cut short
    std::fclose(f);
    const std::uint32_t living = velora::MainEntity::Instance().Objects().LivingCount();
    EXPECT_FALSE(velora::OpenScene(path, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(velora::MainEntity::Instance().Objects().LivingCount(), living);
    EXPECT_FALSE(velora::OpenScene("/nonexistent/scene.dsx", &error));
    std::remove(path.c_str());
}
