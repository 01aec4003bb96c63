// A relation of plug-in boxes through a store and a retrieve: the boxes
// join their relation again, their connections come back, and each box's
// own fields (the sample spring's "Substeps") with them.

#include <gtest/gtest.h>

#include <lysdk/lysdk.h>
#include <velora/box.h>
#include <velora/relation.h>
#include <velora/scene_file.h>
#include <velora/scene_storage.h>

#include "../../samples/spring/spring_box.h"

LYSDK_CLASS_IMPLEMENT(velora_sample::DampedSpringBox, 0)

using velora_sample::DampedSpringBox;

namespace {

velora::Box* Host(VELSDK2025::LyBox* box) { return velora::AsBox(velora::AsObject(box->GetHIObject())); }

constexpr std::uint32_t kPasses[] = {velora::dsx::kPassHeader, velora::dsx::kPassFields,
                                     velora::dsx::kPassAnimation, velora::dsx::kPassReferences};

}  // namespace

TEST(BoxStorage, APlugInBoxAndItsConnectionsComeBackFromTheFile) {
    velora::dsx::Document doc;
    {
        velora::Relation* relation = velora::Relation::Create("Rig");
        auto* a = new DampedSpringBox("A");
        auto* b = new DampedSpringBox("B");
        ASSERT_TRUE(relation->AddBox(Host(a)));
        ASSERT_TRUE(relation->AddBox(Host(b)));
        ASSERT_TRUE(b->Target()->ConnectSrc(a->Result()));
        a->Spring().substeps = 9;
        Host(a)->SetPlayMode(1);

        velora::dsx::StorageSession save(&doc);
        ASSERT_NE(save.AddObject(relation, "ConstraintRelation", "Constraint::Rig"), nullptr);
        ASSERT_NE(save.AddObject(Host(a), "__LyBox", "Box::A"), nullptr);
        ASSERT_NE(save.AddObject(Host(b), "__LyBox", "Box::B"), nullptr);
        for (std::uint32_t pass : kPasses)
            for (velora::Box* box : {Host(a), Host(b)}) EXPECT_TRUE(box->StoreBox(*save.Open(box, pass)));
        relation->Destroy(0);  // the boxes and their wrappers go with it
    }

    // Opening: the objects are made as their registry entries make them,
    // then bound and retrieved pass by pass.
    velora::Relation* relation = velora::Relation::Create("Rig");
    auto* a = new DampedSpringBox("A");
    auto* b = new DampedSpringBox("B");
    velora::dsx::StorageSession load(doc);
    ASSERT_TRUE(load.Bind(doc.ObjectAt(0)->Id(), relation));
    ASSERT_TRUE(load.Bind(doc.ObjectAt(1)->Id(), Host(a)));
    ASSERT_TRUE(load.Bind(doc.ObjectAt(2)->Id(), Host(b)));
    for (std::uint32_t pass : kPasses)
        for (velora::Box* box : {Host(a), Host(b)}) EXPECT_TRUE(box->RetrieveBox(*load.Open(box, pass)));

    EXPECT_EQ(relation->BoxCount(), 2);
    EXPECT_EQ(b->Target()->GetSrc(0), a->Result());
    EXPECT_EQ(a->Spring().substeps, 9);
    EXPECT_EQ(Host(a)->PlayMode(), 1);
    EXPECT_EQ(Host(b)->PlayMode(), 0);
    relation->Destroy(0);
}

TEST(BoxStorage, APlugInBoxThatOverridesNothingStoresNothing) {
    class Bare : public VELSDK2025::LyBox {
    public:
        Bare() : LyBox("bare") { AnimationNodeOutCreate(0, "Out", "Number"); }
    };
    auto* bare = new Bare;
    velora::dsx::Document doc;
    velora::dsx::StorageSession save(&doc);
    ASSERT_NE(save.AddObject(Host(bare), "__LyBox", "Box::bare"), nullptr);
    velora::dsx::ObjectStore* store = save.Open(Host(bare), velora::dsx::kPassFields);
    EXPECT_FALSE(Host(bare)->StoreBox(*store));  // the extension's answer
    EXPECT_FALSE(store->HasField("Substeps"));
    EXPECT_TRUE(store->HasField("PlayMode"));  // the host part ran first
    bare->LyDelete();
}
