// bench_math's entry point: runs the benchmarks, then prints each SDK time
// as a ratio of its Eigen baseline from the same run.
//
// Unless told otherwise it repeats every benchmark and interleaves the
// repetitions at random, so that load on a shared machine falls on both
// sides of a pair alike; ratios use the medians.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "math_pairs.h"

namespace {

// Console output as usual, and the time of every benchmark kept by name
// (the median when there are repetitions).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") medians_[name] = run.GetAdjustedRealTime();
            } else if (!run.error_occurred) {
                singles_[name] = run.GetAdjustedRealTime();
            }
        }
    }

    bool Time(const std::string& name, double* out) const {
        auto m = medians_.find(name);
        if (m != medians_.end()) return *out = m->second, true;
        auto s = singles_.find(name);
        if (s != singles_.end()) return *out = s->second, true;
        return false;
    }

private:
    std::map<std::string, double> medians_, singles_;
};

bool HasFlag(int argc, char** argv, const char* flag) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=7";
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    char aggregates[] = "--benchmark_report_aggregates_only=true";
    char minTime[] = "--benchmark_min_time=0.1";
    if (!HasFlag(argc, argv, "--benchmark_repetitions")) {
        args.push_back(repetitions);
        args.push_back(interleave);
        args.push_back(aggregates);
        if (!HasFlag(argc, argv, "--benchmark_min_time")) args.push_back(minTime);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nRatios to Eigen (same run, median time; below 1 is faster than Eigen):\n");
    for (int i = 0; i < kMathPairCount; ++i) {
        const MathPair& p = kMathPairs[i];
        double ours = 0.0, base = 0.0;
        if (!reporter.Time(p.ours, &ours) || !reporter.Time(p.baseline, &base) || base <= 0.0) continue;
        const double ratio = ours / base;
        if (p.goal > 0.0)
            std::printf("  %-22s / %-38s %5.2fx  (goal <= %.1fx: %s)\n", p.ours, p.baseline, ratio, p.goal,
                        ratio <= p.goal ? "met" : "NOT met");
        else
            std::printf("  %-22s / %-38s %5.2fx  (context)\n", p.ours, p.baseline, ratio);
    }
    benchmark::Shutdown();
    return 0;
}
