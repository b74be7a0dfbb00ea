// The soft ball's dynamics: spring force, push, the step's rules, a
// start-to-rest run, and a bit-for-bit cross-check against a naive second
// implementation of the same rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ball/SoftBall.h"
#include "ball/SpringForces.h"
#include "scene/Contact.h"

namespace {
// The ball with every spring cut: each particle then moves under contact,
// push and gravity alone. All particles start at rest at `where`.
void buildLoneParticles(SoftBall& ball, const Vec3& where) {
    ball.setUpModel();
    const std::size_t count = ball.particles.size();
    ball.particles.clear();
    for (std::size_t i = 0; i < count; ++i) ball.particles.push_back(where);
}

Particle& centreParticle(SoftBall& ball) { return ball.particles[ball.centreIndex()]; }

bool allFinite(const SoftBall& ball) {
    for (const auto& p : ball.particles) {
        for (double v : {p.position.x, p.position.y, p.position.z, p.velocity.x, p.velocity.y, p.velocity.z})
            if (!std::isfinite(v)) return false;
    }
    return true;
}

// The force of a spring of `restLength` and `stiffness` from a to b.
Vec3 springForceBetween(const Vec3& a, const Vec3& b, float restLength, float stiffness) {
    return springForce(a, b, Spring{1, restLength, stiffness});
}
}  // namespace

// ---------------------------------------------------------------- a first run

// Hello world: build the ball as the program does and let it run. It starts
// at rest with its centre at (0, 5, 0), right above the platform that floats
// 2 units over the middle of the ground plate; it falls, lands on the
// platform, bounces a little and settles there.
TEST(SoftBallTutorial, FallsLandsBouncesAndSettles) {
    SoftBall ball;
    ball.setUpModel();  // 12 rings x 12 segments: 123 particles, 1058 springs

    int firstContactStep = -1;
    bool bounced = false;
    for (int i = 0; i < 2000; ++i) {
        ball.applyPush(Vec3());  // no steering
        ball.step();
        // contactCount: surface particles that touched the scene this step.
        if (ball.contactCount > 0 && firstContactStep < 0) firstContactStep = i;
        if (firstContactStep >= 0 && centreParticle(ball).velocity.y > 0.0) bounced = true;
    }

    ASSERT_TRUE(allFinite(ball));
    EXPECT_GT(firstContactStep, 100);  // a free fall of about 2 units takes a while
    EXPECT_TRUE(bounced);

    // At rest the centre particle floats where its own contact force balances
    // gravity: 0.001 below its contact surface, which lies 0.3 above the
    // platform's top at y = 2. The surface particles underneath carry the skin.
    const Particle& centre = centreParticle(ball);
    EXPECT_NEAR(centre.position.y, 2.299, 1e-6);
    EXPECT_NEAR(centre.velocity.y, 0.0, 1e-9);
    EXPECT_NEAR(ball.centre.x, 0.0, 1e-9);
    EXPECT_GE(ball.contactCount, 10);
    for (const auto& p : ball.particles) {
        EXPECT_GT(p.position.y, 1.9);  // nothing sinks through the platform
        EXPECT_LT(p.position.y, 3.4);
    }
}

TEST(SoftBallTutorial, SettlesOnTheGroundPlateBesideThePlatform) {
    SoftBall ball;
    ball.setUpModel();
    ball.centre = Vec3(8.0, 3.0, 8.0);
    ball.reset();  // rebuilds around the centre, half a unit higher
    for (int i = 0; i < 2000; ++i) ball.step();

    ASSERT_TRUE(allFinite(ball));
    const Particle& centre = centreParticle(ball);
    EXPECT_NEAR(centre.position.y, 0.299, 1e-6);  // 0.3 above the plate, less gravity's sag
    EXPECT_NEAR(centre.position.x, 8.0, 1e-9);
    EXPECT_NEAR(centre.position.z, 8.0, 1e-9);
    EXPECT_GE(ball.contactCount, 10);
    for (const auto& p : ball.particles) EXPECT_GT(p.position.y, -0.1);
}

// ---------------------------------------------------------------- spring force

TEST(SpringForce, StretchedPullsCompressedPushes) {
    const Vec3 a(0, 0, 0), b(2, 0, 0);
    Vec3 f = springForceBetween(a, b, 1.0f, 10.0f);
    EXPECT_EQ(f.x, 10.0);  // -(2 - 1) * 10 * (1 / 2) * (-2)
    EXPECT_EQ(f.y, 0.0);
    EXPECT_EQ(f.z, 0.0);

    f = springForceBetween(a, b, 3.0f, 10.0f);
    EXPECT_EQ(f.x, -10.0);

    f = springForceBetween(a, b, 2.0f, 10.0f);
    EXPECT_EQ(f.x, 0.0);
}

TEST(SpringForce, RestLengthAndStiffnessActAtSinglePrecision) {
    const Vec3 a(0, 0, 0), b(0, 0.5, 0);
    const Vec3 f = springForceBetween(a, b, 0.1f, 0.3f);
    const double L = 0.5;
    const double expected = (-(L - static_cast<double>(0.1f)) * static_cast<double>(0.3f)) * (1.0 / L) * -0.5;
    EXPECT_EQ(f.y, expected);
    EXPECT_NE(f.y, (-(L - 0.1) * 0.3) * (1.0 / L) * -0.5);
}

TEST(SpringForce, CoincidingEndsExertNothing) {
    const Vec3 a(1, 2, 3), b(1, 2, 3);
    const Vec3 f = springForceBetween(a, b, 0.5f, 10.0f);
    EXPECT_EQ(f.x, 0.0);
    EXPECT_EQ(f.y, 0.0);
    EXPECT_EQ(f.z, 0.0);
}

TEST(SoftBallStep, CoincidingParticlesKeepTheBallFinite) {
    SoftBall ball;
    ball.setUpModel();
    // Two joined neighbours forced onto the same point.
    ball.particles[ball.ringIndex(3, 1)].position = ball.particles[ball.ringIndex(3, 0)].position;
    ball.particles[ball.ringIndex(3, 2)].position = ball.particles[ball.ringIndex(3, 0)].position;
    for (int i = 0; i < 10; ++i) ball.step();
    EXPECT_TRUE(allFinite(ball));
}

// ---------------------------------------------------------------- push

TEST(SoftBallPush, AccumulatesHalvesAndSnapsToZero) {
    SoftBall ball;
    ball.setUpModel();
    ball.pushForce = Vec3(0.2, 0.0, 0.0);
    ball.applyPush(Vec3(1.0, 0.0, 0.0));
    EXPECT_EQ(ball.pushForce.x, 0.5 * (0.2 + 0.03 * 1.0));

    ball.pushForce = Vec3(0.01, 0.0, 0.0);  // halves to exactly the cut-off, which is inclusive
    ball.applyPush(Vec3());
    EXPECT_EQ(ball.pushForce.x, 0.0);

    ball.pushForce = Vec3(0.0102, 0.0, 0.0);
    ball.applyPush(Vec3());
    EXPECT_EQ(ball.pushForce.x, 0.0051);

    // The cut-off looks at the whole vector's length.
    ball.pushForce = Vec3(0.008, 0.0, 0.008);
    ball.applyPush(Vec3());
    EXPECT_EQ(ball.pushForce.z, 0.004);

    ball.pushForce = Vec3();
    for (int i = 0; i < 100; ++i) ball.applyPush(Vec3(-5.0, 0.0, 10.0));
    EXPECT_NEAR(ball.pushForce.x, -0.15, 1e-12);
    EXPECT_NEAR(ball.pushForce.z, 0.3, 1e-12);
}

// ---------------------------------------------------------------- step rules

TEST(SoftBallStep, UnbuiltBallIsLeftAlone) {
    SoftBall empty;
    empty.step();
    EXPECT_TRUE(empty.particles.empty());

    SoftBall ball;
    ball.setUpModel();
    ball.particles.pop_back();  // no centre particle any more
    const Vec3 before = ball.particles[0].position;
    ball.step();
    EXPECT_EQ(ball.particles[0].position.z, before.z);
    EXPECT_EQ(ball.particles[0].position.y, before.y);

    ball.setUpModel();
    ball.segments = 13;  // numbering no longer matches the list
    ball.step();
    EXPECT_EQ(ball.particles[0].position.y, 5.0);
}

TEST(SoftBallStep, FreeFallCountsGravityTwice) {
    SoftBall ball;
    buildLoneParticles(ball, Vec3(0.0, 100.0, 0.0));
    ball.step();
    EXPECT_EQ(ball.contactCount, 0);
    EXPECT_TRUE(ball.airborne);
    for (const auto& p : ball.particles) {
        EXPECT_DOUBLE_EQ(p.velocity.y, -0.004);
        EXPECT_DOUBLE_EQ(p.position.y, 100.0 - 0.0004);
        EXPECT_EQ(p.velocity.x, 0.0);
    }
    for (int i = 0; i < 1000; ++i) ball.step();
    for (const auto& p : ball.particles) EXPECT_NEAR(p.velocity.y, -0.05, 1e-12);  // 2 * gravity / damping
}

TEST(SoftBallStep, ParticlesBeforeTheFirstTouchingOneGetDoubleGravity) {
    SoftBall ball;
    buildLoneParticles(ball, Vec3(0.0, 10.0, 0.0));
    const int firstTouching = 50;
    ball.particles[firstTouching].position = Vec3(5.0, 0.0, 5.0);  // on the plate, no correction
    ball.particles[90].position = Vec3(5.0, -0.5, 5.0);
    ball.step();

    EXPECT_EQ(ball.contactCount, 2);
    EXPECT_FALSE(ball.airborne);
    for (int i = 0; i < static_cast<int>(ball.particles.size()); ++i) {
        if (i == 90) continue;
        SCOPED_TRACE(i);
        EXPECT_DOUBLE_EQ(ball.particles[i].velocity.y, i < firstTouching ? -0.004 : -0.002);
    }
    // 100 x the correction of 0.5, less one gravity.
    EXPECT_DOUBLE_EQ(ball.particles[90].velocity.y, (50.0 - 0.1) * 0.02);
}

TEST(SoftBallStep, CentreGetsDoubleGravityUnlessItTouches) {
    SoftBall ball;
    buildLoneParticles(ball, Vec3(0.0, 10.0, 0.0));
    centreParticle(ball).position = Vec3(10.0, 0.3, 0.0);  // on its contact surface
    ball.step();
    EXPECT_DOUBLE_EQ(centreParticle(ball).velocity.y, -0.002);
    EXPECT_EQ(ball.contactCount, 0);  // the centre is not counted
    EXPECT_TRUE(ball.airborne);       // nor does it end the airborne phase
}

TEST(SoftBallStep, ContactClearsHorizontalVelocityOfSurfaceParticlesOnly) {
    SoftBall ball;
    buildLoneParticles(ball, Vec3(0.0, 10.0, 0.0));
    Particle& surface = ball.particles[7];
    surface.position = Vec3(3.0, -0.01, 3.0);
    surface.velocity = Vec3(1.0, -0.5, 1.0);
    Particle& centre = centreParticle(ball);
    centre.position = Vec3(-3.0, 0.29, 3.0);
    centre.velocity = Vec3(1.0, -0.5, 1.0);
    ball.step();

    EXPECT_EQ(surface.velocity.x, 0.0);
    EXPECT_EQ(surface.velocity.z, 0.0);
    EXPECT_EQ(surface.position.x, 3.0);
    EXPECT_DOUBLE_EQ(surface.velocity.y, -0.5 + (100.0 * 0.01 - 0.1 - 4.0 * -0.5) * 0.02);

    EXPECT_DOUBLE_EQ(centre.velocity.x, 1.0 - 4.0 * 0.02);
    EXPECT_DOUBLE_EQ(centre.velocity.z, 1.0 - 4.0 * 0.02);
    EXPECT_GT(centre.position.x, -3.0);
}

TEST(SoftBallStep, RestingParticlesBalanceOneGravity) {
    SoftBall ball;
    buildLoneParticles(ball, Vec3(0.0, 0.0, 5.0));
    centreParticle(ball).position = Vec3(5.0, 0.3, 0.0);
    for (int i = 0; i < 3000; ++i) ball.step();
    // 100 x (-y) = 0.1 for a surface particle; 100 x (0.3 - y) = 0.1 for the centre.
    EXPECT_NEAR(ball.particles[0].position.y, -0.001, 1e-12);
    EXPECT_NEAR(ball.particles[120].position.y, -0.001, 1e-12);
    EXPECT_NEAR(centreParticle(ball).position.y, 0.299, 1e-12);
    EXPECT_EQ(ball.contactCount, 122);
}

TEST(SoftBallStep, OutsideTheSceneNothingHoldsTheBall) {
    SoftBall ball;
    buildLoneParticles(ball, Vec3(30.0, -1.0, 0.0));
    for (int i = 0; i < 10; ++i) ball.step();
    EXPECT_EQ(ball.contactCount, 0);
    EXPECT_LT(ball.particles[0].position.y, -1.0);
}

TEST(SoftBallStep, RecordsTheCentreBeforeItMoves) {
    SoftBall ball;
    ball.setUpModel();
    centreParticle(ball).velocity = Vec3(0.0, -1.0, 0.0);
    ball.step();
    EXPECT_EQ(ball.centre.y, 5.0);
    EXPECT_LT(centreParticle(ball).position.y, 5.0);
}

// ---------------------------------------------------------------- cross-check

namespace naive {
// A second, deliberately plain implementation of the ball, written straight
// from the rules with indices instead of pointers and arrays instead of
// vectors. It shares nothing with the code under test.
struct Spring {
    int to;
    float rest;
    float k;
};

struct Particle {
    double p[3];
    double v[3];
    std::vector<Spring> springs;
};

struct Ball {
    int L, S;
    std::vector<Particle> ps;
    double push[3] = {0, 0, 0};
    double centre[3];
    int contacts = 0;
};

int ringAt(const Ball& b, int r, int s) { return 1 + (r - 1) * b.S + ((s % b.S) + b.S) % b.S; }

void addSpring(Ball& b, int from, int to, double k) {
    const double dx = b.ps[from].p[0] - b.ps[to].p[0];
    const double dy = b.ps[from].p[1] - b.ps[to].p[1];
    const double dz = b.ps[from].p[2] - b.ps[to].p[2];
    b.ps[from].springs.push_back(Spring{to, (float)std::sqrt(dx * dx + dy * dy + dz * dz), (float)k});
}

Ball build(int L, int S, double cx, double cy, double cz) {
    Ball b;
    b.L = L;
    b.S = S;
    const double R = 1.0;
    const double dTheta = 3.141592653589793 / L;
    const double dPhi = 6.283185307179586 / S;
    b.ps.push_back(Particle{{cx + 0.0, cy + 0.0, cz + R}, {0, 0, 0}, {}});
    for (int r = 1; r <= L - 2; r++) {
        for (int s = 0; s < S; s++) {
            const double theta = (r + (double)r / L) * dTheta;
            const double rho = R * std::sin(theta);
            const double phi = s * dPhi;
            b.ps.push_back(Particle{{cx + rho * std::cos(phi), cy + rho * std::sin(phi), cz + R * std::cos(theta)},
                                    {0, 0, 0},
                                    {}});
        }
    }
    b.ps.push_back(Particle{{cx + 0.0, cy + 0.0, cz + -R}, {0, 0, 0}, {}});
    b.ps.push_back(Particle{{cx, cy, cz}, {0, 0, 0}, {}});

    const int north = 0, south = (L - 2) * S + 1, centre = (L - 2) * S + 2;
    const double ks = 10.0, kc = 20.0;
    for (int s = 0; s < S; s++) addSpring(b, north, ringAt(b, 1, s), ks);
    addSpring(b, north, centre, kc);
    for (int r = 1; r <= L - 2; r++) {
        for (int s = 0; s < S; s++) {
            const int me = ringAt(b, r, s);
            addSpring(b, me, centre, kc);
            int list[8];
            int n = 0;
            if (r == 1) {
                const int l[] = {ringAt(b, 2, s), ringAt(b, 2, s + 1), ringAt(b, 2, s - 1), ringAt(b, 1, s + 1),
                                 ringAt(b, 1, s - 1), north};
                for (int x : l) list[n++] = x;
            } else if (r == L - 2) {
                const int l[] = {ringAt(b, r - 1, s + 1), ringAt(b, r - 1, s), ringAt(b, r - 1, s - 1),
                                 ringAt(b, r, s + 1), ringAt(b, r, s - 1), south};
                for (int x : l) list[n++] = x;
            } else {
                const int l[] = {ringAt(b, r + 1, s), ringAt(b, r + 1, s + 1), ringAt(b, r + 1, s - 1),
                                 ringAt(b, r, s + 1), ringAt(b, r, s - 1), ringAt(b, r - 1, s + 1),
                                 ringAt(b, r - 1, s), ringAt(b, r - 1, s - 1)};
                for (int x : l) list[n++] = x;
            }
            for (int i = 0; i < n; i++) addSpring(b, me, list[i], ks);
        }
    }
    for (int s = 0; s < S; s++) addSpring(b, south, ringAt(b, L - 2, s), ks);
    addSpring(b, south, centre, kc);
    return b;
}

bool in(double lo, double v, double hi) { return lo < v && v < hi; }

// The scene's tables, row by row, for a surface particle.
bool surfaceContact(double x, double y, double z, double c[3]) {
    if (!in(-30, z, 30) || !in(-30, x, 30)) return false;
    bool ground = false;
    double g[3] = {0, 0, 0};
    if (y <= 0) {
        ground = true;
        g[1] = -y;
        c[0] = g[0], c[1] = g[1], c[2] = g[2];
    }
    if (in(-2, z, 2) && in(-2, x, 2) && 1.6 <= y && y <= 2) {
        c[0] = 0, c[1] = 2 - y, c[2] = 0;
        return true;
    }
    if (!(in(-18, z, -10) && in(-10, x, 5))) return ground;
    const double s = (x + 10) / 3;
    double r[3] = {0, 0, 0};
    if (y <= s && y >= s - 0.4) {
        r[0] = -0.0005, r[1] = s - y;
    } else if (x > 4.6 && y < 4.6) {
        r[0] = 5 - x;
    } else if (z > -10.4 && y <= s) {
        r[2] = -10 - z;
    } else if (in(-18, z, -17.6) && y <= s) {
        r[2] = -(z + 18);
    } else {
        return ground;
    }
    for (int i = 0; i < 3; i++) c[i] = ground ? r[i] + g[i] : r[i];
    return true;
}

// The same for the centre particle, with radius 1.
bool centreContact(double x, double y, double z, double c[3]) {
    const double e = 1.0 - 0.15, zNear = e - 10, zFar = -18 - e;
    if (!in(-30, z, 30) || !in(-30, x, 30)) return false;
    bool ground = false;
    double g[3] = {0, 0, 0};
    if (y <= 0.3) {
        ground = true;
        g[1] = 0.3 - y;
        c[0] = g[0], c[1] = g[1], c[2] = g[2];
    }
    if (in(-2, z, 2) && in(-2, x, 2) && 1.9 <= y && y <= 2.3) {
        c[0] = 0, c[1] = 2.3 - y, c[2] = 0;
        return true;
    }
    if (!(in(zFar, z, zNear) && in(-10.9, x, 5.7))) return ground;
    const double s = (x + 10.9) / 3 + 0.3;
    double r[3] = {0, 0, 0};
    if (y <= s && y >= s - 0.4) {
        r[0] = -0.0005, r[1] = s - y;
    } else if (x > 4.8 && y < 5.1) {
        r[0] = 5.7 - x;
    } else if (z > zNear - 0.4 && y <= s) {
        r[2] = zNear - z;
    } else if (in(zFar, z, zFar + 0.4) && y <= s) {
        r[2] = zFar - z;
    } else {
        return ground;
    }
    for (int i = 0; i < 3; i++) c[i] = ground ? r[i] + g[i] : r[i];
    return true;
}

void applyPush(Ball& b, const double u[3]) {
    for (int i = 0; i < 3; i++) b.push[i] = b.push[i] + 0.03 * u[i];
    for (int i = 0; i < 3; i++) b.push[i] = 0.5 * b.push[i];
    if (std::sqrt(b.push[0] * b.push[0] + b.push[1] * b.push[1] + b.push[2] * b.push[2]) <= 0.005)
        b.push[0] = b.push[1] = b.push[2] = 0;
}

void step(Ball& b) {
    const double gravity[3] = {0, -0.1, 0};
    const double damping = 4.0, dt = 0.1, h = dt / 5.0;
    const int centreIndex = (int)b.ps.size() - 1;
    b.contacts = 0;
    bool airborne = true;
    for (int i = 0; i < (int)b.ps.size(); i++) {
        Particle& P = b.ps[i];
        double S[3] = {0, 0, 0};
        for (const Spring& sp : P.springs) {
            const Particle& Q = b.ps[sp.to];
            const double d[3] = {P.p[0] - Q.p[0], P.p[1] - Q.p[1], P.p[2] - Q.p[2]};
            const double L = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
            if (L == 0) continue;
            const double f = -(L - (double)sp.rest) * (double)sp.k * (1.0 / L);
            for (int k = 0; k < 3; k++) S[k] = S[k] + f * d[k];
        }
        double c[3] = {0, 0, 0};
        double F[3];
        if (i == centreIndex) {
            for (int k = 0; k < 3; k++) b.centre[k] = P.p[k];
            const bool hit = centreContact(P.p[0], P.p[1], P.p[2], c);
            if (hit)
                for (int k = 0; k < 3; k++) S[k] = S[k] + 100.0 * c[k];
            for (int k = 0; k < 3; k++) F[k] = S[k] + b.push[k] + gravity[k];
            if (!hit && airborne)
                for (int k = 0; k < 3; k++) F[k] = F[k] + gravity[k];
        } else {
            if (surfaceContact(P.p[0], P.p[1], P.p[2], c)) {
                for (int k = 0; k < 3; k++) S[k] = S[k] + 100.0 * c[k];
                P.v[0] = 0;
                P.v[2] = 0;
                b.contacts++;
                airborne = false;
            }
            for (int k = 0; k < 3; k++) F[k] = S[k] + b.push[k] + gravity[k];
            if (airborne)
                for (int k = 0; k < 3; k++) F[k] = F[k] + gravity[k];
        }
        for (int k = 0; k < 3; k++) P.v[k] = P.v[k] + (F[k] - damping * P.v[k]) * h;
        for (int k = 0; k < 3; k++) P.p[k] = P.p[k] + dt * P.v[k];
    }
}
}  // namespace naive

namespace {
struct Hash {
    std::uint64_t value = 1469598103934665603ull;  // FNV-1a
    void add(double d) {
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        for (int i = 0; i < 8; ++i) {
            value ^= (bits >> (8 * i)) & 0xffu;
            value *= 1099511628211ull;
        }
    }
};

// A steering input that sweeps round, as a user tilting the board might.
Vec3 steeringAt(int step) {
    const float tiltX = static_cast<float>(20.0 * std::sin(step * 0.031));
    const float tiltZ = static_cast<float>(-20.0 * std::cos(step * 0.017));
    return Vec3(-tiltZ, 0.0, tiltX);
}

enum class Override { none, lift, press };

// Lift the ball for a few steps, later press it down (when allowed).
Override overrideAt(int step) {
    if (step >= 150 && step < 158) return Override::lift;
    if (step >= 300 && step < 312) return Override::press;
    return Override::none;
}

struct Scenario {
    const char* name;
    int rings, segments;
    Vec3 centre;
};

std::uint64_t runBall(const Scenario& sc, int steps, std::vector<double>& state) {
    SoftBall ball;
    ball.setUpModel();
    ball.rings = sc.rings;
    ball.segments = sc.segments;
    ball.centre = sc.centre;
    ball.particles.clear();
    ball.buildParticles();
    ball.buildSprings(ball.surfaceStiffness);
    for (int i = 0; i < steps; ++i) {
        ball.applyPush(steeringAt(i));
        ball.step();
        const Override o = overrideAt(i);
        if (o == Override::lift) ball.pushForce = Vec3(0.0, 0.9, 0.0);
        if (o == Override::press && ball.contactCount < 25) ball.pushForce = Vec3(0.0, -0.9, 0.0);
    }
    Hash h;
    state.clear();
    for (const auto& p : ball.particles) {
        for (double v : {p.position.x, p.position.y, p.position.z, p.velocity.x, p.velocity.y, p.velocity.z})
            state.push_back(v);
    }
    for (double v : {ball.centre.x, ball.centre.y, ball.centre.z, ball.pushForce.x, ball.pushForce.y,
                     ball.pushForce.z, static_cast<double>(ball.contactCount)})
        state.push_back(v);
    for (double v : state) h.add(v);
    return h.value;
}

std::uint64_t runNaive(const Scenario& sc, int steps, std::vector<double>& state) {
    naive::Ball b = naive::build(sc.rings, sc.segments, sc.centre.x, sc.centre.y, sc.centre.z);
    for (int i = 0; i < steps; ++i) {
        const Vec3 u = steeringAt(i);
        const double input[3] = {u.x, u.y, u.z};
        naive::applyPush(b, input);
        naive::step(b);
        const Override o = overrideAt(i);
        if (o == Override::lift) b.push[0] = 0, b.push[1] = 0.9, b.push[2] = 0;
        if (o == Override::press && b.contacts < 25) b.push[0] = 0, b.push[1] = -0.9, b.push[2] = 0;
    }
    Hash h;
    state.clear();
    for (const auto& p : b.ps)
        for (int k = 0; k < 6; ++k) state.push_back(k < 3 ? p.p[k] : p.v[k - 3]);
    for (double v : {b.centre[0], b.centre[1], b.centre[2], b.push[0], b.push[1], b.push[2], (double)b.contacts})
        state.push_back(v);
    for (double v : state) h.add(v);
    return h.value;
}

void PrintTo(const Scenario& scenario, std::ostream* os) { *os << scenario.name; }

class CrossCheck : public ::testing::TestWithParam<Scenario> {};
}  // namespace

TEST_P(CrossCheck, MatchesNaiveImplementationBitForBit) {
    const Scenario sc = GetParam();
    std::vector<double> ours, theirs;
    const std::uint64_t ourHash = runBall(sc, 500, ours);
    const std::uint64_t naiveHash = runNaive(sc, 500, theirs);
    ASSERT_EQ(ours.size(), theirs.size());
    for (std::size_t i = 0; i < ours.size(); ++i) {
        if (std::memcmp(&ours[i], &theirs[i], sizeof(double)) != 0) {
            ADD_FAILURE() << "first difference at value " << i << " (particle " << i / 6 << "): " << ours[i]
                          << " vs " << theirs[i];
            break;
        }
    }
    EXPECT_EQ(ourHash, naiveHash);

    std::vector<double> again;
    EXPECT_EQ(runBall(sc, 500, again), ourHash);  // and the same run twice gives the same bits
}

// Starting points chosen so that the 500 steps touch the plate, the
// platform, and the ramp's top and faces, with steering, lift and press.
INSTANTIATE_TEST_SUITE_P(
    SoftBallDeterminism, CrossCheck,
    ::testing::Values(Scenario{"platform", 12, 12, Vec3(0.0, 3.0, 0.0)},
                      Scenario{"plate", 12, 12, Vec3(6.0, 1.5, 4.0)},
                      Scenario{"rampTop", 12, 12, Vec3(-5.0, 3.5, -14.0)},
                      Scenario{"rampHighEnd", 12, 12, Vec3(5.5, 1.5, -14.0)},
                      Scenario{"rampNearSide", 12, 12, Vec3(0.0, 1.5, -9.6)},
                      Scenario{"rampFarSide", 12, 12, Vec3(0.0, 1.5, -18.6)},
                      Scenario{"otherShape", 6, 5, Vec3(1.0, 2.0, 1.0)},
                      Scenario{"edgeOfScene", 8, 7, Vec3(29.3, 1.2, -29.5)}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- spring sums

namespace {
bool sameBits(const Vec3& a, const Vec3& b) { return std::memcmp(&a, &b, sizeof(Vec3)) == 0; }

// Every way of adding up the spring forces that this processor offers gives
// the bits of the one-by-one sum, for every particle of a 12 x 12 and a
// 24 x 24 ball in flight, squashed on the plate, and with two joined points
// on top of each other.
void expectEveryPathAsOneByOne(const SoftBall& ball, const char* when) {
    for (std::size_t i = 0; i < ball.particles.size(); ++i) {
        const Vec3& at = ball.particles[i].position;
        const Vec3 oneByOne =
            sumOfSpringForces(ball.particles, i, at, ball.particles.data(), SpringSumPath::OneByOne);
        for (SpringSumPath path : {SpringSumPath::TwoAtATime, SpringSumPath::FourAtATime}) {
            if (!springSumPathAvailable(path)) continue;
            const Vec3 sum = sumOfSpringForces(ball.particles, i, at, ball.particles.data(), path);
            ASSERT_TRUE(sameBits(sum, oneByOne)) << when << ", particle " << i << ", path " << static_cast<int>(path);
        }
    }
}
}  // namespace

TEST(SpringSums, EveryPathGivesTheBitsOfTheOneByOneSum) {
    EXPECT_TRUE(springSumPathAvailable(fastestSpringSumPath()));
    for (int size : {12, 24}) {
        SoftBall ball;
        ball.setUpModel();
        ball.rings = ball.segments = size;
        ball.particles.clear();
        ball.buildParticles();
        ball.buildSprings(ball.surfaceStiffness);
        for (int i = 0; i < 60; ++i) {
            ball.applyPush(Vec3(3.0, 0.0, -2.0));
            ball.step();
        }
        expectEveryPathAsOneByOne(ball, "falling");
        for (int i = 0; i < 400; ++i) ball.step();
        expectEveryPathAsOneByOne(ball, "landed");
        ball.particles[ball.ringIndex(3, 1)].position = ball.particles[ball.ringIndex(3, 0)].position;
        expectEveryPathAsOneByOne(ball, "two points on top of each other");
    }
}
