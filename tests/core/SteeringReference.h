#pragma once

#include <cmath>

#include "math/Vec3.h"

// An independent model of the board steering, written out step by step with
// every rounding to single precision made explicit, to check Ground::steer
// and the replay against.
struct ReferenceTilt {
    float x = 0.0f;
    float z = 0.0f;
};

// Selects the double library functions (the ones steering must use) or the
// single-precision ones (to show that the test cases tell them apart).
enum class MathPrecision { Double, Single };

inline float referenceAtan(float q, MathPrecision p) {
    return p == MathPrecision::Double ? static_cast<float>(std::atan(static_cast<double>(q)))
                                      : std::atan(q);
}
inline float referenceCos(float x, MathPrecision p) {
    return p == MathPrecision::Double ? static_cast<float>(std::cos(static_cast<double>(x)))
                                      : std::cos(x);
}
inline float referenceSin(float x, MathPrecision p) {
    return p == MathPrecision::Double ? static_cast<float>(std::sin(static_cast<double>(x)))
                                      : std::sin(x);
}

inline float referenceHeadingAngle(const Vec3& h, MathPrecision p) {
    const double pi = 3.141592653589793;
    if (h.x > 0.0) return referenceAtan(static_cast<float>(h.z / h.x), p);
    if (h.x < 0.0) {
        const float angle = referenceAtan(static_cast<float>(h.z / h.x), p);
        return static_cast<float>(static_cast<double>(angle) + pi);
    }
    const float halfPi = static_cast<float>(pi / 2.0);
    return h.z > 0.0 ? halfPi : -halfPi;
}

inline float referenceClamp(float t) {
    if (t >= 20.0f) return 20.0f;
    if (t <= -20.0f) return -20.0f;
    return t;
}

inline void referenceSteer(ReferenceTilt& tilt, float a, float b, const Vec3& h,
                           MathPrecision p = MathPrecision::Double) {
    const double halfPi = 3.141592653589793 / 2.0;
    const float theta = referenceHeadingAngle(h, p);
    const float beta = static_cast<float>(halfPi - static_cast<double>(theta));
    const float c = referenceCos(beta, p);
    const float s = referenceSin(beta, p);
    const double u = static_cast<double>(a) * static_cast<double>(c) +
                     static_cast<double>(b) * static_cast<double>(s);
    const double v = static_cast<double>(b) * static_cast<double>(c) -
                     static_cast<double>(a) * static_cast<double>(s);
    const double n = std::sqrt(u * u + v * v);
    const double step = 0.07999999821186066;  // 0.08f
    tilt.x = referenceClamp(static_cast<float>(static_cast<double>(tilt.x) + step * u / n));
    tilt.z = referenceClamp(static_cast<float>(static_cast<double>(tilt.z) + step * v / n));
}

// The camera's forward vector as start-up leaves it: yaw 180, pitch 0.
inline Vec3 referenceStartHeading() {
    const double yaw = 180.0 * 0.017453292519943295;
    const double x = std::sin(yaw) * std::cos(0.0), z = std::cos(yaw);
    const double len = std::sqrt(x * x + z * z);
    return Vec3(x / len, 0.0, z / len);
}
