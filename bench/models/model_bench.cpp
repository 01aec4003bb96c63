// Model transforms through lysdk against Eigen doing the same arithmetic in
// a plain loop over flat arrays.
//
//  - Hierarchy: GetHierarchyWorldMatrices of 10,000 models (a root with
//    1,111 chains of nine below it, ten deep) against an Eigen loop that
//    builds every world matrix from the same local values. "Moved" changes
//    the root's translation before each call, so every matrix is computed
//    again as the loop does; "Kept" changes nothing and reads what the
//    models keep.
//  - SetMatrix then GetMatrix (local) of one model against Eigen splitting
//    the same matrix into translation, Euler angles and scaling and
//    composing it again.
//  - A leaf's global matrix in a chain ten deep, read after the root moved
//    against read with nothing changed (report only).
//
//   build/release/bin/bench_models

#include <benchmark/benchmark.h>

#include <Eigen/Geometry>

#include <cmath>
#include <vector>

#include "common/ratio_main.h"

#include <lysdk/lysdk.h>
#include <velora/model.h>
#include <velora/scene.h>

using namespace VELSDK2025;

namespace {

constexpr int kChains = 1111;
constexpr int kChainLength = 9;
constexpr int kModels = 1 + kChains * kChainLength;
constexpr double kDegrees = 3.14159265358979323846 / 180.0;

struct Locals {
    std::vector<Eigen::Vector3d> t, r, s;
    std::vector<int> parent;  // preorder, -1 for the root
};

// The local values of model i, the same for both sides.
void LocalValues(int i, double* t, double* r, double* s) {
    t[0] = 0.1 * (i % 7), t[1] = 1.0 + 0.01 * (i % 13), t[2] = -0.05 * (i % 5);
    r[0] = 3.0 * (i % 11), r[1] = -2.0 * (i % 17), r[2] = 1.5 * (i % 19);
    s[0] = 1.0 + 0.001 * (i % 3), s[1] = 1.0, s[2] = 1.0 - 0.001 * (i % 2);
}

// The scene's hierarchy and the same values as flat arrays, in the order
// GetHierarchyWorldMatrices lists the branch depth first.
struct Rig {
    std::vector<velora::PlugHandle> hosts;
    LyModel* root = nullptr;
    Locals locals;

    Rig() {
        velora::Scene& scene = velora::Scene::Main();
        int index = 0;
        auto add = [&](velora::Model* parent, int parentIndex) {
            velora::Model* model = velora::Model::Create("BenchModel");
            if (parent) model->SetParent(parent);
            scene.AddModel(model);
            double t[3], r[3], s[3];
            LocalValues(index, t, r, s);
            model->TranslationProperty()->SetRaw(t);
            model->RotationProperty()->SetRaw(r);
            model->ScalingProperty()->SetRaw(s);
            locals.t.emplace_back(t[0], t[1], t[2]);
            locals.r.emplace_back(r[0], r[1], r[2]);
            locals.s.emplace_back(s[0], s[1], s[2]);
            locals.parent.push_back(parentIndex);
            hosts.emplace_back(model);
            ++index;
            return model;
        };
        velora::Model* top = add(nullptr, -1);
        for (int c = 0; c < kChains; ++c) {
            velora::Model* parent = top;
            int parentIndex = 0;
            for (int k = 0; k < kChainLength; ++k) {
                const int me = index;
                parent = add(parent, parentIndex);
                parentIndex = me;
            }
        }
        root = static_cast<LyModel*>(LyGetLyComponent(top, true));
    }
    ~Rig() {
        for (auto it = hosts.rbegin(); it != hosts.rend(); ++it)
            if (velora::Plug* p = it->Get()) p->Destroy(0);
    }
};

Rig& TheRig() {
    static Rig* rig = new Rig;
    return *rig;
}

Eigen::Affine3d Compose(const Eigen::Vector3d& t, const Eigen::Vector3d& r, const Eigen::Vector3d& s) {
    // X applied first: Rz * Ry * Rx.
    return Eigen::Translation3d(t) *
           (Eigen::AngleAxisd(r.z() * kDegrees, Eigen::Vector3d::UnitZ()) *
            Eigen::AngleAxisd(r.y() * kDegrees, Eigen::Vector3d::UnitY()) *
            Eigen::AngleAxisd(r.x() * kDegrees, Eigen::Vector3d::UnitX())) *
           Eigen::Scaling(s);
}

void BM_Hierarchy_Moved(benchmark::State& state) {
    Rig& rig = TheRig();
    std::vector<LyMatrix> out(kModels);
    double x = 0.0;
    for (auto _ : state) {
        x = x == 0.0 ? 1.0 : 0.0;
        rig.root->Translation = LyVector3<double>(x, 1.0, 0.0);
        benchmark::DoNotOptimize(rig.root->GetHierarchyWorldMatrices(out.data(), kModels, kLyHierarchyDepthFirst));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Hierarchy_Moved)->Unit(benchmark::kMicrosecond);

void BM_Hierarchy_Kept(benchmark::State& state) {
    Rig& rig = TheRig();
    std::vector<LyMatrix> out(kModels);
    for (auto _ : state) {
        benchmark::DoNotOptimize(rig.root->GetHierarchyWorldMatrices(out.data(), kModels, kLyHierarchyDepthFirst));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Hierarchy_Kept)->Unit(benchmark::kMicrosecond);

void BM_Hierarchy_Eigen(benchmark::State& state) {
    const Locals& l = TheRig().locals;
    std::vector<Eigen::Affine3d> world(kModels);
    for (auto _ : state) {
        for (int i = 0; i < kModels; ++i) {
            const Eigen::Affine3d local = Compose(l.t[i], l.r[i], l.s[i]);
            world[i] = l.parent[i] < 0 ? local : world[l.parent[i]] * local;
        }
        benchmark::DoNotOptimize(world.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Hierarchy_Eigen)->Unit(benchmark::kMicrosecond);

// One model, and the matrices the round trips take.
struct Single {
    LyModel* model = new LyModelNull("BenchSingle");
    LyMatrix matrices[2];
    Single() {
        for (int k = 0; k < 2; ++k) {
            double t[3], r[3], s[3];
            LocalValues(k + 3, t, r, s);
            LyTRSToMatrix(matrices[k], LyVector4<double>(t[0], t[1], t[2], 1), LyVector3<double>(r[0], r[1], r[2]),
                          LySVector(s[0], s[1], s[2]));
        }
    }
};

Single& TheSingle() {
    static Single* single = new Single;
    return *single;
}

void BM_SetGetMatrix_Sdk(benchmark::State& state) {
    Single& one = TheSingle();
    LyMatrix out;
    int k = 0;
    for (auto _ : state) {
        one.model->SetMatrix(one.matrices[k ^= 1], kModelTransformation, false);
        one.model->GetMatrix(out, kModelTransformation, false);
        benchmark::DoNotOptimize(out.mValue);
    }
}
BENCHMARK(BM_SetGetMatrix_Sdk);

void BM_SetGetMatrix_Eigen(benchmark::State& state) {
    Single& one = TheSingle();
    Eigen::Matrix4d matrices[2];
    for (int k = 0; k < 2; ++k) matrices[k] = Eigen::Map<const Eigen::Matrix4d>(one.matrices[k].mValue);
    Eigen::Vector3d t, r, s;
    Eigen::Matrix4d out;
    int k = 0;
    for (auto _ : state) {
        // Split: translation, axis lengths (negative when mirrored), angles.
        const Eigen::Matrix4d& m = matrices[k ^= 1];
        const Eigen::Matrix3d linear = m.topLeftCorner<3, 3>();
        const double sign = linear.determinant() < 0 ? -1.0 : 1.0;
        s = sign * linear.colwise().norm().transpose();
        const Eigen::Matrix3d rotation = linear * s.cwiseInverse().asDiagonal();
        r = rotation.eulerAngles(2, 1, 0).reverse() / kDegrees;
        t = m.topRightCorner<3, 1>();
        // Compose again.
        out = Compose(t, r, s).matrix();
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_SetGetMatrix_Eigen);

// A chain of ten below the scene root, and its leaf.
struct Chain {
    LyModel* root = nullptr;
    LyModel* leaf = nullptr;
    Chain() {
        LyModel* parent = nullptr;
        for (int i = 0; i < 10; ++i) {
            auto* model = new LyModelNull("BenchLink");
            double t[3], r[3], s[3];
            LocalValues(i, t, r, s);
            model->Translation = LyVector3<double>(t[0], t[1], t[2]);
            model->Rotation = LyVector3<double>(r[0], r[1], r[2]);
            if (parent) model->Parent = parent;
            if (!root) root = model;
            parent = leaf = model;
        }
    }
};

Chain& TheChain() {
    static Chain* chain = new Chain;
    return *chain;
}

void BM_LeafRead_RootMoved(benchmark::State& state) {
    Chain& chain = TheChain();
    LyMatrix out;
    double x = 0.0;
    for (auto _ : state) {
        x = x == 0.0 ? 1.0 : 0.0;
        chain.root->Translation = LyVector3<double>(x, 0.0, 0.0);
        chain.leaf->GetMatrix(out, kModelTransformation, true);
        benchmark::DoNotOptimize(out.mValue);
    }
}
BENCHMARK(BM_LeafRead_RootMoved);

void BM_LeafRead_Unchanged(benchmark::State& state) {
    Chain& chain = TheChain();
    LyMatrix out;
    const double x = 0.0;
    for (auto _ : state) {
        chain.root->Translation = LyVector3<double>(x, 0.0, 0.0);  // the same value: nothing moves
        chain.leaf->GetMatrix(out, kModelTransformation, true);
        benchmark::DoNotOptimize(out.mValue);
    }
}
BENCHMARK(BM_LeafRead_Unchanged);

const LyBenchPair kPairs[] = {
    {"GetHierarchyWorldMatrices, root moved / Eigen loop", "BM_Hierarchy_Moved", "BM_Hierarchy_Eigen", 1.5},
    {"GetHierarchyWorldMatrices, nothing moved / Eigen loop", "BM_Hierarchy_Kept", "BM_Hierarchy_Eigen", 1.5},
    {"SetMatrix + GetMatrix / Eigen decompose + compose", "BM_SetGetMatrix_Sdk", "BM_SetGetMatrix_Eigen", 2.0},
    {"leaf read, root moved / leaf read, nothing moved", "BM_LeafRead_RootMoved", "BM_LeafRead_Unchanged", 0.0},
};

}  // namespace

int main(int argc, char** argv) {
    return LyBenchMainWithRatios(argc, argv, kPairs, static_cast<int>(sizeof kPairs / sizeof kPairs[0]));
}
