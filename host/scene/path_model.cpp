// 3D paths: keys with tangent handles, the Bezier segments through them,
// their two percent parametrisations, and storage.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "scene/transform_math.h"
#include "velora/model.h"
#include "velora/property.h"
#include "velora/scene_storage.h"
#include "velora/string_list.h"

namespace velora {

namespace {

constexpr const char* kTangentsField = "PathTangents";
constexpr const char* kAutoField = "PathAutoTangents";
constexpr const char* kSelectedField = "PathSelected";
constexpr double kKeyTolerance = 1e-9;

std::string KeyName(int i) { return "Key " + std::to_string(i); }

// Gauss-Legendre nodes and weights on [-1, 1], eight points.
constexpr double kNodes[8] = {-0.9602898564975363, -0.7966664774136267, -0.5255324099163290, -0.1834346424956498,
                              0.1834346424956498,  0.5255324099163290,  0.7966664774136267,  0.9602898564975363};
constexpr double kWeights[8] = {0.1012285362903763, 0.2223810344533745, 0.3137066458778873, 0.3626837833783620,
                                0.3626837833783620, 0.3137066458778873, 0.2223810344533745, 0.1012285362903763};
// Each segment's length is summed over this many equal pieces of its
// parameter, so the rule sees a smooth integrand on each.
constexpr int kPieces = 8;

// A cubic Bezier segment: its four control points (x y z each).
struct Cubic {
    double p[4][3];

    void Point(double u, double* out) const {
        const double v = 1.0 - u;
        const double b[4] = {v * v * v, 3 * v * v * u, 3 * v * u * u, u * u * u};
        for (int k = 0; k < 3; ++k) out[k] = b[0] * p[0][k] + b[1] * p[1][k] + b[2] * p[2][k] + b[3] * p[3][k];
    }
    void Derivative(double u, double* out) const {
        const double v = 1.0 - u;
        for (int k = 0; k < 3; ++k)
            out[k] = 3 * v * v * (p[1][k] - p[0][k]) + 6 * v * u * (p[2][k] - p[1][k]) + 3 * u * u * (p[3][k] - p[2][k]);
    }
    double Speed(double u) const {
        double d[3];
        Derivative(u, d);
        return std::sqrt(tm::Dot(d, d));
    }
    // The length from parameter a to b.
    double Length(double a, double b) const {
        const double half = 0.5 * (b - a), mid = 0.5 * (a + b);
        double sum = 0.0;
        for (int i = 0; i < 8; ++i) sum += kWeights[i] * Speed(mid + half * kNodes[i]);
        return sum * half;
    }
};

}  // namespace

// The segments as last built from the keys, with their lengths: rebuilt
// when any control point moved (keys may be animated or follow nodes).
struct PathModel::Segments {
    std::vector<Cubic> cubics;
    std::vector<double> pieces;      // cumulative length at the end of each piece
    std::vector<double> cumulative;  // length before each segment, and the total last
    double total = 0.0;

    int Count() const { return static_cast<int>(cubics.size()); }

    // The length of segment i from its start to parameter u.
    double LengthTo(int i, double u) const {
        const int piece = std::clamp(static_cast<int>(u * kPieces), 0, kPieces - 1);
        const double from = piece ? pieces[static_cast<std::size_t>(i * kPieces + piece - 1)] -
                                        cumulative[static_cast<std::size_t>(i)]
                                  : 0.0;
        return from + cubics[static_cast<std::size_t>(i)].Length(double(piece) / kPieces, u);
    }

    // The parameter of segment i where the length from its start is `s`.
    double ParameterAt(int i, double s) const {
        const Cubic& c = cubics[static_cast<std::size_t>(i)];
        const double before = cumulative[static_cast<std::size_t>(i)];
        // The piece that holds s, then Newton within it, kept in the piece.
        int piece = 0;
        while (piece < kPieces - 1 && pieces[static_cast<std::size_t>(i * kPieces + piece)] - before < s) ++piece;
        const double a = double(piece) / kPieces;
        const double from = piece ? pieces[static_cast<std::size_t>(i * kPieces + piece - 1)] - before : 0.0;
        const double to = pieces[static_cast<std::size_t>(i * kPieces + piece)] - before;
        double lo = a, hi = a + 1.0 / kPieces;
        double u = to > from ? a + (s - from) / (to - from) / kPieces : a;
        u = std::clamp(u, lo, hi);
        for (int iteration = 0; iteration < 50; ++iteration) {
            const double f = from + c.Length(a, u) - s;
            if (std::fabs(f) <= 1e-13 * (1.0 + total)) break;
            if (f > 0)
                hi = u;
            else
                lo = u;
            const double speed = c.Speed(u);
            double next = speed > 0 ? u - f / speed : 0.5 * (lo + hi);
            if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
            u = next;
        }
        return u;
    }
};

PathModel* PathModel::Create(const char* name) { return new PathModel(name); }

PathModel::~PathModel() = default;

PathModel::PathModel(const char* name) : Model(name, kClassModelPath3D) {
    const double zero = 0.0;
    length_ = KindValue("Path Length", kDataNumber, &zero);
    length_->ModifyFlag(kPropertyReadOnly, true);
    struct Choice {
        const char* name;
        std::initializer_list<const char*> texts;
    };
    for (const Choice& choice : {Choice{"Length Unit", {"Scene Units", "Percent"}},
                                 Choice{"Key Property Behavior", {"Animatable", "Static"}},
                                 Choice{"End Cap Style", {"None", "Round", "Arrow"}}}) {
        const int first = 0;
        Property* p = KindValue(choice.name, kDataEnum, &first);
        for (const char* text : choice.texts) p->Definition().EnumList(true)->Add(text, 0);
    }
    const double thickness = 1.0;
    KindValue("Thickness", kDataNumber, &thickness);
    const double color[3] = {1.0, 1.0, 0.0};
    KindValue("Color RGB", kDataColor, color);
    const bool on = true, off = false;
    KindValue("Show Controls", kDataBool, &off);
    KindValue("Show Points", kDataBool, &on);
    KindValue("Show Tangents", kDataBool, &off);
    KindValue("Auto Tangents", kDataBool, &on);
    const int resolution = 16;
    KindValue("Display Resolution", kDataInteger, &resolution);
}

// ---------------------------------------------------------------------------
// Keys

bool PathModel::KeyPoint(int index, double* xyz) const {
    if (!xyz) return false;
    xyz[0] = xyz[1] = xyz[2] = 0.0;
    if (index < 0 || index >= KeyCount()) return false;
    const Key& key = keys_[static_cast<std::size_t>(index)];
    if (const Model* node = static_cast<const Model*>(key.control.Get())) {
        // The node's world position in the path's space.
        double inverse[16];
        GlobalInverseMatrix(inverse);
        tm::TransformPoint(xyz, inverse, node->GlobalMatrix() + 12);
        return true;
    }
    return key.point->GetRaw(xyz);
}

bool PathModel::SetKeyPoint(int index, const double* xyz) {
    if (!xyz || index < 0 || index >= KeyCount()) return false;
    if (!keys_[static_cast<std::size_t>(index)].point->SetRaw(xyz)) return false;
    UpdateGeometry();
    return true;
}

void PathModel::RenameKeys() {
    // Through names no key has, so no rename meets a name in use.
    for (std::size_t i = 0; i < keys_.size(); ++i) keys_[i].point->SetName(("~" + KeyName(static_cast<int>(i))).c_str());
    for (std::size_t i = 0; i < keys_.size(); ++i) keys_[i].point->SetName(KeyName(static_cast<int>(i)).c_str());
}

int PathModel::Insert(int at, const double* xyz) {
    if (!xyz || at < 0 || at > KeyCount()) return -1;
    Property* point = CreateProperty(("~new " + std::to_string(keys_.size())).c_str(), kDataVector,
                                     kCreateAnimatable | kCreateUser);
    if (!point || !point->SetRaw(xyz)) {
        if (point) RemoveProperty(point);
        return -1;
    }
    bool automatic = true;
    if (const Property* p = FindProperty("Auto Tangents")) p->GetRaw(&automatic);
    Key key{point, {0, 0, 0}, {0, 0, 0}, automatic, false, PlugHandle()};
    keys_.insert(keys_.begin() + at, key);
    RenameKeys();
    UpdateGeometry();
    return at;
}

int PathModel::AddKeyAtStart(const double* xyz) { return Insert(0, xyz); }
int PathModel::AddKeyAtEnd(const double* xyz) { return Insert(KeyCount(), xyz); }

int PathModel::InsertKeyAfter(int index, const double* xyz) {
    if (index < -1 || index >= KeyCount()) return -1;
    return Insert(index + 1, xyz);
}

int PathModel::InsertNewStartKey() {
    double p[3] = {0, 0, 0}, q[3] = {0, 0, 0};
    if (KeyCount() >= 2) {
        KeyPoint(0, p);
        KeyPoint(1, q);
        const double at[3] = {2 * p[0] - q[0], 2 * p[1] - q[1], 2 * p[2] - q[2]};
        return Insert(0, at);
    }
    if (KeyCount() == 1) KeyPoint(0, p), p[0] -= 1.0;
    return Insert(0, p);
}

int PathModel::InsertNewEndKey() {
    double p[3] = {0, 0, 0}, q[3] = {0, 0, 0};
    const int n = KeyCount();
    if (n >= 2) {
        KeyPoint(n - 1, p);
        KeyPoint(n - 2, q);
        const double at[3] = {2 * p[0] - q[0], 2 * p[1] - q[1], 2 * p[2] - q[2]};
        return Insert(n, at);
    }
    if (n == 1) KeyPoint(0, p), p[0] += 1.0;
    return Insert(n, p);
}

bool PathModel::RemoveKey(int index) {
    if (index < 0 || index >= KeyCount()) return false;
    Property* point = keys_[static_cast<std::size_t>(index)].point;
    keys_.erase(keys_.begin() + index);
    RemoveProperty(point);
    RenameKeys();
    UpdateGeometry();
    return true;
}

void PathModel::ClearKeys() {
    while (!keys_.empty()) {
        RemoveProperty(keys_.back().point);
        keys_.pop_back();
    }
    UpdateGeometry();
}

bool PathModel::IsKeySelected(int index) const {
    return index >= 0 && index < KeyCount() && keys_[static_cast<std::size_t>(index)].selected;
}

bool PathModel::SelectKey(int index, bool on) {
    if (index < 0 || index >= KeyCount()) return false;
    keys_[static_cast<std::size_t>(index)].selected = on;
    return true;
}

int PathModel::SelectedKeyCount() const {
    return static_cast<int>(std::count_if(keys_.begin(), keys_.end(), [](const Key& k) { return k.selected; }));
}

int PathModel::RemoveSelectedKeys() {
    int removed = 0;
    for (int i = KeyCount() - 1; i >= 0; --i)
        if (keys_[static_cast<std::size_t>(i)].selected) {
            RemoveProperty(keys_[static_cast<std::size_t>(i)].point);
            keys_.erase(keys_.begin() + i);
            ++removed;
        }
    if (removed) {
        RenameKeys();
        UpdateGeometry();
    }
    return removed;
}

Property* PathModel::KeyProperty(int index) const {
    return index >= 0 && index < KeyCount() ? keys_[static_cast<std::size_t>(index)].point : nullptr;
}

Model* PathModel::ControlNode(int index) const {
    if (index < 0 || index >= KeyCount()) return nullptr;
    return static_cast<Model*>(keys_[static_cast<std::size_t>(index)].control.Get());
}

bool PathModel::SetControlNode(int index, Model* node) {
    if (index < 0 || index >= KeyCount()) return false;
    if (node && (node == this || node->DependsOn(this))) return false;
    keys_[static_cast<std::size_t>(index)].control.Reset(node);
    UpdateGeometry();
    return true;
}

// ---------------------------------------------------------------------------
// Tangents

namespace {

void Offset(double* out, const double* from, const double* to) {
    for (int k = 0; k < 3; ++k) out[k] = to[k] - from[k];
}

}  // namespace

bool PathModel::LeftTangent(int index, double* xyz) const {
    if (!xyz || index < 0 || index >= KeyCount()) return false;
    const Cubic* before = index > 0 ? &Current().cubics[static_cast<std::size_t>(index - 1)] : nullptr;
    double p[3];
    KeyPoint(index, p);
    if (before) {
        std::memcpy(xyz, before->p[2], 3 * sizeof(double));
        return true;
    }
    // The first key's left handle leads nowhere; it mirrors its right one
    // when automatic.
    const Key& key = keys_[static_cast<std::size_t>(index)];
    double right[3];
    RightTangent(index, right);
    for (int k = 0; k < 3; ++k) xyz[k] = key.automatic ? 2 * p[k] - right[k] : p[k] + key.left[k];
    return true;
}

bool PathModel::RightTangent(int index, double* xyz) const {
    if (!xyz || index < 0 || index >= KeyCount()) return false;
    if (index < SegmentCount()) {
        std::memcpy(xyz, Current().cubics[static_cast<std::size_t>(index)].p[1], 3 * sizeof(double));
        return true;
    }
    const Key& key = keys_[static_cast<std::size_t>(index)];
    double p[3], left[3];
    KeyPoint(index, p);
    if (key.automatic && index > 0) {
        LeftTangent(index, left);
        for (int k = 0; k < 3; ++k) xyz[k] = 2 * p[k] - left[k];
    } else {
        for (int k = 0; k < 3; ++k) xyz[k] = p[k] + (key.automatic ? 0.0 : key.right[k]);
    }
    return true;
}

bool PathModel::SetLeftTangent(int index, const double* xyz, bool mirror) {
    if (!xyz || index < 0 || index >= KeyCount()) return false;
    double p[3], right[3];
    KeyPoint(index, p);
    RightTangent(index, right);
    Key& key = keys_[static_cast<std::size_t>(index)];
    if (key.automatic) Offset(key.right, p, right);  // the other side keeps what it showed
    Offset(key.left, p, xyz);
    if (mirror)
        for (int k = 0; k < 3; ++k) key.right[k] = -key.left[k];
    key.automatic = false;
    UpdateGeometry();
    return true;
}

bool PathModel::SetRightTangent(int index, const double* xyz, bool mirror) {
    if (!xyz || index < 0 || index >= KeyCount()) return false;
    double p[3], left[3];
    KeyPoint(index, p);
    LeftTangent(index, left);
    Key& key = keys_[static_cast<std::size_t>(index)];
    if (key.automatic) Offset(key.left, p, left);
    Offset(key.right, p, xyz);
    if (mirror)
        for (int k = 0; k < 3; ++k) key.left[k] = -key.right[k];
    key.automatic = false;
    UpdateGeometry();
    return true;
}

bool PathModel::SetKeyAndTangents(int index, const double* left, const double* point, const double* right) {
    if (!left || !point || !right || index < 0 || index >= KeyCount()) return false;
    Key& key = keys_[static_cast<std::size_t>(index)];
    if (!key.point->SetRaw(point)) return false;
    key.control.Reset(nullptr);
    Offset(key.left, point, left);
    Offset(key.right, point, right);
    key.automatic = false;
    UpdateGeometry();
    return true;
}

double PathModel::LeftTangentLength(int index) const {
    double p[3], h[3];
    if (!LeftTangent(index, h)) return -1.0;
    KeyPoint(index, p);
    Offset(h, p, h);
    return std::sqrt(tm::Dot(h, h));
}

double PathModel::RightTangentLength(int index) const {
    double p[3], h[3];
    if (!RightTangent(index, h)) return -1.0;
    KeyPoint(index, p);
    Offset(h, p, h);
    return std::sqrt(tm::Dot(h, h));
}

bool PathModel::HasAutoTangents(int index) const {
    return index >= 0 && index < KeyCount() && keys_[static_cast<std::size_t>(index)].automatic;
}

bool PathModel::KeyDerivative(int index, double* xyz) const {
    if (!xyz) return false;
    double p[3], h[3];
    if (!RightTangent(index, h)) {
        xyz[0] = xyz[1] = xyz[2] = 0.0;
        return false;
    }
    KeyPoint(index, p);
    for (int k = 0; k < 3; ++k) xyz[k] = 3.0 * (h[k] - p[k]);
    return true;
}

bool PathModel::SetKeyDerivative(int index, const double* xyz, bool bothSides) {
    if (!xyz || index < 0 || index >= KeyCount()) return false;
    double p[3];
    KeyPoint(index, p);
    const double leftLength = LeftTangentLength(index);
    double right[3];
    for (int k = 0; k < 3; ++k) right[k] = p[k] + xyz[k] / 3.0;
    if (!SetRightTangent(index, right, bothSides)) return false;
    if (!bothSides) {
        // The left handle turns opposite the new direction, keeping its length.
        Key& key = keys_[static_cast<std::size_t>(index)];
        double direction[3] = {-xyz[0], -xyz[1], -xyz[2]};
        if (tm::Normalize(direction))
            for (int k = 0; k < 3; ++k) key.left[k] = direction[k] * leftLength;
        UpdateGeometry();
    }
    return true;
}

bool PathModel::SetKeyDerivativeAxis(int index, int axis, double value, bool bothSides) {
    if (axis < 0 || axis > 2) return false;
    double d[3];
    if (!KeyDerivative(index, d)) return false;
    d[axis] = value;
    return SetKeyDerivative(index, d, bothSides);
}

// ---------------------------------------------------------------------------
// Segments

const PathModel::Segments& PathModel::Current() const {
    if (!segments_) segments_.reset(new Segments);
    Segments& s = *segments_;
    const int n = KeyCount();
    std::vector<double> points(3 * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) KeyPoint(i, &points[3 * static_cast<std::size_t>(i)]);
    auto P = [&](int i) { return &points[3 * static_cast<std::size_t>(i)]; };
    // The handles: the user's, or Catmull-Rom's from the neighbours.
    std::vector<Cubic> cubics(static_cast<std::size_t>(n > 1 ? n - 1 : 0));
    for (int i = 0; i + 1 < n; ++i) {
        Cubic& c = cubics[static_cast<std::size_t>(i)];
        const Key& a = keys_[static_cast<std::size_t>(i)];
        const Key& b = keys_[static_cast<std::size_t>(i + 1)];
        for (int k = 0; k < 3; ++k) {
            c.p[0][k] = P(i)[k];
            c.p[3][k] = P(i + 1)[k];
            double out, in;
            if (a.automatic)
                out = i > 0 ? (P(i + 1)[k] - P(i - 1)[k]) / 6.0 : (P(i + 1)[k] - P(i)[k]) / 3.0;
            else
                out = a.right[k];
            if (b.automatic)
                in = i + 2 < n ? -(P(i + 2)[k] - P(i)[k]) / 6.0 : (P(i)[k] - P(i + 1)[k]) / 3.0;
            else
                in = b.left[k];
            c.p[1][k] = P(i)[k] + out;
            c.p[2][k] = P(i + 1)[k] + in;
        }
    }
    const bool same = cubics.size() == s.cubics.size() &&
                      (cubics.empty() || std::memcmp(cubics.data(), s.cubics.data(), cubics.size() * sizeof(Cubic)) == 0);
    if (same && !s.cumulative.empty()) return s;
    s.cubics = std::move(cubics);
    s.pieces.assign(s.cubics.size() * kPieces, 0.0);
    s.cumulative.assign(s.cubics.size() + 1, 0.0);
    double total = 0.0;
    for (std::size_t i = 0; i < s.cubics.size(); ++i) {
        s.cumulative[i] = total;
        for (int piece = 0; piece < kPieces; ++piece) {
            total += s.cubics[i].Length(double(piece) / kPieces, double(piece + 1) / kPieces);
            s.pieces[i * kPieces + static_cast<std::size_t>(piece)] = total;
        }
    }
    s.cumulative.back() = total;
    s.total = total;
    return s;
}

void PathModel::Locate(double percent, int* segment, double* u) const {
    const int n = SegmentCount();
    const double x = std::clamp(std::isfinite(percent) ? percent : 0.0, 0.0, 100.0) / 100.0 * n;
    *segment = std::min(static_cast<int>(std::floor(x)), n - 1);
    *u = x - *segment;
}

double PathModel::TotalToSegment(double percent) const {
    const Segments& s = Current();
    const int n = s.Count();
    if (n == 0 || !(s.total > 0.0)) return std::clamp(std::isfinite(percent) ? percent : 0.0, 0.0, 100.0);
    const double target = std::clamp(std::isfinite(percent) ? percent : 0.0, 0.0, 100.0) / 100.0 * s.total;
    int i = static_cast<int>(std::upper_bound(s.cumulative.begin() + 1, s.cumulative.end() - 1, target) -
                             (s.cumulative.begin() + 1));
    i = std::min(i, n - 1);
    const double u = s.ParameterAt(i, target - s.cumulative[static_cast<std::size_t>(i)]);
    return (i + u) / n * 100.0;
}

void PathModel::ToGlobal(double* xyz, bool point) const {
    const double* G = GlobalMatrix();
    if (point)
        tm::TransformPoint(xyz, G, xyz);
    else
        tm::TransformVector(xyz, G, xyz);
}

void PathModel::SegmentEvaluate(double percent, double* xyz, bool global) const {
    if (!xyz) return;
    xyz[0] = xyz[1] = xyz[2] = 0.0;
    if (KeyCount() == 1) KeyPoint(0, xyz);
    if (SegmentCount() > 0) {
        int i;
        double u;
        Locate(percent, &i, &u);
        Current().cubics[static_cast<std::size_t>(i)].Point(u, xyz);
    }
    if (global) ToGlobal(xyz, true);
}

void PathModel::SegmentDerivative(double percent, double* xyz, bool global) const {
    if (!xyz) return;
    xyz[0] = xyz[1] = xyz[2] = 0.0;
    const int n = SegmentCount();
    if (n == 0) return;
    int i;
    double u;
    Locate(percent, &i, &u);
    Current().cubics[static_cast<std::size_t>(i)].Derivative(u, xyz);
    for (int k = 0; k < 3; ++k) xyz[k] *= n / 100.0;
    if (global) ToGlobal(xyz, false);
}

void PathModel::TotalEvaluate(double percent, double* xyz, bool global) const {
    SegmentEvaluate(TotalToSegment(percent), xyz, global);
}

void PathModel::TotalDerivative(double percent, double* xyz, bool global) const {
    if (!xyz) return;
    xyz[0] = xyz[1] = xyz[2] = 0.0;
    const Segments& s = Current();
    if (s.Count() == 0) return;
    int i;
    double u;
    Locate(TotalToSegment(percent), &i, &u);
    s.cubics[static_cast<std::size_t>(i)].Derivative(u, xyz);
    // Unit speed along the curve, times the length per percent.
    if (tm::Normalize(xyz))
        for (int k = 0; k < 3; ++k) xyz[k] *= s.total / 100.0;
    if (global) ToGlobal(xyz, false);
}

bool PathModel::SegmentIsKey(double percent) const {
    const int n = SegmentCount();
    if (KeyCount() == 0 || !std::isfinite(percent)) return false;
    if (n == 0) return std::fabs(percent) <= kKeyTolerance;
    const double x = percent / 100.0 * n;
    const double nearest = std::round(x);
    return nearest >= 0 && nearest <= n && std::fabs(percent - nearest * 100.0 / n) <= kKeyTolerance;
}

bool PathModel::TotalIsKey(double percent) const {
    const Segments& s = Current();
    if (KeyCount() == 0 || !std::isfinite(percent)) return false;
    if (!(s.total > 0.0)) return std::fabs(percent) <= kKeyTolerance;
    for (double at : s.cumulative)
        if (std::fabs(percent - at / s.total * 100.0) <= kKeyTolerance) return true;
    return false;
}

double PathModel::SegmentToTotalPercent(double percent) const {
    const Segments& s = Current();
    if (s.Count() == 0 || !(s.total > 0.0)) return std::clamp(std::isfinite(percent) ? percent : 0.0, 0.0, 100.0);
    int i;
    double u;
    Locate(percent, &i, &u);
    const double along = s.cumulative[static_cast<std::size_t>(i)] + s.LengthTo(i, u);
    return along / s.total * 100.0;
}

double PathModel::TotalToSegmentPercent(double percent) const { return TotalToSegment(percent); }

double PathModel::SegmentPercentFactor(double totalPercent) const {
    const Segments& s = Current();
    if (s.Count() == 0) return 1.0;
    int i;
    double u;
    Locate(TotalToSegment(totalPercent), &i, &u);
    const double speed = s.cubics[static_cast<std::size_t>(i)].Speed(u);
    return speed > 0.0 ? s.total / (s.Count() * speed) : 0.0;
}

double PathModel::TotalPercentFactor(double segmentPercent) const {
    const Segments& s = Current();
    if (s.Count() == 0 || !(s.total > 0.0)) return 1.0;
    int i;
    double u;
    Locate(segmentPercent, &i, &u);
    return s.Count() * s.cubics[static_cast<std::size_t>(i)].Speed(u) / s.total;
}

double PathModel::Length() const { return Current().total; }

double PathModel::SegmentLength(int segment) const {
    const Segments& s = Current();
    if (segment < 0 || segment >= s.Count()) return 0.0;
    return s.cumulative[static_cast<std::size_t>(segment + 1)] - s.cumulative[static_cast<std::size_t>(segment)];
}

void PathModel::UpdateGeometry() {
    const double length = Current().total;
    length_->ModifyFlag(kPropertyReadOnly, false);
    length_->SetRaw(&length);
    length_->ModifyFlag(kPropertyReadOnly, true);
}

void PathModel::ShowControls(bool on) {
    if (Property* p = FindProperty("Show Controls")) p->SetRaw(&on);
}

void PathModel::ShowPoints(bool on) {
    if (Property* p = FindProperty("Show Points")) p->SetRaw(&on);
}

bool PathModel::BoundingBox(double* min3, double* max3) const {
    if (keys_.empty()) return Model::BoundingBox(min3, max3);
    // The curve lies within the hull of its control points; the box of the
    // curve itself, sampled finely, is what a viewer frames.
    const Segments& s = Current();
    double lo[3], hi[3];
    KeyPoint(0, lo);
    std::memcpy(hi, lo, sizeof hi);
    for (const Cubic& c : s.cubics)
        for (int step = 1; step <= 64; ++step) {
            double p[3];
            c.Point(step / 64.0, p);
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], p[k]);
                hi[k] = std::max(hi[k], p[k]);
            }
        }
    for (int k = 0; k < 3; ++k) {
        if (min3) min3[k] = lo[k];
        if (max3) max3[k] = hi[k];
    }
    return true;
}

// ---------------------------------------------------------------------------
// Storage: the key points are properties ("Key i", stored with the
// object's properties); the handles, their mode and the selection are
// fields; control nodes are references.

bool PathModel::Store(dsx::ObjectStore& store) {
    if (!Model::Store(store)) return false;
    if (!(store.Pass() & dsx::kPassFields)) return true;
    std::vector<double> tangents;
    std::vector<std::int64_t> automatic, selected;
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        const Key& key = keys_[i];
        tangents.insert(tangents.end(), key.left, key.left + 3);
        tangents.insert(tangents.end(), key.right, key.right + 3);
        automatic.push_back(key.automatic ? 1 : 0);
        selected.push_back(key.selected ? 1 : 0);
        if (Plug* node = key.control.Get())
            store.WriteReference(("Control" + std::to_string(i)).c_str(), node);
    }
    dsx::FileObject* record = store.WritableRecord();
    record->SetField(kTangentsField, tangents);
    record->SetField(kAutoField, automatic);
    record->SetField(kSelectedField, selected);
    return true;
}

bool PathModel::Retrieve(dsx::ObjectStore& store) {
    if (!Model::Retrieve(store)) return false;
    const std::uint32_t pass = store.Pass();
    if (pass & dsx::kPassAnimation) {
        // The key properties came with the object's properties: the keys are
        // "Key 0", "Key 1", ... as long as they run.
        keys_.clear();
        for (int i = 0;; ++i) {
            Property* point = FindProperty(KeyName(i).c_str());
            if (!point || point->TypeId() != kDataVector) break;
            keys_.push_back(Key{point, {0, 0, 0}, {0, 0, 0}, true, false, PlugHandle()});
        }
        const dsx::FileObject* record = store.Record();
        const auto* tangents = record->Field(kTangentsField);
        const auto* automatic = record->Field(kAutoField);
        const auto* selected = record->Field(kSelectedField);
        const auto* t = tangents ? std::get_if<std::vector<double>>(tangents) : nullptr;
        const auto* a = automatic ? std::get_if<std::vector<std::int64_t>>(automatic) : nullptr;
        const auto* s = selected ? std::get_if<std::vector<std::int64_t>>(selected) : nullptr;
        if ((t && t->size() != 6 * keys_.size()) || (a && a->size() != keys_.size()))
            store.Session().Warn(std::string("'") + FullName() + "': its tangents do not match its " +
                                 std::to_string(keys_.size()) + " keys; the keys take automatic tangents");
        else
            for (std::size_t i = 0; i < keys_.size(); ++i) {
                Key& key = keys_[i];
                if (t) std::copy(t->begin() + 6 * i, t->begin() + 6 * i + 3, key.left);
                if (t) std::copy(t->begin() + 6 * i + 3, t->begin() + 6 * i + 6, key.right);
                if (a) key.automatic = (*a)[i] != 0;
                if (s && s->size() == keys_.size()) key.selected = (*s)[i] != 0;
            }
    }
    if (pass & dsx::kPassReferences) {
        for (std::size_t i = 0; i < keys_.size(); ++i)
            if (Model* node = AsModel(AsObject(store.ReadReference(("Control" + std::to_string(i)).c_str()))))
                SetControlNode(static_cast<int>(i), node);
        UpdateGeometry();
    }
    return true;
}

}  // namespace velora
