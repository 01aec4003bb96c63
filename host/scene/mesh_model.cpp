// Meshes: geometry, the cube and the plane, bounding boxes, ray
// intersection, cloning, deformation bookkeeping and storage.

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "scene/transform_math.h"
#include "velora/class_registry.h"
#include "velora/constraint.h"
#include "velora/model.h"
#include "velora/object_directory.h"
#include "velora/property.h"
#include "velora/scene_storage.h"

namespace velora {

namespace {

constexpr float kCubePoints[] = {-1, -1, -1, 1, 1, -1, -1, 1, 1, 1, -1, 1, -1, 1, -1, 1,
                                 -1, -1, 1,  1, 1, -1, 1,  1, 1, 1, 1,  1, -1, 1, 1,  1};
// Two triangles a face, counter-clockwise seen from outside.
constexpr int kCubeTriangles[] = {0, 3, 2, 0, 2, 1,   // -Z
                                  4, 5, 6, 4, 6, 7,   // +Z
                                  0, 1, 5, 0, 5, 4,   // -Y
                                  3, 7, 6, 3, 6, 2,   // +Y
                                  0, 4, 7, 0, 7, 3,   // -X
                                  1, 2, 6, 1, 6, 5};  // +X
constexpr float kPlanePoints[] = {-1, 0, -1, 1, -1, 0, 1, 1, 1, 0, 1, 1, 1, 0, -1, 1};
constexpr int kPlaneTriangles[] = {0, 1, 2, 0, 2, 3};  // facing +Y

constexpr const char* kPointsField = "Points";
constexpr const char* kTrianglesField = "Triangles";
constexpr const char* kSwitchesField = "DeformSwitches";

// The segment parameter of the hit of segment (o, o + d) with triangle
// (a, b, c), Moller-Trumbore; false for a miss or a hit outside [0, 1].
bool HitTriangle(const double* o, const double* d, const double* a, const double* b, const double* c,
                 double* t) {
    const double e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const double e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    double p[3];
    tm::Cross(p, d, e2);
    const double det = tm::Dot(e1, p);
    if (std::fabs(det) < 1e-300) return false;  // parallel to the triangle
    const double inv = 1.0 / det;
    const double s[3] = {o[0] - a[0], o[1] - a[1], o[2] - a[2]};
    const double u = tm::Dot(s, p) * inv;
    if (u < 0.0 || u > 1.0) return false;
    double q[3];
    tm::Cross(q, s, e1);
    const double v = tm::Dot(d, q) * inv;
    if (v < 0.0 || u + v > 1.0) return false;
    const double at = tm::Dot(e2, q) * inv;
    if (at < 0.0 || at > 1.0) return false;
    *t = at;
    return true;
}

}  // namespace

MeshModel* MeshModel::Create(const char* name, int classId) {
    if (!ClassRegistry::Instance().IsA(classId, kClassModelMesh)) classId = kClassModelMesh;
    auto* mesh = new MeshModel(name, classId);
    if (classId == kClassModelCube) {
        mesh->SetPoints(std::vector<float>(std::begin(kCubePoints), std::end(kCubePoints)));
        mesh->SetTriangles(std::vector<int>(std::begin(kCubeTriangles), std::end(kCubeTriangles)));
        mesh->SetShadingMode(kShadingAll);
    } else if (classId == kClassModelPlane) {
        mesh->SetPoints(std::vector<float>(std::begin(kPlanePoints), std::end(kPlanePoints)));
        mesh->SetTriangles(std::vector<int>(std::begin(kPlaneTriangles), std::end(kPlaneTriangles)));
        mesh->SetShadingMode(kShadingTexture);
    }
    return mesh;
}

MeshModel::MeshModel(const char* name, int classId) : Model(name, classId) {
    deformable_ = CreateProperty("IsDeformable", kDataBool, 0);
    deformable_->ModifyFlag(kPropertyReadOnly, true);
}

// ---------------------------------------------------------------------------
// Geometry

bool MeshModel::SetPoints(const std::vector<float>& xyzw) {
    const std::size_t n = xyzw.size() - xyzw.size() % 4;
    for (std::size_t i = 0; i < n; ++i)
        if (!std::isfinite(xyzw[i])) return false;
    points_.assign(xyzw.begin(), xyzw.begin() + static_cast<std::ptrdiff_t>(n));
    deformed_.clear();
    // Triangles that named a point now gone go with it.
    const int count = PointCount();
    std::vector<int> kept;
    for (std::size_t i = 0; i + 2 < triangles_.size(); i += 3)
        if (triangles_[i] < count && triangles_[i + 1] < count && triangles_[i + 2] < count)
            kept.insert(kept.end(), triangles_.begin() + static_cast<std::ptrdiff_t>(i),
                        triangles_.begin() + static_cast<std::ptrdiff_t>(i + 3));
    triangles_.swap(kept);
    ++geometryVersion_;
    return true;
}

void MeshModel::SetTriangles(const std::vector<int>& indices) {
    triangles_.clear();
    const int n = PointCount();
    for (std::size_t i = 0; i + 2 < indices.size(); i += 3)
        if (std::all_of(indices.begin() + static_cast<std::ptrdiff_t>(i), indices.begin() + static_cast<std::ptrdiff_t>(i + 3),
                        [n](int k) { return k >= 0 && k < n; }))
            triangles_.insert(triangles_.end(), indices.begin() + static_cast<std::ptrdiff_t>(i),
                              indices.begin() + static_cast<std::ptrdiff_t>(i + 3));
    ++geometryVersion_;
}

bool MeshModel::SetPoint(int index, const double* xyz) {
    if (!xyz || index < 0 || index >= PointCount()) return false;
    if (!std::isfinite(xyz[0]) || !std::isfinite(xyz[1]) || !std::isfinite(xyz[2])) return false;
    for (int k = 0; k < 3; ++k) points_[4 * static_cast<std::size_t>(index) + static_cast<std::size_t>(k)] = static_cast<float>(xyz[k]);
    ++geometryVersion_;
    return true;
}

bool MeshModel::BoundingBox(double* min3, double* max3) const {
    const std::vector<float>& p = DeformedPoints();
    if (p.empty()) return Model::BoundingBox(min3, max3);
    if (boxVersion_ != geometryVersion_) {
        for (int k = 0; k < 3; ++k) {
            box_[k] = std::numeric_limits<double>::infinity();
            box_[3 + k] = -std::numeric_limits<double>::infinity();
        }
        for (std::size_t i = 0; i < p.size(); i += 4)
            for (std::size_t k = 0; k < 3; ++k) {
                box_[k] = std::min(box_[k], static_cast<double>(p[i + k]));
                box_[3 + k] = std::max(box_[3 + k], static_cast<double>(p[i + k]));
            }
        boxVersion_ = geometryVersion_;
    }
    // The geometric offset moves the box: the box of its moved corners.
    double geometric[16];
    GeometricMatrix(geometric);
    double lo[3], hi[3];
    for (int corner = 0; corner < 8; ++corner) {
        const double p[3] = {box_[(corner & 1) ? 3 : 0], box_[(corner & 2) ? 4 : 1], box_[(corner & 4) ? 5 : 2]};
        double q[3];
        tm::TransformPoint(q, geometric, p);
        for (int k = 0; k < 3; ++k) {
            lo[k] = corner ? std::min(lo[k], q[k]) : q[k];
            hi[k] = corner ? std::max(hi[k], q[k]) : q[k];
        }
    }
    for (int k = 0; k < 3; ++k) {
        if (min3) min3[k] = lo[k];
        if (max3) max3[k] = hi[k];
    }
    return true;
}

bool MeshModel::ClosestRayIntersection(const double* start, const double* end, double* position,
                                       double* normal) const {
    if (!start || !end || triangles_.empty()) return false;
    // Into the geometry's space, where the triangles are.
    double toWorld[16], toGeometry[16];
    GlobalGeometricMatrix(toWorld);
    if (!tm::InvertAffine(toGeometry, toWorld)) return false;
    double o[3], e[3];
    tm::TransformPoint(o, toGeometry, start);
    tm::TransformPoint(e, toGeometry, end);
    const double d[3] = {e[0] - o[0], e[1] - o[1], e[2] - o[2]};
    const std::vector<float>& p = DeformedPoints();
    auto point = [&p](int index, double* out) {
        const float* v = &p[4 * static_cast<std::size_t>(index)];
        out[0] = v[0], out[1] = v[1], out[2] = v[2];
    };
    double best = std::numeric_limits<double>::infinity();
    int hit = -1;
    for (std::size_t t = 0; t < triangles_.size(); t += 3) {
        double at, a[3], b[3], c[3];
        point(triangles_[t], a);
        point(triangles_[t + 1], b);
        point(triangles_[t + 2], c);
        if (HitTriangle(o, d, a, b, c, &at) && at < best) {
            best = at;
            hit = static_cast<int>(t);
        }
    }
    if (hit < 0) return false;
    if (position)
        for (int k = 0; k < 3; ++k) position[k] = start[k] + best * (end[k] - start[k]);
    if (normal) {
        double a[3], b[3], c[3];
        point(triangles_[hit], a);
        point(triangles_[hit + 1], b);
        point(triangles_[hit + 2], c);
        const double e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const double e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        double n[3];
        tm::Cross(n, e1, e2);
        // Normals go to the world through the inverse transpose.
        for (int k = 0; k < 3; ++k)
            normal[k] = toGeometry[4 * k] * n[0] + toGeometry[4 * k + 1] * n[1] + toGeometry[4 * k + 2] * n[2];
        if (!tm::Normalize(normal)) normal[0] = normal[1] = normal[2] = 0.0;
    }
    return true;
}

MeshModel* MeshModel::Clone() const {
    // A free name of the same group: "Name 1", "Name 2", ...
    std::string name;
    const std::string group = ClassRegistry::Instance().Group(ClassId());
    for (int n = 1;; ++n) {
        name = std::string(LabelName()) + " " + std::to_string(n);
        if (!ObjectDirectory::Instance().FindByFullName((group + "::" + name).c_str())) break;
    }
    MeshModel* copy = Create(name.c_str(), ClassId());
    for (int i = 0; i < PropertyCount(); ++i) {
        const Property* from = PropertyAt(i);
        Property* to = copy->FindProperty(from->Name());
        if (!to || to->Type() != from->Type() || !to->ValuePtr() || from->Type()->Kind() == ValueKind::kString) continue;
        const bool readOnly = to->IsReadOnly();
        to->ModifyFlag(kPropertyReadOnly, false);
        to->SetRaw(from->ValuePtr());
        to->ModifyFlag(kPropertyReadOnly, readOnly);
    }
    copy->SetDeformable(false);  // the copy has no deformers
    copy->SetPoints(points_);
    copy->SetTriangles(triangles_);
    std::copy(switches_, switches_ + 5, copy->switches_);
    copy->SetShadingMode(ShadingMode());
    return copy;
}

// ---------------------------------------------------------------------------
// Deformers

void MeshModel::SetDeformable(bool on) {
    // The property is read-only to users; the mesh itself keeps it current.
    deformable_->ModifyFlag(kPropertyReadOnly, false);
    deformable_->SetRaw(&on);
    deformable_->ModifyFlag(kPropertyReadOnly, true);
}

void MeshModel::AddLink(Model* link) {
    if (!link || link == this) return;
    links_.emplace_back(link);
    linksDirty_ = true;
    SetDeformable(true);
}

bool MeshModel::AddDeformer(Object* constraint) {
    if (!AsConstraint(constraint)) return false;
    for (const PlugHandle& h : deformers_)
        if (h.Get() == constraint) return true;
    deformers_.emplace_back(constraint);
    SetDeformable(true);
    BumpStructureVersion();
    return true;
}

void MeshModel::RemoveDeformer(Object* constraint) {
    deformers_.erase(std::remove_if(deformers_.begin(), deformers_.end(),
                                    [constraint](const PlugHandle& h) { return !h.Get() || h.Get() == constraint; }),
                     deformers_.end());
    if (deformers_.empty() && !deformed_.empty()) {
        deformed_.clear();
        ++geometryVersion_;
    }
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

void MeshModel::Deform(const EvaluationContext& context, std::uint64_t frameStamp) {
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
    ++geometryVersion_;
    frameStamp_ = frameStamp;
}

int MeshModel::LinkCount() const {
    int count = 0;
    for (const PlugHandle& link : links_)
        if (link.Get()) ++count;
    return count;
}

bool MeshModel::IsDeformable() const {
    bool on = false;
    deformable_->GetRaw(&on);
    return on;
}

void MeshModel::SyncDeformation() {
    // A link that ended since the last pass changes the skin.
    for (const PlugHandle& link : links_)
        if (!link.Get()) linksDirty_ = true;
}

void MeshModel::EvaluateLinks(double box[6]) const {
    bool any = false;
    for (const PlugHandle& handle : links_) {
        const Model* link = static_cast<const Model*>(handle.Get());
        if (!link) continue;
        const double* m = link->GlobalMatrix();
        for (int k = 0; k < 3; ++k) {
            if (!any || m[12 + k] < box[k]) box[k] = m[12 + k];
            if (!any || m[12 + k] > box[3 + k]) box[3 + k] = m[12 + k];
        }
        any = true;
    }
    if (!any) std::fill(box, box + 6, 0.0);
}

void MeshModel::UpdateDeformationData() { ++deformationUpdates_; }

void MeshModel::RecomputeLinks() {
    links_.erase(std::remove_if(links_.begin(), links_.end(), [](const PlugHandle& h) { return h.Get() == nullptr; }),
                 links_.end());
    linksDirty_ = false;
    ++linkRecomputes_;
}

// ---------------------------------------------------------------------------
// Storage

bool MeshModel::Store(dsx::ObjectStore& store) {
    if (!Model::Store(store)) return false;
    if (!(store.Pass() & dsx::kPassFields)) return true;
    dsx::FileObject* record = store.WritableRecord();
    record->SetField(kPointsField, std::vector<double>(points_.begin(), points_.end()));
    record->SetField(kTrianglesField, std::vector<std::int64_t>(triangles_.begin(), triangles_.end()));
    std::int64_t bits = 0;
    for (int i = 0; i < 5; ++i)
        if (switches_[i]) bits |= std::int64_t(1) << i;
    store.WriteInteger(kSwitchesField, bits);
    return true;
}

bool MeshModel::Retrieve(dsx::ObjectStore& store) {
    if (!Model::Retrieve(store)) return false;
    if (!(store.Pass() & dsx::kPassFields)) return true;
    const dsx::FileObject* record = store.Record();
    std::int64_t bits = 0;
    if (store.ReadInteger(kSwitchesField, &bits))
        for (int i = 0; i < 5; ++i) switches_[i] = (bits >> i) & 1;
    const auto* points = record->Field(kPointsField);
    const auto* triangles = record->Field(kTrianglesField);
    if (!points && !triangles) return true;  // the kind's own geometry stands
    const auto* xyzw = points ? std::get_if<std::vector<double>>(points) : nullptr;
    const auto* indices = triangles ? std::get_if<std::vector<std::int64_t>>(triangles) : nullptr;
    bool ok = xyzw && indices && xyzw->size() % 4 == 0 && indices->size() % 3 == 0;
    const std::int64_t count = ok ? static_cast<std::int64_t>(xyzw->size() / 4) : 0;
    std::vector<int> faces;
    if (ok)
        for (std::int64_t i : *indices) {
            if (i < 0 || i >= count) ok = false;
            faces.push_back(static_cast<int>(i));
        }
    ok = ok && SetPoints(std::vector<float>(xyzw->begin(), xyzw->end()));
    if (ok)
        SetTriangles(faces);
    else
        store.Session().Warn(std::string("'") + FullName() +
                             "': its geometry in the file is not whole (points in fours, indices within "
                             "them); the mesh keeps its own");
    return true;
}

}  // namespace velora
