#ifndef VELORA_SAMPLE_SPRING_BOX_H
#define VELORA_SAMPLE_SPRING_BOX_H

// A damped spring operator for relations: its "Result" follows its "Target"
// (a vector) like a mass on a spring, overshooting and settling, which is
// what riggers use for secondary motion (antennas, tails, jiggle on a
// prop). "Stiffness" (per second squared) and "Damping" (per second) are
// properties of the box, shown and stored with it; "Substeps" is a setting
// the box stores itself.
//
// The spring advances with the evaluation time. A jump backwards, a first
// evaluation or a jump of more than half a second starts it again at rest
// on the target, so scrubbing never makes it explode.

#include <cmath>

#include <lysdk/lysdk.h>

namespace velora_sample {

/// The spring itself, independent of any host: one step per evaluation.
class SpringOperator {
public:
    virtual ~SpringOperator() = default;
    /// Advances to `time` (ticks) towards `target` and writes the position.
    virtual void Evaluate(const double* target, double stiffness, double damping, long long time, double* out) {
        constexpr double kTicksPerSecond = 141120000.0;
        const double dt = (time - last_) / kTicksPerSecond;
        if (!started_ || dt <= 0.0 || dt > 0.5) {
            for (int i = 0; i < 3; ++i) {
                position_[i] = target[i];
                velocity_[i] = 0.0;
            }
            started_ = true;
        } else {
            const double h = dt / substeps;
            for (int step = 0; step < substeps; ++step)
                for (int i = 0; i < 3; ++i) {
                    // Semi-implicit Euler: stable for the stiffness a rig uses.
                    const double accel = stiffness * (target[i] - position_[i]) - damping * velocity_[i];
                    velocity_[i] += accel * h;
                    position_[i] += velocity_[i] * h;
                }
        }
        last_ = time;
        for (int i = 0; i < 3; ++i) out[i] = position_[i];
    }
    int substeps = 4;

private:
    double position_[3] = {0, 0, 0};
    double velocity_[3] = {0, 0, 0};
    long long last_ = 0;
    bool started_ = false;
};

class DampedSpringBox : public VELSDK2025::LyBox {
    LYSDK_CLASS_DECLARE(DampedSpringBox, VELSDK2025::LyBox)
public:
    explicit DampedSpringBox(const char* name) : LyBox(name) {
        double lo = 0.0, hi = 10000.0;
        mTarget = AnimationNodeInCreate(0, "Target", "Vector", true);
        mStiffness = AnimationNodeInCreate(1, "Stiffness", "Number", true, &lo, &hi, true);
        mDamping = AnimationNodeInCreate(2, "Damping", "Number", true, &lo, &hi, true);
        mResult = AnimationNodeOutCreate(3, "Result", "Vector");
        double stiffness = 120.0, damping = 12.0;
        if (mStiffness) mStiffness->WriteData(&stiffness);
        if (mDamping) mDamping->WriteData(&damping);
    }

    bool AnimationNodeNotify(VELSDK2025::LyAnimationNode* node, VELSDK2025::LyEvaluateInfo* info) override {
        if (node != mResult || !info) return false;
        double target[3] = {0, 0, 0}, stiffness = 0, damping = 0, result[3];
        if (!mTarget->ReadData(target, info)) return false;
        mStiffness->ReadData(&stiffness, info);
        mDamping->ReadData(&damping, info);
        mSpring.Evaluate(target, stiffness, damping, info->GetLocalTime().Get(), result);
        return mResult->WriteData(result, info);
    }

    bool DsxStore(VELSDK2025::LyDsxObject* dsx, VELSDK2025::kDsxObjectStore pass) override {
        if (pass & VELSDK2025::kLyDsxStoreFields) dsx->FieldWriteInt("Substeps", mSpring.substeps);
        return true;
    }
    bool DsxRetrieve(VELSDK2025::LyDsxObject* dsx, VELSDK2025::kDsxObjectStore pass) override {
        if ((pass & VELSDK2025::kLyDsxStoreFields) && dsx->FieldExists("Substeps")) {
            const int substeps = dsx->FieldReadInt("Substeps");
            mSpring.substeps = substeps >= 1 && substeps <= 64 ? substeps : 4;
        }
        return true;
    }

    SpringOperator& Spring() { return mSpring; }
    VELSDK2025::LyAnimationNode* Target() const { return mTarget; }
    VELSDK2025::LyAnimationNode* Result() const { return mResult; }

private:
    VELSDK2025::LyAnimationNode* mTarget = nullptr;
    VELSDK2025::LyAnimationNode* mStiffness = nullptr;
    VELSDK2025::LyAnimationNode* mDamping = nullptr;
    VELSDK2025::LyAnimationNode* mResult = nullptr;
    SpringOperator mSpring;
};

}  // namespace velora_sample

#endif  // VELORA_SAMPLE_SPRING_BOX_H
