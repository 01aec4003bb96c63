// Saving the host's scene and opening it again.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include <velora/data_type.h>
#include <velora/entity.h>
#include <velora/object.h>
#include <velora/object_registry.h>
#include <velora/property.h>
#include <velora/scene_file.h>
#include <velora/scene_io.h>
#include <velora/string_list.h>

namespace {

std::string TempPath(const char* name) {
    return std::string(::testing::TempDir()) + "velora-scene-io-" + std::to_string(getpid()) + "-" + name;
}

velora::Object* Find(const char* fullName) {
    return velora::MainEntity::Instance().Objects().FindByFullName(fullName);
}

}  // namespace

namespace {

int gGadgetsMade = 0;

velora::IObject* MakeGadget(velora::IObject*, const char* name, void*) {
    ++gGadgetsMade;
    return velora::Object::Create(name, velora::kClassObject);
}

}  // namespace

TEST(SceneIo, AStorableEntryMakesItsObjectsAgain) {
    velora::ObjectRegistry& registry = velora::ObjectRegistry::Instance();
    registry.Register("Tests/Gadgets", "Gadget", "", &MakeGadget, true);
    velora::Object* made = velora::AsObject(registry.Create("Tests/Gadgets", "Gadget", nullptr, "IoGadget", nullptr));
    ASSERT_NE(made, nullptr);
    const std::string name = made->FullName();
    velora::Object* plain = velora::Object::Create("IoPlain", velora::kClassObject);
    EXPECT_EQ(registry.OriginOf(made), registry.Find("Tests/Gadgets", "Gadget"));
    EXPECT_EQ(registry.OriginOf(plain), nullptr);
    plain->Destroy(0);

    // Not storable: kept as its host class, without the entry.
    velora::dsx::Document doc;
    velora::StoreScene(&doc);
    ASSERT_NE(doc.FindObject(name), nullptr);
    EXPECT_FALSE(doc.FindObject(name)->HasField("RegistryEntry"));

    // Storable: the entry is saved with the object and makes it again.
    registry.Register("DsxStorable/Tests", "Gadget", "", &MakeGadget, true);
    velora::StoreScene(&doc);
    ASSERT_NE(doc.FindObject(name), nullptr);
    ASSERT_NE(doc.FindObject(name)->GetString("RegistryGroup"), nullptr);
    EXPECT_EQ(*doc.FindObject(name)->GetString("RegistryGroup"), "DsxStorable/Tests");
    made->Destroy(0);
    const int before = gGadgetsMade;
    velora::RetrieveScene(doc);
    velora::Object* again = Find(name.c_str());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(gGadgetsMade, before + 1);
    EXPECT_EQ(registry.OriginOf(again), registry.Find("DsxStorable/Tests", "Gadget"));
    // The origin names an entry; once the entry goes, it finds nothing.
    registry.Unregister("DsxStorable/Tests", "Gadget");
    registry.Unregister("Tests/Gadgets", "Gadget");
    EXPECT_EQ(registry.OriginOf(again), nullptr);
    again->Destroy(0);
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

namespace {

struct Snapshot {
    int type;
    std::string text;
    std::uint32_t flags;
    std::vector<std::string> texts;
};

Snapshot Take(const velora::Property& p) {
    Snapshot s{p.TypeId(), {}, p.Flags() & (velora::kPropertyReadOnly | velora::kPropertyDisabled |
                                            velora::kPropertyLockAll),
               {}};
    p.Format(&s.text);
    if (const velora::StringList* list = p.Definition().EnumList())
        for (int i = 0; i < list->Count(); ++i) s.texts.emplace_back(list->TextAt(i));
    return s;
}

bool Same(const Snapshot& a, const Snapshot& b) {
    return a.type == b.type && a.text == b.text && a.flags == b.flags && a.texts == b.texts;
}

// A value for each type, as text (object, reference and event are set apart).
const char* TextFor(int type) {
    switch (type) {
        case velora::kDataInteger: return "-7";
        case velora::kDataInt64: return "-9000000000";
        case velora::kDataUInt64: return "18446744073709551615";
        case velora::kDataBool: return "true";
        case velora::kDataFloat: return "0.1";
        case velora::kDataNumber: return "-0.1";
        case velora::kDataString: return "h\xc3\xa9llo";
        case velora::kDataEnum: return "Auto";
        case velora::kDataTime: return "141120001T";
        case velora::kDataTimecode: return "12 3661 30";
        case velora::kDataStringList: return "a~b~c";
        case velora::kDataVector4: return "1 2 3 4";
        case velora::kDataVector: return "1 2 3";
        case velora::kDataColor: return "1 0.5 0.25";
        case velora::kDataColorAndAlpha: return "1 0.5 0.25 0.125";
        case velora::kDataAction: return "true";
        case velora::kDataVector2: return "1e-300 2";
        default: return nullptr;
    }
}

}  // namespace

TEST(SceneIo, EveryValueTypeComesBackInBothEncodings) {
    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary" : "text");
        const std::string path = TempPath("every.dsx");
        velora::Object* holder = velora::Object::Create("rig:Every", velora::kClassModelMesh);
        velora::Object* other = velora::Object::Create("EveryTarget", velora::kClassObject);
        other->CreateProperty("Target", velora::kDataNumber);
        std::vector<std::string> names;
        for (int type = 1; type <= velora::DataType::Count(); ++type) {
            names.push_back(std::string("P ") + velora::DataType::Get(type)->Name());
            velora::Property* p =
                holder->CreateProperty(names.back().c_str(), type,
                                       velora::kCreateUser | (type == velora::kDataVector
                                                                  ? velora::kCreateAnimatable
                                                                  : 0u));
            ASSERT_NE(p, nullptr) << names.back();
            if (type == velora::kDataEnum)
                for (const char* t : {"Off", "On", "Auto"}) p->Definition().EnumList(true)->Add(t, 0);
            if (type == velora::kDataObject) {
                ASSERT_TRUE(p->Links().Add(other));
            }
            if (type == velora::kDataReference) {
                ASSERT_TRUE(p->Links().SetReferenced(other->FindProperty("Target")));
            }
            if (const char* text = TextFor(type)) {
                ASSERT_TRUE(p->Parse(text)) << names.back();
            }
        }
        holder->FindProperty("P Number")->ModifyFlag(velora::kPropertyReadOnly, true);
        holder->FindProperty("P Integer")->ModifyFlag(velora::kPropertyDisabled, true);
        ASSERT_TRUE(holder->FindProperty("P Vector")->SetMemberLocked(1, true));
        std::vector<Snapshot> before;
        for (const std::string& name : names) before.push_back(Take(*holder->FindProperty(name.c_str())));

        std::string error;
        velora::SceneCounts saved, opened;
        ASSERT_TRUE(velora::SaveScene(path, binary, &error, &saved)) << error;
        holder->Destroy(0);
        other->Destroy(0);
        ASSERT_TRUE(velora::OpenScene(path, &error, &opened)) << error;
        holder = Find("Model::rig:Every");
        other = Find("Object::EveryTarget");
        ASSERT_NE(holder, nullptr);
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(holder->ClassId(), velora::kClassModelMesh);
        EXPECT_GT(velora::MainEntity::Instance().SceneModelCount(), 0);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const velora::Property* p = holder->FindProperty(names[i].c_str());
            ASSERT_NE(p, nullptr) << names[i];
            const Snapshot after = Take(*p);
            EXPECT_TRUE(Same(before[i], after))
                << names[i] << ": " << before[i].text << " / " << after.text;
            EXPECT_TRUE(p->IsUser()) << names[i];
            EXPECT_EQ(p->IsAnimatable(), names[i] == "P Vector") << names[i];
        }
        EXPECT_EQ(holder->FindProperty("P Object")->Links().At(0), other);
        EXPECT_EQ(holder->FindProperty("P Reference")->Links().Referenced(), other->FindProperty("Target"));
        // Opening again skips what already exists, and creates nothing twice.
        velora::SceneCounts again;
        ASSERT_TRUE(velora::OpenScene(path, &error, &again)) << error;
        EXPECT_EQ(again.objects, 0);
        EXPECT_EQ(again.skipped, saved.objects + saved.skipped);
        holder->Destroy(0);
        other->Destroy(0);
        std::remove(path.c_str());
    }
}

TEST(SceneIo, AFileValueNeverCrossesIntoAPropertyOfAnotherType) {
    // A null model has "Lcl Translation" (a vector): the file says it is a
    // string, then an int. The model keeps its vector, and saves again.
    for (const auto& type : {velora::dsx::kFileValueString, velora::dsx::kFileValueInt}) {
        velora::dsx::Document doc;
        velora::dsx::FileObject* file = doc.AddObject("ModelNull", "Model::Crossed");
        velora::dsx::FileProperty* p = file->AddProperty("Lcl Translation", type);
        if (type == velora::dsx::kFileValueString) p->SetText("AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA");
        else p->SetInteger(7);
        velora::SceneCounts counts;
        velora::RetrieveScene(doc, &counts);
        velora::Object* model = Find("Model::Crossed");
        ASSERT_NE(model, nullptr);
        std::string text;
        model->FindProperty("Lcl Translation")->Format(&text);
        EXPECT_EQ(model->FindProperty("Lcl Translation")->TypeId(), velora::kDataVector);
        EXPECT_EQ(text, "0 0 0");
        ASSERT_EQ(counts.warnings.size(), 1u);
        EXPECT_NE(counts.warnings[0].find("Lcl Translation"), std::string::npos);
        velora::dsx::Document again;
        velora::StoreScene(&again);
        std::string bytes, error;
        EXPECT_TRUE(velora::dsx::EncodeDocument(again, velora::dsx::Encoding::kText, &bytes, &error))
            << error;
        model->Destroy(0);
    }
}

TEST(SceneIo, NoObjectIsLostToItsLabelOrItsFlags) {
    velora::dsx::Document doc;
    for (const char* name : {"Model::TwinA", "Model::TwinB"}) {
        velora::dsx::FileObject* file = doc.AddObject("ModelNull", name);
        file->SetString("Label", "Twin");  // both claim one label
        file->SetInteger("Flags", -1);     // every bit, the host's own too
    }
    velora::SceneCounts counts;
    velora::RetrieveScene(doc, &counts);
    EXPECT_EQ(counts.objects, 2);
    EXPECT_EQ(counts.warnings.size(), 4u);
    velora::Object* a = Find("Model::TwinA");
    velora::Object* b = Find("Model::TwinB");
    ASSERT_TRUE(a && b);
    EXPECT_FALSE(a->HasObjectFlags(velora::kObjectSystem));
    EXPECT_TRUE(a->HasObjectFlags(velora::kObjectLocked));
    velora::dsx::Document saved;
    velora::StoreScene(&saved);
    EXPECT_NE(saved.FindObject("Model::TwinA"), nullptr);
    EXPECT_NE(saved.FindObject("Model::TwinB"), nullptr);
    for (velora::Object* o : {a, b}) {
        o->SetObjectFlags(velora::kObjectDefaultFlags);
        o->Destroy(0);
    }
}

TEST(SceneIo, ReferencesResolveByNameOrSayWhatIsMissing) {
    velora::Object* outside = velora::Object::Create("KeptOutside", velora::kClassObject);
    velora::dsx::Document doc;
    velora::dsx::FileObject* file = doc.AddObject("Object", "Linker");
    velora::dsx::FileProperty* list = file->AddProperty("Sources", velora::dsx::kFileValueObject);
    list->SetFlags(velora::dsx::kFilePropertyUser);
    velora::dsx::ObjectTarget found, missing;
    found.name = "Object::KeptOutside";
    missing.name = "Nowhere::ToBeFound";
    ASSERT_TRUE(list->SetTargets({found, missing}));
    velora::SceneCounts counts;
    velora::RetrieveScene(doc, &counts);
    velora::Object* linker = Find("Object::Linker");
    ASSERT_NE(linker, nullptr);
    velora::Property* sources = linker->FindProperty("Sources");
    ASSERT_NE(sources, nullptr);
    EXPECT_EQ(sources->Links().Find(outside), 0);
    ASSERT_EQ(counts.warnings.size(), 1u);
    EXPECT_NE(counts.warnings[0].find("Nowhere::ToBeFound"), std::string::npos);
    linker->Destroy(0);
    outside->Destroy(0);
}
