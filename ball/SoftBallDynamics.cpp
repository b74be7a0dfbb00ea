#include <cmath>
#include <cstddef>

#include "ball/SoftBall.h"
#include "ball/SpringForces.h"
#include "scene/Contact.h"

#include "ball/SoftBallRules.h"

namespace {
constexpr double kPushDecay = 0.5;
constexpr double kPushCutOff = 0.005;
constexpr double kPullStiffness = 20.0;
constexpr double kPullDamping = 0.5;
constexpr double kStrongestPull = 100.0;  // however far the pointer drags

}  // namespace

Vec3 pullForce(const Vec3& position, const Vec3& velocity, const Vec3& target) {
    const Vec3 force = kPullStiffness * (target - position) - kPullDamping * velocity;
    const double strength = length(force);
    if (!(strength <= kStrongestPull)) return std::isfinite(strength) ? (kStrongestPull / strength) * force : Vec3();
    return force;
}

bool SoftBall::ranAway() const {
    if (!isBuilt()) return false;
    constexpr double kFarthest = 50.0;   // radii from the centre
    constexpr double kFastest = 1000.0;  // radii a second
    const Vec3& middle = particles[centreIndex()].position;
    const double farthest = kFarthest * radius, fastest = kFastest * radius;
    for (const auto& particle : particles) {
        const Vec3 offset = particle.position - middle;
        const Vec3& v = particle.velocity;
        // Written so that NaN fails every comparison and counts as runaway.
        if (!(offset.x * offset.x + offset.y * offset.y + offset.z * offset.z <= farthest * farthest)) return true;
        if (!(v.x * v.x + v.y * v.y + v.z * v.z <= fastest * fastest)) return true;
    }
    return false;
}

void SoftBall::applyPush(const Vec3& input) {
    pushForce = pushForce + pushGain * input;
    pushForce = kPushDecay * pushForce;
    if (length(pushForce) <= kPushCutOff) pushForce = Vec3(0.0, 0.0, 0.0);
}

void SoftBall::step(const ParticlePull& pull) {
    if (!isBuilt()) return;
    if (integrator == Integrator::InPlace) {
        stepInPlace(pull);
    } else {
        stepFromStates(pull);
    }
}
