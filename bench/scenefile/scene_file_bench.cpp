// Reading scene files: reading an object with four times the members should
// take about four times as long. A reader that looked members up one by one
// would take sixteen times as long, and a hostile file could hold it for
// hours.

#include <benchmark/benchmark.h>

#include <string>

#include <velora/scene_file.h>

#include "common/ratio_main.h"

namespace {

namespace dsx = velora::dsx;

// A text file with one object of `n` fields and one of `n` properties.
std::string WideFile(int n) {
    dsx::Document doc;
    dsx::FileObject* fields = doc.AddObject("M", "A");
    dsx::FileObject* properties = doc.AddObject("M", "B");
    for (int i = 0; i < n; ++i) {
        const std::string name = "F" + std::to_string(i);
        fields->SetInteger(name, i);
        properties->AddProperty(name, dsx::kFileValueInt)->SetInteger(1);
    }
    std::string text, error;
    dsx::EncodeDocument(doc, dsx::Encoding::kText, &text, &error);
    return text;
}

void ReadWide(benchmark::State& state, int n) {
    const std::string text = WideFile(n);
    for (auto _ : state) {
        dsx::Document doc;
        std::string error;
        if (!dsx::DecodeDocument(text.data(), text.size(), &doc, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(doc.FindObject(1));
    }
    state.SetItemsProcessed(state.iterations() * 2 * n);
}

void BM_ReadWide_5000(benchmark::State& state) { ReadWide(state, 5000); }
void BM_ReadWide_20000(benchmark::State& state) { ReadWide(state, 20000); }
BENCHMARK(BM_ReadWide_5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadWide_20000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    static const LyBenchPair pairs[] = {
        {"read 20,000 members / read 5,000 members (linear: 4)", "BM_ReadWide_20000",
         "BM_ReadWide_5000", 4.5},
        {"open 100,000 models / open 10,000 models (linear: 10)",
         "BM_OpenScene_100000/iterations:3", "BM_OpenScene_10000", 12.0},
    };
    return LyBenchMainWithRatios(argc, argv, pairs, sizeof pairs / sizeof pairs[0],
                                 "ratios (time for the larger file / the smaller, same run)");
}
