// Host property lookup and memory.
//
// Exact-name lookup is a hash lookup: looking a name up on an object with
// 1,000 properties should cost about what it costs with 10. The memory
// benchmark reports the heap bytes that one more property costs its object
// (the property, its name index entry and its place in the creation order),
// measured by the allocator.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <string>
#include <vector>

#include <velora/object.h>
#include <velora/property.h>

namespace {

struct Holder {
    velora::Object* object;
    std::vector<std::string> names;

    explicit Holder(int count) : object(velora::Object::Create("Holder")) {
        for (int i = 0; i < count; ++i) {
            names.push_back("Property " + std::to_string(i));
            object->CreateProperty(names.back().c_str(), velora::kDataNumber);
        }
    }
    ~Holder() { object->Destroy(0); }
};

void BM_HostFindProperty(benchmark::State& state) {
    Holder holder(static_cast<int>(state.range(0)));
    const std::size_t n = holder.names.size();
    std::size_t i = 0;
    for (auto _ : state) {
        velora::Property* p = holder.object->FindProperty(holder.names[i].c_str());
        benchmark::DoNotOptimize(p);
        i = i + 7 < n ? i + 7 : (i + 7) % n;
    }
}
BENCHMARK(BM_HostFindProperty)->Arg(10)->Arg(1000);

void BM_HostPropertyBytes(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    double bytes = 0;
    for (auto _ : state) {
        velora::Object* object = velora::Object::Create("Holder");
        object->CreateProperty("Warm", velora::kDataNumber);  // the table itself
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) names.push_back("P" + std::to_string(i));
        const std::size_t before = mallinfo2().uordblks;
        for (int i = 0; i < count; ++i) object->CreateProperty(names[static_cast<std::size_t>(i)].c_str(),
                                                               velora::kDataNumber);
        const std::size_t after = mallinfo2().uordblks;
        bytes = static_cast<double>(after - before) / count;
        object->Destroy(0);
    }
    state.counters["bytes_per_property"] = bytes;
    state.counters["sizeof_property"] = static_cast<double>(sizeof(velora::Property));
}
BENCHMARK(BM_HostPropertyBytes)->Arg(1000)->Iterations(3);

}  // namespace
