// The integrators other than the in-place step: each evaluates the forces on
// every particle from one whole state of the ball (positions and
// velocities), as many times as it needs, and then moves all particles.
//
// What stays as in the in-place step, decided once from the state the step
// starts in: which surface particles touch the scene (they lose their
// horizontal velocity before the step and are counted), and gravity counted
// twice for the particles before the first touching one in list order (and
// for the centre particle when none touches and its own surface is clear).
// In every evaluation the contact force acts from that evaluation's
// positions, as a stiff spring would; the push (tilt, lift, press) is the
// same throughout the step; the grab pulls from the evaluated position and
// velocity; damping acts on the evaluated velocity (velocity Verlet treats it
// implicitly in its second half kick, so that it stays second order).
#include <cstddef>
#include <vector>

#include "ball/SoftBall.h"
#include "ball/SoftBallRules.h"
#include "ball/SpringForces.h"
#include "scene/Contact.h"

namespace {
// What one step decides at its start and keeps.
struct StepRules {
    int centreParticle = 0;
    int firstTouching = 0;  // the first surface particle touching the scene, else the count
    bool centreDoubled = false;

    bool doubledGravity(int particle) const {
        return particle == centreParticle ? centreDoubled : particle < firstTouching;
    }
};

// Whether a particle touches the scene at some place, and the correction
// that pushes it out.
struct SceneContact {
    bool touches = false;
    Vec3 correction;
};

SceneContact contactAt(const SoftBall& ball, bool centre, const Vec3& position) {
    SceneContact contact;
    contact.touches = centre ? centreContact(position, ball.radius, contact.correction)
                             : particleContact(position, contact.correction);
    return contact;
}

// The contacts at the start of the step, found once for the step's rules and
// used again by the first evaluation, which starts from the same places.
std::vector<SceneContact>& startContacts() {
    thread_local std::vector<SceneContact> contacts;
    return contacts;
}

// The forces on every particle but damping, in the order of the in-place
// step's sums. `known` holds the contacts when `state` is at the step's
// start places, else it is null.
void evaluateForces(const SoftBall& ball, const StepRules& rules, const ParticlePull& pull, const Particle* state,
                    const SceneContact* known, std::vector<Vec3>& forces) {
    forces.resize(ball.particles.size());
    sumOfEverySpringForce(ball.particles, state, forces.data(), fastestSpringSumPath());
    for (std::size_t i = 0; i < forces.size(); ++i) {
        const Particle& p = state[i];
        Vec3 sum = forces[i];
        const bool centre = static_cast<int>(i) == rules.centreParticle;
        const SceneContact contact = known ? known[i] : contactAt(ball, centre, p.position);
        if (contact.touches) sum = sum + kContactGain * contact.correction;
        Vec3 force = (sum + ball.pushForce) + ball.gravity;
        if (rules.doubledGravity(static_cast<int>(i))) force = force + ball.gravity;
        if (!centre && static_cast<int>(i) == pull.particle) force = force + pullForce(p.position, p.velocity, pull.target);
        forces[i] = force;
    }
}

// Rate of change of the velocity: (force - damping * v) / mass.
Vec3 acceleration(const Vec3& force, const Vec3& velocity, double damping, double mass) {
    return (force - damping * velocity) * (1.0 / mass);
}

// Room for the steps' intermediate states, kept from step to step.
std::vector<Particle>& scratchState(int which) {
    thread_local std::vector<Particle> states[2];
    return states[which];
}
std::vector<Vec3>& scratchForces() {
    thread_local std::vector<Vec3> forces;
    return forces;
}

void stepEuler(SoftBall& ball, const StepRules& rules, const ParticlePull& pull, bool symplectic) {
    std::vector<Vec3>& forces = scratchForces();
    evaluateForces(ball, rules, pull, ball.particles.data(), startContacts().data(), forces);
    const double h = ball.timeStep / ball.particleMass;
    // Two loops rather than a choice per particle: picking one of two
    // velocities by reference sends them through memory in every pass.
    if (symplectic) {
        for (std::size_t i = 0; i < forces.size(); ++i) {
            Particle& p = ball.particles[i];
            p.velocity = p.velocity + (forces[i] - ball.damping * p.velocity) * h;
            p.position = p.position + ball.timeStep * p.velocity;
        }
    } else {
        for (std::size_t i = 0; i < forces.size(); ++i) {
            Particle& p = ball.particles[i];
            const Vec3 old = p.velocity;
            p.velocity = old + (forces[i] - ball.damping * old) * h;
            p.position = p.position + ball.timeStep * old;
        }
    }
}

void stepVelocityVerlet(SoftBall& ball, const StepRules& rules, const ParticlePull& pull) {
    std::vector<Particle>& state = scratchState(0);
    std::vector<Vec3>& forces = scratchForces();
    state.assign(ball.particles.begin(), ball.particles.end());
    evaluateForces(ball, rules, pull, state.data(), startContacts().data(), forces);
    const double halfH = 0.5 * ball.timeStep / ball.particleMass;
    for (std::size_t i = 0; i < state.size(); ++i) {
        Particle& s = state[i];
        s.velocity = s.velocity + (forces[i] - ball.damping * s.velocity) * halfH;
        s.position = s.position + ball.timeStep * s.velocity;
    }
    evaluateForces(ball, rules, pull, state.data(), nullptr, forces);
    const double implicitDamping = 1.0 / (1.0 + ball.damping * halfH);
    for (std::size_t i = 0; i < state.size(); ++i) {
        Particle& p = ball.particles[i];
        p.position = state[i].position;
        p.velocity = (state[i].velocity + forces[i] * halfH) * implicitDamping;
    }
}

void stepRk4(SoftBall& ball, const StepRules& rules, const ParticlePull& pull) {
    const std::size_t count = ball.particles.size();
    const double dt = ball.timeStep;
    std::vector<Particle>& stage = scratchState(0);
    std::vector<Particle>& sum = scratchState(1);  // weighted sums of the slopes: (dx, dv)
    std::vector<Vec3>& forces = scratchForces();
    stage.assign(ball.particles.begin(), ball.particles.end());
    sum.assign(count, Particle());
    const double stageFraction[4] = {0.5, 0.5, 1.0, 0.0};
    const double weight[4] = {1.0, 2.0, 2.0, 1.0};
    for (int k = 0; k < 4; ++k) {
        evaluateForces(ball, rules, pull, stage.data(), k == 0 ? startContacts().data() : nullptr, forces);
        for (std::size_t i = 0; i < count; ++i) {
            const Vec3 slopeX = stage[i].velocity;
            const Vec3 slopeV = acceleration(forces[i], stage[i].velocity, ball.damping, ball.particleMass);
            sum[i].position = sum[i].position + weight[k] * slopeX;
            sum[i].velocity = sum[i].velocity + weight[k] * slopeV;
            const Particle& start = ball.particles[i];
            stage[i].position = start.position + (stageFraction[k] * dt) * slopeX;
            stage[i].velocity = start.velocity + (stageFraction[k] * dt) * slopeV;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        Particle& p = ball.particles[i];
        p.position = p.position + (dt / 6.0) * sum[i].position;
        p.velocity = p.velocity + (dt / 6.0) * sum[i].velocity;
    }
}
}  // namespace

void SoftBall::stepFromStates(const ParticlePull& pull) {
    contactCount = 0;
    airborne = true;
    StepRules rules;
    rules.centreParticle = centreIndex();
    rules.firstTouching = static_cast<int>(particles.size());
    std::vector<SceneContact>& contacts = startContacts();
    contacts.resize(particles.size());
    for (int i = 0; i < static_cast<int>(particles.size()); ++i) {
        Particle& p = particles[static_cast<std::size_t>(i)];
        const bool isCentre = i == rules.centreParticle;
        const SceneContact& contact = contacts[static_cast<std::size_t>(i)] = contactAt(*this, isCentre, p.position);
        if (isCentre) {
            centre = p.position;
            rules.centreDoubled = !contact.touches && airborne;
        } else if (contact.touches) {
            p.velocity.x = 0.0;
            p.velocity.z = 0.0;
            contactCount = contactCount + 1;
            if (airborne) rules.firstTouching = i;
            airborne = false;
        }
    }
    switch (integrator) {
        case Integrator::SymplecticEuler:
            stepEuler(*this, rules, pull, true);
            break;
        case Integrator::ExplicitEuler:
            stepEuler(*this, rules, pull, false);
            break;
        case Integrator::VelocityVerlet:
            stepVelocityVerlet(*this, rules, pull);
            break;
        case Integrator::Rk4:
            stepRk4(*this, rules, pull);
            break;
        case Integrator::InPlace:
            stepInPlace(pull);
            break;
    }
}
