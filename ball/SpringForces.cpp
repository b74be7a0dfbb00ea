#include "ball/SpringForces.h"

#include <cmath>
#include <cstddef>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

Vec3 springForce(const Vec3& from, const Vec3& to, const Spring& spring) {
    const Vec3 d = from - to;
    const double len = length(d);
    if (len == 0.0) return Vec3();
    const double f = (-(len - static_cast<double>(spring.restLength)) * static_cast<double>(spring.stiffness)) *
                     (1.0 / len);
    return Vec3(f * d.x, f * d.y, f * d.z);
}

namespace {
Vec3 sumOneByOne(const Spring* spring, const Spring* end, const Vec3& at, const Particle* points) {
    Vec3 sum;
    for (; spring != end; ++spring) sum = sum + springForce(at, points[spring->to].position, *spring);
    return sum;
}

#if defined(__SSE2__)
// Almost all of a step's time goes into the springs, so they are computed
// several at a time, one spring in each lane. Every lane does exactly the
// double-precision operations of springForce, in its order (square root and
// division are correctly rounded either way), and the sums take the lanes
// one after the other, so the results are the same bit for bit.
struct ForcePair {
    __m128d x, y, z;
};

static_assert(sizeof(Spring) == 12 && offsetof(Spring, stiffness) == offsetof(Spring, restLength) + sizeof(float),
              "rest length and stiffness are loaded together");

// (restLength, stiffness) of one spring, widened to double.
inline __m128d restAndStiffness(const Spring& spring) {
    const __m128i bits = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&spring.restLength));
    return _mm_cvtps_pd(_mm_castsi128_ps(bits));
}

// Lane 0 holds spring `a`, lane 1 spring `b`; both act on the particle at
// (px, py, pz).
inline ForcePair springForcePair(__m128d px, __m128d py, __m128d pz, const Spring& a, const Spring& b,
                                 const Particle* points) {
    const Vec3& qa = points[a.to].position;
    const Vec3& qb = points[b.to].position;
    const __m128d dx = _mm_sub_pd(px, _mm_unpacklo_pd(_mm_load_sd(&qa.x), _mm_load_sd(&qb.x)));
    const __m128d dy = _mm_sub_pd(py, _mm_unpacklo_pd(_mm_load_sd(&qa.y), _mm_load_sd(&qb.y)));
    const __m128d dz = _mm_sub_pd(pz, _mm_unpacklo_pd(_mm_load_sd(&qa.z), _mm_load_sd(&qb.z)));
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
inline void addPairsFrom(const Spring* spring, const Spring* end, __m128d px, __m128d py, __m128d pz,
                         const Particle* points, __m128d& sumXY, __m128d& sumZ) {
    for (; end - spring >= 2; spring += 2) addPair(springForcePair(px, py, pz, spring[0], spring[1], points), sumXY, sumZ);
    if (spring != end) {  // an odd last spring: only lane 0 counts
        const ForcePair f = springForcePair(px, py, pz, *spring, *spring, points);
        sumXY = _mm_add_pd(sumXY, _mm_unpacklo_pd(f.x, f.y));
        sumZ = _mm_add_sd(sumZ, f.z);
    }
}

inline Vec3 toVec3(__m128d sumXY, __m128d sumZ) {
    double xy[2];
    _mm_storeu_pd(xy, sumXY);
    return Vec3(xy[0], xy[1], _mm_cvtsd_f64(sumZ));
}

Vec3 sumTwoAtATime(const Spring* spring, const Spring* end, const Vec3& at, const Particle* points) {
    __m128d sumXY = _mm_setzero_pd();
    __m128d sumZ = _mm_setzero_pd();
    addPairsFrom(spring, end, _mm_set1_pd(at.x), _mm_set1_pd(at.y), _mm_set1_pd(at.z), points, sumXY, sumZ);
    return toVec3(sumXY, sumZ);
}

#if defined(__x86_64__) && defined(__GNUC__)
#define ORVANE_SPRINGS_AVX 1
__attribute__((target("avx"))) inline void addQuad(__m256d px, __m256d py, __m256d pz, const Spring* s,
                                                   const Particle* points, __m128d& sumXY, __m128d& sumZ) {
    const Vec3& q0 = points[s[0].to].position;
    const Vec3& q1 = points[s[1].to].position;
    const Vec3& q2 = points[s[2].to].position;
    const Vec3& q3 = points[s[3].to].position;
    const __m256d dx = _mm256_sub_pd(px, _mm256_set_pd(q3.x, q2.x, q1.x, q0.x));
    const __m256d dy = _mm256_sub_pd(py, _mm256_set_pd(q3.y, q2.y, q1.y, q0.y));
    const __m256d dz = _mm256_sub_pd(pz, _mm256_set_pd(q3.z, q2.z, q1.z, q0.z));
    const __m256d len = _mm256_sqrt_pd(
        _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy)), _mm256_mul_pd(dz, dz)));
    const __m256d rest = _mm256_cvtps_pd(_mm_set_ps(s[3].restLength, s[2].restLength, s[1].restLength, s[0].restLength));
    const __m256d stiffness =
        _mm256_cvtps_pd(_mm_set_ps(s[3].stiffness, s[2].stiffness, s[1].stiffness, s[0].stiffness));
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

__attribute__((target("avx"))) Vec3 sumFourAtATime(const Spring* spring, const Spring* end, const Vec3& at,
                                                   const Particle* points) {
    const __m256d px = _mm256_set1_pd(at.x);
    const __m256d py = _mm256_set1_pd(at.y);
    const __m256d pz = _mm256_set1_pd(at.z);
    __m128d sumXY = _mm_setzero_pd();
    __m128d sumZ = _mm_setzero_pd();
    for (; end - spring >= 4; spring += 4) addQuad(px, py, pz, spring, points, sumXY, sumZ);
    addPairsFrom(spring, end, _mm256_castpd256_pd128(px), _mm256_castpd256_pd128(py), _mm256_castpd256_pd128(pz),
                 points, sumXY, sumZ);
    return toVec3(sumXY, sumZ);
}

__attribute__((target("avx"))) void sumAllFourAtATime(const ParticleList& particles, const Particle* points,
                                                      Vec3* sums) {
    for (std::size_t i = 0; i < particles.size(); ++i) {
        const Spring* first = particles.springData() + particles.firstSpring(i);
        const Spring* last = particles.springData() + particles.firstSpring(i + 1);
        sums[i] = sumFourAtATime(first, last, points[i].position, points);
    }
}

// Also runs before main, so the feature table is filled in first.
bool processorHasAvx() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
}
const bool kHasAvx = processorHasAvx();
#endif
#endif
}  // namespace

bool springSumPathAvailable(SpringSumPath path) {
    switch (path) {
        case SpringSumPath::OneByOne:
            return true;
        case SpringSumPath::TwoAtATime:
#if defined(__SSE2__)
            return true;
#else
            return false;
#endif
        case SpringSumPath::FourAtATime:
#ifdef ORVANE_SPRINGS_AVX
            return kHasAvx;
#else
            return false;
#endif
    }
    return false;
}

SpringSumPath fastestSpringSumPath() {
    if (springSumPathAvailable(SpringSumPath::FourAtATime)) return SpringSumPath::FourAtATime;
    if (springSumPathAvailable(SpringSumPath::TwoAtATime)) return SpringSumPath::TwoAtATime;
    return SpringSumPath::OneByOne;
}

void sumOfEverySpringForce(const ParticleList& particles, const Particle* points, Vec3* sums, SpringSumPath path) {
#ifdef ORVANE_SPRINGS_AVX
    if (path == SpringSumPath::FourAtATime && kHasAvx) return sumAllFourAtATime(particles, points, sums);
#endif
    for (std::size_t i = 0; i < particles.size(); ++i)
        sums[i] = sumOfSpringForces(particles, i, points[i].position, points, path);
}

Vec3 sumOfSpringForces(const ParticleList& particles, std::size_t particle, const Vec3& at, const Particle* points,
                       SpringSumPath path) {
    const Spring* first = particles.springData() + particles.firstSpring(particle);
    const Spring* last = particles.springData() + particles.firstSpring(particle + 1);
    switch (path) {
#ifdef ORVANE_SPRINGS_AVX
        case SpringSumPath::FourAtATime:
            if (kHasAvx) return sumFourAtATime(first, last, at, points);
            break;
#endif
#if defined(__SSE2__)
        case SpringSumPath::TwoAtATime:
            return sumTwoAtATime(first, last, at, points);
#endif
        default:
            break;
    }
    return sumOneByOne(first, last, at, points);
}
