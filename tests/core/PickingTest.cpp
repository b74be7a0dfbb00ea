// The picking math of the mouse grab, on cases worked out by hand: the ray
// through a pixel, the board's frame, the nearest surface point, the plane.
#include <gtest/gtest.h>

#include <cmath>

#include "world/Picking.h"
#include "world/World.h"

namespace {
const double kTanHalfView = 0.41421356237309503;  // tan(22.5 degrees)

void expectNear(const Vec3& got, const Vec3& want, double tolerance = 1e-12) {
    EXPECT_NEAR(got.x, want.x, tolerance);
    EXPECT_NEAR(got.y, want.y, tolerance);
    EXPECT_NEAR(got.z, want.z, tolerance);
}

Camera cameraAt(const Vec3& position, float yaw, float pitch) {
    Camera camera;
    camera.position = position;
    camera.yaw = yaw;
    camera.pitch = pitch;
    camera.updateVectors();
    return camera;
}

Vec3 unit(double x, double y, double z) { return normalized(Vec3(x, y, z)); }
}  // namespace

TEST(Picking, TheMiddleOfAnOddWindowLooksWhereTheCameraLooks) {
    const World start;
    WindowSize three{3, 3};
    const Ray ray = pointerRay(start.camera, three, 1, 1);
    expectNear(ray.origin, Vec3(0, 7, 16));
    expectNear(ray.direction, Vec3(0, 0, -1));
    expectNear(viewDirection(start.camera), Vec3(0, 0, -1));

    // Turned: yaw 90 looks along +x, yaw 270 along -x, pitch 90 straight up.
    expectNear(viewDirection(cameraAt(Vec3(), 90.0f, 0.0f)), Vec3(1, 0, 0));
    expectNear(viewDirection(cameraAt(Vec3(), 270.0f, 0.0f)), Vec3(-1, 0, 0));
    expectNear(viewDirection(cameraAt(Vec3(), 180.0f, 90.0f)), Vec3(0, 1, 0));
    expectNear(viewDirection(cameraAt(Vec3(), 180.0f, 30.0f)), Vec3(0, 0.5, -std::sqrt(0.75)));
}

TEST(Picking, ACornerPixelLooksUpAndLeftByHalfTheView) {
    // A 2x2 window: the centre of the top left pixel is half way from the
    // middle to the corner, in both directions.
    const World start;
    const Ray ray = pointerRay(start.camera, WindowSize{2, 2}, 0, 0);
    expectNear(ray.direction, unit(-0.5 * kTanHalfView, 0.5 * kTanHalfView, -1));

    // 640x480 is wider than high: the same share of the width reaches further.
    const Ray wide = pointerRay(start.camera, WindowSize{640, 480}, 479, 359);
    const double ndcX = 2.0 * 479.5 / 640 - 1, ndcY = 1 - 2.0 * 359.5 / 480;
    expectNear(wide.direction, unit(ndcX * kTanHalfView * 640 / 480, ndcY * kTanHalfView, -1));
}

TEST(Picking, PointersOutsideTheWindowAndAZeroHighWindowGiveFiniteRays) {
    World world;
    const Ray left = pointerRay(world.camera, WindowSize{3, 3}, -3, 1);  // three pixels left of the window
    expectNear(left.direction, unit(-(2.0 * -2.5 / 3 - 1) * -kTanHalfView, 0, -1));
    EXPECT_LT(left.direction.x, -0.7);

    const Ray far = pointerRay(world.camera, world.window, -100000, 100000);
    EXPECT_TRUE(std::isfinite(far.direction.x) && std::isfinite(far.direction.y) && std::isfinite(far.direction.z));
    EXPECT_NEAR(length(far.direction), 1.0, 1e-12);

    // A window resized to height 0 is kept 1 high: its only row looks level.
    reshape(world, 640, 0);
    ASSERT_EQ(world.window.height, 1);
    const Ray flat = pointerRay(world.camera, world.window, 320, 0);
    expectNear(flat.direction, unit((2.0 * 320.5 / 640 - 1) * kTanHalfView * 640, 0, -1));
    const Ray outside = pointerRay(world.camera, WindowSize{640, 0}, 10, 10);  // never stored, still safe
    EXPECT_TRUE(std::isfinite(outside.direction.y));
}

TEST(Picking, TheBoardsFrameUndoesItsTilt) {
    Board board;
    board.tiltX = 90.0f;  // shown = Rx(90) board: the board's -z is seen as up
    expectNear(directionOnBoard(board, Vec3(0, 1, 0)), Vec3(0, 0, -1));
    board = Board();
    board.tiltZ = 90.0f;  // shown = Rz(90) board: the board's +x is seen as up
    expectNear(pointOnBoard(board, Vec3(0, 1, 0)), Vec3(1, 0, 0));
    // Both: x first undone, then z.
    board.tiltX = 90.0f;
    expectNear(pointOnBoard(board, Vec3(0, 0, 1)), Vec3(1, 0, 0));
}

TEST(Picking, TheNearestSurfacePointOnTheSideFacingThePointer) {
    SoftBall ball;
    ball.setUpModel();  // centre (0, 5, 0), north pole at +z
    EXPECT_EQ(nearestSurfaceParticle(ball, {Vec3(0, 5, 10), Vec3(0, 0, -1)}, 0.3), 0);
    EXPECT_EQ(nearestSurfaceParticle(ball, {Vec3(0, 5, -10), Vec3(0, 0, 1)}, 0.3), ball.southPoleIndex());
    // Through the centre from the side: a ring particle at segment 0 (+x),
    // not one on the far side and never the centre itself.
    const int side = nearestSurfaceParticle(ball, {Vec3(10, 5, 0.1), Vec3(-1, 0, 0)}, 0.3);
    ASSERT_GE(side, 1);
    EXPECT_GT(ball.particles[side].position.x, 0.9);
    // Missing the ball, and pointing away from it.
    EXPECT_EQ(nearestSurfaceParticle(ball, {Vec3(5, 5, 10), Vec3(0, 0, -1)}, 0.3), -1);
    EXPECT_EQ(nearestSurfaceParticle(ball, {Vec3(0, 5, 10), Vec3(0, 0, 1)}, 0.3), -1);
    // 0.12 from the north pole, half way between two ring particles (0.167
    // away): within a reach of 0.13, beyond one of 0.11.
    const double angle = 15.0 * 3.141592653589793 / 180.0;
    const Ray offAxis{Vec3(0.12 * std::cos(angle), 5 + 0.12 * std::sin(angle), 10), Vec3(0, 0, -1)};
    EXPECT_EQ(nearestSurfaceParticle(ball, offAxis, 0.13), 0);
    EXPECT_EQ(nearestSurfaceParticle(ball, offAxis, 0.11), -1);
    EXPECT_EQ(nearestSurfaceParticle(SoftBall(), {Vec3(0, 5, 10), Vec3(0, 0, -1)}, 0.3), -1);
}

TEST(Picking, APlaneIsMetInFrontOnly) {
    Vec3 hit(7, 7, 7);
    EXPECT_TRUE(meetPlane({Vec3(0, 0, 10), Vec3(0, 0.6, -0.8)}, Vec3(0, 0, 2), Vec3(0, 0, 1), hit));
    expectNear(hit, Vec3(0, 6, 2));
    hit = Vec3(7, 7, 7);
    EXPECT_FALSE(meetPlane({Vec3(0, 0, 10), Vec3(0, 0, 1)}, Vec3(0, 0, 2), Vec3(0, 0, 1), hit));  // behind
    EXPECT_FALSE(meetPlane({Vec3(0, 0, 10), Vec3(1, 0, 0)}, Vec3(0, 0, 2), Vec3(0, 0, 1), hit));  // parallel
    expectNear(hit, Vec3(7, 7, 7));
}
