// The two-bone IK sample: a constraint that bends a three-joint chain
// (shoulder, elbow, wrist; hip, knee, ankle) so that the end joint reaches a
// target, the elbow bending towards a pole. Riggers put it on arms and legs.
//
// Reference groups, in order: "Chain Root" (the constrained object: the
// first joint), "Middle", "End", "Target", "Pole" (optional: without one the
// chain keeps the plane it bends in). The bone lengths are read off the
// chain each frame, so a rig may be scaled. Each bone's X axis runs along
// the bone and its Y axis points to the bend side. A target out of reach
// stretches the chain towards it as far as it goes.
//
// Registered under "DsxStorable/Constraint" as "Two-Bone IK": the
// constraint manager lists it, and scenes keep it.

#include <cmath>
#include <initializer_list>

#include <lysdk/lysdk.h>

using namespace VELSDK2025;

namespace {

struct Vec {
    double x = 0, y = 0, z = 0;
};
Vec operator-(const Vec& a, const Vec& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator+(const Vec& a, const Vec& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator*(const Vec& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Cross(const Vec& a, const Vec& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Length(const Vec& a) { return std::sqrt(Dot(a, a)); }
Vec Unit(const Vec& a, const Vec& fallback) {
    const double l = Length(a);
    return l > 1e-12 ? a * (1.0 / l) : fallback;
}

// The Euler angles of the frame whose X axis is `along` and whose Y axis
// leans towards `side`.
LyVector3<double> FrameRotation(const Vec& along, const Vec& side) {
    const Vec x = Unit(along, {1, 0, 0});
    const Vec z = Unit(Cross(x, side), Unit(Cross(x, {0, 1, 0}), {0, 0, 1}));
    const Vec y = Cross(z, x);
    LyMatrix m;
    const double axes[3][3] = {{x.x, x.y, x.z}, {y.x, y.y, y.z}, {z.x, z.y, z.z}};
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 3; ++i) m(i, c) = axes[c][i];
    LyVector3<double> rot;
    LyMatrixToRotation(rot, m);
    return rot;
}

class TwoBoneIK : public LyConstraint {
    LYSDK_CLASS_DECLARE(TwoBoneIK, LyConstraint)
public:
    enum Group { kRoot, kMiddle, kEnd, kTarget, kPole, kGroupCount };

    explicit TwoBoneIK(const char* name) : LyConstraint(name) {
        for (const char* group : {"Chain Root", "Middle", "End", "Target", "Pole"}) ReferenceGroupAdd(group, 1);
    }

    void SetupAllAnimationNodes() override {
        LyModel* models[kGroupCount];
        for (int g = 0; g < kGroupCount; ++g) models[g] = ReferenceGet(g, 0);
        if (!models[kRoot] || !models[kMiddle] || !models[kEnd] || !models[kTarget]) return;
        for (int g = 0; g < kGroupCount; ++g)
            mIn[g] = models[g] ? AnimationNodeInCreate(static_cast<std::uint64_t>(g), models[g], "Translation") : nullptr;
        mRootRotation = AnimationNodeOutCreate(10, models[kRoot], "Rotation");
        mMiddleTranslation = AnimationNodeOutCreate(11, models[kMiddle], "Translation");
        mMiddleRotation = AnimationNodeOutCreate(12, models[kMiddle], "Rotation");
    }

    void RemoveAllAnimationNodes() override {
        for (LyAnimationNode*& node : mIn) node = nullptr;
        mRootRotation = mMiddleTranslation = mMiddleRotation = nullptr;
    }

    // One solve writes the three outputs; the host asks for each, so the
    // solve runs for the first and the others answer from it.
    bool AnimationNodeNotify(LyAnimationNode* node, LyEvaluateInfo* info, LyConstraintInfo*) override {
        if (!node || !mRootRotation) return false;
        if (node == mRootRotation && !Solve(info)) return false;
        if (!mSolved) return false;
        if (node == mRootRotation) return node->WriteData(&mRoot[0], info);
        if (node == mMiddleTranslation) return node->WriteData(&mMiddleAt.x, info);
        if (node == mMiddleRotation) return node->WriteData(&mMiddle[0], info);
        return false;
    }

private:
    bool Read(int group, Vec* out, LyEvaluateInfo* info) {
        double v[3];
        if (!mIn[group] || !mIn[group]->ReadData(v, info)) return false;
        *out = {v[0], v[1], v[2]};
        return true;
    }

    bool Solve(LyEvaluateInfo* info) {
        mSolved = false;
        Vec root, middle, end, target, pole;
        if (!Read(kRoot, &root, info) || !Read(kMiddle, &middle, info) || !Read(kEnd, &end, info) ||
            !Read(kTarget, &target, info))
            return false;
        if (!Read(kPole, &pole, info)) pole = middle;
        const double upper = Length(middle - root), lower = Length(end - middle);
        if (upper < 1e-9 || lower < 1e-9) return false;
        const Vec toTarget = target - root;
        const Vec dir = Unit(toTarget, Unit(end - root, {1, 0, 0}));
        // The reach, kept where the triangle of the two bones exists.
        const double reach = std::fmin(std::fmax(Length(toTarget), std::fabs(upper - lower) + 1e-9), upper + lower - 1e-9);
        // The bend side: the pole's direction, square to the reach.
        const Vec toPole = pole - root;
        const Vec side = Unit(toPole - dir * Dot(toPole, dir), Unit(Cross(dir, {0, 0, 1}), {0, 1, 0}));
        const double along = (upper * upper - lower * lower + reach * reach) / (2.0 * reach);
        const double height = std::sqrt(std::fmax(upper * upper - along * along, 0.0));
        mMiddleAt = root + dir * along + side * height;
        const Vec endAt = root + dir * reach;
        mRoot = FrameRotation(mMiddleAt - root, side);
        mMiddle = FrameRotation(endAt - mMiddleAt, side);
        mSolved = true;
        return true;
    }

    LyAnimationNode* mIn[kGroupCount] = {};
    LyAnimationNode* mRootRotation = nullptr;
    LyAnimationNode* mMiddleTranslation = nullptr;
    LyAnimationNode* mMiddleRotation = nullptr;
    LyVector3<double> mRoot, mMiddle;
    Vec mMiddleAt;
    bool mSolved = false;
};

}  // namespace

LYSDK_CLASS_IMPLEMENT(TwoBoneIK, 0)

namespace {

IObject* CreateIK(IObject*, const char* name, void*) {
    auto* constraint = new TwoBoneIK(name ? name : "Two-Bone IK");
    if (!constraint->LyCreate()) {
        constraint->LyDelete();
        return nullptr;
    }
    return constraint->GetHIObject();
}

class IKLibrary : public LyLibraryBase {};

bool RegisterIK() {
    return LyObject_Register("DsxStorable/Constraint", "Two-Bone IK",
                             "Bends a three-joint chain so that its end reaches a target", &CreateIK, true, nullptr);
}

}  // namespace

LYSDK_PLUGIN(IKLibrary, RegisterIK)
