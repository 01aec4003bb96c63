// A mesh's points and triangles, the deformers that move them, and what
// reads the deformed points: the bounding box and ray tests. Also the
// constrained global matrix of any model.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "velora/constraint.h"
#include "velora/model.h"
#include "velora/property.h"
#include "velora/scene.h"
#include "velora/scene_storage.h"

namespace velora {

void Model::SetGlobalMatrix(const double* m) {
    if (m) std::memcpy(global_, m, sizeof global_);
}

bool Model::Store(dsx::ObjectStore& store) {
    if (!Box::Store(store)) return false;
    Model* parent = Parent();
    Scene& scene = Scene::Main();
    if ((store.Pass() & dsx::kPassFields) && parent && parent != scene.RootModel() && parent != scene.GlobalRootModel())
        store.WriteReference("Parent", parent);
    return true;
}

bool Model::Retrieve(dsx::ObjectStore& store) {
    if (!Box::Retrieve(store)) return false;
    if (store.Pass() & dsx::kPassReferences)
        if (Model* parent = AsModel(AsObject(store.ReadReference("Parent")))) SetParent(parent);
    return true;
}

void MeshModel::SetPoints(const std::vector<float>& xyzw) {
    points_.assign(xyzw.begin(), xyzw.end() - static_cast<std::ptrdiff_t>(xyzw.size() % 4));
    deformed_.clear();
}

void MeshModel::SetTriangles(const std::vector<int>& indices) {
    triangles_.clear();
    const int n = PointCount();
    // Triangles naming a point the mesh does not have are left out.
    for (std::size_t i = 0; i + 2 < indices.size(); i += 3)
        if (std::all_of(indices.begin() + static_cast<std::ptrdiff_t>(i), indices.begin() + static_cast<std::ptrdiff_t>(i + 3),
                        [n](int k) { return k >= 0 && k < n; }))
            triangles_.insert(triangles_.end(), indices.begin() + static_cast<std::ptrdiff_t>(i),
                              indices.begin() + static_cast<std::ptrdiff_t>(i + 3));
}

bool MeshModel::BoundingBox(double box[6]) const {
    const std::vector<float>& p = DeformedPoints();
    if (p.empty()) {
        std::fill(box, box + 6, 0.0);
        return false;
    }
    for (int k = 0; k < 3; ++k) box[k] = box[3 + k] = p[static_cast<std::size_t>(k)];
    for (std::size_t i = 0; i < p.size(); i += 4)
        for (int k = 0; k < 3; ++k) {
            box[k] = std::min(box[k], static_cast<double>(p[i + static_cast<std::size_t>(k)]));
            box[3 + k] = std::max(box[3 + k], static_cast<double>(p[i + static_cast<std::size_t>(k)]));
        }
    return true;
}

bool MeshModel::RayTest(const double* origin, const double* direction, double* t) const {
    if (!origin || !direction) return false;
    const std::vector<float>& p = DeformedPoints();
    const double* m = GlobalMatrix();
    auto world = [&](int index, double* out) {
        const float* v = &p[static_cast<std::size_t>(index) * 4];
        for (int k = 0; k < 3; ++k) out[k] = m[k] * v[0] + m[4 + k] * v[1] + m[8 + k] * v[2] + m[12 + k];
    };
    bool hit = false;
    double best = 0.0;
    for (std::size_t i = 0; i + 2 < triangles_.size(); i += 3) {
        // Moller-Trumbore on the triangle in world space.
        double a[3], b[3], c[3], e1[3], e2[3], pv[3], tv[3], qv[3];
        world(triangles_[i], a);
        world(triangles_[i + 1], b);
        world(triangles_[i + 2], c);
        for (int k = 0; k < 3; ++k) {
            e1[k] = b[k] - a[k];
            e2[k] = c[k] - a[k];
            tv[k] = origin[k] - a[k];
        }
        pv[0] = direction[1] * e2[2] - direction[2] * e2[1];
        pv[1] = direction[2] * e2[0] - direction[0] * e2[2];
        pv[2] = direction[0] * e2[1] - direction[1] * e2[0];
        const double det = e1[0] * pv[0] + e1[1] * pv[1] + e1[2] * pv[2];
        if (std::fabs(det) < 1e-12) continue;
        const double inv = 1.0 / det;
        const double u = (tv[0] * pv[0] + tv[1] * pv[1] + tv[2] * pv[2]) * inv;
        if (u < 0.0 || u > 1.0) continue;
        qv[0] = tv[1] * e1[2] - tv[2] * e1[1];
        qv[1] = tv[2] * e1[0] - tv[0] * e1[2];
        qv[2] = tv[0] * e1[1] - tv[1] * e1[0];
        const double v = (direction[0] * qv[0] + direction[1] * qv[1] + direction[2] * qv[2]) * inv;
        if (v < 0.0 || u + v > 1.0) continue;
        const double d = (e2[0] * qv[0] + e2[1] * qv[1] + e2[2] * qv[2]) * inv;
        if (d < 0.0 || (hit && d >= best)) continue;
        best = d;
        hit = true;
    }
    if (hit && t) *t = best;
    return hit;
}

bool MeshModel::AddDeformer(Object* constraint) {
    if (!AsConstraint(constraint)) return false;
    for (const PlugHandle& h : deformers_)
        if (h.Get() == constraint) return true;
    deformers_.emplace_back(constraint);
    Property* deformable = FindProperty("IsDeformable");
    const bool on = true;
    deformable->ModifyFlag(kPropertyReadOnly, false);
    deformable->SetRaw(&on);
    deformable->ModifyFlag(kPropertyReadOnly, true);
    BumpStructureVersion();
    return true;
}

void MeshModel::RemoveDeformer(Object* constraint) {
    deformers_.erase(std::remove_if(deformers_.begin(), deformers_.end(),
                                    [constraint](const PlugHandle& h) { return !h.Get() || h.Get() == constraint; }),
                     deformers_.end());
    if (deformers_.empty()) deformed_.clear();
    BumpStructureVersion();
}

int MeshModel::DeformerCount() const {
    int n = 0;
    for (const PlugHandle& h : deformers_)
        if (h.Get()) ++n;
    return n;
}

Object* MeshModel::Deformer(int i) const {
    for (const PlugHandle& h : deformers_)
        if (h.Get() && i-- == 0) return static_cast<Object*>(h.Get());
    return nullptr;
}

void MeshModel::Deform(const EvaluationContext& context) {
    // Each deformer works on what the previous one made; one that writes
    // nothing passes its input on.
    std::vector<float> source = points_, target(points_.size());
    bool any = false;
    const int count = PointCount();
    for (const PlugHandle& h : deformers_) {
        Constraint* constraint = AsConstraint(static_cast<Object*>(h.Get()));
        if (!constraint || !constraint->IsDeformer() || count == 0) continue;
        if (!constraint->DeformerPreNotify(this, &context, source.data(), target.data())) continue;
        target = source;
        if (constraint->DeformerNotify(this, source.data(), target.data(), count, nullptr, nullptr) != 0) {
            source.swap(target);
            any = true;
        }
    }
    if (any)
        deformed_.swap(source);
    else
        deformed_.clear();
}

}  // namespace velora
