#ifndef LYSDK_LYVECTOR_H
#define LYSDK_LYVECTOR_H

// Vectors and colours: plain values of two, three or four consecutive
// components.
//
// The math of the SDK is split by concept, one header each:
//   lyvector.h     vector and colour types, three-component vector math
//   lymatrix.h     LyMatrix, products, inverse, point transforms, local and
//                  global matrices, translation and scaling
//   lyquaternion.h quaternion arithmetic, quaternion <-> matrix, blending
//   lyrotation.h   Euler rotations and their orders, TRS / TQS transforms,
//                  continuous rotations
//   lygeometry.h   planes and mirror transforms
//
// The types hold their components in `mValue` and nothing else, so an array
// of them is an array of T and they can be handed to any routine that takes
// T pointers. Every member is noexcept and nothing allocates. The defaults
// are zeros (w and alpha included), except LySVector whose default is
// (1, 1, 1).
//
// Roles of LyVector4<double>: a translation or point (x, y, z, w: the
// three-component functions read and write only x, y, z and leave w alone),
// a quaternion (x, y, z, w with the scalar part last, see lyquaternion.h),
// a plane (a, b, c, d, see lygeometry.h).

#include "lysdk/lyexport.h"

LYSDK_BEGIN_NAMESPACE

template <class T>
class LyVector2 {
public:
    T mValue[2];

    LyVector2() noexcept : mValue{T(0), T(0)} {}
    LyVector2(T x, T y) noexcept : mValue{x, y} {}
    /// Two values read from `values`; zeros for null.
    explicit LyVector2(const T* values) noexcept : mValue{T(0), T(0)} { Set(values); }

    /// Back to the default (zeros).
    void Init() noexcept { mValue[0] = mValue[1] = T(0); }
    void Set(T x, T y) noexcept { mValue[0] = x; mValue[1] = y; }
    /// Copies two values from `values`; a null pointer leaves the vector as it is.
    void Set(const T* values) noexcept {
        if (values) Set(values[0], values[1]);
    }

    /// Indices are not checked: 0 and 1 only.
    T& operator[](int i) noexcept { return mValue[i]; }
    const T& operator[](int i) const noexcept { return mValue[i]; }
    operator T*() noexcept { return mValue; }
    operator const T*() const noexcept { return mValue; }

    bool operator==(const LyVector2& o) const noexcept { return mValue[0] == o.mValue[0] && mValue[1] == o.mValue[1]; }
    bool operator!=(const LyVector2& o) const noexcept { return !(*this == o); }
};

template <class T>
class LyVector3 {
public:
    T mValue[3];

    LyVector3() noexcept : mValue{T(0), T(0), T(0)} {}
    LyVector3(T x, T y, T z) noexcept : mValue{x, y, z} {}
    /// Three values read from `values`; zeros for null.
    explicit LyVector3(const T* values) noexcept : mValue{T(0), T(0), T(0)} { Set(values); }

    void Init() noexcept { mValue[0] = mValue[1] = mValue[2] = T(0); }
    void Set(T x, T y, T z) noexcept {
        mValue[0] = x;
        mValue[1] = y;
        mValue[2] = z;
    }
    /// Copies three values; a null pointer leaves the vector as it is.
    void Set(const T* values) noexcept {
        if (values) Set(values[0], values[1], values[2]);
    }

    /// Indices are not checked: 0 to 2 only.
    T& operator[](int i) noexcept { return mValue[i]; }
    const T& operator[](int i) const noexcept { return mValue[i]; }
    operator T*() noexcept { return mValue; }
    operator const T*() const noexcept { return mValue; }

    bool operator==(const LyVector3& o) const noexcept {
        return mValue[0] == o.mValue[0] && mValue[1] == o.mValue[1] && mValue[2] == o.mValue[2];
    }
    bool operator!=(const LyVector3& o) const noexcept { return !(*this == o); }
};

template <class T>
class LyVector4 {
public:
    T mValue[4];

    LyVector4() noexcept : mValue{T(0), T(0), T(0), T(0)} {}
    LyVector4(T x, T y, T z, T w = T(0)) noexcept : mValue{x, y, z, w} {}
    /// Four values read from `values`; zeros for null.
    explicit LyVector4(const T* values) noexcept : mValue{T(0), T(0), T(0), T(0)} { Set(values); }

    void Init() noexcept { mValue[0] = mValue[1] = mValue[2] = mValue[3] = T(0); }
    void Set(T x, T y, T z, T w) noexcept {
        mValue[0] = x;
        mValue[1] = y;
        mValue[2] = z;
        mValue[3] = w;
    }
    /// Copies four values; a null pointer leaves the vector as it is.
    void Set(const T* values) noexcept {
        if (values) Set(values[0], values[1], values[2], values[3]);
    }

    /// Indices are not checked: 0 to 3 only.
    T& operator[](int i) noexcept { return mValue[i]; }
    const T& operator[](int i) const noexcept { return mValue[i]; }
    operator T*() noexcept { return mValue; }
    operator const T*() const noexcept { return mValue; }

    bool operator==(const LyVector4& o) const noexcept {
        return mValue[0] == o.mValue[0] && mValue[1] == o.mValue[1] && mValue[2] == o.mValue[2] &&
               mValue[3] == o.mValue[3];
    }
    bool operator!=(const LyVector4& o) const noexcept { return !(*this == o); }
};

/// Scaling factors. Unlike the other vectors its neutral value, and so its
/// default and Init(), is (1, 1, 1).
class LySVector : public LyVector3<double> {
public:
    LySVector() noexcept : LyVector3<double>(1.0, 1.0, 1.0) {}
    LySVector(double x, double y, double z) noexcept : LyVector3<double>(x, y, z) {}
    LySVector(const LyVector3<double>& v) noexcept : LyVector3<double>(v) {}
    /// Three values read from `values`; (1, 1, 1) for null.
    explicit LySVector(const double* values) noexcept : LyVector3<double>(1.0, 1.0, 1.0) { Set(values); }

    void Init() noexcept { Set(1.0, 1.0, 1.0); }
    using LyVector3<double>::Set;
};

/// Red, green, blue.
class LyColor : public LyVector3<double> {
public:
    LyColor() noexcept = default;
    LyColor(double red, double green, double blue) noexcept : LyVector3<double>(red, green, blue) {}
    LyColor(const LyVector3<double>& v) noexcept : LyVector3<double>(v) {}
    explicit LyColor(const double* values) noexcept : LyVector3<double>(values) {}
};

/// Red, green, blue, alpha.
class LyColorAndAlpha : public LyVector4<double> {
public:
    LyColorAndAlpha() noexcept = default;
    LyColorAndAlpha(double red, double green, double blue, double alpha) noexcept
        : LyVector4<double>(red, green, blue, alpha) {}
    LyColorAndAlpha(const LyVector4<double>& v) noexcept : LyVector4<double>(v) {}
    /// An opaque colour: alpha 1.
    LyColorAndAlpha(const LyColor& c) noexcept : LyVector4<double>(c[0], c[1], c[2], 1.0) {}
    /// Vertex colours come in single precision.
    LyColorAndAlpha(const LyVector4<float>& v) noexcept : LyVector4<double>(v[0], v[1], v[2], v[3]) {}
    explicit LyColorAndAlpha(const double* values) noexcept : LyVector4<double>(values) {}
};

// --- Three-component math on LyVector4<double> -----------------------------
// Only x, y and z are read and written; r's w is left as it is. The result
// may be the same object as an operand.

/// r = a + b.
LYSDK_API void LyAdd(LyVector4<double>& r, const LyVector4<double>& a, const LyVector4<double>& b) noexcept;
/// r = a - b.
LYSDK_API void LySub(LyVector4<double>& r, const LyVector4<double>& a, const LyVector4<double>& b) noexcept;
/// r = a * s.
LYSDK_API void LyMult(LyVector4<double>& r, const LyVector4<double>& a, double s) noexcept;
/// The cross product a x b (not a component-wise product).
LYSDK_API void LyMult(LyVector4<double>& r, const LyVector4<double>& a, const LyVector4<double>& b) noexcept;
/// (a.y b.y + a.x b.x) + a.z b.z.
LYSDK_API double LyDot(const LyVector4<double>& a, const LyVector4<double>& b) noexcept;
/// The length of (x, y, z).
LYSDK_API double LyLength(const LyVector4<double>& a) noexcept;
/// The length of (x, y, z), computed in single precision.
LYSDK_API float LyLength(const LyVector4<float>& a) noexcept;

/// `min` if min > v, otherwise `max` if max < v, otherwise v. The bounds are
/// tested in that order, so with min > max the result is min whenever v is
/// below min (LyClamp(2, 3, 0) is 3).
template <class T>
inline T LyClamp(T v, T min, T max) noexcept {
    if (min > v) return min;
    if (max < v) return max;
    return v;
}

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYVECTOR_H
