#pragma once

#include "math/Vec3.h"

// The figures and forces every way of stepping the ball shares.
constexpr double kContactGain = 100.0;

// The mouse's grab: a damped spring from the particle to the target, never
// stronger than a limit however far the pointer drags.
Vec3 pullForce(const Vec3& position, const Vec3& velocity, const Vec3& target);
