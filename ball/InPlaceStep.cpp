#include <cstddef>

#include "ball/SoftBall.h"
#include "ball/SoftBallRules.h"
#include "ball/SpringForces.h"
#include "scene/Contact.h"

// Particles are moved one after another: later particles feel the already
// moved positions of earlier ones. While no surface particle has touched the
// scene yet in this step, gravity is counted twice.
void SoftBall::stepInPlace(const ParticlePull& pull) {
    contactCount = 0;
    airborne = true;
    const int centreParticle = centreIndex();
    const int count = static_cast<int>(particles.size());
    const SpringSumPath path = fastestSpringSumPath();
    Particle* const points = particles.data();
    const double h = timeStep / particleMass;
    for (int i = 0; i < count; ++i) {
        Particle& p = points[i];
        Vec3 sum = sumOfSpringForces(particles, static_cast<std::size_t>(i), p.position, points, path);
        Vec3 correction;
        Vec3 force;
        if (i == centreParticle) {
            centre = p.position;
            const bool hit = centreContact(p.position, radius, correction);
            if (hit) sum = sum + kContactGain * correction;
            force = (sum + pushForce) + gravity;
            if (!hit && airborne) force = force + gravity;
        } else {
            if (particleContact(p.position, correction)) {
                sum = sum + kContactGain * correction;
                p.velocity.x = 0.0;
                p.velocity.z = 0.0;
                contactCount = contactCount + 1;
                airborne = false;
            }
            force = (sum + pushForce) + gravity;
            if (airborne) force = force + gravity;
            if (i == pull.particle) force = force + pullForce(p.position, p.velocity, pull.target);
        }
        p.velocity = p.velocity + (force - damping * p.velocity) * h;
        p.position = p.position + timeStep * p.velocity;
    }
}
