#include "scene/Contact.h"

namespace {
// The scene as one kind of point sees it. The centre particle sees every
// surface further out than a surface particle does, by about the ball's
// radius, so it stays inside its skin.
struct ContactShape {
    double groundY;
    double platformBottom, platformTop;
    double rampMinX, rampMaxX, rampFarZ, rampNearZ;
    double rampStartX, rampLift;       // ramp top height: (x + rampStartX) / 3 + rampLift
    double endFaceFromX, endFaceBelowY, endFaceX;
};

constexpr double kSceneHalfSize = 30.0;
constexpr double kPlatformHalfSize = 2.0;
constexpr double kSlabThickness = 0.4;
constexpr double kDownhillNudge = -0.0005;

bool strictlyBetween(double low, double value, double high) { return low < value && value < high; }

Vec3 rampCorrection(const ContactShape& shape, double x, double y, double z, bool& hit) {
    hit = true;
    const double top = (x + shape.rampStartX) / 3.0 + shape.rampLift;
    if (y <= top && y >= top - kSlabThickness) return Vec3(kDownhillNudge, top - y, 0.0);
    if (x > shape.endFaceFromX && y < shape.endFaceBelowY) return Vec3(shape.endFaceX - x, 0.0, 0.0);
    if (z > shape.rampNearZ - kSlabThickness && y <= top) return Vec3(0.0, 0.0, shape.rampNearZ - z);
    if (strictlyBetween(shape.rampFarZ, z, shape.rampFarZ + kSlabThickness) && y <= top)
        return Vec3(0.0, 0.0, shape.rampFarZ - z);
    hit = false;
    return Vec3();
}

bool contactWith(const ContactShape& shape, const Vec3& position, Vec3& correction) {
    const double x = position.x, y = position.y, z = position.z;
    if (!strictlyBetween(-kSceneHalfSize, z, kSceneHalfSize) || !strictlyBetween(-kSceneHalfSize, x, kSceneHalfSize))
        return false;

    const bool onGround = y <= shape.groundY;
    const Vec3 ground(0.0, shape.groundY - y, 0.0);
    if (onGround) correction = ground;

    // The platform is a slab under its top; a point below the slab passes under it.
    if (strictlyBetween(-kPlatformHalfSize, z, kPlatformHalfSize) &&
        strictlyBetween(-kPlatformHalfSize, x, kPlatformHalfSize) && y >= shape.platformBottom &&
        y <= shape.platformTop) {
        correction = Vec3(0.0, shape.platformTop - y, 0.0);
        return true;
    }

    if (!strictlyBetween(shape.rampFarZ, z, shape.rampNearZ) || !strictlyBetween(shape.rampMinX, x, shape.rampMaxX))
        return onGround;
    bool onRamp = false;
    const Vec3 ramp = rampCorrection(shape, x, y, z, onRamp);
    if (!onRamp) return onGround;
    correction = onGround ? ramp + ground : ramp;
    return true;
}

constexpr ContactShape kParticleShape{
    0.0,                              // ground
    1.6, 2.0,                         // platform slab
    -10.0, 5.0, -18.0, -10.0,         // ramp block
    10.0, 0.0,                        // ramp top
    4.6, 4.6, 5.0,                    // high end face
};

ContactShape centreShape(double radius) {
    const double e = radius - 0.15;
    return ContactShape{
        0.3,
        1.9, 2.3,
        -10.9, 5.7, -18.0 - e, e - 10.0,
        10.9, 0.3,
        4.8, 5.1, 5.7,
    };
}
}  // namespace

bool particleContact(const Vec3& position, Vec3& correction) {
    return contactWith(kParticleShape, position, correction);
}

bool centreContact(const Vec3& position, double radius, Vec3& correction) {
    return contactWith(centreShape(radius), position, correction);
}

const std::array<TopSurface, 3>& topSurfaces() {
    constexpr const ContactShape& s = kParticleShape;
    static const std::array<TopSurface, 3> tops = {{
        {-kSceneHalfSize, kSceneHalfSize, -kSceneHalfSize, kSceneHalfSize, s.groundY, 0.0},
        {-kPlatformHalfSize, kPlatformHalfSize, -kPlatformHalfSize, kPlatformHalfSize, s.platformTop, 0.0},
        {s.rampMinX, s.rampMaxX, s.rampFarZ, s.rampNearZ, (s.rampMinX + s.rampStartX) / 3.0 + s.rampLift,
         1.0 / 3.0},
    }};
    return tops;
}
