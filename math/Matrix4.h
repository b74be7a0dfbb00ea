#pragma once

#include "math/Vec3.h"

// Row-major 4x4 matrix of doubles: m[0..3] is row 0, m[12..15] row 3.
struct Matrix4 {
    double m[16] = {};

    Matrix4() = default;
    Matrix4(double m00, double m01, double m02, double m03,
            double m10, double m11, double m12, double m13,
            double m20, double m21, double m22, double m23,
            double m30, double m31, double m32, double m33)
        : m{m00, m01, m02, m03, m10, m11, m12, m13, m20, m21, m22, m23, m30, m31, m32, m33} {}

    // Treats p as (p.x, p.y, p.z, 1) and divides by w through one reciprocal.
    Vec3 transformPoint(const Vec3& p) const {
        const double xp = m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3];
        const double yp = m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7];
        const double zp = m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11];
        const double w = m[12] * p.x + m[13] * p.y + m[14] * p.z + m[15];
        const double inv = 1.0 / w;
        return Vec3(xp * inv, yp * inv, zp * inv);
    }
};
