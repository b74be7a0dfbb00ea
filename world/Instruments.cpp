#include "world/Instruments.h"

#include <algorithm>
#include <cstring>

#include "world/World.h"

namespace {
constexpr const char* kStopwatchActionNames[] = {"start", "stop", "reset", "auto-on", "auto-off"};

void followFlight(FlightLog& flight, const SoftBall& ball, Stopwatch& stopwatch) {
    const double height = massCentre(ball).y;
    if (ball.contactCount == 0) {
        flight.top = flight.inFlight ? std::max(flight.top, height) : height;
        flight.inFlight = true;
        return;
    }
    if (!flight.inFlight) return;
    flight.inFlight = false;
    ++flight.bounces;
    flight.landedOnce = true;
    flight.lastTop = flight.top;
    if (stopwatch.stopsAtTouchdown) stopwatch.running = false;
}
}  // namespace

void useStopwatch(Stopwatch& stopwatch, StopwatchAction action) {
    switch (action) {
        case StopwatchAction::Start: stopwatch.running = true; break;
        case StopwatchAction::Stop: stopwatch.running = false; break;
        case StopwatchAction::Reset: stopwatch.seconds = 0.0; break;
        case StopwatchAction::AutoOn: stopwatch.stopsAtTouchdown = true; break;
        case StopwatchAction::AutoOff: stopwatch.stopsAtTouchdown = false; break;
    }
}

void noteInstruments(World& world) {
    Instruments& instruments = world.instruments;
    if (instruments.stopwatch.running) instruments.stopwatch.seconds += world.ball.timeStep;
    followFlight(instruments.flight, world.ball, instruments.stopwatch);
}

namespace {
template <typename Member>
Vec3 meanOver(const SoftBall& ball, Member member) {
    Vec3 sum;
    for (const auto& particle : ball.particles) sum += particle.*member;
    const double count = static_cast<double>(ball.particles.empty() ? 1 : ball.particles.size());
    return Vec3(sum.x / count, sum.y / count, sum.z / count);
}
}  // namespace

Vec3 massCentre(const SoftBall& ball) { return meanOver(ball, &Particle::position); }
Vec3 massCentreVelocity(const SoftBall& ball) { return meanOver(ball, &Particle::velocity); }

double centresApart(const World& world) {
    return world.compare ? length(massCentre(world.compare->ball) - massCentre(world.ball)) : 0.0;
}

Readouts readoutsOf(const World& world) {
    Readouts readouts;
    readouts.time = static_cast<double>(world.simulationSteps) * world.ball.timeStep;
    readouts.centreHeight = massCentre(world.ball).y;
    readouts.centreSpeed = length(massCentreVelocity(world.ball));
    readouts.contacts = world.ball.contactCount;
    readouts.bounces = world.instruments.flight.bounces;
    readouts.landedOnce = world.instruments.flight.landedOnce;
    readouts.lastFlightTop = world.instruments.flight.lastTop;
    return readouts;
}

const char* stopwatchActionName(StopwatchAction action) { return kStopwatchActionNames[static_cast<int>(action)]; }

bool findStopwatchAction(const char* name, StopwatchAction& action) {
    for (int i = 0; i < 5; ++i) {
        if (std::strcmp(name, kStopwatchActionNames[i]) == 0) {
            action = static_cast<StopwatchAction>(i);
            return true;
        }
    }
    return false;
}
