#pragma once

#include "math/Vec3.h"

struct Board;
struct Camera;
struct SoftBall;
struct WindowSize;

// A half-line: the points origin + t * direction for t > 0, direction of
// unit length.
struct Ray {
    Vec3 origin;
    Vec3 direction;
};

// The ray from the eye through the centre of pixel (x, y) (from the window's
// top left corner), as the window shows the world: the camera's view and a
// 45 degree perspective over the window's aspect. Pixels outside the window
// give rays outside the view; the window's height is never 0.
Ray pointerRay(const Camera& camera, const WindowSize& window, int x, int y);

// The direction the camera looks in (the middle of the view).
Vec3 viewDirection(const Camera& camera);

// The ball is simulated untilted and shown tilted with the board: this takes
// a point or direction seen on screen into the board's own frame.
Vec3 pointOnBoard(const Board& board, const Vec3& seen);
Vec3 directionOnBoard(const Board& board, const Vec3& seen);
Ray rayOnBoard(const Board& board, const Ray& seen);

// The surface particle nearest to the ray among those on the side of the
// ball that faces the ray's origin and in front of it, or -1 when none lies
// within `reach` of the ray. The centre particle is never chosen.
int nearestSurfaceParticle(const SoftBall& ball, const Ray& ray, double reach);

// Where the ray meets the plane through `point` with normal `normal`; false
// when it runs parallel to it or meets it behind its origin.
bool meetPlane(const Ray& ray, const Vec3& point, const Vec3& normal, Vec3& hit);
