// Meshes: geometry, the cube and the plane, bounding boxes, ray
// intersection, cloning, deformation bookkeeping and storage.

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "scene/transform_math.h"
#include "velora/class_registry.h"
#include "velora/model.h"
#include "velora/object_directory.h"
#include "velora/property.h"
#include "velora/scene_storage.h"

namespace velora {

namespace {

constexpr double kCubeVertices[] = {-1, -1, -1, 1, -1, -1, 1, 1, -1, -1, 1, -1,
                                    -1, -1, 1,  1, -1, 1,  1, 1, 1,  -1, 1, 1};
// Two triangles a face, counter-clockwise seen from outside.
constexpr int kCubeTriangles[] = {0, 3, 2, 0, 2, 1,   // -Z
                                  4, 5, 6, 4, 6, 7,   // +Z
                                  0, 1, 5, 0, 5, 4,   // -Y
                                  3, 7, 6, 3, 6, 2,   // +Y
                                  0, 4, 7, 0, 7, 3,   // -X
                                  1, 2, 6, 1, 6, 5};  // +X
constexpr double kPlaneVertices[] = {-1, 0, -1, -1, 0, 1, 1, 0, 1, 1, 0, -1};
constexpr int kPlaneTriangles[] = {0, 1, 2, 0, 2, 3};  // facing +Y

constexpr const char* kVerticesField = "Vertices";
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
        mesh->SetGeometry(kCubeVertices, 8, kCubeTriangles, 12);
        mesh->SetShadingMode(kShadingAll);
    } else if (classId == kClassModelPlane) {
        mesh->SetGeometry(kPlaneVertices, 4, kPlaneTriangles, 2);
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

bool MeshModel::SetGeometry(const double* xyz, int vertexCount, const int* triangles, int triangleCount) {
    if (vertexCount < 0 || triangleCount < 0) return false;
    if ((vertexCount > 0 && !xyz) || (triangleCount > 0 && !triangles)) return false;
    for (int i = 0; i < 3 * vertexCount; ++i)
        if (!std::isfinite(xyz[i])) return false;
    for (int i = 0; i < 3 * triangleCount; ++i)
        if (triangles[i] < 0 || triangles[i] >= vertexCount) return false;
    vertices_.assign(xyz, xyz + 3 * vertexCount);
    triangles_.assign(triangles, triangles + 3 * triangleCount);
    ++geometryVersion_;
    return true;
}

bool MeshModel::SetVertex(int index, const double* xyz) {
    if (!xyz || index < 0 || index >= VertexCount()) return false;
    if (!std::isfinite(xyz[0]) || !std::isfinite(xyz[1]) || !std::isfinite(xyz[2])) return false;
    std::copy(xyz, xyz + 3, vertices_.begin() + 3 * index);
    ++geometryVersion_;
    return true;
}

bool MeshModel::BoundingBox(double* min3, double* max3) const {
    if (vertices_.empty()) return Model::BoundingBox(min3, max3);
    if (boxVersion_ != geometryVersion_) {
        for (int k = 0; k < 3; ++k) {
            box_[k] = std::numeric_limits<double>::infinity();
            box_[3 + k] = -std::numeric_limits<double>::infinity();
        }
        for (std::size_t i = 0; i < vertices_.size(); i += 3)
            for (int k = 0; k < 3; ++k) {
                box_[k] = std::min(box_[k], vertices_[i + k]);
                box_[3 + k] = std::max(box_[3 + k], vertices_[i + k]);
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
    double best = std::numeric_limits<double>::infinity();
    int hit = -1;
    for (std::size_t t = 0; t < triangles_.size(); t += 3) {
        double at;
        const double* a = &vertices_[3 * static_cast<std::size_t>(triangles_[t])];
        const double* b = &vertices_[3 * static_cast<std::size_t>(triangles_[t + 1])];
        const double* c = &vertices_[3 * static_cast<std::size_t>(triangles_[t + 2])];
        if (HitTriangle(o, d, a, b, c, &at) && at < best) {
            best = at;
            hit = static_cast<int>(t);
        }
    }
    if (hit < 0) return false;
    if (position)
        for (int k = 0; k < 3; ++k) position[k] = start[k] + best * (end[k] - start[k]);
    if (normal) {
        const double* a = &vertices_[3 * static_cast<std::size_t>(triangles_[hit])];
        const double* b = &vertices_[3 * static_cast<std::size_t>(triangles_[hit + 1])];
        const double* c = &vertices_[3 * static_cast<std::size_t>(triangles_[hit + 2])];
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
    const bool off = false;
    copy->deformable_->ModifyFlag(kPropertyReadOnly, false);
    copy->deformable_->SetRaw(&off);  // the copy has no deformers
    copy->deformable_->ModifyFlag(kPropertyReadOnly, true);
    copy->SetGeometry(vertices_.data(), VertexCount(), triangles_.data(), TriangleCount());
    std::copy(switches_, switches_ + 5, copy->switches_);
    copy->SetShadingMode(ShadingMode());
    return copy;
}

// ---------------------------------------------------------------------------
// Deformers

void MeshModel::AddLink(Model* link) {
    if (!link || link == this) return;
    links_.emplace_back(link);
    linksDirty_ = true;
    // The property is read-only to users; the mesh itself keeps it current.
    deformable_->ModifyFlag(kPropertyReadOnly, false);
    const bool on = true;
    deformable_->SetRaw(&on);
    deformable_->ModifyFlag(kPropertyReadOnly, true);
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
    record->SetField(kVerticesField, vertices_);
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
    const auto* vertices = record->Field(kVerticesField);
    const auto* triangles = record->Field(kTrianglesField);
    if (!vertices && !triangles) return true;  // the kind's own geometry stands
    const auto* xyz = vertices ? std::get_if<std::vector<double>>(vertices) : nullptr;
    const auto* indices = triangles ? std::get_if<std::vector<std::int64_t>>(triangles) : nullptr;
    std::vector<int> faces;
    bool ok = xyz && indices && xyz->size() % 3 == 0 && indices->size() % 3 == 0;
    if (ok) {
        for (std::int64_t i : *indices) {
            if (i < 0 || i > std::numeric_limits<int>::max()) ok = false;
            faces.push_back(static_cast<int>(i));
        }
    }
    ok = ok && SetGeometry(xyz->data(), static_cast<int>(xyz->size() / 3), faces.data(),
                           static_cast<int>(faces.size() / 3));
    if (!ok)
        store.Session().Warn(std::string("'") + FullName() +
                             "': its geometry in the file is not whole (vertices in threes, indices within "
                             "them); the mesh keeps its own");
    return true;
}

}  // namespace velora
