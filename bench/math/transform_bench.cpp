// The transform math against Eigen, in pairs measured in the same run: each
// "Ly..." benchmark has an "Eigen..." twin doing the same work on the same
// inputs. main.cpp prints the ratios.
//
// Inputs are 1024 random values cycled through, so neither side can fold
// the work into constants and branches see realistic variety.

#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <Eigen/Geometry>
#include <random>
#include <vector>

#include "lysdk/lymatrix.h"
#include "lysdk/lyquaternion.h"
#include "math_pairs.h"

using namespace VELSDK2025;

namespace {

constexpr std::size_t kCount = 1024;

struct Inputs {
    std::vector<LyMatrix> a, b, rotations;
    std::vector<Eigen::Matrix4d> ea, eb, erotations;
    std::vector<LyVector4<double>> q;
    std::vector<Eigen::Quaterniond> eq;

    Inputs() {
        std::mt19937_64 engine(7);
        std::uniform_real_distribution<double> u(-1.0, 1.0);
        for (std::size_t n = 0; n < kCount; ++n) {
            LyMatrix ma, mb;
            for (double& v : ma.mValue) v = u(engine);
            for (double& v : mb.mValue) v = u(engine);
            a.push_back(ma);
            b.push_back(mb);
            ea.push_back(Eigen::Map<const Eigen::Matrix4d>(ma.mValue));
            eb.push_back(Eigen::Map<const Eigen::Matrix4d>(mb.mValue));

            const Eigen::Quaterniond e =
                Eigen::Quaterniond(u(engine), u(engine), u(engine), u(engine)).normalized();
            eq.push_back(e);
            q.emplace_back(e.x(), e.y(), e.z(), e.w());
            LyMatrix r;
            LyQuaternionToMatrix(r, q.back());
            rotations.push_back(r);
            erotations.push_back(Eigen::Map<const Eigen::Matrix4d>(r.mValue));
        }
    }
};

const Inputs& In() {
    static const Inputs inputs;
    return inputs;
}

void LyMatrixMultBench(benchmark::State& state) {
    const Inputs& in = In();
    LyMatrix r;
    std::size_t i = 0;
    for (auto _ : state) {
        LyMatrixMult(r, in.a[i], in.b[i]);
        benchmark::DoNotOptimize(r);
        i = (i + 1) & (kCount - 1);
    }
}

void EigenMatrixMultBench(benchmark::State& state) {
    const Inputs& in = In();
    Eigen::Matrix4d r;
    std::size_t i = 0;
    for (auto _ : state) {
        r.noalias() = in.ea[i] * in.eb[i];
        benchmark::DoNotOptimize(r);
        i = (i + 1) & (kCount - 1);
    }
}

void LyMatrixInverseBench(benchmark::State& state) {
    const Inputs& in = In();
    LyMatrix r;
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(LyMatrixInverse(r, in.a[i]));
        benchmark::DoNotOptimize(r);
        i = (i + 1) & (kCount - 1);
    }
}

void EigenMatrixInverseBench(benchmark::State& state) {
    const Inputs& in = In();
    Eigen::Matrix4d r;
    std::size_t i = 0;
    for (auto _ : state) {
        r = in.ea[i].inverse();
        benchmark::DoNotOptimize(r);
        i = (i + 1) & (kCount - 1);
    }
}

// The same method as LyMatrixInverse (LU with partial pivoting), for context.
void EigenPartialPivLuInverseBench(benchmark::State& state) {
    const Inputs& in = In();
    Eigen::Matrix4d r;
    std::size_t i = 0;
    for (auto _ : state) {
        r = in.ea[i].partialPivLu().inverse();
        benchmark::DoNotOptimize(r);
        i = (i + 1) & (kCount - 1);
    }
}

void LyMatrixToQuaternionBench(benchmark::State& state) {
    const Inputs& in = In();
    LyVector4<double> q;
    std::size_t i = 0;
    for (auto _ : state) {
        LyMatrixToQuaternion(q, in.rotations[i]);
        benchmark::DoNotOptimize(q);
        i = (i + 1) & (kCount - 1);
    }
}

void EigenMatrixToQuaternionBench(benchmark::State& state) {
    const Inputs& in = In();
    Eigen::Quaterniond q;
    std::size_t i = 0;
    for (auto _ : state) {
        q = Eigen::Quaterniond(in.erotations[i].topLeftCorner<3, 3>());
        benchmark::DoNotOptimize(q);
        i = (i + 1) & (kCount - 1);
    }
}

// Eigen's conversion assumes a pure rotation; LyMatrixToQuaternion first
// makes the axes orthonormal. This is Eigen doing that same work, for
// context.
void EigenOrthonormalizedToQuaternionBench(benchmark::State& state) {
    const Inputs& in = In();
    Eigen::Quaterniond q;
    std::size_t i = 0;
    for (auto _ : state) {
        const Eigen::Matrix4d& m = in.erotations[i];
        const Eigen::Vector3d x = m.col(0).head<3>(), y = m.col(1).head<3>();
        Eigen::Matrix3d r;
        r.col(0) = x.normalized();
        r.col(2) = x.cross(y).normalized();
        r.col(1) = r.col(2).cross(r.col(0));
        q = Eigen::Quaterniond(r);
        benchmark::DoNotOptimize(q);
        i = (i + 1) & (kCount - 1);
    }
}

void LyQuaternionToMatrixBench(benchmark::State& state) {
    const Inputs& in = In();
    LyMatrix r;
    std::size_t i = 0;
    for (auto _ : state) {
        LyQuaternionToMatrix(r, in.q[i]);
        benchmark::DoNotOptimize(r);
        i = (i + 1) & (kCount - 1);
    }
}

// The same 4 x 4 result as LyQuaternionToMatrix: rotation, zero translation,
// affine fourth row.
void EigenQuaternionToMatrixBench(benchmark::State& state) {
    const Inputs& in = In();
    Eigen::Matrix4d r;
    std::size_t i = 0;
    for (auto _ : state) {
        r.topLeftCorner<3, 3>() = in.eq[i].toRotationMatrix();
        r.col(3).head<3>().setZero();
        r.row(3) << 0.0, 0.0, 0.0, 1.0;
        benchmark::DoNotOptimize(r);
        i = (i + 1) & (kCount - 1);
    }
}

// Only the 3 x 3 rotation, for context: Eigen's cheapest form.
void EigenQuaternionToMatrix3Bench(benchmark::State& state) {
    const Inputs& in = In();
    Eigen::Matrix3d r;
    std::size_t i = 0;
    for (auto _ : state) {
        r = in.eq[i].toRotationMatrix();
        benchmark::DoNotOptimize(r);
        i = (i + 1) & (kCount - 1);
    }
}

#define MATH_BENCH(fn, name) BENCHMARK(fn)->Name(name)->Unit(benchmark::kNanosecond)

MATH_BENCH(LyMatrixMultBench, "LyMatrixMult");
MATH_BENCH(EigenMatrixMultBench, "Eigen/Matrix4d product");
MATH_BENCH(LyMatrixInverseBench, "LyMatrixInverse");
MATH_BENCH(EigenMatrixInverseBench, "Eigen/Matrix4d inverse");
MATH_BENCH(EigenPartialPivLuInverseBench, "Eigen/PartialPivLU inverse");
MATH_BENCH(LyMatrixToQuaternionBench, "LyMatrixToQuaternion");
MATH_BENCH(EigenMatrixToQuaternionBench, "Eigen/Quaterniond(Matrix3d)");
MATH_BENCH(EigenOrthonormalizedToQuaternionBench, "Eigen/orthonormalise + Quaterniond");
MATH_BENCH(LyQuaternionToMatrixBench, "LyQuaternionToMatrix");
MATH_BENCH(EigenQuaternionToMatrixBench, "Eigen/toRotationMatrix into Matrix4d");
MATH_BENCH(EigenQuaternionToMatrix3Bench, "Eigen/toRotationMatrix into Matrix3d");

}  // namespace

const MathPair kMathPairs[] = {
    {"LyMatrixMult", "Eigen/Matrix4d product", 1.2},
    {"LyMatrixInverse", "Eigen/Matrix4d inverse", 1.5},
    {"LyMatrixInverse", "Eigen/PartialPivLU inverse", 0.0},
    {"LyMatrixToQuaternion", "Eigen/Quaterniond(Matrix3d)", 1.2},
    {"LyMatrixToQuaternion", "Eigen/orthonormalise + Quaterniond", 0.0},
    {"LyQuaternionToMatrix", "Eigen/toRotationMatrix into Matrix4d", 1.2},
    {"LyQuaternionToMatrix", "Eigen/toRotationMatrix into Matrix3d", 0.0},
};
const int kMathPairCount = sizeof(kMathPairs) / sizeof(kMathPairs[0]);
