#ifndef VELORA_MODEL_H
#define VELORA_MODEL_H

// Models: the objects of the scene's hierarchy.
//
// Every model has at most one parent and an ordered list of children; the
// hierarchy is what Object::ChildCount/Child walk. A model carries its local
// transform as three animatable vector properties ("Lcl Translation",
// "Lcl Rotation" in degrees read X then Y then Z, "Lcl Scaling") and the
// global matrix that the last transform update computed from them
// (column-major, translation in elements 12 to 14).
//
// Picking: every model owns a unique colour (red, green and blue bytes,
// alpha 255) that the viewer's picking pass draws it with, plus any number
// of additional colours for its sub-items (sub-item 1, 2, ...); the colour
// read back under the cursor finds the model again. Colours are never
// reused while the process runs.
//
// Selection order: selecting a model stamps it with the next number of a
// process-wide counter, so the model selected last has the highest number;
// deselecting clears it to 0.
//
// Models are made and used on the thread that runs the scene operations,
// except the picking table, which the viewer may read from its own thread.

#include <cstdint>
#include <vector>

#include "velora/box.h"

namespace velora {

class Property;

/// A model is a box: its transform is what relations read and drive.
class VELORA_API Model : public Box {
public:
    /// A new model of class `classId` (kClassModel or a class derived from
    /// it) called `name`, without a parent.
    static Model* Create(const char* name, int classId = kClassModel);

    Model* Parent() const { return static_cast<Model*>(parent_.Get()); }
    /// Moves the model under `parent` at child position `index` (-1: last);
    /// null makes it parentless. False, and no change, when `parent` is the
    /// model itself or one of its descendants, or is ending.
    bool SetParent(Model* parent, int index = -1);
    int ChildCount() const override;
    Object* Child(int i) const override { return ChildModel(i); }
    Model* ChildModel(int i) const;
    /// Position among the parent's children, or -1 without a parent.
    int IndexInParent() const;

    /// Selection-order number (0 when not selected).
    std::uint64_t SelectionOrder() const { return selectionOrder_; }
    /// The model selected last and still selected, or the one made so by
    /// SetLastSelected; null when none (or it ended).
    static Model* LastSelected();
    /// Null is ignored.
    static void SetLastSelected(Model* model);

    /// The model's picking colour as bytes; alpha is always 255.
    void UniqueColor(std::uint8_t rgba[4]) const;
    /// Sub-item colours beyond the model's own. Setting a count allocates
    /// new colours for added sub-items and releases removed ones.
    int AdditionalColorCount() const { return static_cast<int>(extraColors_.size()); }
    void SetAdditionalColorCount(int count);
    /// The colour of sub-item `i` (1 to AdditionalColorCount()); false out of range.
    bool AdditionalColor(int i, std::uint8_t rgba[4]) const;
    /// The model drawn with colour (r, g, b, a), or null; `subItem` (may be
    /// null) receives 0 for the model's own colour and i for sub-item i, or
    /// -1 when nothing matches. Only alpha 255 matches.
    static Model* FindByColor(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a,
                              int* subItem);

    // Transforms.
    Property* TranslationProperty() const { return translation_; }
    Property* RotationProperty() const { return rotation_; }
    Property* ScalingProperty() const { return scaling_; }
    /// Recomputes the global matrix from the local properties and
    /// `parentGlobal` (null: identity).
    void UpdateGlobal(const double* parentGlobal);
    /// The local matrix from the local properties' stored values.
    void LocalMatrix(double* out16) const;
    /// The global matrix from the stored local values of the model and its
    /// parents, computed now (the stored global matrix is not touched).
    void ComputeGlobalMatrix(double* out16) const;
    const double* GlobalMatrix() const { return global_; }
    /// Makes `m16` the global matrix (a constraint's output); the local
    /// properties keep their values.
    void SetGlobalMatrix(const double* m16);

    /// Besides an object's part: the parent (a reference, unless it is one
    /// of the scene's roots), so that a hierarchy opens as it was saved.
    bool Store(dsx::ObjectStore& store) override;
    bool Retrieve(dsx::ObjectStore& store) override;

protected:
    Model(const char* name, int classId);
    bool PlugNotify(int action, Plug* plug, int index, Plug* plug2, int type, Plug* plug3) override;
    void Teardown() override;

private:
    void DetachFromParent();

    PlugHandle parent_;
    std::vector<PlugHandle> children_;
    std::uint64_t selectionOrder_ = 0;
    std::uint32_t color_ = 0;
    std::vector<std::uint32_t> extraColors_;
    Property* translation_ = nullptr;
    Property* rotation_ = nullptr;
    Property* scaling_ = nullptr;
    double global_[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

/// A polygon mesh (kClassModelMesh). Its "IsDeformable" property reads true
/// while it has deformers; each deformation pass of the scene brings its
/// deformed data up to the evaluated frame.
class VELORA_API MeshModel : public Model {
public:
    static MeshModel* Create(const char* name);

    // Geometry: points (x, y, z, w) in the mesh's own space and triangles
    // of point indices. Deformers (constraints bound to the mesh) turn the
    // points into the deformed points at each deformation pass; the
    // bounding box and ray tests read the deformed points.
    void SetPoints(const std::vector<float>& xyzw);
    void SetTriangles(const std::vector<int>& indices);
    int PointCount() const { return static_cast<int>(points_.size() / 4); }
    const std::vector<float>& Points() const { return points_; }
    const std::vector<float>& DeformedPoints() const { return deformed_.empty() ? points_ : deformed_; }
    /// The box of the deformed points in the mesh's space (min then max);
    /// false, and a zero box, without points.
    bool BoundingBox(double box[6]) const;
    /// The nearest hit of the ray (world space) on the deformed triangles:
    /// its distance along `direction` (a unit vector) in `t`, false for none.
    bool RayTest(const double* origin, const double* direction, double* t) const;

    /// Constraints bound to the mesh as deformers, in binding order.
    bool AddDeformer(Object* constraint);
    void RemoveDeformer(Object* constraint);
    int DeformerCount() const;
    Object* Deformer(int i) const;
    /// Runs the deformers on the points (the scene's deformation pass).
    void Deform(const EvaluationContext& context);

    /// Deformers (skin links are models whose global matrices move the
    /// mesh); adding the first makes IsDeformable true.
    void AddLink(Model* link);
    int LinkCount() const;
    bool IsDeformable() const;

    /// The steps of a deformation pass, in the order the scene runs them.
    void SyncDeformation();
    /// Evaluates the links: the box that holds their global positions
    /// (min then max, x y z); an empty mesh gives a zero box.
    void EvaluateLinks(double box[6]) const;
    void SetFrameStamp(std::uint64_t stamp) { frameStamp_ = stamp; }
    std::uint64_t FrameStamp() const { return frameStamp_; }
    void UpdateDeformationData();
    /// Whether the links changed since they were last computed.
    bool NeedsLinkRecompute() const { return linksDirty_; }
    void RecomputeLinks();

    int DeformationUpdates() const { return deformationUpdates_; }
    int LinkRecomputes() const { return linkRecomputes_; }

protected:
    explicit MeshModel(const char* name);

private:
    std::vector<PlugHandle> links_;
    std::vector<PlugHandle> deformers_;
    std::vector<float> points_;
    std::vector<float> deformed_;
    std::vector<int> triangles_;
    Property* deformable_ = nullptr;
    std::uint64_t frameStamp_ = 0;
    bool linksDirty_ = false;
    int deformationUpdates_ = 0;
    int linkRecomputes_ = 0;
};

/// The model behind an object, or null when it is not a model.
VELORA_API Model* AsModel(Object* object);

}  // namespace velora

#endif  // VELORA_MODEL_H
