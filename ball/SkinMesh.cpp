#include "ball/SkinMesh.h"

#include "ball/SoftBall.h"

namespace {
// Below this squared length a normal sum has no trustworthy direction.
constexpr double kVanishingSquaredLength = 1e-24;

int wrappedRingIndex(const SoftBall& ball, int r, int s) {
    return ball.ringIndex(r, (s % ball.segments + ball.segments) % ball.segments);
}

Vec3 fallbackNormal(const SoftBall& ball, const Vec3& position) {
    if (!ball.isBuilt()) return Vec3(0.0, 1.0, 0.0);
    const Vec3 fromCentre = position - ball.particles[ball.centreIndex()].position;
    if (dot(fromCentre, fromCentre) > kVanishingSquaredLength) return normalized(fromCentre);
    return Vec3(0.0, 1.0, 0.0);
}
}  // namespace

std::vector<SkinTriangle> skinTriangles(const SoftBall& ball) {
    std::vector<SkinTriangle> triangles;
    if (!ball.isBuilt()) return triangles;
    const int firstRing = 1;
    const int lastRing = ball.rings - 2;
    triangles.reserve(static_cast<std::size_t>(2 * ball.segments * (lastRing - firstRing + 1)));
    // The segments go round anticlockwise seen from the north pole (+z in
    // the ball's build), and the rings run from north to south.
    for (int s = 0; s < ball.segments; ++s)
        triangles.push_back({0, wrappedRingIndex(ball, firstRing, s), wrappedRingIndex(ball, firstRing, s + 1)});
    for (int r = firstRing; r < lastRing; ++r) {
        for (int s = 0; s < ball.segments; ++s) {
            const int here = wrappedRingIndex(ball, r, s);
            const int below = wrappedRingIndex(ball, r + 1, s);
            triangles.push_back({below, wrappedRingIndex(ball, r, s + 1), here});
            triangles.push_back({below, here, wrappedRingIndex(ball, r + 1, s - 1)});
        }
    }
    const int south = ball.southPoleIndex();
    for (int s = 0; s < ball.segments; ++s)
        triangles.push_back({south, wrappedRingIndex(ball, lastRing, s + 1), wrappedRingIndex(ball, lastRing, s)});
    return triangles;
}

std::vector<Vec3> skinNormals(const SoftBall& ball, const std::vector<SkinTriangle>& triangles) {
    std::vector<Vec3> sums(ball.particles.size());
    for (const SkinTriangle& t : triangles) {
        const Vec3& a = ball.particles[t.a].position;
        const Vec3 faceNormal = cross(ball.particles[t.b].position - a, ball.particles[t.c].position - a);
        sums[t.a] += faceNormal;
        sums[t.b] += faceNormal;
        sums[t.c] += faceNormal;
    }
    for (std::size_t i = 0; i < sums.size(); ++i) {
        const Vec3& sum = sums[i];
        sums[i] = dot(sum, sum) > kVanishingSquaredLength ? normalized(sum)
                                                          : fallbackNormal(ball, ball.particles[i].position);
    }
    return sums;
}
