// Camera direction vectors and the start-up placement.
#include <gtest/gtest.h>

#include <cmath>

#include "world/Camera.h"

namespace {
Camera cameraAt(float yaw, float pitch) {
    Camera c;
    c.yaw = yaw;
    c.pitch = pitch;
    c.updateVectors();
    return c;
}
}  // namespace

TEST(Camera, DefaultsLookAlongMinusZUntilUpdated) {
    Camera c;
    EXPECT_EQ(c.forward.z, -1.0);
    EXPECT_EQ(c.right.x, 1.0);
    EXPECT_EQ(c.up.y, 1.0);
    c.updateVectors();  // yaw 0 really means looking along +z
    EXPECT_DOUBLE_EQ(c.forward.z, 1.0);
    EXPECT_DOUBLE_EQ(c.right.x, -1.0);
    EXPECT_NEAR(c.right.z, 0.0, 1e-15);
}

TEST(Camera, StartPlacementLooksAlongMinusZ) {
    Camera c;
    placeCameraAtStart(c);
    EXPECT_EQ(c.position.x, 0.0);
    EXPECT_EQ(c.position.y, 7.0);
    EXPECT_EQ(c.position.z, 16.0);
    EXPECT_EQ(c.yaw, 180.0f);
    EXPECT_EQ(c.pitch, 0.0f);
    EXPECT_NEAR(c.forward.x, 0.0, 1e-15);
    EXPECT_DOUBLE_EQ(c.forward.z, -1.0);
    EXPECT_DOUBLE_EQ(c.right.x, 1.0);
    EXPECT_EQ(c.forward.y, 0.0);
    EXPECT_EQ(c.right.y, 0.0);
}

TEST(Camera, PitchScalesOnlyTheXComponent) {
    // yaw 90, pitch 60: (0.5, 0, ~6.1e-17) before normalising.
    Camera c = cameraAt(90.0f, 60.0f);
    EXPECT_DOUBLE_EQ(c.forward.x, 1.0);
    EXPECT_NEAR(c.forward.z, 1.2e-16, 0.05e-16);

    // yaw 45, pitch 60 normalises to (1/sqrt5, 0, 2/sqrt5), not the diagonal.
    c = cameraAt(45.0f, 60.0f);
    EXPECT_NEAR(c.forward.x, 1.0 / std::sqrt(5.0), 1e-12);
    EXPECT_NEAR(c.forward.z, 2.0 / std::sqrt(5.0), 1e-12);
}

TEST(Camera, ExactArithmeticOfUpdateVectors) {
    const float yaw = 33.5f, pitch = -17.25f;
    Camera c = cameraAt(yaw, pitch);
    const double d = 0.017453292519943295;
    const double cp = std::cos(pitch * d);
    double fx = std::sin(yaw * d) * cp, fz = std::cos(yaw * d);
    double len = std::sqrt(fx * fx + 0.0 * 0.0 + fz * fz);
    EXPECT_EQ(c.forward.x, fx / len);
    EXPECT_EQ(c.forward.z, fz / len);
    double rx = std::sin((yaw - 90) * d) * cp, rz = std::cos((yaw - 90) * d);
    len = std::sqrt(rx * rx + rz * rz);
    EXPECT_EQ(c.right.x, rx / len);
    EXPECT_EQ(c.right.z, rz / len);
}

TEST(Camera, PitchBeyondNinetyKeepsHorizontalUnitVectors) {
    for (float pitch : {90.0f, 135.0f, 270.0f}) {
        Camera c = cameraAt(10.0f, pitch);
        EXPECT_EQ(c.forward.y, 0.0);
        EXPECT_NEAR(length(c.forward), 1.0, 1e-12) << pitch;
        EXPECT_NEAR(length(c.right), 1.0, 1e-12) << pitch;
    }
}

TEST(Camera, RightVectorSubtractsNinetyDegreesInDoublePrecision) {
    // 0.1f - 90 is not representable as a float; the angle must not be
    // rounded to single precision before the conversion to radians.
    const float yaw = 0.1f;
    Camera c = cameraAt(yaw, 0.0f);
    const double d = 0.017453292519943295;
    const double y2 = (static_cast<double>(yaw) - 90.0) * d;
    const double rx = std::sin(y2) * std::cos(0.0 * d), rz = std::cos(y2);
    const double len = std::sqrt(rx * rx + 0.0 * 0.0 + rz * rz);
    EXPECT_EQ(c.right.x, rx / len);
    EXPECT_EQ(c.right.z, rz / len);
    EXPECT_NE(static_cast<double>(yaw - 90), static_cast<double>(yaw) - 90.0);
}
