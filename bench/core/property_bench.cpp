// Property reads and lookups through the SDK against the host doing the same.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/object.h>
#include <velora/property.h>

using namespace VELSDK2025;

namespace {

struct Holder {
    velora::Object* object;
    LyComponent* component;
    std::vector<std::string> names;

    explicit Holder(int count) : object(velora::Object::Create("Holder")) {
        for (int i = 0; i < count; ++i) {
            names.push_back("Property " + std::to_string(i));
            object->CreateProperty(names.back().c_str(), velora::kDataNumber);
        }
        component = LyGetLyComponent(object, true);
        // Every wrapper made ahead: the lookup measured is the found case.
        for (const std::string& name : names) component->PropertyList.Find(name.c_str());
    }
    ~Holder() { object->Destroy(0); }
};

void BM_Baseline_HostDoubleRead(benchmark::State& state) {
    velora::Object* object = velora::Object::Create("Cube");
    velora::Property* size = object->CreateProperty("Size", velora::kDataNumber);
    size->Parse("2.5");
    for (auto _ : state) {
        double value = 0;
        benchmark::DoNotOptimize(size);
        size->GetRaw(&value);
        benchmark::DoNotOptimize(value);
    }
    object->Destroy(0);
}
BENCHMARK(BM_Baseline_HostDoubleRead);

void BM_LyPropertyDouble_Read(benchmark::State& state) {
    velora::Object* object = velora::Object::Create("Cube");
    object->CreateProperty("Size", velora::kDataNumber)->Parse("2.5");
    LyPropertyDouble size;
    size.SetInternal(object->FindProperty("Size"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(&size);
        double value = size;
        benchmark::DoNotOptimize(value);
    }
    object->Destroy(0);
}
BENCHMARK(BM_LyPropertyDouble_Read);

void FindIn(benchmark::State& state, int count) {
    Holder holder(count);
    const std::size_t n = holder.names.size();
    std::size_t i = 0;
    for (auto _ : state) {
        LyProperty* p = holder.component->PropertyList.Find(holder.names[i].c_str());
        benchmark::DoNotOptimize(p);
        i = (i + 7) % n;
    }
}

void BM_Find_10(benchmark::State& state) { FindIn(state, 10); }
void BM_Find_1000(benchmark::State& state) { FindIn(state, 1000); }
BENCHMARK(BM_Find_10);
BENCHMARK(BM_Find_1000);

}  // namespace
