#include <cmath>

#include "ball/SoftBall.h"
#include "math/Constants.h"
#include "math/PortableMath.h"

namespace {
constexpr int kMaxSpringsPerRingParticle = 8;  // besides the one to the centre
constexpr int kBuildUpFramesPerParticle = 6;

void addSpring(ParticleList& particles, int from, int to, double stiffness) {
    Spring spring;
    spring.to = to;
    spring.restLength = static_cast<float>(length(particles[from].position - particles[to].position));
    spring.stiffness = static_cast<float>(stiffness);
    particles.addSpring(from, spring);
}

// A pole is joined to every particle of its neighbouring ring, then to the centre.
void buildPoleSprings(SoftBall& ball, int poleIndex, int ring, double surface, double centre) {
    for (int s = 0; s < ball.segments; ++s) addSpring(ball.particles, poleIndex, ball.ringIndex(ring, s), surface);
    addSpring(ball.particles, poleIndex, ball.centreIndex(), centre);
}

// A ring particle's spring to the centre comes first, then those to its
// neighbours on the adjacent rings and its own ring.
void buildRingParticleSprings(SoftBall& ball, int r, int s, double surface, double centre) {
    const int next = (s + 1) % ball.segments;
    const int previous = (ball.segments + s - 1) % ball.segments;
    int neighbours[kMaxSpringsPerRingParticle];
    int count = 0;
    if (r == 1) {
        for (int n : {ball.ringIndex(2, s), ball.ringIndex(2, next), ball.ringIndex(2, previous),
                      ball.ringIndex(1, next), ball.ringIndex(1, previous), 0})
            neighbours[count++] = n;
    } else if (r == ball.rings - 2) {
        for (int n : {ball.ringIndex(r - 1, next), ball.ringIndex(r - 1, s), ball.ringIndex(r - 1, previous),
                      ball.ringIndex(r, next), ball.ringIndex(r, previous), ball.southPoleIndex()})
            neighbours[count++] = n;
    } else {
        for (int n : {ball.ringIndex(r + 1, s), ball.ringIndex(r + 1, next), ball.ringIndex(r + 1, previous),
                      ball.ringIndex(r, next), ball.ringIndex(r, previous), ball.ringIndex(r - 1, next),
                      ball.ringIndex(r - 1, s), ball.ringIndex(r - 1, previous)})
            neighbours[count++] = n;
    }

    const int particle = ball.ringIndex(r, s);
    addSpring(ball.particles, particle, ball.centreIndex(), centre);
    for (int i = 0; i < count; ++i) addSpring(ball.particles, particle, neighbours[i], surface);
}
}  // namespace

void SoftBall::setUpModel() {
    static_cast<BallParameters&>(*this) = BallParameters();
    static_cast<BallResolution&>(*this) = BallResolution();
    centre = kBallStartCentre;
    pushForce = Vec3(0.0, 0.0, 0.0);
    radius = 1.0;
    buildUpActive = false;
    contactCount = 0;
    showParticles = false;
    showSprings = false;
    showSurface = true;
    particles.clear();
    buildParticles();
    buildSprings(surfaceStiffness);
}

// Rings are spaced by (L + 1) * pi / L^2 rather than pi / (L - 1), so the gap
// to the south pole is a little wider than the one to the north pole.
void SoftBall::buildParticles() {
    const Vec3 c = centre;
    const double polarStep = kPi / rings;
    const double segmentStep = kTwoPi / segments;

    if (expectedParticleCount() > 0) {
        const std::size_t count = static_cast<std::size_t>(expectedParticleCount());
        particles.reserve(particles.size() + count, count * (kMaxSpringsPerRingParticle + 1));
    }
    particles.push_back(c + Vec3(0.0, 0.0, radius));
    for (int r = 1; r <= rings - 2; ++r) {
        const double theta = (r + static_cast<double>(r) / rings) * polarStep;
        const double ringRadius = radius * portableSin(theta);
        for (int s = 0; s < segments; ++s) {
            const double phi = s * segmentStep;
            const Vec3 offset(ringRadius * portableCos(phi), ringRadius * portableSin(phi), radius * portableCos(theta));
            particles.push_back(c + offset);
        }
    }
    particles.push_back(c + Vec3(0.0, 0.0, -radius));
    particles.push_back(c);
}

void SoftBall::buildSprings(double stiffness) {
    if (!isBuilt()) return;  // the neighbour formulas need the full particle set
    for (int r = 0; r < rings; ++r) {
        if (r == 0) {
            buildPoleSprings(*this, 0, 1, stiffness, centreStiffness);
        } else if (r == rings - 1) {
            buildPoleSprings(*this, southPoleIndex(), rings - 2, stiffness, centreStiffness);
        } else {
            for (int s = 0; s < segments; ++s) buildRingParticleSprings(*this, r, s, stiffness, centreStiffness);
        }
    }
}

void SoftBall::reset() {
    particles.clear();
    centre = centre + Vec3(0.0, 0.5, 0.0);
    buildParticles();
    buildSprings(surfaceStiffness);
    buildUpActive = true;
    buildUpShown = 0;
    buildUpFrames = 0;
}

void SoftBall::applyStiffness() {
    if (!isBuilt()) return;
    const int middle = centreIndex();
    const float toCentre = static_cast<float>(centreStiffness);
    const float betweenSurfacePoints = static_cast<float>(surfaceStiffness);
    for (std::size_t i = 0; i < particles.size(); ++i) {
        for (Spring& spring : particles.springsOf(i))
            spring.stiffness = spring.to == middle ? toCentre : betweenSurfacePoints;
    }
}

// The picture shows `buildUpShown` particles for six frames, then one more;
// the sixth frame that shows them all ends the build-up.
void SoftBall::advanceBuildUp() {
    if (!isBuilt() || !buildUpActive) return;
    buildUpFrames = buildUpFrames + 1;
    if (buildUpFrames < kBuildUpFramesPerParticle) return;
    if (buildUpShown == static_cast<int>(particles.size())) {
        buildUpActive = false;
    } else {
        buildUpShown = buildUpShown + 1;
    }
    buildUpFrames = 0;
}
