#ifndef LYMATH_MATRIX_H
#define LYMATH_MATRIX_H

// 4 x 4 matrices as 16 doubles, column-major for column vectors: element
// (row i, column c) at 4c + i, the translation at 12, 13 and 14.

namespace lymath {

/// Index of element (row i, column c).
constexpr int At(int i, int c) noexcept { return 4 * c + i; }

/// r = a . b. All of a is held in registers and each column of b is read
/// before the same column of r is written, so r may be a, b or both without
/// a temporary matrix.
inline void Multiply(double* r, const double* a, const double* b) noexcept {
    const double a0 = a[0], a1 = a[1], a2 = a[2], a3 = a[3];
    const double a4 = a[4], a5 = a[5], a6 = a[6], a7 = a[7];
    const double a8 = a[8], a9 = a[9], a10 = a[10], a11 = a[11];
    const double a12 = a[12], a13 = a[13], a14 = a[14], a15 = a[15];
    for (int c = 0; c < 16; c += 4) {
        const double b0 = b[c], b1 = b[c + 1], b2 = b[c + 2], b3 = b[c + 3];
        r[c] = a0 * b0 + a4 * b1 + a8 * b2 + a12 * b3;
        r[c + 1] = a1 * b0 + a5 * b1 + a9 * b2 + a13 * b3;
        r[c + 2] = a2 * b0 + a6 * b1 + a10 * b2 + a14 * b3;
        r[c + 3] = a3 * b0 + a7 * b1 + a11 * b2 + a15 * b3;
    }
}

/// r = a . b over the upper three rows, with a fourth row of (0, 0, 0, 1):
/// the product of two affine transforms, whatever their fourth rows hold.
/// r may be a or b.
inline void MultiplyAffine(double* r, const double* a, const double* b) noexcept {
    double out[16];
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i < 3; ++i)
            out[At(i, c)] = a[At(i, 0)] * b[At(0, c)] + a[At(i, 1)] * b[At(1, c)] +
                            a[At(i, 2)] * b[At(2, c)] + a[At(i, 3)] * b[At(3, c)];
    out[3] = out[7] = out[11] = 0.0;
    out[15] = 1.0;
    for (int i = 0; i < 16; ++i) r[i] = out[i];
}

/// Zero translation and a fourth row of (0, 0, 0, 1).
inline void SetNoTranslation(double* m) noexcept {
    m[3] = m[7] = m[11] = 0.0;
    m[12] = m[13] = m[14] = 0.0;
    m[15] = 1.0;
}

/// Translation (x, y, z) and a fourth row of (0, 0, 0, 1).
inline void SetTranslation(double* m, double x, double y, double z) noexcept {
    m[3] = m[7] = m[11] = 0.0;
    m[12] = x;
    m[13] = y;
    m[14] = z;
    m[15] = 1.0;
}

}  // namespace lymath

#endif  // LYMATH_MATRIX_H
