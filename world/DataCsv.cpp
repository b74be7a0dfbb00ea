#include "world/DataCsv.h"

#include "ball/Energy.h"
#include "world/InputScript.h"
#include "world/Instruments.h"
#include "world/Timeline.h"
#include "world/World.h"

std::string dataCsvHeader() {
    return "step,time (s),kinetic energy (J),spring energy (J),gravity energy (J),total energy (J),contacts,"
           "tilt x (deg),tilt z (deg),centre of mass x (m),centre of mass y (m),centre of mass z (m),centre of mass speed (m/s)\n";
}

void appendDataCsvRow(std::string& out, const World& world) {
    const BallEnergy energy = energyOf(world.ball);
    const Vec3 centre = massCentre(world.ball);
    const double numbers[] = {static_cast<double>(world.simulationSteps) * world.ball.timeStep,
                              energy.kinetic,
                              energy.spring,
                              energy.gravity,
                              energy.total,
                              static_cast<double>(world.ball.contactCount),
                              world.board.tiltX,
                              world.board.tiltZ,
                              centre.x,
                              centre.y,
                              centre.z,
                              length(massCentreVelocity(world.ball))};
    out += std::to_string(world.simulationSteps);
    for (const double number : numbers) {
        out += ',';
        out += exactNumberText(number);
    }
    out += '\n';
}

std::string keptStepsCsv(const Timeline& timeline) {
    std::string out = dataCsvHeader();
    timeline.visitKeptSteps([&out](long long, const World& world) {
        appendDataCsvRow(out, world);
        return true;
    });
    return out;
}
