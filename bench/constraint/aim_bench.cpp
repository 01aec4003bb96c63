// 1,000 aim constraints evaluated per frame by the scene, against a plain
// loop that computes the same aim rotations from the same matrices.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include <velora/constraint.h>
#include <velora/model.h>
#include <velora/scene.h>

#include "common/ratio_main.h"

namespace {

constexpr int kCount = 1000;

struct Rig {
    std::vector<velora::Model*> aimed, targets;
    Rig() {
        for (int i = 0; i < kCount; ++i) {
            velora::Model* a = velora::Model::Create("Aimed", velora::kClassModelNull);
            velora::Model* t = velora::Model::Create("Target", velora::kClassModelNull);
            const double pa[3] = {i * 1.0, 0, 0}, pt[3] = {i * 1.0 + 3, 2, -1};
            a->TranslationProperty()->SetRaw(pa);
            t->TranslationProperty()->SetRaw(pt);
            velora::Scene::Main().AddModel(a);
            velora::Scene::Main().AddModel(t);
            velora::Constraint* c = velora::CreateBuiltinConstraint("Aim", "Aim");
            c->AddReference(0, a);
            c->AddReference(1, t);
            velora::Scene::Main().AddObject(c);
            c->SetActive(true);
            aimed.push_back(a);
            targets.push_back(t);
        }
        velora::Scene::Main().Evaluator().EvaluateAt(0);
    }
};

Rig& TheRig() {
    static Rig* rig = new Rig;
    return *rig;
}

void Normalize(double* v) {
    const double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    v[0] /= l;
    v[1] /= l;
    v[2] /= l;
}

void Cross(double* r, const double* a, const double* b) {
    r[0] = a[1] * b[2] - a[2] * b[1];
    r[1] = a[2] * b[0] - a[0] * b[2];
    r[2] = a[0] * b[1] - a[1] * b[0];
}

void BM_ConstraintAims(benchmark::State& state) {
    Rig& rig = TheRig();
    long long time = 0;
    for (auto _ : state) {
        velora::Scene::Main().Evaluator().EvaluateConstraints(time += 4704000);
        benchmark::DoNotOptimize(rig.aimed[0]->GlobalMatrix()[0]);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

// The same rotations by hand: the X axis towards the target, Z level with
// the scene's up, each axis keeping the model's scale; written back.
void BM_PlainAims(benchmark::State& state) {
    Rig& rig = TheRig();
    std::vector<double> out(16 * kCount);
    for (auto _ : state) {
        for (int i = 0; i < kCount; ++i) {
            const double* m = rig.aimed[static_cast<std::size_t>(i)]->GlobalMatrix();
            const double* t = rig.targets[static_cast<std::size_t>(i)]->GlobalMatrix();
            double x[3] = {t[12] - m[12], t[13] - m[13], t[14] - m[14]}, y[3], z[3];
            const double up[3] = {0, 1, 0};
            Normalize(x);
            Cross(z, x, up);
            Normalize(z);
            Cross(y, z, x);
            double* r = &out[static_cast<std::size_t>(16 * i)];
            const double s[3] = {std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]),
                                 std::sqrt(m[4] * m[4] + m[5] * m[5] + m[6] * m[6]),
                                 std::sqrt(m[8] * m[8] + m[9] * m[9] + m[10] * m[10])};
            for (int k = 0; k < 3; ++k) {
                r[k] = x[k] * s[0];
                r[4 + k] = y[k] * s[1];
                r[8 + k] = z[k] * s[2];
                r[12 + k] = m[12 + k];
            }
            r[3] = r[7] = r[11] = 0;
            r[15] = 1;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

BENCHMARK(BM_ConstraintAims);
BENCHMARK(BM_PlainAims);

}  // namespace

int main(int argc, char** argv) {
    const LyBenchPair pairs[] = {
        {"1,000 aim constraints per frame vs a plain loop", "BM_ConstraintAims", "BM_PlainAims", 3.0},
    };
    return LyBenchMainWithRatios(argc, argv, pairs, sizeof pairs / sizeof pairs[0]);
}
