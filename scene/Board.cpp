#include "scene/Board.h"

#include <cmath>

#include "math/Constants.h"
#include "math/PortableMath.h"

namespace {
constexpr float kSteerIncrement = 0.08f;
constexpr float kTiltLimit = 20.0f;
constexpr int kTiltHoldSteps = 10;
constexpr double kTiltRelaxation = 0.99;

// Heading angle in the x-z plane. Rounding to float happens exactly where the
// original steering code rounded, so replays stay bit-identical.
float headingAngle(const Vec3& h) {
    if (h.x > 0.0) {
        const float quotient = static_cast<float>(h.z / h.x);
        return static_cast<float>(portableAtan(static_cast<double>(quotient)));
    }
    if (h.x < 0.0) {
        const float quotient = static_cast<float>(h.z / h.x);
        const float angle = static_cast<float>(portableAtan(static_cast<double>(quotient)));
        return static_cast<float>(angle + kPi);
    }
    return h.z > 0.0 ? static_cast<float>(kHalfPi) : -static_cast<float>(kHalfPi);
}

float clampTilt(float value) {
    if (value >= kTiltLimit) return kTiltLimit;
    if (value <= -kTiltLimit) return -kTiltLimit;
    return value;
}
}  // namespace

void Board::steer(float a, float b, Vec3 heading) {
    framesSinceTilt = 0;
    const float theta = headingAngle(heading);
    const float beta = static_cast<float>(kHalfPi - theta);
    const float c = static_cast<float>(portableCos(static_cast<double>(beta)));
    const float s = static_cast<float>(portableSin(static_cast<double>(beta)));
    // Rotate the key direction by -beta into the board's frame.
    const double u = static_cast<double>(a) * c + static_cast<double>(b) * s;
    const double v = static_cast<double>(b) * c - static_cast<double>(a) * s;
    const double n = std::sqrt(u * u + v * v);
    tiltX = static_cast<float>(tiltX + static_cast<double>(kSteerIncrement) * u / n);
    tiltZ = static_cast<float>(tiltZ + static_cast<double>(kSteerIncrement) * v / n);
    tiltX = clampTilt(tiltX);
    tiltZ = clampTilt(tiltZ);
}

void Board::relax() {
    if (framesSinceTilt > kTiltHoldSteps) {
        tiltX = static_cast<float>(tiltX * kTiltRelaxation);
        tiltZ = static_cast<float>(tiltZ * kTiltRelaxation);
    } else {
        framesSinceTilt = framesSinceTilt + 1;
    }
}
