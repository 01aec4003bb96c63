#ifndef LYSDK_TESTS_MATH_REFERENCE_H
#define LYSDK_TESTS_MATH_REFERENCE_H

// Shared by the math tests: bridges to Eigen (the outside reference),
// seeded random inputs and the report of the largest error seen.

#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <Eigen/Geometry>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "lysdk/lygeometry.h"
#include "lysdk/lymatrix.h"
#include "lysdk/lyquaternion.h"
#include "lysdk/lyrotation.h"
#include "lysdk/lyvector.h"

// Readable failure messages (the types also convert to pointers, which is
// what GoogleTest would print otherwise).
LYSDK_BEGIN_NAMESPACE
template <class V, int N = sizeof(V) / sizeof(double)>
void PrintValues(const V& v, std::ostream* os) {
    *os << "(";
    for (int i = 0; i < N; ++i) *os << (i ? ", " : "") << v.mValue[i];
    *os << ")";
}
inline void PrintTo(const LyMatrix& m, std::ostream* os) { PrintValues(m, os); }
inline void PrintTo(const LyVector3<double>& v, std::ostream* os) { PrintValues(v, os); }
inline void PrintTo(const LyVector4<double>& v, std::ostream* os) { PrintValues(v, os); }
inline void PrintTo(const LyVector4<float>& v, std::ostream* os) { PrintValues<LyVector4<float>, 4>(v, os); }
LYSDK_END_NAMESPACE

namespace mathtest {

using namespace VELSDK2025;

inline Eigen::Matrix4d ToEigen(const LyMatrix& m) { return Eigen::Map<const Eigen::Matrix4d>(m.mValue); }
inline LyMatrix FromEigen(const Eigen::Matrix4d& e) { return LyMatrix(e.data()); }
inline Eigen::Quaterniond ToEigen(const LyVector4<double>& q) { return {q[3], q[0], q[1], q[2]}; }

inline double MaxAbsDiff(const LyMatrix& a, const LyMatrix& b) {
    double e = 0.0;
    for (int i = 0; i < 16; ++i) e = std::max(e, std::fabs(a.mValue[i] - b.mValue[i]));
    return e;
}

// The elementary rotations (degrees) as Eigen builds them.
inline Eigen::Matrix3d Rot(int axis, double degrees) {
    return Eigen::AngleAxisd(degrees * M_PI / 180.0, Eigen::Vector3d::Unit(axis)).toRotationMatrix();
}
// Axes of each rotation order, in order of application.
constexpr int kOrderAxes[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
inline Eigen::Matrix3d EulerReference(const LyVector3<double>& r, int order) {
    const int* ax = kOrderAxes[order];
    return Rot(ax[2], r[2]) * Rot(ax[1], r[1]) * Rot(ax[0], r[0]);
}

struct Random {
    std::mt19937_64 engine{20250601};
    double Uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(engine); }
    LyMatrix Matrix(double range = 1.0) {
        LyMatrix m;
        for (double& v : m.mValue) v = Uniform(-range, range);
        return m;
    }
    LyVector4<double> UnitQuaternion() {
        Eigen::Quaterniond q = Eigen::Quaterniond::UnitRandom();
        return {q.x(), q.y(), q.z(), q.w()};
    }
    LyVector3<double> Angles(double lo = -180.0, double hi = 180.0) {
        return {Uniform(lo, hi), Uniform(lo, hi), Uniform(lo, hi)};
    }
};

// Records the largest error of one comparison and prints it when the test
// ends, so a run shows how far from the reference each function strays.
class MaxError {
public:
    MaxError(std::string name, double limit) : name_(std::move(name)), limit_(limit) {}
    void Add(double e) {
        ++count_;
        if (!(e <= worst_)) worst_ = e;  // NaN sticks
    }
    ~MaxError() {
        std::printf("[ accuracy ] %-52s largest error %.3g over %ld samples (limit %.1g)\n", name_.c_str(), worst_,
                    count_, limit_);
        ::testing::Test::RecordProperty(name_, std::to_string(worst_));
        EXPECT_LE(worst_, limit_) << name_;
    }

private:
    std::string name_;
    double limit_;
    double worst_ = 0.0;
    long count_ = 0;
};

}  // namespace mathtest

#endif  // LYSDK_TESTS_MATH_REFERENCE_H
