// Cameras: the frame, the ray through a pixel, and OpenGL's view and
// projection matrices.

#include <algorithm>
#include <cmath>

#include "scene/transform_math.h"
#include "velora/animation.h"
#include "velora/model.h"
#include "velora/property.h"
#include "velora/string_list.h"

namespace velora {

namespace {

constexpr double kDegrees = 0.017453292519943295;

// The camera's frame in the world: its position and unit axes (X forward,
// Y up, Z right).
struct Frame {
    double position[3];
    double forward[3], up[3], right[3];
};

Frame FrameOf(const CameraModel& camera, const EvaluationContext* context) {
    double G[16];
    camera.GlobalMatrixAt(G, context);
    lymath::Orthonormalize(G);
    Frame f;
    for (int k = 0; k < 3; ++k) {
        f.position[k] = G[12 + k];
        f.forward[k] = G[k];
        f.up[k] = G[4 + k];
        f.right[k] = G[8 + k];
    }
    return f;
}

}  // namespace

CameraModel* CameraModel::Create(const char* name) { return new CameraModel(name); }

CameraModel::CameraModel(const char* name) : Model(name, kClassCamera) {
    const double fov = 40.0, nearPlane = 1.0, farPlane = 4000.0, zoom = 1.0;
    KindValue("FieldOfView", kDataNumber, &fov, kCreateAnimatable)->Definition().SetMin(1e-3, true);
    KindValue("NearPlane", kDataNumber, &nearPlane, kCreateAnimatable);
    KindValue("FarPlane", kDataNumber, &farPlane, kCreateAnimatable);
    const int width = 640, height = 480, perspective = 0;
    KindValue("ResolutionWidth", kDataInteger, &width)->Definition().SetMin(1, true);
    KindValue("ResolutionHeight", kDataInteger, &height)->Definition().SetMin(1, true);
    Property* type = KindValue("CameraType", kDataEnum, &perspective);
    type->Definition().EnumList(true)->Add("Perspective", 0);
    type->Definition().EnumList(true)->Add("Orthogonal", 0);
    KindValue("OrthoZoom", kDataNumber, &zoom);
}

double CameraModel::Number(const char* name, const EvaluationContext* context) const {
    double value = 0.0;
    Property* p = FindProperty(name);
    if (p && EvaluateProperty(p, &value, context) >= 0) return value;
    return 0.0;
}

int CameraModel::FrameWidth() const {
    const Property* p = FindProperty("ResolutionWidth");
    return std::max(1, p ? p->AsInt() : 1);
}

int CameraModel::FrameHeight() const {
    const Property* p = FindProperty("ResolutionHeight");
    return std::max(1, p ? p->AsInt() : 1);
}

void CameraModel::PixelRay(double x, double y, double* origin, double* direction,
                           const EvaluationContext* context) const {
    const Frame f = FrameOf(*this, context);
    const double w = FrameWidth(), h = FrameHeight();
    const double nx = 2.0 * (x + 0.5) / w - 1.0;
    const double ny = 1.0 - 2.0 * (y + 0.5) / h;
    const Property* type = FindProperty("CameraType");
    double o[3], d[3];
    if (type && type->AsInt() == 1) {
        const double halfWidth = Number("OrthoZoom", context) * 100.0;
        const double halfHeight = halfWidth * h / w;
        for (int k = 0; k < 3; ++k) {
            o[k] = f.position[k] + f.right[k] * nx * halfWidth + f.up[k] * ny * halfHeight;
            d[k] = f.forward[k];
        }
    } else {
        const double tanX = std::tan(0.5 * Number("FieldOfView", context) * kDegrees);
        const double tanY = tanX * h / w;
        for (int k = 0; k < 3; ++k) {
            o[k] = f.position[k];
            d[k] = f.forward[k] + f.right[k] * nx * tanX + f.up[k] * ny * tanY;
        }
        tm::Normalize(d);
    }
    if (origin) std::copy(o, o + 3, origin);
    if (direction) std::copy(d, d + 3, direction);
}

void CameraModel::ViewMatrix(double* out, const EvaluationContext* context) const {
    if (!out) return;
    const Frame f = FrameOf(*this, context);
    // Eye to world: the eye's X is the camera's right, Y its up, Z its back.
    double eye[16];
    for (int k = 0; k < 3; ++k) {
        eye[k] = f.right[k];
        eye[4 + k] = f.up[k];
        eye[8 + k] = -f.forward[k];
        eye[12 + k] = f.position[k];
    }
    eye[3] = eye[7] = eye[11] = 0.0;
    eye[15] = 1.0;
    if (!tm::InvertAffine(out, eye)) tm::Copy(out, tm::kIdentity);
}

void CameraModel::ProjectionMatrix(double* out, const EvaluationContext* context) const {
    if (!out) return;
    const double w = FrameWidth(), h = FrameHeight();
    const double n = Number("NearPlane", context), f = Number("FarPlane", context);
    std::fill(out, out + 16, 0.0);
    const Property* type = FindProperty("CameraType");
    if (type && type->AsInt() == 1) {
        const double halfWidth = Number("OrthoZoom", context) * 100.0;
        const double halfHeight = halfWidth * h / w;
        out[0] = 1.0 / halfWidth;
        out[5] = 1.0 / halfHeight;
        out[10] = -2.0 / (f - n);
        out[14] = -(f + n) / (f - n);
        out[15] = 1.0;
        return;
    }
    const double tanX = std::tan(0.5 * Number("FieldOfView", context) * kDegrees);
    const double tanY = tanX * h / w;
    out[0] = 1.0 / tanX;
    out[5] = 1.0 / tanY;
    out[10] = (f + n) / (n - f);
    out[11] = -1.0;
    out[14] = 2.0 * f * n / (n - f);
}

}  // namespace velora
