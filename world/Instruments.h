#pragma once

#include "math/Vec3.h"

struct SoftBall;
struct World;

// The study's instruments, kept in the world so that they replay exactly and
// the timeline restores them: a stopwatch in model time and a log of the
// ball's flights.

// What the stopwatch's buttons (and the script event "stopwatch") do.
enum class StopwatchAction { Start, Stop, Reset, AutoOn, AutoOff };

struct Stopwatch {
    bool running = false;
    bool stopsAtTouchdown = false;  // stops by itself when the ball next lands
    double seconds = 0.0;           // model time: the time step of each step run
};

// A flight is a run of steps with nothing touching the scene; it ends, and
// counts as a bounce, at the step where something touches again.
struct FlightLog {
    bool inFlight = false;
    long long bounces = 0;
    double top = 0.0;            // the centre of mass's highest in the flight under way
    bool landedOnce = false;     // a flight has ended since the start
    double lastTop = 0.0;        // the highest centre of the last one ended
};

struct Instruments {
    Stopwatch stopwatch;
    FlightLog flight;
};

void useStopwatch(Stopwatch& stopwatch, StopwatchAction action);

// After every simulation step: the stopwatch runs on by the step's time, and
// the flight log follows the ball's contacts.
void noteInstruments(World& world);

// The panels' readouts, in model units.
struct Readouts {
    double time = 0.0;          // simulation steps times the time step, s
    double centreHeight = 0.0;  // the centre of mass's height, m
    double centreSpeed = 0.0;   // and its speed, m/s
    int contacts = 0;
    long long bounces = 0;
    bool landedOnce = false;
    double lastFlightTop = 0.0;  // the centre's highest point in the last flight, m
};
Readouts readoutsOf(const World& world);

// The ball's centre of mass (every mass point weighs the same: the mean of
// their places, summed in list order) and its velocity (the mean of theirs).
Vec3 massCentre(const SoftBall& ball);
Vec3 massCentreVelocity(const SoftBall& ball);

// How far compare mode's B's centre of mass is from A's; 0 without B.
double centresApart(const World& world);

// "start", "stop", "reset", "auto-on", "auto-off", as scripts name them.
const char* stopwatchActionName(StopwatchAction action);
bool findStopwatchAction(const char* name, StopwatchAction& action);
