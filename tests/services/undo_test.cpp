// LyUndoManager: extension entries carried into the host's undo stack,
// their dependencies, and the recorded kinds (properties, model transforms,
// destroyed objects) undone and redone.

#include <gtest/gtest.h>

#include <lysdk/lysdk.h>
#include <velora/model.h>
#include <velora/property.h>
#include <velora/scene.h>
#include <velora/undo.h>

using namespace VELSDK2025;

namespace {

// An entry that writes down what happens to it.
struct Logged : LyUndo {
    explicit Logged(std::string* log) : log_(log) {}
    ~Logged() override { *log_ += "~"; }
    void Undo() override { *log_ += LyUndoManager::TheOne().ActiveOperation() ? "u" : "U?"; }
    void Redo() override { *log_ += "r"; }
    std::string* log_;
};

class UndoManagerTest : public ::testing::Test {
protected:
    void TearDown() override { undo.Clear(); }
    LyUndoManager& undo = LyUndoManager::TheOne();
};

TEST_F(UndoManagerTest, ExtensionEntriesRunAndEndWithTheirEntry) {
    std::string log;
    auto* entry = new Logged(&log);
    EXPECT_FALSE(undo.TransactionAdd(entry));  // nothing open: still ours
    EXPECT_FALSE(undo.TransactionIsOpen());
    ASSERT_TRUE(undo.TransactionBegin("Custom"));
    EXPECT_FALSE(undo.TransactionAdd(nullptr));
    ASSERT_TRUE(undo.TransactionAdd(entry));
    ASSERT_TRUE(undo.TransactionEnd());
    EXPECT_STREQ(velora::UndoStack::Instance().UndoName(0), "Custom");
    EXPECT_TRUE(undo.Undo());
    EXPECT_TRUE(undo.Redo());
    EXPECT_TRUE(undo.Undo());
    EXPECT_FALSE(undo.ActiveOperation());
    EXPECT_EQ(log, "uru");
    EXPECT_TRUE(undo.Clear());
    EXPECT_EQ(log, "uru~");  // deleted with its entry
    LyUndo plain;
    EXPECT_STREQ(plain.GetName(), "Custom VELSDK Action");
}

TEST_F(UndoManagerTest, EntriesWhoseDependenciesDiedAreDropped) {
    std::string kept, dropped;
    velora::Model* model = velora::Model::Create("Dependency");
    LyModel* wrapper = static_cast<LyModel*>(LyGetLyComponent(model, true));
    LyArrayTemplate<LyPlug*> none;
    LyArrayTemplate<LyPlug*> deps;
    deps.Add(wrapper);
    undo.TransactionBegin("Deps");
    undo.TransactionAdd(new Logged(&kept), &none);
    undo.TransactionAdd(new Logged(&kept), nullptr);
    undo.TransactionAdd(new Logged(&dropped), &deps);
    undo.TransactionEnd();
    model->Destroy(0);
    undo.Undo();
    EXPECT_EQ(kept, "uu");
    EXPECT_EQ(dropped, "~");  // never ran, deleted by the check
    undo.Clear();             // the logs end with the test
    EXPECT_EQ(kept, "uu~~");
}

TEST_F(UndoManagerTest, RecordedKindsUndoAndRedo) {
    velora::Model* host = velora::Model::Create("Moved");
    velora::Scene::Main().AddModel(host);
    LyModel* model = static_cast<LyModel*>(LyGetLyComponent(host, true));
    velora::Property* extra = host->CreateProperty("Count", velora::kDataInteger, velora::kCreateUser);
    LyProperty* count = model->PropertyList.Find("Count");
    ASSERT_NE(count, nullptr);
    const double t[3] = {1, 2, 3};
    host->TranslationProperty()->SetRaw(t);
    const int three = 3;
    extra->SetRaw(&three);

    LyComponent plain;
    undo.TransactionBegin("Edit");
    EXPECT_FALSE(undo.TransactionAddModelTRS(reinterpret_cast<LyModel*>(&plain)));
    EXPECT_TRUE(undo.TransactionAddModelTRS(model));
    EXPECT_TRUE(undo.TransactionAddProperty(count));
    const double moved[3] = {9, 9, 9};
    host->TranslationProperty()->SetRaw(moved);
    host->ScalingProperty()->SetRaw(moved);
    const int five = 5;
    extra->SetRaw(&five);
    undo.TransactionEnd();
    undo.Undo();
    double read[3];
    host->TranslationProperty()->GetRaw(read);
    EXPECT_EQ(read[0], 1.0);
    host->ScalingProperty()->GetRaw(read);
    EXPECT_EQ(read[0], 1.0);
    EXPECT_EQ(extra->AsInt(), 3);
    undo.Redo();
    EXPECT_EQ(extra->AsInt(), 5);

    // A destroyed object comes back with its values.
    undo.TransactionBegin("Delete");
    EXPECT_TRUE(undo.TransactionAddObjectDestroy(model));
    undo.TransactionEnd();
    EXPECT_EQ(velora::UndoStack::Instance().UndoEntryCount(0), 1);
    host->Destroy(0);
    EXPECT_EQ(LyFindModelByLabelName("Moved"), nullptr);
    undo.Undo();
    LyModel* back = LyFindModelByLabelName("Moved");
    ASSERT_NE(back, nullptr);
    velora::Model* revived = velora::AsModel(velora::AsObject(back->GetHIObject()));
    revived->TranslationProperty()->GetRaw(read);
    EXPECT_EQ(read[0], 9.0);
    EXPECT_EQ(revived->FindProperty("Count")->AsInt(), 5);
    revived->Destroy(0);
}

}  // namespace
