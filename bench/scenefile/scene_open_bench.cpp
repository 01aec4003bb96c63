// Opening a scene into the host: ten times the models should take about ten
// times as long. A lookup that walked every model already in the scene for
// each new one made 80,000 models take thirty times as long as 10,000.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <velora/entity.h>
#include <velora/object.h>
#include <velora/object_directory.h>
#include <velora/scene_file.h>
#include <velora/scene_io.h>

namespace {

namespace dsx = velora::dsx;

// `n` null models, each with a translation and a user property.
dsx::Document Models(int n) {
    dsx::Document doc;
    for (int i = 0; i < n; ++i) {
        dsx::FileObject* object = doc.AddObject("ModelNull", "Model::Bench" + std::to_string(i));
        const double t[3] = {double(i), 1.0, 2.0};
        object->AddProperty("Lcl Translation", dsx::kFileValueVector3)->SetNumbers(t, 3);
        dsx::FileProperty* weight = object->AddProperty("Weight", dsx::kFileValueDouble);
        weight->SetFlags(dsx::kFilePropertyUser);
        weight->SetNumber(0.5);
    }
    return doc;
}

void OpenModels(benchmark::State& state, int n) {
    const dsx::Document doc = Models(n);
    for (auto _ : state) {
        velora::SceneCounts counts;
        velora::RetrieveScene(doc, &counts);
        if (counts.objects != n) {
            state.SkipWithError("not every model opened");
            return;
        }
        state.PauseTiming();
        std::vector<velora::PlugHandle> made;
        for (int i = 0; i < n; ++i)
            made.emplace_back(velora::MainEntity::Instance().Objects().FindByFullName(
                ("Model::Bench" + std::to_string(i)).c_str()));
        for (velora::PlugHandle& h : made)
            if (velora::Plug* p = h.Get()) p->Destroy(0);
        velora::MainEntity::Instance().SceneModelCount();  // drops the ended ones
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_OpenScene_10000(benchmark::State& state) { OpenModels(state, 10000); }
void BM_OpenScene_100000(benchmark::State& state) { OpenModels(state, 100000); }
BENCHMARK(BM_OpenScene_10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenScene_100000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
