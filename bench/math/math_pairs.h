#ifndef LYSDK_BENCH_MATH_PAIRS_H
#define LYSDK_BENCH_MATH_PAIRS_H

// A benchmark of the SDK and the Eigen baseline it is compared with. A goal
// of 0 means "for context only".
struct MathPair {
    const char* ours;
    const char* baseline;
    double goal;
};

extern const MathPair kMathPairs[];
extern const int kMathPairCount;

#endif  // LYSDK_BENCH_MATH_PAIRS_H
