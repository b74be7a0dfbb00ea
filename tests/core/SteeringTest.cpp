// Board steering: the exact single/double arithmetic of Board::steer, the
// clamp, and steering through the idle step with the starting camera.
#include <gtest/gtest.h>

#include "tests/core/SteeringReference.h"
#include "tests/core/WorldTest.h"

namespace {
struct KeyDirection {
    float a;
    float b;
};
constexpr KeyDirection kArrowDirections[] = {{1, 0}, {-1, 0}, {0, -1}, {0, 1}};

Vec3 headingOf(float yaw, float pitch) {
    Camera c;
    c.yaw = yaw;
    c.pitch = pitch;
    c.updateVectors();
    return c.forward;
}

// Steers a fresh board once from the given tilt and returns the new tilt.
ReferenceTilt steerOnce(ReferenceTilt from, float a, float b, const Vec3& heading) {
    Board g;
    g.tiltX = from.x;
    g.tiltZ = from.z;
    g.framesSinceTilt = 7;
    g.steer(a, b, heading);
    EXPECT_EQ(g.framesSinceTilt, 0);
    return {g.tiltX, g.tiltZ};
}

void expectSameTilt(const ReferenceTilt& got, const ReferenceTilt& want, const Vec3& heading) {
    EXPECT_EQ(got.x, want.x) << "heading " << heading.x << ", " << heading.z;
    EXPECT_EQ(got.z, want.z) << "heading " << heading.x << ", " << heading.z;
}

class SteeringThroughIdle : public WorldTest {};
}  // namespace

TEST(Steering, MatchesTheRoundingModelForHeadingsAllAround) {
    // Many headings on both sides of x = 0; among them are angles where the
    // single-precision atan/sin/cos round differently from the double ones
    // rounded to float, so calling the float functions would be caught.
    int headingsTellingPrecisionsApart = 0;
    for (float pitch : {0.0f, 35.0f, -60.0f}) {
        for (float yaw = -180.0f; yaw < 540.0f; yaw += 1.7f) {
            const Vec3 h = headingOf(yaw, pitch);
            for (const KeyDirection& d : kArrowDirections) {
                ReferenceTilt want{3.25f, -7.5f}, single{3.25f, -7.5f};
                referenceSteer(want, d.a, d.b, h);
                referenceSteer(single, d.a, d.b, h, MathPrecision::Single);
                if (want.x != single.x || want.z != single.z) ++headingsTellingPrecisionsApart;
                expectSameTilt(steerOnce({3.25f, -7.5f}, d.a, d.b, h), want, h);
            }
        }
    }
    EXPECT_GE(headingsTellingPrecisionsApart, 5);
}

TEST(Steering, HeadingWithZeroXUsesSinglePrecisionQuarterTurns) {
    const Vec3 headings[] = {Vec3(0, 0, 1), Vec3(-0.0, 0, 1), Vec3(0, 0, -1), Vec3(0, 0, 0),
                             Vec3(0, 0, -0.0), Vec3(0, 5, 0.25)};
    for (const Vec3& h : headings) {
        for (const KeyDirection& d : kArrowDirections) {
            ReferenceTilt want{1.0f, 2.0f};
            referenceSteer(want, d.a, d.b, h);
            expectSameTilt(steerOnce({1.0f, 2.0f}, d.a, d.b, h), want, h);
        }
    }
    // z = 0 counts as "not positive": the same as looking along -z.
    for (const KeyDirection& d : kArrowDirections) {
        ReferenceTilt zero = steerOnce({}, d.a, d.b, Vec3(0, 0, 0));
        ReferenceTilt back = steerOnce({}, d.a, d.b, Vec3(0, 0, -1));
        EXPECT_EQ(zero.x, back.x);
        EXPECT_EQ(zero.z, back.z);
    }
    // Looking along +z, the up arrow raises tiltX by exactly 0.08f.
    EXPECT_EQ(steerOnce({}, 1, 0, Vec3(0, 0, 1)).x, 0.08f);
}

TEST(Steering, ClampsAtTwentyDegreesEitherWay) {
    const Vec3 alongPlusZ(0, 0, 1), alongMinusZ(0, 0, -1);
    EXPECT_EQ(steerOnce({19.95f, 0}, 1, 0, alongPlusZ).x, 20.0f);
    EXPECT_EQ(steerOnce({20.0f, 0}, 1, 0, alongPlusZ).x, 20.0f);
    EXPECT_EQ(steerOnce({-19.95f, 0}, 1, 0, alongMinusZ).x, -20.0f);
    EXPECT_EQ(steerOnce({0, 19.99f}, 0, -1, alongMinusZ).z, 20.0f);
    EXPECT_EQ(steerOnce({0, -19.99f}, 0, 1, alongMinusZ).z, -20.0f);
    // Below the limit nothing is clipped.
    ReferenceTilt want{19.9f, 0};
    referenceSteer(want, 1, 0, alongPlusZ);
    EXPECT_LT(want.x, 20.0f);
    EXPECT_EQ(steerOnce({19.9f, 0}, 1, 0, alongPlusZ).x, want.x);
}

TEST_F(SteeringThroughIdle, StartingCameraUpLowersTiltXRightLowersTiltZ) {
    const Vec3 start = referenceStartHeading();
    ASSERT_EQ(camera.forward.x, start.x);
    ASSERT_EQ(camera.forward.z, start.z);

    specialDown(kSpecialKeyUp);
    ReferenceTilt want;
    for (int call = 1; call <= 5; ++call) {
        step();
        referenceSteer(want, 1, 0, start);
        EXPECT_EQ(board.tiltX, want.x);
        EXPECT_EQ(board.tiltZ, want.z);
    }
    EXPECT_FLOAT_EQ(board.tiltX, -5 * 0.08f);
    EXPECT_NEAR(board.tiltZ, 0.0f, 1e-6f);
    specialUp(kSpecialKeyUp);

    restart();
    specialDown(kSpecialKeyRight);
    step();
    EXPECT_EQ(board.tiltZ, -0.08f);
    EXPECT_NEAR(board.tiltX, 0.0f, 1e-7f);
}

TEST_F(SteeringThroughIdle, TwoArrowsChangeBothTiltsInOneCall) {
    const Vec3 start = referenceStartHeading();
    specialDown(kSpecialKeyUp);
    specialDown(kSpecialKeyRight);
    ReferenceTilt want;
    for (int call = 0; call < 3; ++call) {
        step();
        referenceSteer(want, 1, 0, start);  // up is steered before right
        referenceSteer(want, 0, 1, start);
        EXPECT_EQ(board.tiltX, want.x);
        EXPECT_EQ(board.tiltZ, want.z);
    }
    EXPECT_FLOAT_EQ(board.tiltX, -0.24f);
    EXPECT_FLOAT_EQ(board.tiltZ, -0.24f);
}

TEST_F(SteeringThroughIdle, HoldingRightClampsThenRelaxesFromTheTwelfthCall) {
    const Vec3 start = referenceStartHeading();
    specialDown(kSpecialKeyRight);
    ReferenceTilt want;
    int firstClampedCall = 0;
    for (int call = 1; call <= 300; ++call) {
        step();
        referenceSteer(want, 0, 1, start);
        ASSERT_EQ(board.tiltZ, want.z) << "call " << call;
        ASSERT_EQ(board.tiltX, want.x) << "call " << call;
        ASSERT_EQ(board.framesSinceTilt, 0);
        if (firstClampedCall == 0 && board.tiltZ == -20.0f) firstClampedCall = call;
    }
    EXPECT_GE(firstClampedCall, 249);
    EXPECT_LE(firstClampedCall, 251);
    EXPECT_EQ(board.tiltZ, -20.0f);

    specialUp(kSpecialKeyRight);
    const float heldX = board.tiltX;
    for (int call = 1; call <= 11; ++call) {
        step();
        EXPECT_EQ(board.tiltZ, -20.0f) << "call " << call << " after the last steering";
        EXPECT_EQ(board.framesSinceTilt, call);
    }
    // From the 12th call on: times 0.99 in double precision, stored as float.
    float expectedZ = -20.0f, expectedX = heldX;
    float singlePrecisionZ = -20.0f;
    for (int call = 12; call <= 400; ++call) {
        step();
        expectedZ = static_cast<float>(static_cast<double>(expectedZ) * 0.99);
        expectedX = static_cast<float>(static_cast<double>(expectedX) * 0.99);
        singlePrecisionZ = singlePrecisionZ * 0.99f;
        ASSERT_EQ(board.tiltZ, expectedZ) << "call " << call;
        ASSERT_EQ(board.tiltX, expectedX) << "call " << call;
        ASSERT_EQ(board.framesSinceTilt, 11);
    }
    EXPECT_NE(singlePrecisionZ, expectedZ);
    EXPECT_GT(board.tiltZ, -0.5f);
}

TEST_F(SteeringThroughIdle, NewSteeringRestartsTheHold) {
    specialDown(kSpecialKeyUp);
    step();
    specialUp(kSpecialKeyUp);
    for (int call = 0; call < 11; ++call) step();
    specialDown(kSpecialKeyUp);
    step();  // relaxes once, then steers and restarts the hold
    specialUp(kSpecialKeyUp);
    const float held = board.tiltX;
    for (int call = 0; call < 11; ++call) step();
    EXPECT_EQ(board.tiltX, held);
    step();
    EXPECT_EQ(board.tiltX, static_cast<float>(static_cast<double>(held) * 0.99));
}
