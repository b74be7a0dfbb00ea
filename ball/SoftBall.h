#pragma once

#include <cstdint>
#include <vector>

#include "ball/BallParameters.h"
#include "ball/Particle.h"
#include "ball/Spring.h"
#include "math/Vec3.h"

// A pull on one surface particle towards a target, by a damped spring (the
// mouse's grab); none by default.
struct ParticlePull {
    int particle = -1;
    Vec3 target;
};

// The soft ball: rings of mass points on a sphere around a centre particle,
// joined by springs. Particle numbering (r = ring level 1..rings-2,
// s = segment 0..segments-1):
//   north pole 0, ring(r, s) 1 + (r-1)*segments + s,
//   south pole (rings-2)*segments + 1, centre (rings-2)*segments + 2.
//
// Its settings are its bases, BallParameters and BallResolution, which carry
// the start values: the settings table reaches each field through them, and
// the defaults come back by assigning a fresh one.
struct SoftBall : BallParameters, BallResolution {
    double radius = 1.0;
    Vec3 centre = kBallStartCentre;
    Vec3 pushForce;
    ParticleList particles;
    bool showParticles = false;
    bool showSprings = false;
    bool showSurface = true;
    std::int32_t contactCount = 0;
    bool buildUpActive = false;
    std::int32_t buildUpShown = 0;
    std::int32_t buildUpFrames = 0;
    bool airborne = true;

    // Start-up: every setting at its start value, the ball at its start
    // place, then buildParticles and buildSprings.
    void setUpModel();

    void buildParticles();
    void buildSprings(double stiffness);
    void reset();

    // Gives every spring the stiffness its kind has now (to the centre or
    // between surface points); the rest lengths stay.
    void applyStiffness();

    void applyPush(const Vec3& input);
    void step(const ParticlePull& pull = ParticlePull());

    // True when a step has gone wrong beyond repair: a value that is not a
    // number or infinite, a point flung more than 50 radii from the centre,
    // or one faster than 1000 radii a second. Parameters far from the
    // defaults can make the explicit step blow up like this.
    bool ranAway() const;

    // Particles are moved in place, one after another: later particles feel
    // the already moved positions of earlier ones.
    void stepInPlace(const ParticlePull& pull);
    // The other integrators: every force from whole states of the ball.
    void stepFromStates(const ParticlePull& pull);

    // Once per drawn frame: after a rebuild the picture shows one more
    // particle every six frames, until all are there.
    void advanceBuildUp();

    // Index helpers following the numbering above.
    int ringIndex(int r, int s) const { return 1 + (r - 1) * segments + s; }
    int southPoleIndex() const { return (rings - 2) * segments + 1; }
    int centreIndex() const { return (rings - 2) * segments + 2; }
    int expectedParticleCount() const { return (rings - 2) * segments + 3; }

    // True when the particle list matches the numbering, so that stepping and
    // drawing may index it.
    bool isBuilt() const {
        return rings >= 4 && segments >= 3 &&
               static_cast<int>(particles.size()) == expectedParticleCount();
    }
};
