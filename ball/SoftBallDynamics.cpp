#include <cmath>
#include <cstddef>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "ball/SoftBall.h"
#include "scene/Contact.h"

namespace {
constexpr double kContactGain = 100.0;
constexpr double kPushDecay = 0.5;
constexpr double kPushCutOff = 0.005;
constexpr double kPullStiffness = 20.0;
constexpr double kPullDamping = 0.5;
constexpr double kStrongestPull = 100.0;  // however far the pointer drags

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

// Adds one pair's forces to the running sums, spring a before spring b.
inline void addPair(const ForcePair& f, __m128d& sumXY, __m128d& sumZ) {
    sumXY = _mm_add_pd(sumXY, _mm_unpacklo_pd(f.x, f.y));
    sumXY = _mm_add_pd(sumXY, _mm_unpackhi_pd(f.x, f.y));
    sumZ = _mm_add_sd(sumZ, f.z);
    sumZ = _mm_add_sd(sumZ, _mm_unpackhi_pd(f.z, f.z));
}

// The springs from `spring` on, two at a time, added to the sums in list order.
inline void addPairsFrom(const std::unique_ptr<Spring>* spring, const std::unique_ptr<Spring>* end,
                         __m128d px, __m128d py, __m128d pz, __m128d& sumXY, __m128d& sumZ) {
    for (; end - spring >= 2; spring += 2) addPair(springForcePair(px, py, pz, *spring[0], *spring[1]), sumXY, sumZ);
    if (spring != end) {  // an odd last spring: only lane 0 counts
        const ForcePair f = springForcePair(px, py, pz, **spring, **spring);
        sumXY = _mm_add_pd(sumXY, _mm_unpacklo_pd(f.x, f.y));
        sumZ = _mm_add_sd(sumZ, f.z);
    }
}

inline Vec3 toVec3(__m128d sumXY, __m128d sumZ) {
    double xy[2];
    _mm_storeu_pd(xy, sumXY);
    return Vec3(xy[0], xy[1], _mm_cvtsd_f64(sumZ));
}

// The forces are added one spring after the other, in list order.
Vec3 sumOfSpringForcesSse2(const Particle& particle) {
    const std::unique_ptr<Spring>* spring = particle.springs.data();
    __m128d sumXY = _mm_setzero_pd();
    __m128d sumZ = _mm_setzero_pd();
    addPairsFrom(spring, spring + particle.springs.size(), _mm_set1_pd(particle.position.x),
                 _mm_set1_pd(particle.position.y), _mm_set1_pd(particle.position.z), sumXY, sumZ);
    return toVec3(sumXY, sumZ);
}

#if defined(__x86_64__) && defined(__GNUC__)
#define ORVANE_SPRINGS_AVX 1
// Where the processor has AVX, four springs at a time; the operations and
// the order of the sums stay those of springForce.
__attribute__((target("avx"))) inline void addQuad(__m256d px, __m256d py, __m256d pz, const Spring& s0,
                                                   const Spring& s1, const Spring& s2, const Spring& s3,
                                                   __m128d& sumXY, __m128d& sumZ) {
    const Vec3& q0 = s0.to->position;
    const Vec3& q1 = s1.to->position;
    const Vec3& q2 = s2.to->position;
    const Vec3& q3 = s3.to->position;
    const __m256d dx = _mm256_sub_pd(px, _mm256_set_pd(q3.x, q2.x, q1.x, q0.x));
    const __m256d dy = _mm256_sub_pd(py, _mm256_set_pd(q3.y, q2.y, q1.y, q0.y));
    const __m256d dz = _mm256_sub_pd(pz, _mm256_set_pd(q3.z, q2.z, q1.z, q0.z));
    const __m256d len = _mm256_sqrt_pd(
        _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy)), _mm256_mul_pd(dz, dz)));
    const __m256d rest =
        _mm256_cvtps_pd(_mm_set_ps(s3.restLength, s2.restLength, s1.restLength, s0.restLength));
    const __m256d stiffness = _mm256_cvtps_pd(_mm_set_ps(s3.stiffness, s2.stiffness, s1.stiffness, s0.stiffness));
    const __m256d negatedStretch = _mm256_xor_pd(_mm256_sub_pd(len, rest), _mm256_set1_pd(-0.0));
    __m256d f = _mm256_mul_pd(_mm256_mul_pd(negatedStretch, stiffness), _mm256_div_pd(_mm256_set1_pd(1.0), len));
    f = _mm256_and_pd(f, _mm256_cmp_pd(len, _mm256_setzero_pd(), _CMP_NEQ_UQ));
    const __m256d fx = _mm256_mul_pd(f, dx);
    const __m256d fy = _mm256_mul_pd(f, dy);
    const __m256d fz = _mm256_mul_pd(f, dz);

    const __m256d xy02 = _mm256_unpacklo_pd(fx, fy);  // (x0, y0, x2, y2)
    const __m256d xy13 = _mm256_unpackhi_pd(fx, fy);  // (x1, y1, x3, y3)
    sumXY = _mm_add_pd(sumXY, _mm256_castpd256_pd128(xy02));
    sumXY = _mm_add_pd(sumXY, _mm256_castpd256_pd128(xy13));
    sumXY = _mm_add_pd(sumXY, _mm256_extractf128_pd(xy02, 1));
    sumXY = _mm_add_pd(sumXY, _mm256_extractf128_pd(xy13, 1));
    const __m128d z01 = _mm256_castpd256_pd128(fz);
    const __m128d z23 = _mm256_extractf128_pd(fz, 1);
    sumZ = _mm_add_sd(sumZ, z01);
    sumZ = _mm_add_sd(sumZ, _mm_unpackhi_pd(z01, z01));
    sumZ = _mm_add_sd(sumZ, z23);
    sumZ = _mm_add_sd(sumZ, _mm_unpackhi_pd(z23, z23));
}

__attribute__((target("avx"))) Vec3 sumOfSpringForcesAvx(const Particle& particle) {
    const std::unique_ptr<Spring>* spring = particle.springs.data();
    const std::unique_ptr<Spring>* const end = spring + particle.springs.size();
    const __m256d px = _mm256_set1_pd(particle.position.x);
    const __m256d py = _mm256_set1_pd(particle.position.y);
    const __m256d pz = _mm256_set1_pd(particle.position.z);
    __m128d sumXY = _mm_setzero_pd();
    __m128d sumZ = _mm_setzero_pd();
    for (; end - spring >= 4; spring += 4)
        addQuad(px, py, pz, *spring[0], *spring[1], *spring[2], *spring[3], sumXY, sumZ);
    addPairsFrom(spring, end, _mm256_castpd256_pd128(px), _mm256_castpd256_pd128(py), _mm256_castpd256_pd128(pz),
                 sumXY, sumZ);
    return toVec3(sumXY, sumZ);
}

// Also runs before main, so the feature table is filled in first.
bool processorHasAvx() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
}
const bool kHasAvx = processorHasAvx();
#endif

Vec3 sumOfSpringForces(const Particle& particle) {
#ifdef ORVANE_SPRINGS_AVX
    if (kHasAvx) return sumOfSpringForcesAvx(particle);
#endif
    return sumOfSpringForcesSse2(particle);
}
#else
Vec3 sumOfSpringForces(const Particle& particle) {
    Vec3 sum;
    for (const auto& spring : particle.springs) sum = sum + springForce(*spring);
    return sum;
}
#endif

Vec3 pullForce(const Particle& particle, const Vec3& target) {
    const Vec3 force = kPullStiffness * (target - particle.position) - kPullDamping * particle.velocity;
    const double strength = length(force);
    if (!(strength <= kStrongestPull)) return std::isfinite(strength) ? (kStrongestPull / strength) * force : Vec3();
    return force;
}

void integrate(Particle& particle, const Vec3& force, double damping, double timeStep, double mass) {
    const double h = timeStep / mass;
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

bool SoftBall::ranAway() const {
    if (!isBuilt()) return false;
    constexpr double kFarthest = 50.0;   // radii from the centre
    constexpr double kFastest = 1000.0;  // radii a second
    const Vec3& middle = particles[centreIndex()]->position;
    const double farthest = kFarthest * radius, fastest = kFastest * radius;
    for (const auto& particle : particles) {
        const Vec3 offset = particle->position - middle;
        const Vec3& v = particle->velocity;
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

// Particles are updated in place, one after another: later particles feel
// the already moved positions of earlier ones. While no surface particle
// has touched the scene yet in this step, gravity is counted twice.
void SoftBall::step(const ParticlePull& pull) {
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
            if (i == pull.particle) force = force + pullForce(p, pull.target);
        }
        integrate(p, force, damping, timeStep, particleMass);
    }
}
