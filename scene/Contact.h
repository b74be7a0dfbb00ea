#pragma once

#include "math/Vec3.h"

// Contact of a point with the fixed scene (ground plate, floating platform,
// ramp), in the untilted frame. On true, `correction` points out of the
// surface with the penetration depth as its length; on false it is untouched.
bool particleContact(const Vec3& position, Vec3& correction);

// The same for the ball's centre particle, whose surfaces lie further out.
bool centreContact(const Vec3& position, double radius, Vec3& correction);
