// Registering plug-in classes: the cost of one registration must not grow
// with the number already registered, so a library that registers ten
// times as many entries takes about ten times as long (goal: at most 12).
// Each iteration registers every entry through LyObject_Register (which
// files it under its group and under "Velora/LYSDK/<group>"), as a plug-in's
// registration function does; then, untimed, the entries are removed and
// the processor's caches are filled with other data. Registration happens
// once, as a library loads, with nothing of the registry in the caches:
// without the flush the smaller case would run from caches that its own
// previous iteration left warm, and the ratio would measure cache sizes.

#include <string>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/object_registry.h>

#include "common/ratio_main.h"

using namespace VELSDK2025;

namespace {

IObject* CreateNothing(IObject*, const char*, void*) { return nullptr; }

constexpr const char* kLibrary = "/bench/registrations.so";

// Writes and reads a buffer larger than the processor's caches.
void FlushCaches() {
    static std::vector<unsigned char> other(64u << 20);
    unsigned char sum = 0;
    for (std::size_t i = 0; i < other.size(); i += 64) {
        other[i] = static_cast<unsigned char>(other[i] + 1);
        sum = static_cast<unsigned char>(sum + other[i]);
    }
    benchmark::DoNotOptimize(sum);
}

void BM_RegisterEntries(benchmark::State& state) {
    std::vector<std::string> names;
    for (int i = 0; i < state.range(0); ++i) names.push_back("Entry" + std::to_string(i));
    velora::ObjectRegistry& registry = velora::ObjectRegistry::Instance();
    for (auto _ : state) {
        registry.SetLoadingLibrary(kLibrary);
        for (const std::string& name : names)
            LyObject_Register("Bench/Registrations", name.c_str(), "A registered class", &CreateNothing,
                              true, nullptr);
        registry.SetLoadingLibrary(nullptr);
        state.PauseTiming();
        registry.UnregisterLibrary(kLibrary);
        FlushCaches();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RegisterEntries)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    const LyBenchPair pairs[] = {
        {"50,000 registrations / 5,000 registrations", "BM_RegisterEntries/50000",
         "BM_RegisterEntries/5000", 12.0},
    };
    return LyBenchMainWithRatios(argc, argv, pairs, sizeof pairs / sizeof pairs[0],
                                 "ratios (time of the larger count / time of the smaller, same run)");
}
