// Object lookup by full name and by pattern.
//
// A full-name lookup is a hash lookup: its work does not grow with the
// number of living objects. What does grow past the processor's caches is
// the cost of reaching a cold bucket, which the 100,000 case shows. A pattern search walks every
// living object and grows with their number; it is here as the contrast.
// BM_ObjectCreateEnd measures what joining and leaving the directory adds
// to the life of a plain object (creation and end, with its name).

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <velora/entity.h>
#include <velora/object.h>

namespace {

struct Population {
    std::vector<velora::Object*> objects;
    std::vector<std::string> fullNames;

    explicit Population(int count) {
        for (int i = 0; i < count; ++i) {
            const std::string name = "Bench" + std::to_string(i);
            objects.push_back(velora::Object::Create(name.c_str(), velora::kClassModel));
            fullNames.push_back(objects.back()->FullName());
        }
    }
    ~Population() {
        for (velora::Object* object : objects) object->Destroy(0);
    }
};

void BM_FindByFullName(benchmark::State& state) {
    Population population(static_cast<int>(state.range(0)));
    velora::ObjectDirectory& directory = velora::MainEntity::Instance().Objects();
    const std::size_t n = population.fullNames.size();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(directory.FindByFullName(population.fullNames[i].c_str()));
        i = i + 7 < n ? i + 7 : (i + 7) % n;
    }
}
BENCHMARK(BM_FindByFullName)->Arg(100)->Arg(10000)->Arg(100000);

void BM_FindByPattern(benchmark::State& state) {
    Population population(static_cast<int>(state.range(0)));
    velora::ObjectDirectory& directory = velora::MainEntity::Instance().Objects();
    std::vector<velora::Object*> found;
    for (auto _ : state) {
        found.clear();
        directory.FindByPattern("Bench1?", true, false, &found);
        benchmark::DoNotOptimize(found.data());
    }
}
BENCHMARK(BM_FindByPattern)->Arg(100)->Arg(10000);

void BM_ObjectCreateEnd(benchmark::State& state) {
    for (auto _ : state) {
        velora::Object* object = velora::Object::Create("BenchTransient", velora::kClassModel);
        benchmark::DoNotOptimize(object);
        object->Destroy(0);
    }
}
BENCHMARK(BM_ObjectCreateEnd);

}  // namespace
