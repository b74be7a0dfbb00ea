#pragma once

#include <vector>

#include "math/Vec3.h"

struct SoftBall;

// One triangle of the ball's skin: three particle indices, counter-clockwise
// seen from outside the ball, so that (b - a) x (c - a) points outwards.
struct SkinTriangle {
    int a, b, c;
};

// The skin as the classic look has always covered it: a fan from each pole
// to its ring, and two triangles per cell between neighbouring rings. Empty
// for a ball that is not built.
std::vector<SkinTriangle> skinTriangles(const SoftBall& ball);

// The surface's own unit normal at every particle (indexed as the ball's
// particles): the sum of the outward normals of the triangles around it,
// each as long as twice its triangle's area, so that large triangles weigh
// more. Where that sum vanishes (a point on no triangle, such as the centre,
// or a skin crushed flat around it) the normal is the direction from the
// centre particle, or straight up when that has none either.
std::vector<Vec3> skinNormals(const SoftBall& ball, const std::vector<SkinTriangle>& triangles);
