#pragma once

#include <array>

#include "math/Vec3.h"

// Contact of a point with the fixed scene (ground plate, floating platform,
// ramp), in the untilted frame. On true, `correction` points out of the
// surface with the penetration depth as its length; on false it is untouched.
bool particleContact(const Vec3& position, Vec3& correction);

// The same for the ball's centre particle, whose surfaces lie further out.
bool centreContact(const Vec3& position, double radius, Vec3& correction);

// A top of the fixed scene as a surface point meets it, seen from above: a
// rectangle in x and z whose height rises `slope` per unit of x.
struct TopSurface {
    double minX, maxX, minZ, maxZ;
    double heightAtMinX;
    double slope;

    double heightAt(double x) const { return heightAtMinX + slope * (x - minX); }
    bool covers(double x, double z) const { return minX < x && x < maxX && minZ < z && z < maxZ; }
};

// The ground plate, the platform's top and the ramp's top, from the same
// figures as the contact above.
const std::array<TopSurface, 3>& topSurfaces();
