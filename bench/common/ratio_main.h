#ifndef LYSDK_BENCH_COMMON_RATIO_MAIN_H
#define LYSDK_BENCH_COMMON_RATIO_MAIN_H

// The main of a benchmark program that reports SDK speed as ratios: each
// pair names an SDK benchmark and the baseline it is compared with in the
// same run (a direct host call, a plain loop, the standard library). The
// ratio is SDK time over baseline time; a goal of 0 reports only.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

struct LyBenchPair {
    const char* what;
    const char* sdk;
    const char* baseline;
    double goal;
};

// Keeps every run's time per iteration so the ratios can be printed.
class LyRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    std::map<std::string, double> times;
};

inline int LyBenchMainWithRatios(int argc, char** argv, const LyBenchPair* pairs, int count,
                                 const char* title = "ratios (SDK time / baseline time, same run)") {
    benchmark::Initialize(&argc, argv);
    LyRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%s:\n", title);
    for (int i = 0; i < count; ++i) {
        const LyBenchPair& p = pairs[i];
        auto s = reporter.times.find(p.sdk);
        auto b = reporter.times.find(p.baseline);
        if (s == reporter.times.end() || b == reporter.times.end() || b->second <= 0) continue;
        const double ratio = s->second / b->second;
        if (p.goal > 0)
            std::printf("  %-55s %6.2f  (goal <= %.1f: %s)\n", p.what, ratio, p.goal,
                        ratio <= p.goal ? "met" : "NOT met");
        else
            std::printf("  %-55s %6.2f  (report only)\n", p.what, ratio);
    }
    benchmark::Shutdown();
    return 0;
}

#endif  // LYSDK_BENCH_COMMON_RATIO_MAIN_H
