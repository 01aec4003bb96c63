#ifndef LYSDK_LYMATRIX_H
#define LYSDK_LYMATRIX_H

// LyMatrix: the 4 x 4 transform matrix, and the functions that multiply,
// invert, decompose and apply it.
//
// Layout: 16 doubles in column-major order for column vectors. Element
// (row i, column c) is mValue[4c + i]; the three axes are the columns at
// 0-2, 4-6 and 8-10, the translation is at 12, 13 and 14, and a point p is
// transformed as M . p. The same layout as OpenGL's matrices and Eigen's
// default Matrix4d.
//
// Everything is straight-line double-precision code on the caller's
// storage: nothing allocates and nothing throws. Unless stated otherwise a
// result may be the same object as one of the operands.
//
// Inverting, side by side:
//   - LyMatrixInverse / Inverse(): the fast path. Gauss-Jordan elimination
//     with partial pivoting held in vector registers where the processor
//     has them.
//   - InverseProduct(m): the accurate path. The LU decomposition with
//     partial pivoting and back-substitution, applied to m directly, which
//     rounds less than forming the inverse and multiplying;
//     InverseProduct(LyMatrix()) is the accurate inverse.
//   Both choose the same pivots with the same arithmetic (the largest
//   absolute value left in the column, the upper row on ties, multipliers
//   by division so that equal rows cancel exactly), so they agree exactly on
//   which matrices are singular: those where some pivot is exactly 0.
//   Both work for any invertible matrix, projective ones included.
//   LyGetLocalMatrix instead inverts a parent's affine part from its axes:
//   cheaper, exact for orthogonal axes (rotation and scaling), wrong for
//   sheared parents.

#include "lysdk/lyexport.h"
#include "lysdk/lyvector.h"

LYSDK_BEGIN_NAMESPACE

class LYSDK_API LyMatrix {
public:
    double mValue[16];

    /// The identity.
    LyMatrix() noexcept
        : mValue{1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0} {}
    /// Sixteen values in the layout above; the identity for null.
    explicit LyMatrix(const double* values) noexcept : LyMatrix() { Set(values); }

    /// Makes this the identity.
    void Identity() noexcept { *this = LyMatrix(); }
    /// Copies sixteen values; a null pointer leaves the matrix as it is.
    void Set(const double* values) noexcept {
        if (!values) return;
        for (int i = 0; i < 16; ++i) mValue[i] = values[i];
    }
    /// Assignment from sixteen values, as Set.
    LyMatrix& operator=(const double* values) noexcept {
        Set(values);
        return *this;
    }

    double* GetData() noexcept { return mValue; }
    const double* GetData() const noexcept { return mValue; }
    operator double*() noexcept { return mValue; }
    operator const double*() const noexcept { return mValue; }

    /// Element (row, column). Indices are taken modulo 4, so a bad index
    /// reaches a wrong element but never leaves the matrix.
    double& operator()(int row, int column) noexcept { return mValue[4 * (column & 3) + (row & 3)]; }
    double operator()(int row, int column) const noexcept { return mValue[4 * (column & 3) + (row & 3)]; }

    /// Inverts in place, as LyMatrixInverse. Returns false, leaving the matrix
    /// unchanged, when it is singular (a pivot is exactly 0).
    bool Inverse() noexcept;
    /// this^-1 . m, solved with this matrix's LU decomposition (more accurate
    /// than forming the inverse first). The identity when this is singular.
    LyMatrix InverseProduct(const LyMatrix& m) const noexcept;
    /// Transposes in place.
    void Transpose() noexcept;
    /// False when any element is NaN.
    bool Validate() const noexcept;

    /// this . m.
    LyMatrix operator*(const LyMatrix& m) const noexcept;
    /// Every element times s.
    LyMatrix operator*(double s) const noexcept;
    /// Element by element.
    LyMatrix operator+(const LyMatrix& m) const noexcept;
    LyMatrix operator-(const LyMatrix& m) const noexcept;
    LyMatrix operator-() const noexcept;
    LyMatrix& operator+=(const LyMatrix& m) noexcept;
    LyMatrix& operator-=(const LyMatrix& m) noexcept;
    /// this = this . m.
    LyMatrix& operator*=(const LyMatrix& m) noexcept;
    /// Every element times s.
    LyMatrix& operator*=(double s) noexcept;

    /// All sixteen elements compared exactly.
    bool operator==(const LyMatrix& m) const noexcept;
    bool operator!=(const LyMatrix& m) const noexcept { return !(*this == m); }
};

// --- Products, transpose and inverse ----------------------------------------

/// r = a . b. r may be a, b or both.
LYSDK_API void LyMatrixMult(LyMatrix& r, const LyMatrix& a, const LyMatrix& b) noexcept;
/// r = transpose of m; in place when r is m.
LYSDK_API void LyMatrixTranspose(LyMatrix& r, const LyMatrix& m) noexcept;
/// r = m^-1 by Gaussian elimination with partial pivoting: at every step the
/// row holding the largest absolute value of the column becomes the pivot
/// row. If a pivot is exactly 0.0 the matrix is singular: r is not written
/// and the result is false.
LYSDK_API bool LyMatrixInverse(LyMatrix& r, const LyMatrix& m) noexcept;
/// Replaces the axes of m (the upper-left 3 x 3) by their orthogonalised
/// form: X keeps its direction, Y is made perpendicular to X in the XY plane,
/// Z perpendicular to both on its original side; each axis keeps its length.
LYSDK_API void LyMatrixOrthogonalize(LyMatrix& m) noexcept;

// --- Applying a matrix to a point -------------------------------------------

/// The point v.xyz transformed by m with the perspective divide:
/// w = m[3] x + m[7] y + m[11] z + m[15], r.i = (m[i] x + m[4+i] y +
/// m[8+i] z + m[12+i]) * (1 / w). v.w is not read and r.w is not written;
/// a zero w gives infinite or NaN components.
LYSDK_API void LyVectorMatrixMult(LyVector4<double>& r, const LyMatrix& m, const LyVector4<double>& v) noexcept;
/// The same for single-precision vertices: computed in double precision,
/// 1 / w rounded to single precision before it multiplies, every result
/// rounded to single precision. r.w is not written.
LYSDK_API void LyVertexMatrixMult(LyVector4<float>& r, const LyMatrix& m, const LyVector4<float>& v) noexcept;

// --- Local and global matrices ----------------------------------------------

/// r = parent . local for the upper three rows; the fourth row of r is
/// (0, 0, 0, 1).
LYSDK_API void LyGetGlobalMatrix(LyMatrix& r, const LyMatrix& parent, const LyMatrix& local) noexcept;
/// r = parent^-1 . global for the upper three rows, the fourth row (0, 0, 0,
/// 1). The parent's inverse is formed from its axes: the transpose of its
/// axis columns each divided by its squared length, and the negated
/// translation taken through that. Exact for parents with orthogonal axes
/// (scaled or not); zero-length axes give infinite or NaN elements.
LYSDK_API void LyGetLocalMatrix(LyMatrix& r, const LyMatrix& parent, const LyMatrix& global) noexcept;

// --- Translation and scaling ------------------------------------------------

/// The identity with t.xyz as translation.
LYSDK_API void LyTranslationToMatrix(LyMatrix& r, const LyVector4<double>& t) noexcept;
/// The identity with s on the diagonal.
LYSDK_API void LyScalingToMatrix(LyMatrix& r, const LySVector& s) noexcept;
/// t.xyz = the translation of m; t.w is left as it is.
LYSDK_API void LyMatrixToTranslation(LyVector4<double>& t, const LyMatrix& m) noexcept;
/// The lengths of the three axes; all three negated when the 3 x 3 part has
/// a negative determinant (a mirrored frame).
LYSDK_API void LyMatrixToScaling(LySVector& s, const LyMatrix& m) noexcept;
/// Scales the axes: r's elements 0-2 = m's times s.x, 4-6 = m's times s.y,
/// 8-10 = m's times s.z. The other elements of r are left as they are (they
/// are not copied from m).
LYSDK_API void LyMult(LyMatrix& r, const LyMatrix& m, const LySVector& s) noexcept;

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYMATRIX_H
