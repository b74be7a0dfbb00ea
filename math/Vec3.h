#pragma once

#include <cmath>

// Double-precision 3-vector. Every operation is written out component by
// component so that the order of floating-point operations is fixed and
// results are reproducible bit for bit.
struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    Vec3() = default;
    constexpr Vec3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}

    Vec3& operator+=(const Vec3& o) {
        x = x + o.x;
        y = y + o.y;
        z = z + o.z;
        return *this;
    }
};

inline Vec3 operator+(const Vec3& a, const Vec3& b) { return Vec3(a.x + b.x, a.y + b.y, a.z + b.z); }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return Vec3(a.x - b.x, a.y - b.y, a.z - b.z); }
inline Vec3 operator-(const Vec3& a) { return Vec3(-a.x, -a.y, -a.z); }
inline Vec3 operator*(double s, const Vec3& v) { return Vec3(s * v.x, s * v.y, s * v.z); }
inline Vec3 operator*(const Vec3& v, double s) { return Vec3(v.x * s, v.y * s, v.z * s); }

inline double length(const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// Divides by the length; no guard against the zero vector (callers decide).
inline Vec3 normalized(const Vec3& v) {
    const double len = length(v);
    return Vec3(v.x / len, v.y / len, v.z / len);
}

inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return Vec3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
