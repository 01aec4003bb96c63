// Parallel evaluation gives what serial evaluation gives: model hierarchies
// and groups of boxes evaluated on several threads (run under
// ThreadSanitizer too, where the work goes to plain threads).

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <vector>

#include <velora/animation.h>
#include <velora/box.h>
#include <velora/evaluation.h>
#include <velora/model.h>
#include <velora/parallel.h>
#include <velora/relation.h>
#include <velora/scene.h>

using namespace velora;

namespace {

constexpr long long kFrame = 141120000 / 30;

// A box with one input and one output: out = sin(in) + in, so a chain of
// them is a chain of dependent reads.
class Wave final : public Box {
public:
    Wave() : Box("wave", kClassBox) {
        CreateInConnector(0, "In", DataType::Get(kDataNumber), true);
        CreateOutConnector(0, "Out", DataType::Get(kDataNumber), false);
    }
    bool EvaluateConnector(AnimationNode* output, const EvaluationContext& context) override {
        double v = 0;
        InConnector(0)->ReadData(&v, &context);
        v = std::sin(v) + v;
        return output->WriteData(&v, &context);
    }
};

class ParallelEvaluation : public ::testing::Test {
protected:
    void SetUp() override {
        Scene& scene = Scene::Main();
        for (int h = 0; h < 24; ++h) {
            Model* parent = nullptr;
            for (int depth = 0; depth < 5; ++depth) {
                Model* model = Model::Create("M");
                keep_.emplace_back(model);
                scene.AddModel(model);
                if (parent) model->SetParent(parent);
                Property* t = model->TranslationProperty();
                SetPropertyAnimated(t, true);
                for (int k = 0; k < 4; ++k) {
                    const double v[3] = {h + k * 0.5, depth - k * 0.25, k * 1.5};
                    PropertyAnimationNode(t)->KeyAdd(k * 10 * kFrame, v, kKeyCubic | kTangentAuto);
                }
                parent = model;
                models_.push_back(model);
            }
        }
        relation_ = Relation::Create("Chains");
        keep_.emplace_back(relation_);
        scene.AddObject(relation_);
        for (int chain = 0; chain < 16; ++chain) {
            Box* previous = nullptr;
            for (int i = 0; i < 8; ++i) {
                auto* box = new Wave;
                relation_->AddBox(box);
                if (previous) ConnectConnectors(previous->OutConnector(0), box->InConnector(0));
                else {
                    const double keys[2] = {static_cast<double>(chain), chain + 3.0};
                    box->InConnector(0)->KeyAdd(0, keys, kKeyLinear);
                    box->InConnector(0)->KeyAdd(30 * kFrame, keys + 1, kKeyLinear);
                }
                previous = box;
            }
            ends_.push_back(previous);
        }
    }
    void TearDown() override {
        EvaluationManager::Instance().SetParallel(true);
        for (auto it = keep_.rbegin(); it != keep_.rend(); ++it)
            if (Plug* p = it->Get()) p->Destroy(0);
    }

    std::vector<double> Frame(long long time) {
        Scene::Main().Evaluator().EvaluateFrame(time);
        std::vector<double> out;
        for (Model* m : models_) out.insert(out.end(), m->GlobalMatrix(), m->GlobalMatrix() + 16);
        for (Box* end : ends_) out.push_back(end->OutConnector(0)->LiveData()[0]);
        return out;
    }

    std::vector<PlugHandle> keep_;
    std::vector<Model*> models_;
    std::vector<Box*> ends_;
    Relation* relation_ = nullptr;
};

}  // namespace

TEST_F(ParallelEvaluation, FramesOnSeveralThreadsMatchFramesOnOne) {
    EvaluationManager& manager = EvaluationManager::Instance();
    for (long long frame : {0ll, 7ll, 19ll, 25ll}) {
        manager.SetParallel(false);
        const std::vector<double> serial = Frame(frame * kFrame);
        EXPECT_FALSE(Scene::Main().Evaluator().LastRunParallel());
        manager.SetParallel(true);
        const std::vector<double> parallel = Frame(frame * kFrame + 1);  // another time: everything computes
        const std::vector<double> again = Frame(frame * kFrame);
        EXPECT_EQ(Scene::Main().Evaluator().LastRunParallel(), EvaluationThreadCount() > 1);
        EXPECT_EQ(serial, again) << "frame " << frame;
        EXPECT_NE(serial, parallel);
    }
    EXPECT_EQ(Scene::Main().Evaluator().ScheduledGroups(), 16);
}

TEST_F(ParallelEvaluation, ParallelForCoversEveryIndexOnceAndWaits) {
    std::vector<std::atomic<int>> hits(1000);
    struct Body {
        std::vector<std::atomic<int>>* hits;
        void operator()(int begin, int end) const {
            for (int i = begin; i < end; ++i) (*hits)[static_cast<std::size_t>(i)].fetch_add(1);
        }
    } body{&hits};
    ParallelRanges(1000, 16, true, body);
    for (const auto& h : hits) ASSERT_EQ(h.load(), 1);
    EXPECT_STRNE(ParallelBackend(), "");
}
