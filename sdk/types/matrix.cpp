#include "lysdk/lymatrix.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <lymath/matrix.h>
#include <velora/geometry.h>

LYSDK_BEGIN_NAMESPACE

namespace {

using lymath::At;

// Two ways to invert, sharing one pivot rule.
//
// Pivot rule (both paths): at step k the pivot is the largest absolute value
// of column k among the rows not yet used as pivot rows, the lowest row on
// ties; the multipliers are a[i][k] / pivot, computed by division so that a
// row equal to the pivot row cancels to exactly 0. The rows are never
// physically exchanged; each path keeps the order of its pivot rows. The
// arithmetic that decides the pivots is the same operation for operation in
// both, so they agree exactly on which matrices are singular.
//
// - SolveRows: the LU decomposition with the right-hand sides carried along,
//   then back-substitution. The accurate path; InverseProduct uses it, and
//   LyMatrixInverse where no vector unit is available.
// - InvertInRegisters: Gauss-Jordan elimination on the columns as they are
//   stored, held in SSE2 registers, branch-free pivot choice, each row
//   divided by its pivot at the end. Same pivots; its error is of the same
//   order as the LU path's (a few units in the last place times the
//   condition number). The fast path of LyMatrixInverse.

// Solves A X = B with A and B given as rows; on success B holds the rows of
// X. False, with nothing useful left, when a pivot is exactly 0.
bool SolveRows(double a[4][4], double b[4][4]) noexcept {
    bool used[4] = {false, false, false, false};
    int order[4];
    for (int k = 0; k < 4; ++k) {
        int p = -1;
        double best = 0.0;
        for (int i = 0; i < 4; ++i) {
            if (used[i]) continue;
            const double v = std::fabs(a[i][k]);
            if (p < 0 || v > best) {
                best = v;
                p = i;
            }
        }
        const double pivot = a[p][k];
        if (pivot == 0.0) return false;
        used[p] = true;
        order[k] = p;
        for (int i = 0; i < 4; ++i) {
            if (used[i]) continue;
            const double f = a[i][k] / pivot;
            for (int j = k + 1; j < 4; ++j) a[i][j] -= f * a[p][j];
            for (int j = 0; j < 4; ++j) b[i][j] -= f * b[p][j];
        }
    }
    // Back-substitution from the last pivot row up; row k of X comes from
    // pivot row order[k].
    double x[4][4];
    for (int k = 3; k >= 0; --k) {
        const double* row = a[order[k]];
        for (int j = 0; j < 4; ++j) {
            double s = b[order[k]][j];
            for (int m = k + 1; m < 4; ++m) s -= row[m] * x[m][j];
            x[k][j] = s / row[k];
        }
    }
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) b[i][j] = x[i][j];
    return true;
}

void LoadRows(double rows[4][4], const double* m) noexcept {
    for (int i = 0; i < 4; ++i)
        for (int c = 0; c < 4; ++c) rows[i][c] = m[At(i, c)];
}

void StoreRows(double* m, const double rows[4][4]) noexcept {
    for (int i = 0; i < 4; ++i)
        for (int c = 0; c < 4; ++c) m[At(i, c)] = rows[i][c];
}

[[maybe_unused]] bool InvertBySolving(double* out, const double* m) noexcept {
    double a[4][4];
    double b[4][4] = {{1.0, 0.0, 0.0, 0.0}, {0.0, 1.0, 0.0, 0.0}, {0.0, 0.0, 1.0, 0.0}, {0.0, 0.0, 0.0, 1.0}};
    LoadRows(a, m);
    if (!SolveRows(a, b)) return false;
    StoreRows(out, b);
    return true;
}

#if defined(__SSE2__)

// Lane masks picking one row of a column held as two registers (rows 0-1,
// rows 2-3).
alignas(16) constexpr unsigned long long kRowMask[4][4] = {
    {~0ull, 0, 0, 0}, {0, ~0ull, 0, 0}, {0, 0, ~0ull, 0}, {0, 0, 0, ~0ull}};

// Gauss-Jordan on the stored columns. Column k is eliminated with pivot row
// p_k; from then on it stands for the untouched column p_k of the identity,
// so four columns are updated per step and nothing else is stored. At the
// end, row p_k divided by its pivot is row k of the inverse, and column k is
// its column p_k.
//
// Cost: the four pivot choices form a chain (each needs the previous
// step's division), about 45 cycles a step; the pivot search, mask loads
// and the final reordering are branch-free apart from the singular exits.
struct Elimination {
    __m128d lo[4], hi[4];    // the columns: rows 0-1 and rows 2-3
    __m128d freeLo, freeHi;  // all ones in the rows not yet pivot rows
    __m128d pivLo, pivHi;    // the pivot of each pivot row
    int order[4];            // pivot row of each step
    alignas(16) double spill[16];
};

// One step, with k a constant after inlining so that the columns stay in
// registers. False on a zero pivot.
__attribute__((always_inline)) inline bool EliminateColumn(Elimination& e, const int k) noexcept {
    int p;
    if (k == 3) {
        // One free row is left: it is the pivot row.
        p = __builtin_ctz(static_cast<unsigned>(_mm_movemask_pd(e.freeLo) | (_mm_movemask_pd(e.freeHi) << 2)));
    } else {
        // Largest |a[i][k]| over the free rows (used rows count as 0); the
        // lowest row among equals.
        const __m128d absMask = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffffll));
        __m128d aLo = _mm_and_pd(e.lo[k], absMask), aHi = _mm_and_pd(e.hi[k], absMask);
        if (k > 0) {
            aLo = _mm_and_pd(aLo, e.freeLo);
            aHi = _mm_and_pd(aHi, e.freeHi);
        }
        __m128d best = _mm_max_pd(aLo, aHi);
        best = _mm_max_pd(best, _mm_shuffle_pd(best, best, 1));
        const int hits = _mm_movemask_pd(_mm_cmpeq_pd(aLo, best)) | (_mm_movemask_pd(_mm_cmpeq_pd(aHi, best)) << 2);
        // A largest value of 0 is a zero pivot. (NaN stops here too.)
        if (!(_mm_cvtsd_f64(best) > 0.0) || hits == 0) return false;
        p = __builtin_ctz(static_cast<unsigned>(hits));
    }
    e.order[k] = p;
    // The pivot row's entries are picked from memory: one store per column
    // is cheaper than gathering a lane with bit masks.
    for (int j = 0; j < 4; ++j) {
        _mm_store_pd(e.spill + 4 * j, e.lo[j]);
        _mm_store_pd(e.spill + 4 * j + 2, e.hi[j]);
    }
    const __m128d pickLo = _mm_load_pd(reinterpret_cast<const double*>(kRowMask[p]));
    const __m128d pickHi = _mm_load_pd(reinterpret_cast<const double*>(kRowMask[p]) + 2);
    const __m128d pivot = _mm_load1_pd(e.spill + 4 * k + p);
    if (k == 3 && !(_mm_cvtsd_f64(pivot) != 0.0)) return false;

    // Multipliers a[i][k] / pivot (by division, as the LU path), 0 in the
    // pivot row so that it is left alone.
    const __m128d fLo = _mm_andnot_pd(pickLo, _mm_div_pd(e.lo[k], pivot));
    const __m128d fHi = _mm_andnot_pd(pickHi, _mm_div_pd(e.hi[k], pivot));
    e.pivLo = _mm_or_pd(e.pivLo, _mm_and_pd(pickLo, pivot));
    e.pivHi = _mm_or_pd(e.pivHi, _mm_and_pd(pickHi, pivot));
    e.freeLo = _mm_andnot_pd(pickLo, e.freeLo);
    e.freeHi = _mm_andnot_pd(pickHi, e.freeHi);

    // Column k becomes identity column p (1 in the pivot row, 0 elsewhere)
    // and goes through the same update as the others.
    const __m128d one = _mm_set1_pd(1.0);
    for (int j = 0; j < 4; ++j) {
        const __m128d b = j == k ? one : _mm_load1_pd(e.spill + 4 * j + p);
        const __m128d lo = j == k ? _mm_and_pd(pickLo, one) : e.lo[j];
        const __m128d hi = j == k ? _mm_and_pd(pickHi, one) : e.hi[j];
        e.lo[j] = _mm_sub_pd(lo, _mm_mul_pd(fLo, b));
        e.hi[j] = _mm_sub_pd(hi, _mm_mul_pd(fHi, b));
    }
    return true;
}

bool InvertInRegisters(double* out, const double* m) noexcept {
    Elimination e;
    for (int c = 0; c < 4; ++c) {
        e.lo[c] = _mm_loadu_pd(m + 4 * c);
        e.hi[c] = _mm_loadu_pd(m + 4 * c + 2);
    }
    e.freeLo = e.freeHi = _mm_castsi128_pd(_mm_set1_epi32(-1));
    e.pivLo = e.pivHi = _mm_setzero_pd();
    if (!EliminateColumn(e, 0) || !EliminateColumn(e, 1) || !EliminateColumn(e, 2) || !EliminateColumn(e, 3))
        return false;

    // Divide every row by its pivot, then put row p_k at row k and column k
    // at column p_k.
    const __m128d one = _mm_set1_pd(1.0);
    const __m128d sLo = _mm_div_pd(one, e.pivLo), sHi = _mm_div_pd(one, e.pivHi);
    alignas(16) double t[16];
    for (int c = 0; c < 4; ++c) {
        _mm_store_pd(t + 4 * c, _mm_mul_pd(e.lo[c], sLo));
        _mm_store_pd(t + 4 * c + 2, _mm_mul_pd(e.hi[c], sHi));
    }
    for (int c = 0; c < 4; ++c) {
        double* column = out + 4 * e.order[c];
        const double* source = t + 4 * c;
        column[0] = source[e.order[0]];
        column[1] = source[e.order[1]];
        column[2] = source[e.order[2]];
        column[3] = source[e.order[3]];
    }
    return true;
}

#endif  // __SSE2__

}  // namespace

// --- LyMatrix members --------------------------------------------------------

bool LyMatrix::Inverse() noexcept { return LyMatrixInverse(*this, *this); }

LyMatrix LyMatrix::InverseProduct(const LyMatrix& m) const noexcept {
    double a[4][4], b[4][4];
    LoadRows(a, mValue);
    LoadRows(b, m.mValue);
    LyMatrix result;
    if (SolveRows(a, b)) StoreRows(result.mValue, b);
    return result;
}

void LyMatrix::Transpose() noexcept { LyMatrixTranspose(*this, *this); }

bool LyMatrix::Validate() const noexcept {
    for (double v : mValue)
        if (std::isnan(v)) return false;
    return true;
}

LyMatrix LyMatrix::operator*(const LyMatrix& m) const noexcept {
    LyMatrix r;
    LyMatrixMult(r, *this, m);
    return r;
}

LyMatrix LyMatrix::operator*(double s) const noexcept {
    LyMatrix r;
    for (int i = 0; i < 16; ++i) r.mValue[i] = mValue[i] * s;
    return r;
}

LyMatrix LyMatrix::operator+(const LyMatrix& m) const noexcept {
    LyMatrix r;
    for (int i = 0; i < 16; ++i) r.mValue[i] = mValue[i] + m.mValue[i];
    return r;
}

LyMatrix LyMatrix::operator-(const LyMatrix& m) const noexcept {
    LyMatrix r;
    for (int i = 0; i < 16; ++i) r.mValue[i] = mValue[i] - m.mValue[i];
    return r;
}

LyMatrix LyMatrix::operator-() const noexcept {
    LyMatrix r;
    for (int i = 0; i < 16; ++i) r.mValue[i] = -mValue[i];
    return r;
}

LyMatrix& LyMatrix::operator+=(const LyMatrix& m) noexcept {
    for (int i = 0; i < 16; ++i) mValue[i] += m.mValue[i];
    return *this;
}

LyMatrix& LyMatrix::operator-=(const LyMatrix& m) noexcept {
    for (int i = 0; i < 16; ++i) mValue[i] -= m.mValue[i];
    return *this;
}

LyMatrix& LyMatrix::operator*=(const LyMatrix& m) noexcept {
    LyMatrixMult(*this, *this, m);
    return *this;
}

LyMatrix& LyMatrix::operator*=(double s) noexcept {
    for (double& v : mValue) v *= s;
    return *this;
}

bool LyMatrix::operator==(const LyMatrix& m) const noexcept {
    for (int i = 0; i < 16; ++i)
        if (mValue[i] != m.mValue[i]) return false;
    return true;
}

// --- Products, transpose, inverse ---------------------------------------------

void LyMatrixMult(LyMatrix& r, const LyMatrix& a, const LyMatrix& b) noexcept {
    lymath::Multiply(r.mValue, a.mValue, b.mValue);
}

void LyMatrixTranspose(LyMatrix& r, const LyMatrix& m) noexcept {
    // Swapping mirrored pairs through two locals works in place and out of
    // place alike.
    const double* M = m.mValue;
    double* R = r.mValue;
    for (int i = 0; i < 4; ++i) {
        R[At(i, i)] = M[At(i, i)];
        for (int c = i + 1; c < 4; ++c) {
            const double upper = M[At(i, c)], lower = M[At(c, i)];
            R[At(i, c)] = lower;
            R[At(c, i)] = upper;
        }
    }
}

bool LyMatrixInverse(LyMatrix& r, const LyMatrix& m) noexcept {
    // Both paths read all of m before writing r, and write nothing when m is
    // singular.
#if defined(__SSE2__)
    return InvertInRegisters(r.mValue, m.mValue);
#else
    return InvertBySolving(r.mValue, m.mValue);
#endif
}

void LyMatrixOrthogonalize(LyMatrix& m) noexcept { velora::geometry::Orthogonalize(m.mValue); }

// --- Points -------------------------------------------------------------------

void LyVectorMatrixMult(LyVector4<double>& r, const LyMatrix& m, const LyVector4<double>& v) noexcept {
    const double* M = m.mValue;
    const double x = v[0], y = v[1], z = v[2];
    const double w = M[3] * x + M[7] * y + M[11] * z + M[15];
    const double inv = 1.0 / w;
    const double rx = (M[0] * x + M[4] * y + M[8] * z + M[12]) * inv;
    const double ry = (M[1] * x + M[5] * y + M[9] * z + M[13]) * inv;
    const double rz = (M[2] * x + M[6] * y + M[10] * z + M[14]) * inv;
    r[0] = rx;
    r[1] = ry;
    r[2] = rz;
}

void LyVertexMatrixMult(LyVector4<float>& r, const LyMatrix& m, const LyVector4<float>& v) noexcept {
    const double* M = m.mValue;
    const double x = v[0], y = v[1], z = v[2];
    const double w = M[3] * x + M[7] * y + M[11] * z + M[15];
    const double inv = static_cast<float>(1.0 / w);
    const float rx = static_cast<float>((M[0] * x + M[4] * y + M[8] * z + M[12]) * inv);
    const float ry = static_cast<float>((M[1] * x + M[5] * y + M[9] * z + M[13]) * inv);
    const float rz = static_cast<float>((M[2] * x + M[6] * y + M[10] * z + M[14]) * inv);
    r[0] = rx;
    r[1] = ry;
    r[2] = rz;
}

// --- Local and global ---------------------------------------------------------

void LyGetGlobalMatrix(LyMatrix& r, const LyMatrix& parent, const LyMatrix& local) noexcept {
    lymath::MultiplyAffine(r.mValue, parent.mValue, local.mValue);
}

void LyGetLocalMatrix(LyMatrix& r, const LyMatrix& parent, const LyMatrix& global) noexcept {
    const double* P = parent.mValue;
    // Row k of the inverse's 3 x 3 is axis k divided by its squared length;
    // its translation is that 3 x 3 applied to the negated translation.
    double inverse[16];
    for (int k = 0; k < 3; ++k) {
        const double ax = P[At(0, k)], ay = P[At(1, k)], az = P[At(2, k)];
        const double s = 1.0 / (ax * ax + ay * ay + az * az);
        inverse[At(k, 0)] = ax * s;
        inverse[At(k, 1)] = ay * s;
        inverse[At(k, 2)] = az * s;
    }
    const double tx = -P[12], ty = -P[13], tz = -P[14];
    for (int k = 0; k < 3; ++k)
        inverse[At(k, 3)] = inverse[At(k, 0)] * tx + inverse[At(k, 1)] * ty + inverse[At(k, 2)] * tz;
    inverse[3] = inverse[7] = inverse[11] = 0.0;
    inverse[15] = 1.0;
    lymath::MultiplyAffine(r.mValue, inverse, global.mValue);
}

// --- Translation and scaling ----------------------------------------------------

void LyTranslationToMatrix(LyMatrix& r, const LyVector4<double>& t) noexcept {
    const double x = t[0], y = t[1], z = t[2];
    r.Identity();
    r.mValue[12] = x;
    r.mValue[13] = y;
    r.mValue[14] = z;
}

void LyScalingToMatrix(LyMatrix& r, const LySVector& s) noexcept {
    const double x = s[0], y = s[1], z = s[2];
    r.Identity();
    r.mValue[0] = x;
    r.mValue[5] = y;
    r.mValue[10] = z;
}

void LyMatrixToTranslation(LyVector4<double>& t, const LyMatrix& m) noexcept {
    t[0] = m.mValue[12];
    t[1] = m.mValue[13];
    t[2] = m.mValue[14];
}

void LyMatrixToScaling(LySVector& s, const LyMatrix& m) noexcept {
    const double* M = m.mValue;
    const double sx = std::sqrt(M[0] * M[0] + M[1] * M[1] + M[2] * M[2]);
    const double sy = std::sqrt(M[4] * M[4] + M[5] * M[5] + M[6] * M[6]);
    const double sz = std::sqrt(M[8] * M[8] + M[9] * M[9] + M[10] * M[10]);
    // det = X . (Y x Z)
    const double det = M[0] * (M[5] * M[10] - M[6] * M[9]) + M[1] * (M[6] * M[8] - M[4] * M[10]) +
                       M[2] * (M[4] * M[9] - M[5] * M[8]);
    const double sign = det < 0.0 ? -1.0 : 1.0;
    s.Set(sx * sign, sy * sign, sz * sign);
}

void LyMult(LyMatrix& r, const LyMatrix& m, const LySVector& s) noexcept {
    const double sx = s[0], sy = s[1], sz = s[2];
    const double* M = m.mValue;
    double* R = r.mValue;
    for (int i = 0; i < 3; ++i) {
        const double x = M[i] * sx, y = M[4 + i] * sy, z = M[8 + i] * sz;
        R[i] = x;
        R[4 + i] = y;
        R[8 + i] = z;
    }
}

LYSDK_END_NAMESPACE
