#include "velora/geometry.h"

#include <cmath>

#include <lymath/orthonormal.h>
#include <lymath/quaternion.h>

namespace velora {
namespace geometry {

namespace {

struct Vec {
    double x, y, z;
};

Vec Load(const double* p) { return {p[0], p[1], p[2]}; }
void Store(double* p, const Vec& v) {
    p[0] = v.x;
    p[1] = v.y;
    p[2] = v.z;
}
Vec Axis(const double* m, int c) { return {m[4 * c], m[4 * c + 1], m[4 * c + 2]}; }
void SetAxis(double* m, int c, const Vec& v) {
    m[4 * c] = v.x;
    m[4 * c + 1] = v.y;
    m[4 * c + 2] = v.z;
}

double Dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Cross(const Vec& a, const Vec& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec Scale(const Vec& v, double s) { return {v.x * s, v.y * s, v.z * s}; }
Vec Sub(const Vec& a, const Vec& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Length(const Vec& v) { return std::sqrt(Dot(v, v)); }

// Unit vector along v; a zero (or non-finite-length) vector gives zero
// rather than NaN so degenerate frames stay quiet.
Vec Normalized(const Vec& v) {
    const double len = Length(v);
    return len > 0.0 ? Scale(v, 1.0 / len) : Vec{0.0, 0.0, 0.0};
}

// The reflection through a plane's normal n: v - 2 n (n . v) / (n . n).
// `k` is 2 / (n . n), or 0 for the zero plane so that it reflects nothing.
struct Reflection {
    Vec n;
    double k;
    double d;
    explicit Reflection(const double* plane) : n(Load(plane)), k(0.0), d(plane[3]) {
        const double nn = Dot(n, n);
        if (nn > 0.0) k = 2.0 / nn;
    }
    Vec Linear(const Vec& v) const { return Sub(v, Scale(n, k * Dot(n, v))); }
    Vec Point(const Vec& p) const { return Sub(p, Scale(n, k * (Dot(n, p) + d))); }
};

// H M H on the 3 x 3 part of m, into axes[3].
void MirrorAxes(Vec axes[3], const double* m, const Reflection& h) {
    // H M: reflect every column.
    Vec hm[3];
    for (int c = 0; c < 3; ++c) hm[c] = h.Linear(Axis(m, c));
    // (H M) H: reflect every row. Row i of (HM) is (hm[0].i, hm[1].i, hm[2].i).
    double rows[3][3];
    for (int i = 0; i < 3; ++i) {
        const double* src[3] = {&hm[0].x, &hm[1].x, &hm[2].x};
        const Vec row = h.Linear(Vec{src[0][i], src[1][i], src[2][i]});
        rows[i][0] = row.x;
        rows[i][1] = row.y;
        rows[i][2] = row.z;
    }
    for (int c = 0; c < 3; ++c) axes[c] = Vec{rows[0][c], rows[1][c], rows[2][c]};
}

void SetAffineRows(double* out) {
    out[3] = 0.0;
    out[7] = 0.0;
    out[11] = 0.0;
    out[15] = 1.0;
}

}  // namespace

void Orthogonalize(double* m) noexcept {
    const Vec x = Axis(m, 0), y = Axis(m, 1), z = Axis(m, 2);
    const double lx = Length(x), ly = Length(y), lz = Length(z);

    const Vec ux = Normalized(x);
    const Vec uy = Normalized(Sub(y, Scale(ux, Dot(y, ux))));
    Vec uz = Cross(ux, uy);
    if (Dot(uz, uz) > 0.0) {
        // The cross product is the most orthogonal choice; only its side is
        // taken from the original Z.
        if (Dot(z, uz) < 0.0) uz = Scale(uz, -1.0);
    } else {
        // X or Y was degenerate: keep what Z has that is not along the others.
        uz = Normalized(Sub(Sub(z, Scale(ux, Dot(z, ux))), Scale(uy, Dot(z, uy))));
    }
    SetAxis(m, 0, Scale(ux, lx));
    SetAxis(m, 1, Scale(uy, ly));
    SetAxis(m, 2, Scale(uz, lz));
}

void Orthonormalize(double* m) noexcept { lymath::Orthonormalize(m); }

void PlaneBetweenPoints(double* plane, const double* p1, const double* p2) noexcept {
    const Vec a = Load(p1), b = Load(p2);
    const Vec n = Normalized(Sub(b, a));
    const Vec mid = Scale(Vec{a.x + b.x, a.y + b.y, a.z + b.z}, 0.5);
    Store(plane, n);
    plane[3] = -Dot(n, mid);
}

void PlaneThroughPoint(double* plane, const double* p, const double* m) noexcept {
    const Vec n = Normalized(Axis(m, 0));
    const double d = -Dot(n, Load(p));
    Store(plane, n);
    plane[3] = d;
}

void NormalizePlane(double* out, const double* plane) noexcept {
    const Vec n = Load(plane);
    const double len = Length(n);
    if (!(len > 0.0)) {
        out[0] = out[1] = out[2] = out[3] = 0.0;
        return;
    }
    const double inv = 1.0 / len;
    const double d = plane[3] * inv;
    Store(out, Scale(n, inv));
    out[3] = d;
}

void PlaneRotation(double* m, const double* plane) noexcept {
    const Vec n = Normalized(Load(plane));
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0 : 0.0;

    // The shortest arc from X to n as an unnormalised quaternion: vector part
    // X x n = (0, -nz, ny), scalar part 1 + X . n. Going through the
    // quaternion (rather than c I + [v]x + v v^T / (1 + c)) keeps the result
    // an exact rotation close to the half turn, where 1 + c vanishes.
    const double qx = 0.0, qy = -n.z, qz = n.y, qw = 1.0 + n.x;
    const double nn = qx * qx + qy * qy + qz * qz + qw * qw;
    if (Dot(n, n) == 0.0) return;
    if (nn == 0.0) {
        // n is exactly -X: the half turn about Z (X -> -X, Y -> -Y).
        m[0] = -1.0;
        m[5] = -1.0;
        return;
    }
    lymath::QuaternionToAxes(m, qx, qy, qz, qw);
}

void MirrorPoint(double* out, const double* p, const double* plane) noexcept {
    const Reflection h(plane);
    Store(out, h.Point(Load(p)));
}

void MirrorLinear(double* out, const double* m, const double* plane) noexcept {
    const Reflection h(plane);
    Vec axes[3];
    MirrorAxes(axes, m, h);
    for (int c = 0; c < 3; ++c) SetAxis(out, c, axes[c]);
    out[12] = out[13] = out[14] = 0.0;
    SetAffineRows(out);
}

void MirrorMatrix(double* out, const double* m, const double* plane) noexcept {
    const Reflection h(plane);
    Vec axes[3];
    MirrorAxes(axes, m, h);
    const Vec t = h.Point(Vec{m[12], m[13], m[14]});
    for (int c = 0; c < 3; ++c) SetAxis(out, c, axes[c]);
    out[12] = t.x;
    out[13] = t.y;
    out[14] = t.z;
    SetAffineRows(out);
}

}  // namespace geometry
}  // namespace velora
