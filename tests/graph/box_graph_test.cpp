// The host evaluation graph: pull evaluation, change propagation, cycles,
// connector rules, placeholders and relations in the scene's frame.

#include <gtest/gtest.h>

#include <vector>

#include <velora/animation.h>
#include <velora/box.h>
#include <velora/evaluation.h>
#include <velora/model.h>
#include <velora/relation.h>
#include <velora/scene.h>

#include "common/event_log.h"
#include "common/host_scene.h"

using namespace velora;

namespace {

const DataType* Number() { return DataType::Get(kDataNumber); }

// out = in0 + in1 (+ a constant), counting its computations.
class SumBox final : public Box {
public:
    static SumBox* Create(const char* name, int inputs = 2) { return new SumBox(name, inputs); }
    bool EvaluateConnector(AnimationNode* output, const EvaluationContext& context) override {
        double sum = offset;
        for (int i = 0; i < InConnectorCount(); ++i) {
            double v = 0;
            if (InConnector(i)->ReadData(&v, &context)) sum += v;
        }
        return output->WriteData(&sum, &context);
    }
    double offset = 0;

private:
    SumBox(const char* name, int inputs) : Box(name, kClassBox) {
        for (int i = 0; i < inputs; ++i) CreateInConnector(i, i ? "B" : "A", Number(), true);
        CreateOutConnector(0, "Sum", Number(), false);
    }
};

class Graph : public lysdk_test::HostScene {
protected:
    SumBox* Sum(const char* name, int inputs = 2) {
        SumBox* box = SumBox::Create(name, inputs);
        Keep(box);
        return box;
    }
    void Keep(Plug* plug) { kept_.emplace_back(plug); }
    static EvaluationContext Context(long long time = 0) {
        EvaluationContext c;
        c.time = time;
        c.evaluationId = NextEvaluationId();
        return c;
    }
    static double Read(Box* box, const EvaluationContext& c, const char* output = "Sum") {
        double v = -1;
        EXPECT_TRUE(box->FindOutConnector(output)->ReadData(&v, &c));
        return v;
    }
    static void Set(Box* box, const char* input, double v) {
        ASSERT_TRUE(box->FindInConnector(input)->WriteData(&v, nullptr));
    }
    void TearDown() override {
        for (PlugHandle& h : kept_)
            if (Plug* p = h.Get()) p->Destroy(0);
        HostScene::TearDown();
    }

private:
    std::vector<PlugHandle> kept_;
};

std::vector<std::uint64_t> Counts(std::initializer_list<Box*> boxes) {
    std::vector<std::uint64_t> out;
    for (Box* b : boxes) out.push_back(b->ComputeCount());
    return out;
}

}  // namespace

TEST_F(Graph, APullComputesEachBoxOnceAndOnlyWhatChangedComputesAgain) {
    // a feeds b and c; b and c feed d; e stands apart.
    SumBox *a = Sum("a"), *b = Sum("b"), *c = Sum("c"), *d = Sum("d"), *e = Sum("e");
    Set(a, "A", 1);
    Set(a, "B", 2);
    ASSERT_EQ(ConnectConnectors(a->OutConnector(0), b->InConnector(0)), kConnectDone);
    ASSERT_EQ(ConnectConnectors(a->OutConnector(0), c->InConnector(0)), kConnectDone);
    ASSERT_EQ(ConnectConnectors(b->OutConnector(0), d->InConnector(0)), kConnectDone);
    ASSERT_EQ(ConnectConnectors(c->OutConnector(0), d->InConnector(1)), kConnectDone);
    Set(c, "B", 10);

    EvaluationContext first = Context();
    EXPECT_EQ(Read(d, first), 3 + 13);
    EXPECT_EQ(Read(d, first), 16);  // the same evaluation: nothing runs again
    EXPECT_EQ(Counts({a, b, c, d}), (std::vector<std::uint64_t>{1, 1, 1, 1}));

    // A new evaluation with nothing changed computes nothing.
    EvaluationContext second = Context();
    EXPECT_EQ(Read(d, second), 16);
    EXPECT_EQ(Counts({a, b, c, d}), (std::vector<std::uint64_t>{1, 1, 1, 1}));

    // A change at c reaches c and d, not a, b or the box apart.
    Read(e, second);
    Set(c, "B", 20);
    EvaluationContext third = Context();
    EXPECT_EQ(Read(d, third), 26);
    Read(e, third);
    EXPECT_EQ(Counts({a, b, c, d, e}), (std::vector<std::uint64_t>{1, 1, 2, 2, 1}));

    // A change at the top reaches everything below it, each once.
    Set(a, "A", 5);
    EvaluationContext fourth = Context();
    EXPECT_EQ(Read(d, fourth), 7 + 27);
    EXPECT_EQ(Counts({a, b, c, d, e}), (std::vector<std::uint64_t>{2, 2, 3, 3, 1}));

    // A computation that leaves its output unchanged stops the change.
    a->offset = 0;
    Set(a, "A", 5);  // same value, a computes, its output does not move
    Read(d, Context());
    EXPECT_EQ(Counts({a, b, c, d}), (std::vector<std::uint64_t>{3, 2, 3, 3}));
}

TEST_F(Graph, ConnectionsThatWouldCloseACycleOrBreakTheRulesAreRefused) {
    SumBox *a = Sum("a"), *b = Sum("b"), *c = Sum("c"), *other = Sum("other");
    ASSERT_EQ(ConnectConnectors(a->OutConnector(0), b->InConnector(0)), kConnectDone);
    ASSERT_EQ(ConnectConnectors(b->OutConnector(0), c->InConnector(0)), kConnectDone);

    struct Case {
        AnimationNode* from;
        AnimationNode* to;
        int result;
    } cases[] = {
        {c->OutConnector(0), a->InConnector(0), kConnectCycle},    // closes a -> b -> c -> a
        {a->OutConnector(0), a->InConnector(1), kConnectCycle},    // onto itself
        {b->InConnector(1), c->InConnector(1), kConnectDirection},
        {other->OutConnector(0), b->InConnector(0), kConnectOccupied},
        {nullptr, b->InConnector(1), kConnectInvalid},
    };
    for (const Case& k : cases) EXPECT_EQ(ConnectConnectors(k.from, k.to), k.result) << ConnectResultText(k.result);
    EXPECT_STREQ(ConnectResultText(kConnectCycle), "the connection would close a cycle");
    // The plain plug road is guarded the same way.
    EXPECT_FALSE(a->InConnector(0)->ConnectSrc(c->OutConnector(0)));
    EXPECT_EQ(a->InConnector(0)->SrcCount(), 0);

    Box* vectors = Box::Create("vectors");
    Keep(vectors);
    AnimationNode* in = vectors->CreateInConnector(0, "V", DataType::Get(kDataVector), false);
    EXPECT_EQ(ConnectConnectors(a->OutConnector(0), in), kConnectType);
    EXPECT_EQ(vectors->CreateInConnector(0, "Text", DataType::Get(kDataString), false), nullptr);

    // After the cycle-closing link is refused, the graph still evaluates.
    Set(a, "A", 2);
    EXPECT_EQ(Read(c, Context()), 2);
}

TEST_F(Graph, ConnectorsAreIndexedInCreationOrderAndEndThroughTheirBox) {
    SumBox *a = Sum("a"), *b = Sum("b");
    EXPECT_EQ(b->InConnector(-1), nullptr);
    EXPECT_EQ(b->InConnector(b->InConnectorCount()), nullptr);
    EXPECT_EQ(b->OutConnector(1), nullptr);
    EXPECT_STREQ(b->InConnector(1)->Name(), "B");
    EXPECT_EQ(b->InConnector(1)->UserId(), 1u);
    EXPECT_EQ(Box::OfConnector(b->InConnector(1)), b);
    AnimationNode* group = b->InGroup();
    ASSERT_EQ(group->ChildCount(), 2);
    EXPECT_EQ(group->ChildNode(1), b->InConnector(1));

    ASSERT_EQ(ConnectConnectors(a->OutConnector(0), b->InConnector(1)), kConnectDone);
    Set(a, "A", 4);
    EvaluationContext c1 = Context();
    EXPECT_EQ(Read(b, c1), 4);
    PlugHandle ended(b->InConnector(1));
    EXPECT_TRUE(b->DestroyConnector(b->InConnector(1)));
    EXPECT_FALSE(ended.Valid());
    EXPECT_EQ(b->InConnectorCount(), 1);
    EXPECT_EQ(group->ChildCount(), 1);
    EXPECT_EQ(a->OutConnector(0)->DstCount(), 0);
    EXPECT_EQ(Read(b, Context()), 0);  // the dropped connection made b compute again
    EXPECT_FALSE(b->DestroyConnector(a->OutConnector(0)));  // not b's

    // A box that ends takes its connectors with it, and its consumers
    // compute without it.
    Set(b, "A", 0);
    ASSERT_EQ(ConnectConnectors(a->OutConnector(0), b->InConnector(0)), kConnectDone);
    EXPECT_EQ(Read(b, Context()), 4);
    a->Destroy(0);
    EXPECT_EQ(b->InConnector(0)->SrcCount(), 0);
    EXPECT_EQ(Read(b, Context()), 0);
}

TEST_F(Graph, OutputsNotWrittenAreDisabledAndMayBeEvaluatedFollowsTheManipulation) {
    class Partial final : public Box {
    public:
        Partial() : Box("partial", kClassBox) {
            CreateOutConnector(0, "Written", Number(), false);
            CreateOutConnector(1, "Skipped", Number(), false);
            SetTimeDependent(true);
        }
        bool EvaluateConnectors(const EvaluationContext& context) override {
            const double v = static_cast<double>(context.time);
            OutConnector(0)->WriteData(&v, &context);
            if (writeBoth) OutConnector(1)->WriteData(&v, &context);
            DisableOutputsIfNotWritten(context);
            return true;
        }
        bool writeBoth = true;
    };
    auto* box = new Partial;
    Keep(box);
    double v = 0;
    EvaluationContext c1 = Context(5);
    EXPECT_TRUE(box->OutConnector(1)->ReadData(&v, &c1));
    box->writeBoth = false;
    EvaluationContext c2 = Context(6);
    EXPECT_TRUE(box->OutConnector(0)->ReadData(&v, &c2));
    EXPECT_EQ(v, 6);
    EXPECT_FALSE(box->OutConnector(1)->ReadData(&v, &c2));
    EXPECT_TRUE(box->OutConnector(1)->IsDisabled());

    // While the user manipulates the box, a connector whose property holds
    // the value being dragged is left alone.
    Property* dragged = box->CreateProperty("Dragged", kDataNumber, kCreateAnimatable);
    ASSERT_TRUE(SetPropertyAnimated(dragged, true));
    AnimationNode* node = PropertyAnimationNode(dragged);
    ASSERT_TRUE(box->AdoptInConnector(node));
    EXPECT_TRUE(box->MayEvaluateConnector(node));
    const double value = 3;
    ASSERT_TRUE(SetPropertyCandidate(dragged, &value, nullptr));
    EXPECT_TRUE(box->MayEvaluateConnector(node));  // not manipulating
    box->SetManipulating(true);
    EXPECT_FALSE(box->MayEvaluateConnector(node));
    EXPECT_TRUE(box->MayEvaluateConnector(box->OutConnector(0)));
}

TEST_F(Graph, AnAnimatedInputMakesItsBoxFollowTime) {
    SumBox* a = Sum("a", 1);
    AnimationNode* in = a->InConnector(0);
    double k0 = 0, k1 = 10;
    ASSERT_TRUE(in->KeyAdd(0, &k0, kKeyLinear));
    ASSERT_TRUE(in->KeyAdd(100, &k1, kKeyLinear));
    EXPECT_DOUBLE_EQ(Read(a, Context(50)), 5);
    EXPECT_DOUBLE_EQ(Read(a, Context(50)), 5);
    EXPECT_EQ(a->ComputeCount(), 1u);  // same time: nothing new
    EXPECT_DOUBLE_EQ(Read(a, Context(100)), 10);
    EXPECT_EQ(a->ComputeCount(), 2u);
}

TEST_F(Graph, ARelationInTheSceneDrivesModelsThroughPlaceholdersOncePerFrame) {
    Scene& scene = Scene::Main();
    Model* source = Model::Create("Source");
    Model* parent = Model::Create("Parent");
    Model* target = Model::Create("Target");
    for (Model* m : {source, parent, target}) {
        Keep(m);
        scene.AddModel(m);
    }
    target->SetParent(parent);
    const double sourceAt[3] = {1, 2, 3}, parentAt[3] = {10, 0, 0};
    source->TranslationProperty()->SetRaw(sourceAt);
    parent->TranslationProperty()->SetRaw(parentAt);

    Relation* relation = Relation::Create("Rig");
    Keep(relation);
    ASSERT_TRUE(scene.AddObject(relation));
    ModelPlaceholder* from = relation->AddModelPlaceholder(source);
    ModelPlaceholder* to = relation->AddModelPlaceholder(target);
    ASSERT_EQ(ConnectConnectors(from->FindOutConnector("Translation"), to->FindInConnector("Translation")),
              kConnectDone);
    bool on = true;
    to->FindProperty("UseGlobalTransforms")->SetRaw(&on);

    std::vector<int> timings;
    {
        lysdk_test::EventLog log(EvaluationManager::Instance().GlobalFunctions(), {0, 1, 2, 3, 4, 5, 6, 7});
        ASSERT_EQ(kTimingCount, 8);
        scene.Evaluator().EvaluateFrame(0);
        timings = log.types;
    }
    EXPECT_EQ(timings, (std::vector<int>{0, 1, 2, 6, 7, 3, 4, 5}));
    // The target's world position is the source's: its local one is offset
    // by the parent, and its global matrix shows it in the same frame.
    const double* local = static_cast<const double*>(target->TranslationProperty()->ValuePtr());
    EXPECT_DOUBLE_EQ(local[0], -9);
    EXPECT_DOUBLE_EQ(target->GlobalMatrix()[12], 1);
    EXPECT_DOUBLE_EQ(target->GlobalMatrix()[14], 3);
    EXPECT_EQ(scene.Evaluator().ScheduledBoxes(), 2);
    EXPECT_EQ(scene.Evaluator().ScheduledGroups(), 1);
    EXPECT_EQ(from->ComputeCount(), 1u);

    relation->SetActive(false);
    const double moved[3] = {5, 5, 5};
    source->TranslationProperty()->SetRaw(moved);
    scene.Evaluator().EvaluateFrame(0);
    EXPECT_DOUBLE_EQ(local[0], -9);  // an inactive relation drives nothing

    // A relation that ends leaves nothing behind in the scene's schedule.
    relation->SetActive(true);
    scene.Evaluator().EvaluateFrame(0);
    EXPECT_EQ(scene.Evaluator().ScheduledBoxes(), 2);
    relation->Destroy(0);
    scene.Evaluator().EvaluateFrame(0);
    EXPECT_EQ(scene.Evaluator().ScheduledBoxes(), 0);
}

TEST_F(Graph, CandidatesGoToUnconnectedInputsAndThroughPlaceholdersToTheirModel) {
    SumBox *a = Sum("a"), *b = Sum("b");
    ASSERT_EQ(ConnectConnectors(a->OutConnector(0), b->InConnector(0)), kConnectDone);
    const double five = 5;
    EXPECT_EQ(b->SetStdCandidate(b->InConnector(1), &five, nullptr), 1);
    EXPECT_EQ(b->SetStdCandidate(b->InConnector(0), &five, nullptr), 0);  // fed by a
    EXPECT_EQ(b->SetStdCandidate(a->InConnector(0), &five, nullptr), 0);  // not b's
    EXPECT_EQ(Read(b, Context()), 5);
    // A global value through a plain input is a standard one.
    const double seven = 7;
    EXPECT_TRUE(b->InConnector(1)->WriteGlobalData(&seven, nullptr));
    EXPECT_EQ(Read(b, Context()), 7);

    Model* parent = Model::Create("P");
    Model* child = Model::Create("C");
    Keep(child);
    Keep(parent);
    child->SetParent(parent);
    const double at[3] = {2, 0, 0};
    parent->TranslationProperty()->SetRaw(at);
    ModelPlaceholder* holder = ModelPlaceholder::Create("holder", child);
    Keep(holder);
    const double world[3] = {10, 1, 1};
    EXPECT_TRUE(holder->FindInConnector("Translation")->WriteGlobalData(world, nullptr));
    const double* local = static_cast<const double*>(child->TranslationProperty()->ValuePtr());
    EXPECT_DOUBLE_EQ(local[0], 8);
    EXPECT_EQ(holder->SetStdCandidate(holder->FindInConnector("Scaling"), world, nullptr), 1);
    EXPECT_DOUBLE_EQ(static_cast<const double*>(child->ScalingProperty()->ValuePtr())[0], 10);
}
