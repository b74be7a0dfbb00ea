#pragma once

#include <cstddef>

#include "ball/Particle.h"
#include "math/Vec3.h"

// Force that `spring`, acting on the particle at `from`, exerts towards or
// away from the one at `to`. A spring whose ends coincide has no direction
// and exerts no force.
Vec3 springForce(const Vec3& from, const Vec3& to, const Spring& spring);

// How the sum of a particle's spring forces is computed: one spring after
// the other, two at a time, or four at a time. Every way does the same
// operations in the same order, so all give the same bits; the fastest the
// processor offers is used.
enum class SpringSumPath { OneByOne, TwoAtATime, FourAtATime };

bool springSumPathAvailable(SpringSumPath path);
SpringSumPath fastestSpringSumPath();

// The forces of `particle`'s springs on it at `at`, the other ends taken
// from `points`, added in list order.
Vec3 sumOfSpringForces(const ParticleList& particles, std::size_t particle, const Vec3& at, const Particle* points,
                       SpringSumPath path);

// The same for every particle at once, each at its place in `points`.
void sumOfEverySpringForce(const ParticleList& particles, const Particle* points, Vec3* sums, SpringSumPath path);
