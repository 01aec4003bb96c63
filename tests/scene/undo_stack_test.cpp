// The host's undo stack: transactions, nesting, every kind of entry it
// records, undo and redo, and the dependency check.

#include "scene/scene_fixture.h"

#include <array>

#include <velora/animation.h>
#include <velora/fcurve.h>
#include <velora/namespace.h>
#include <velora/property.h>

namespace {

using lysdk_test::SceneTest;
using velora::UndoStack;

class UndoStackTest : public SceneTest {
protected:
    UndoStack& Stack() { return UndoStack::Instance(); }
    static double X(velora::Model* model) {
        double v[3];
        model->TranslationProperty()->GetRaw(v);
        return v[0];
    }
    static void SetX(velora::Model* model, double x) {
        const std::array<double, 3> v{x, 0, 0};
        model->TranslationProperty()->SetRaw(v.data());
    }
};

// An entry that counts what happens to it.
struct Counting : velora::UndoEntry {
    explicit Counting(int* log, bool* lost = nullptr) : log_(log), lost_(lost) {}
    void Undo() override { *log_ = *log_ * 10 + 1; }
    void Redo() override { *log_ = *log_ * 10 + 2; }
    bool DependencyLost() override { return lost_ && *lost_; }
    void Destroy(int) override { *log_ = *log_ * 10 + 9; }
    int* log_;
    bool* lost_;
};

TEST_F(UndoStackTest, PropertyValuesUndoAndRedo) {
    velora::Model* model = AddModel("Undone");
    velora::Property* name = model->CreateProperty("Note", velora::kDataString, velora::kCreateUser);
    const char* text = "before";
    name->SetRaw(&text);
    SetX(model, 1);
    EXPECT_FALSE(Stack().AddProperty(name));  // nothing open
    ASSERT_TRUE(Stack().Begin("Edit"));
    ASSERT_TRUE(Stack().AddProperty(model->TranslationProperty()));
    ASSERT_TRUE(Stack().AddProperty(name));
    SetX(model, 5);
    text = "after";
    name->SetRaw(&text);
    ASSERT_TRUE(Stack().End());
    ASSERT_TRUE(Stack().Undo());
    EXPECT_EQ(X(model), 1.0);
    const char* read = nullptr;
    name->GetRaw(&read);
    EXPECT_STREQ(read, "before");
    ASSERT_TRUE(Stack().Redo());
    EXPECT_EQ(X(model), 5.0);
    name->GetRaw(&read);
    EXPECT_STREQ(read, "after");
    EXPECT_FALSE(Stack().Redo());
}

TEST_F(UndoStackTest, EvaluationPropertiesTakeTheirCurvesAlong) {
    velora::Model* model = AddModel("Animated");
    velora::Property* t = model->TranslationProperty();
    ASSERT_TRUE(Stack().Begin("Key"));
    ASSERT_TRUE(Stack().AddEvaluationProperty(t));
    const double values[3] = {1, 2, 3};
    velora::SetPropertyAnimated(t, true);
    velora::PropertyAnimationNode(t)->KeyAdd(0, values, velora::kKeyLinear);
    Stack().End();
    ASSERT_TRUE(Stack().Undo());
    EXPECT_FALSE(t->HasFlag(velora::kPropertyAnimated));
    ASSERT_TRUE(Stack().Redo());
    ASSERT_NE(velora::PropertyAnimationNode(t), nullptr);
    EXPECT_EQ(velora::PropertyAnimationNode(t)->Curve(1)->KeyAt(0).value, 2.0f);
}

TEST_F(UndoStackTest, NodesAreRecordedOncePerTransaction) {
    velora::Model* model = AddModel("Keyed");
    velora::Property* t = model->TranslationProperty();
    velora::SetPropertyAnimated(t, true);
    velora::AnimationNode* node = velora::PropertyAnimationNode(t);
    const double a[3] = {1, 1, 1}, b[3] = {2, 2, 2};
    Stack().Begin("Keys");
    ASSERT_TRUE(Stack().AddAnimationNode(node));
    node->KeyAdd(0, a, velora::kKeyLinear);
    ASSERT_TRUE(Stack().AddAnimationNode(node));  // already there: nothing more
    node->KeyAdd(100, b, velora::kKeyLinear);
    Stack().End();
    EXPECT_EQ(Stack().UndoEntryCount(0), 3);  // one per member curve
    Stack().Undo();
    EXPECT_EQ(node->KeyCount(), 0);
    Stack().Redo();
    EXPECT_EQ(node->KeyCount(), 6);
}

TEST_F(UndoStackTest, DestroyedObjectsComeBackAndOlderEntriesFindThem) {
    velora::Model* parent = AddModel("Parent");
    velora::Model* child = AddModel("Child", parent);
    SetX(child, 3);
    velora::Property* extra = child->CreateProperty("Weight", velora::kDataNumber, velora::kCreateUser);
    const double w = 0.25;
    extra->SetRaw(&w);
    // An older transaction that changes the child.
    Stack().Begin("Move");
    Stack().AddProperty(child->TranslationProperty());
    SetX(child, 4);
    Stack().End();
    // Then the child is destroyed.
    Stack().Begin("Delete");
    ASSERT_TRUE(Stack().AddObjectsDestroyed({child}));
    Stack().End();
    child->Destroy(0);
    ASSERT_TRUE(Stack().Undo());
    velora::Model* back = velora::AsModel(Scene().FindObject("Model::Child"));
    ASSERT_NE(back, nullptr);
    Keep(back);
    EXPECT_EQ(back->Parent(), parent);
    EXPECT_EQ(X(back), 4.0);
    double read = 0;
    ASSERT_NE(back->FindProperty("Weight"), nullptr);
    back->FindProperty("Weight")->GetRaw(&read);
    EXPECT_EQ(read, 0.25);
    // The older entry reaches the object that came back.
    ASSERT_TRUE(Stack().Undo());
    EXPECT_EQ(X(back), 3.0);
    // Redo twice: moved again, then destroyed again.
    Stack().Redo();
    Stack().Redo();
    EXPECT_EQ(Scene().FindObject("Model::Child"), nullptr);
}

TEST_F(UndoStackTest, CreatedObjectsGoAndComeBack) {
    velora::Object* made = velora::Object::Create("Made");
    Scene().AddObject(made);
    Stack().Begin("Create");
    ASSERT_TRUE(Stack().AddObjectsCreated({made}));
    Stack().End();
    Stack().Undo();
    EXPECT_EQ(Scene().FindObject("Object::Made"), nullptr);
    Stack().Redo();
    velora::Object* back = Scene().FindObject("Object::Made");
    ASSERT_NE(back, nullptr);
    EXPECT_GE(Scene().SrcIndex(back), 0);
    Keep(back);
}

TEST_F(UndoStackTest, NestingCommittingAndDiscarding) {
    int log = 0;
    EXPECT_FALSE(Stack().End());
    Stack().Begin("Outer");
    Stack().Add(new Counting(&log));
    Stack().Begin("Inner");  // joins the outer transaction
    Stack().Add(new Counting(&log));
    EXPECT_STREQ(Stack().OpenName(), "Outer");
    Stack().End(false);  // the inner level's entry goes
    EXPECT_EQ(log, 9);
    EXPECT_FALSE(Stack().Undo());  // nothing while a transaction is open
    Stack().End();
    ASSERT_EQ(Stack().UndoCount(), 1);
    EXPECT_EQ(Stack().UndoEntryCount(0), 1);
    // An outermost discard leaves the stack as it was.
    Stack().Begin("Failed");
    Stack().Add(new Counting(&log));
    Stack().End(false);
    EXPECT_EQ(Stack().UndoCount(), 1);
    // An empty transaction leaves no trace either.
    Stack().Begin("Empty");
    Stack().End();
    EXPECT_EQ(Stack().UndoCount(), 1);
    log = 0;
    Stack().Undo();
    EXPECT_EQ(log, 1);
    // A new transaction drops what could be redone.
    Stack().Begin("Next");
    Stack().Add(new Counting(&log));
    Stack().End();
    EXPECT_EQ(Stack().RedoCount(), 0);
    EXPECT_EQ(log, 19);
}

TEST_F(UndoStackTest, LostEntriesAreDroppedAndTheLimitTrims) {
    int log = 0;
    bool lost = false;
    Stack().Begin("Two");
    Stack().Add(new Counting(&log, &lost));
    int other = 0;
    Stack().Add(new Counting(&other));
    Stack().End();
    lost = true;
    Stack().Undo();
    EXPECT_EQ(log, 9);    // dropped without running
    EXPECT_EQ(other, 1);  // the other entry ran
    Stack().Undo(true);   // nothing left to undo
    Stack().Redo();
    EXPECT_EQ(other, 12);
    Stack().Undo(true);  // discarded: cannot be redone
    EXPECT_EQ(Stack().RedoCount(), 0);
    EXPECT_EQ(other, 1219);

    Stack().SetLimit(2);
    for (int i = 0; i < 3; ++i) {
        Stack().Begin("T");
        Stack().Add(new Counting(&log));
        Stack().End();
    }
    EXPECT_EQ(Stack().UndoCount(), 2);
    Stack().SetLimit(100);
}

}  // namespace
