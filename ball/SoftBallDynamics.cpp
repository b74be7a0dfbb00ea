#include <cmath>

#include "ball/SoftBall.h"
#include "scene/Contact.h"

namespace {
constexpr double kContactGain = 100.0;
constexpr double kTimeStepDivisor = 5.0;  // acts as every particle's mass
constexpr double kPushGain = 0.03;
constexpr double kPushDecay = 0.5;
constexpr double kPushCutOff = 0.005;

Vec3 sumOfSpringForces(const Particle& particle) {
    Vec3 sum;
    for (const auto& spring : particle.springs) sum = sum + springForce(*spring);
    return sum;
}

void integrate(Particle& particle, const Vec3& force, double damping, double timeStep) {
    const double h = timeStep / kTimeStepDivisor;
    particle.velocity = particle.velocity + (force - damping * particle.velocity) * h;
    particle.position = particle.position + timeStep * particle.velocity;
}
}  // namespace

Vec3 springForce(const Spring& spring) {
    const Vec3 d = spring.from->position - spring.to->position;
    const double len = length(d);
    if (len == 0.0) return Vec3();
    const double f = (-(len - static_cast<double>(spring.restLength)) * static_cast<double>(spring.stiffness)) *
                     (1.0 / len);
    return Vec3(f * d.x, f * d.y, f * d.z);
}

void SoftBall::applyPush(const Vec3& input) {
    pushForce = pushForce + kPushGain * input;
    pushForce = kPushDecay * pushForce;
    if (length(pushForce) <= kPushCutOff) pushForce = Vec3(0.0, 0.0, 0.0);
}

// Particles are updated in place, one after another: later particles feel
// the already moved positions of earlier ones. While no surface particle
// has touched the scene yet in this step, gravity is counted twice.
void SoftBall::step() {
    if (!isBuilt()) return;
    contactCount = 0;
    airborne = true;
    const int centreParticle = centreIndex();
    for (int i = 0; i < static_cast<int>(particles.size()); ++i) {
        Particle& p = *particles[i];
        Vec3 sum = sumOfSpringForces(p);
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
        }
        integrate(p, force, damping, timeStep);
    }
}
