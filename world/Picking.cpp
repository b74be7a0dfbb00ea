#include "world/Picking.h"

#include <cmath>

#include "ball/SoftBall.h"
#include "math/Constants.h"
#include "math/PortableMath.h"
#include "scene/Board.h"
#include "world/Camera.h"
#include "world/World.h"

namespace {
// The projection's vertical field of view is 45 degrees: tan(22.5 degrees),
// the double nearest to sqrt(2) - 1.
constexpr double kTanHalfFieldOfView = 0.41421356237309503;

// Right-handed rotations by `degrees` about one axis, as OpenGL's.
Vec3 aboutX(const Vec3& v, double degrees) {
    const double c = portableCos(degrees * kDegreesToRadians), s = portableSin(degrees * kDegreesToRadians);
    return Vec3(v.x, v.y * c - v.z * s, v.y * s + v.z * c);
}
Vec3 aboutY(const Vec3& v, double degrees) {
    const double c = portableCos(degrees * kDegreesToRadians), s = portableSin(degrees * kDegreesToRadians);
    return Vec3(v.x * c + v.z * s, v.y, -v.x * s + v.z * c);
}
Vec3 aboutZ(const Vec3& v, double degrees) {
    const double c = portableCos(degrees * kDegreesToRadians), s = portableSin(degrees * kDegreesToRadians);
    return Vec3(v.x * c - v.y * s, v.x * s + v.y * c, v.z);
}

// The view turns the world by -yaw about y and -pitch about x, after a
// look-at that faces +z (a half turn about y); this undoes it for a
// direction given in the eye's frame (looking along -z).
Vec3 eyeToWorld(const Camera& camera, const Vec3& eye) {
    const Vec3 turned = aboutY(aboutX(eye, camera.pitch), camera.yaw);
    return Vec3(-turned.x, turned.y, -turned.z);
}
}  // namespace

Ray pointerRay(const Camera& camera, const WindowSize& window, int x, int y) {
    const double width = window.width > 0 ? window.width : 1;
    const double height = window.height > 0 ? window.height : 1;
    const double tanHalf = kTanHalfFieldOfView;
    const double ndcX = 2.0 * (x + 0.5) / width - 1.0;
    const double ndcY = 1.0 - 2.0 * (y + 0.5) / height;
    const Vec3 eye(ndcX * tanHalf * (width / height), ndcY * tanHalf, -1.0);
    return {camera.position, normalized(eyeToWorld(camera, eye))};
}

Vec3 viewDirection(const Camera& camera) { return normalized(eyeToWorld(camera, Vec3(0.0, 0.0, -1.0))); }

// Shown = Rx(tiltX) Rz(tiltZ) board, so board = Rz(-tiltZ) Rx(-tiltX) shown.
Vec3 directionOnBoard(const Board& board, const Vec3& seen) {
    return aboutZ(aboutX(seen, -board.tiltX), -board.tiltZ);
}
Vec3 pointOnBoard(const Board& board, const Vec3& seen) { return directionOnBoard(board, seen); }
Ray rayOnBoard(const Board& board, const Ray& seen) {
    return {pointOnBoard(board, seen.origin), directionOnBoard(board, seen.direction)};
}

int nearestSurfaceParticle(const SoftBall& ball, const Ray& ray, double reach) {
    if (!ball.isBuilt()) return -1;
    int nearest = -1;
    double nearestSquared = reach * reach;
    const int centre = ball.centreIndex();
    const Vec3& middle = ball.particles[centre].position;
    for (int i = 0; i < static_cast<int>(ball.particles.size()); ++i) {
        if (i == centre) continue;
        const Vec3& position = ball.particles[i].position;
        // Only the side that faces the pointer: a ray through the ball also
        // passes close to points on its far side.
        if (!(dot(position - middle, ray.direction) < 0.0)) continue;
        const Vec3 v = position - ray.origin;
        const double along = dot(v, ray.direction);
        if (!(along > 0.0)) continue;
        const double squared = dot(v, v) - along * along;
        if (squared <= nearestSquared && (nearest < 0 || squared < nearestSquared)) {
            nearest = i;
            nearestSquared = squared;
        }
    }
    return nearest;
}

bool meetPlane(const Ray& ray, const Vec3& point, const Vec3& normal, Vec3& hit) {
    const double facing = dot(ray.direction, normal);
    if (!(std::fabs(facing) > 1e-9)) return false;
    const double t = dot(point - ray.origin, normal) / facing;
    if (!(t > 0.0) || !std::isfinite(t)) return false;
    hit = ray.origin + t * ray.direction;
    return true;
}
