#include <cmath>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ball/SoftBall.h"
#include "scene/Contact.h"

namespace {
constexpr double kContactGain = 100.0;
constexpr double kTimeStepDivisor = 5.0;  // acts as every particle's mass
constexpr double kPushGain = 0.03;
constexpr double kPushDecay = 0.5;
constexpr double kPushCutOff = 0.005;

#if defined(__SSE2__)
// Almost all of a step's time goes into the springs, so they are computed
// two at a time: lane 0 holds spring `a`, lane 1 spring `b`. Every lane does
// exactly the double-precision operations of springForce, in its order
// (square root and division are correctly rounded either way), so the
// results are the same bit for bit.
struct ForcePair {
    __m128d x, y, z;
};

static_assert(offsetof(Spring, stiffness) == offsetof(Spring, restLength) + sizeof(float),
              "rest length and stiffness are loaded together");

// (restLength, stiffness) of one spring, widened to double.
inline __m128d restAndStiffness(const Spring& spring) {
    const __m128i bits = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&spring.restLength));
    return _mm_cvtps_pd(_mm_castsi128_ps(bits));
}

// Both springs act on the particle at (px, py, pz), as every spring in a
// particle's list does.
inline ForcePair springForcePair(__m128d px, __m128d py, __m128d pz, const Spring& a, const Spring& b) {
    const Vec3& qa = a.to->position;
    const Vec3& qb = b.to->position;
    const __m128d qaXY = _mm_loadu_pd(&qa.x);
    const __m128d qbXY = _mm_loadu_pd(&qb.x);
    const __m128d dx = _mm_sub_pd(px, _mm_unpacklo_pd(qaXY, qbXY));
    const __m128d dy = _mm_sub_pd(py, _mm_unpackhi_pd(qaXY, qbXY));
    const __m128d dz = _mm_sub_pd(pz, _mm_loadh_pd(_mm_load_sd(&qa.z), &qb.z));
    const __m128d len =
        _mm_sqrt_pd(_mm_add_pd(_mm_add_pd(_mm_mul_pd(dx, dx), _mm_mul_pd(dy, dy)), _mm_mul_pd(dz, dz)));

    const __m128d restStiffnessA = restAndStiffness(a);
    const __m128d restStiffnessB = restAndStiffness(b);
    const __m128d rest = _mm_unpacklo_pd(restStiffnessA, restStiffnessB);
    const __m128d stiffness = _mm_unpackhi_pd(restStiffnessA, restStiffnessB);
    const __m128d negatedStretch = _mm_xor_pd(_mm_sub_pd(len, rest), _mm_set1_pd(-0.0));
    __m128d f = _mm_mul_pd(_mm_mul_pd(negatedStretch, stiffness), _mm_div_pd(_mm_set1_pd(1.0), len));
    // A spring of length 0 exerts nothing (its f is infinite or NaN).
    f = _mm_and_pd(f, _mm_cmpneq_pd(len, _mm_setzero_pd()));
    return ForcePair{_mm_mul_pd(f, dx), _mm_mul_pd(f, dy), _mm_mul_pd(f, dz)};
}

// The forces are added one spring after the other, in list order.
Vec3 sumOfSpringForces(const Particle& particle) {
    const std::unique_ptr<Spring>* spring = particle.springs.data();
    const std::unique_ptr<Spring>* const end = spring + particle.springs.size();
    const __m128d px = _mm_set1_pd(particle.position.x);
    const __m128d py = _mm_set1_pd(particle.position.y);
    const __m128d pz = _mm_set1_pd(particle.position.z);
    __m128d sumXY = _mm_setzero_pd();
    __m128d sumZ = _mm_setzero_pd();
    for (; end - spring >= 2; spring += 2) {
        const ForcePair f = springForcePair(px, py, pz, *spring[0], *spring[1]);
        sumXY = _mm_add_pd(sumXY, _mm_unpacklo_pd(f.x, f.y));
        sumXY = _mm_add_pd(sumXY, _mm_unpackhi_pd(f.x, f.y));
        sumZ = _mm_add_sd(sumZ, f.z);
        sumZ = _mm_add_sd(sumZ, _mm_unpackhi_pd(f.z, f.z));
    }
    if (spring != end) {  // an odd last spring: only lane 0 counts
        const ForcePair f = springForcePair(px, py, pz, **spring, **spring);
        sumXY = _mm_add_pd(sumXY, _mm_unpacklo_pd(f.x, f.y));
        sumZ = _mm_add_sd(sumZ, f.z);
    }
    double xy[2];
    _mm_storeu_pd(xy, sumXY);
    return Vec3(xy[0], xy[1], _mm_cvtsd_f64(sumZ));
}
#else
Vec3 sumOfSpringForces(const Particle& particle) {
    Vec3 sum;
    for (const auto& spring : particle.springs) sum = sum + springForce(*spring);
    return sum;
}
#endif

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
    const int count = static_cast<int>(particles.size());
    for (int i = 0; i < count; ++i) {
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
