#include "world/DataCsv.h"

#include "ball/Energy.h"
#include "world/InputScript.h"
#include "world/Instruments.h"
#include "world/Timeline.h"
#include "world/World.h"

namespace {
void appendNumbers(std::string& out, const double* numbers, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        out += ',';
        out += exactNumberText(numbers[i]);
    }
}

constexpr std::size_t kColumnsOfB = 11;

// B's columns of a row, each with its leading comma; empty without B.
void appendColumnsOfB(std::string& out, const World& world) {
    if (!world.compare) {
        out.append(kColumnsOfB, ',');
        return;
    }
    const World& b = *world.compare;
    const BallEnergy energy = energyOf(b.ball);
    const Vec3 centre = massCentre(b.ball);
    const double numbers[kColumnsOfB] = {static_cast<double>(b.simulationSteps) * b.ball.timeStep,
                                         energy.kinetic,
                                         energy.spring,
                                         energy.gravity,
                                         energy.total,
                                         static_cast<double>(b.ball.contactCount),
                                         centre.x,
                                         centre.y,
                                         centre.z,
                                         length(massCentreVelocity(b.ball)),
                                         centresApart(world)};
    appendNumbers(out, numbers, kColumnsOfB);
}
}  // namespace

std::string dataCsvHeader(bool withB) {
    std::string header =
        "step,time (s),kinetic energy (J),spring energy (J),gravity energy (J),total energy (J),contacts,"
        "tilt x (deg),tilt z (deg),centre of mass x (m),centre of mass y (m),centre of mass z (m),centre of mass speed (m/s)";
    if (withB)
        header += ",B time (s),B kinetic energy (J),B spring energy (J),B gravity energy (J),B total energy (J),"
                  "B contacts,B centre of mass x (m),B centre of mass y (m),B centre of mass z (m),"
                  "B centre of mass speed (m/s),A and B apart (m)";
    return header + '\n';
}

void appendDataCsvRow(std::string& out, const World& world, bool withB) {
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
    appendNumbers(out, numbers, sizeof numbers / sizeof numbers[0]);
    if (withB) appendColumnsOfB(out, world);
    out += '\n';
}

std::string keptStepsCsv(const Timeline& timeline) {
    // A's columns and B's are gathered apart in one walk through the kept
    // steps, and joined row by row only if some step had B.
    std::string rowsOfA, columnsOfB;
    bool anyB = false;
    timeline.visitKeptSteps([&](long long, const World& world) {
        appendDataCsvRow(rowsOfA, world);
        appendColumnsOfB(columnsOfB, world);
        columnsOfB += '\n';
        anyB = anyB || static_cast<bool>(world.compare);
        return true;
    });
    if (!anyB) return dataCsvHeader() + rowsOfA;
    std::string out = dataCsvHeader(true);
    out.reserve(out.size() + rowsOfA.size() + columnsOfB.size());
    std::size_t a = 0, b = 0;
    while (a < rowsOfA.size()) {
        const std::size_t aEnd = rowsOfA.find('\n', a), bEnd = columnsOfB.find('\n', b);
        out.append(rowsOfA, a, aEnd - a);
        out.append(columnsOfB, b, bEnd - b + 1);
        a = aEnd + 1;
        b = bEnd + 1;
    }
    return out;
}
