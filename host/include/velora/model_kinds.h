#ifndef VELORA_MODEL_KINDS_H
#define VELORA_MODEL_KINDS_H

// The kinds of models (included by velora/model.h).
//
// Display values. Besides the transform values every kind adds its own
// display values, after them, in this order:
//   null     "Size" (number, 100)
//   root     "Size" (number, 100)
//   marker   "Size" (number, 100), "Length" (number, 1), "Color RGB"
//            (colour, animatable), "Show Trajectory" (bool), "Occluded"
//            (bool), "Type" (enum: Standard, Optical, FK Effector, IK
//            Effector), "ResLevel" (enum: Low, Medium, High), "Look" (enum:
//            Cube, Hard Cross, Light Cross, Sphere, Capsule, Box, Bone,
//            Circle, Square, Stick, None)
//   skeleton "Size" (number, 100), "Length" (number, 0), "Color RGB"
//            (colour, animatable), "Show Label" (bool), "Show Trajectory"
//            (bool), "Look" (enum: Stick, Box, Bone, Sphere, Capsule,
//            None), "Resolution" (enum: Low, Medium, High)
//   light    "LightType" (enum: Point, Infinite, Spot), "Intensity"
//            (number, animatable, 100), "Color" (colour, animatable, white)
//   mesh, cube, plane: "IsDeformable" (bool, read-only)
//   path and camera: see their classes.
//
// Meshes hold their geometry: points (x y z w in the model's geometry
// space, before the geometric offset) and triangles (three point indices
// each, counter-clockwise seen from the side the normal points to). The
// cube is the box from -1 to 1 on each axis (8 points, 12 triangles, the
// normals outward); the plane is the square from -1 to 1 in X and Z at
// Y = 0, facing +Y (4 points, 2 triangles). Both build their geometry
// when made and keep it as any mesh does afterwards.

#include <cstdint>
#include <string>
#include <vector>

namespace velora {

/// A polygon mesh (kClassModelMesh, or the cube and plane classes).
///
/// Geometry: points (x, y, z, w) in the mesh's geometry space (before the
/// geometric offset) and triangles of three point indices each. Deformers
/// (constraints bound to the mesh) turn the points into the deformed points
/// at each deformation pass of the scene; the bounding box and the ray tests
/// read the deformed points. "IsDeformable" reads true while the mesh has
/// deformers or skin links.
class VELORA_API MeshModel : public Model {
public:
    /// A mesh of class `classId` (a mesh class; the cube and plane build
    /// their geometry).
    static MeshModel* Create(const char* name, int classId = kClassModelMesh);

    // Geometry.
    /// Replaces the points (a trailing partial point is left out); the
    /// deformed points are dropped. Non-finite coordinates refuse the whole
    /// set (false, nothing changed).
    bool SetPoints(const std::vector<float>& xyzw);
    /// Replaces the triangles; triangles naming a point the mesh does not
    /// have are left out.
    void SetTriangles(const std::vector<int>& indices);
    /// Moves one point (x y z; w stays); false out of range.
    bool SetPoint(int index, const double* xyz);
    int PointCount() const { return static_cast<int>(points_.size() / 4); }
    const std::vector<float>& Points() const { return points_; }
    const std::vector<float>& DeformedPoints() const { return deformed_.empty() ? points_ : deformed_; }
    int TriangleCount() const { return static_cast<int>(triangles_.size() / 3); }
    const std::vector<int>& Triangles() const { return triangles_; }
    /// Counts changes of the geometry, deformation included.
    std::uint32_t GeometryVersion() const { return geometryVersion_; }

    bool BoundingBox(double* min3, double* max3) const override;
    bool ClosestRayIntersection(const double* start, const double* end, double* position,
                                double* normal) const override;
    /// Whether the bounding box is known for the current geometry.
    bool IsBoundingBoxDetermined() const { return boxVersion_ == geometryVersion_ && !points_.empty(); }

    /// A copy of the mesh (class, values, geometry, switches; no children,
    /// no deformers) named after it, not yet in the scene.
    MeshModel* Clone() const;

    // Deformation switches.
    /// Switch i: 0 skinning, 1 blend shapes, 2 deformation by constraint,
    /// 3 point-cache playback, 4 point-cache recording.
    bool Switch(int i) const { return i >= 0 && i < 5 && switches_[i]; }
    void SetSwitch(int i, bool on) {
        if (i >= 0 && i < 5) switches_[i] = on;
    }

    /// Constraints bound to the mesh as deformers, in binding order.
    bool AddDeformer(Object* constraint);
    void RemoveDeformer(Object* constraint);
    int DeformerCount() const;
    Object* Deformer(int i) const;
    /// Runs the deformers on the points (the scene's deformation pass) and
    /// stamps the mesh with `frameStamp`.
    void Deform(const EvaluationContext& context, std::uint64_t frameStamp = 0);

    /// Skin links: models whose global matrices move the mesh; adding the
    /// first makes IsDeformable true.
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
    /// Whether the deformation is evaluated for frame `stamp`: a mesh
    /// without deformers always is.
    bool IsDeformationEvaluated(std::uint64_t stamp) const { return !IsDeformable() || frameStamp_ == stamp; }

    int DeformationUpdates() const { return deformationUpdates_; }
    int LinkRecomputes() const { return linkRecomputes_; }

    bool Store(dsx::ObjectStore& store) override;
    bool Retrieve(dsx::ObjectStore& store) override;

protected:
    MeshModel(const char* name, int classId);

private:
    void SetDeformable(bool on);

    std::vector<float> points_;
    std::vector<float> deformed_;
    std::vector<int> triangles_;
    std::uint32_t geometryVersion_ = 0;
    mutable std::uint32_t boxVersion_ = ~0u;
    mutable double box_[6] = {0, 0, 0, 0, 0, 0};
    bool switches_[5] = {false, false, false, false, false};
    std::vector<PlugHandle> links_;
    std::vector<PlugHandle> deformers_;
    Property* deformable_ = nullptr;
    std::uint64_t frameStamp_ = 0;
    bool linksDirty_ = false;
    int deformationUpdates_ = 0;
    int linkRecomputes_ = 0;
};

/// A 3D path (kClassModelPath3D): a curve through its keys, each key a
/// point with a left and a right tangent handle. Segment i runs from key i
/// to key i + 1 as the cubic Bezier curve through the key, its right
/// handle, the next key's left handle and the next key. The key points are
/// the path's animatable vector properties "Key 0", "Key 1", ... (renamed
/// as keys come and go), in the path's own space; the handles are kept as
/// offsets from their key, so they move with it. A key with automatic
/// tangents gets the Catmull-Rom handles from its neighbours (one sixth of
/// the chord between them on either side; an end key, a third of the way to
/// its one neighbour) whenever keys change; setting a handle makes that
/// key's tangents the user's.
///
/// Parametrisations, by percent from 0 to 100:
///  - segment percent: every segment takes an equal share (segment i spans
///    [100 i / n, 100 (i + 1) / n] of n segments), the Bezier parameter
///    running evenly within it;
///  - total percent: the share of the path's length, measured along the
///    curve.
/// Derivatives are taken with respect to the percent of their
/// parametrisation. A path of one key is that point; an empty path is the
/// origin.
///
/// A key may follow a control node: a model whose world position becomes
/// the key's point (in the path's space) when the path is read.
///
/// Display values, after the transform values: "Path Length" (number,
/// read-only, kept up to date by UpdateGeometry and every key edit),
/// "Length Unit" (enum: Scene Units, Percent), "Key Property Behavior"
/// (enum: Animatable, Static), "End Cap Style" (enum: None, Round, Arrow),
/// "Thickness" (number), "Color RGB" (colour), "Show Controls", "Show
/// Points", "Show Tangents", "Auto Tangents" (bools; new keys get automatic
/// tangents while the last is true) and "Display Resolution" (integer,
/// samples per segment).
class VELORA_API PathModel : public Model {
public:
    static PathModel* Create(const char* name);

    int KeyCount() const { return static_cast<int>(keys_.size()); }
    /// The key's point (its control node's when it has one); false (zero)
    /// out of range.
    bool KeyPoint(int index, double* xyz) const;
    /// Moves key `index`; its handles move with it.
    bool SetKeyPoint(int index, const double* xyz);
    /// New keys; each returns the new key's index, or -1.
    int AddKeyAtStart(const double* xyz);
    int AddKeyAtEnd(const double* xyz);
    /// Inserts after `index` (-1: at the start); -1 when out of range.
    int InsertKeyAfter(int index, const double* xyz);
    /// A key beyond the first (last) one, as far from it as the second
    /// (second to last) is, or one unit along X from a lone key or at the
    /// origin in an empty path.
    int InsertNewStartKey();
    int InsertNewEndKey();
    bool RemoveKey(int index);
    void ClearKeys();
    /// Key selection.
    bool IsKeySelected(int index) const;
    bool SelectKey(int index, bool on);
    int SelectedKeyCount() const;
    /// Removes the selected keys; returns how many.
    int RemoveSelectedKeys();

    /// Handles as points in the path's space; false out of range.
    bool LeftTangent(int index, double* xyz) const;
    bool RightTangent(int index, double* xyz) const;
    /// Sets one handle; with `mirror` the other one is set opposite with the
    /// same length. The key's tangents become the user's.
    bool SetLeftTangent(int index, const double* xyz, bool mirror);
    bool SetRightTangent(int index, const double* xyz, bool mirror);
    /// Sets the key and both handles at once (points).
    bool SetKeyAndTangents(int index, const double* left, const double* point, const double* right);
    /// Distances from the key to its handles; -1 out of range.
    double LeftTangentLength(int index) const;
    double RightTangentLength(int index) const;
    bool HasAutoTangents(int index) const;
    /// The curve's derivative at the key (with respect to the Bezier
    /// parameter of the segment that starts there: three times the right
    /// handle's offset).
    bool KeyDerivative(int index, double* xyz) const;
    /// Sets the derivative: the right handle to a third of it, the left
    /// handle opposite; with `bothSides` false the left handle keeps its
    /// own length.
    bool SetKeyDerivative(int index, const double* xyz, bool bothSides);
    /// The same for one axis (0, 1, 2) of the derivative.
    bool SetKeyDerivativeAxis(int index, int axis, double value, bool bothSides);

    /// The control node of a key (null: none); a model that is the path
    /// itself or depends on it is refused.
    Model* ControlNode(int index) const;
    bool SetControlNode(int index, Model* node);
    /// The key's point property ("Key i").
    Property* KeyProperty(int index) const;

    // Evaluation, in the path's space (local) or the world (global).
    int SegmentCount() const { return keys_.size() > 1 ? static_cast<int>(keys_.size()) - 1 : 0; }
    void SegmentEvaluate(double percent, double* xyz, bool global) const;
    void SegmentDerivative(double percent, double* xyz, bool global) const;
    void TotalEvaluate(double percent, double* xyz, bool global) const;
    void TotalDerivative(double percent, double* xyz, bool global) const;
    /// Whether a percent lands on a key (within 1e-9 of a percent).
    bool SegmentIsKey(double percent) const;
    bool TotalIsKey(double percent) const;
    double SegmentToTotalPercent(double percent) const;
    double TotalToSegmentPercent(double percent) const;
    /// d(segment percent) / d(total percent) at a total percent, and the
    /// reverse at a segment percent: how a derivative of one
    /// parametrisation converts to the other.
    double SegmentPercentFactor(double totalPercent) const;
    double TotalPercentFactor(double segmentPercent) const;
    /// The length along the curve, and of one segment.
    double Length() const;
    double SegmentLength(int segment) const;

    /// Recomputes automatic tangents and the length, and sets "Path Length".
    void UpdateGeometry();
    void ShowControls(bool on);
    void ShowPoints(bool on);

    bool BoundingBox(double* min3, double* max3) const override;
    bool Store(dsx::ObjectStore& store) override;
    bool Retrieve(dsx::ObjectStore& store) override;

private:
    explicit PathModel(const char* name);
    ~PathModel() override;
    struct Key {
        Property* point;
        double left[3];
        double right[3];
        bool automatic;
        bool selected;
        PlugHandle control;
    };
    struct Segments;
    void RenameKeys();
    int Insert(int at, const double* xyz);
    void AutoTangents();
    const Segments& Current() const;
    void Locate(double segmentPercent, int* segment, double* u) const;
    double TotalToSegment(double percent) const;
    void ToGlobal(double* xyz, bool point) const;

    std::vector<Key> keys_;
    Property* length_ = nullptr;
    mutable std::unique_ptr<Segments> segments_;
};

/// A camera (kClassCamera). It looks along its local +X axis with +Y up,
/// so +Z points to its right; its position and axes are those of its global
/// matrix (scaling left out). Display values, after the transform values:
/// "FieldOfView" (number, animatable: the horizontal angle in degrees, 40),
/// "NearPlane" (number, animatable, 1), "FarPlane" (number, animatable,
/// 4000), "ResolutionWidth" and "ResolutionHeight" (integers: the frame in
/// pixels, 640 by 480), "CameraType" (enum: Perspective, Orthogonal),
/// "OrthoZoom" (number, 1: the half width of an orthogonal frame in units
/// of 100).
///
/// Pixels: (0, 0) is the top-left pixel of the frame, x grows to the right
/// and y downwards; the ray of pixel (x, y) goes through its centre.
class VELORA_API CameraModel : public Model {
public:
    static CameraModel* Create(const char* name);

    int FrameWidth() const;
    int FrameHeight() const;
    /// The distance to the far plane (how far the camera sees).
    double FarPlaneDistance(const EvaluationContext* context = nullptr) const { return Number("FarPlane", context); }
    /// The ray through pixel (x, y): the world origin (the camera's position
    /// for a perspective camera, a point of the frame's plane through it for
    /// an orthogonal one) and the unit direction.
    void PixelRay(double x, double y, double* origin, double* direction,
                  const EvaluationContext* context = nullptr) const;
    /// OpenGL's conventions: the view matrix (world to eye, the eye looking
    /// down its -Z), the projection (eye to clip space) and their product.
    void ViewMatrix(double* out16, const EvaluationContext* context = nullptr) const;
    void ProjectionMatrix(double* out16, const EvaluationContext* context = nullptr) const;

private:
    explicit CameraModel(const char* name);
    double Number(const char* name, const EvaluationContext* context) const;
};

}  // namespace velora

#endif  // VELORA_MODEL_KINDS_H
