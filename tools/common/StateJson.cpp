#include "tools/common/StateJson.h"

#include <cmath>

#include "ball/Energy.h"
#include "cli/JsonWriter.h"
#include "tools/common/ShortestDouble.h"
#include "world/World.h"

namespace {
constexpr std::size_t kFlushThreshold = 1 << 16;

// Shortest text that reads back to the same double ("-0", "1e-05" are valid JSON).
void appendShortest(std::string& out, double value) {
    char text[kShortestDoubleMaxLength];
    out.append(text, formatShortest(value, text));
}

void writeVec3(JsonWriter& json, const Vec3& v) {
    const double values[3] = {v.x, v.y, v.z};
    json.numbers(values, 3);
}

void writeEnergy(JsonWriter& json, const BallEnergy& energy) {
    json.key("energy").beginObject();
    json.key("kinetic").number(energy.kinetic);
    json.key("spring").number(energy.spring);
    json.key("gravity").number(energy.gravity);
    json.key("total").number(energy.total);
    json.endObject();
}

void writeParticles(JsonWriter& json, const SoftBall& ball) {
    json.beginArray();
    for (const auto& particle : ball.particles) {
        const Vec3& p = particle->position;
        const Vec3& v = particle->velocity;
        const double values[6] = {p.x, p.y, p.z, v.x, v.y, v.z};
        json.numbers(values, 6);
    }
    json.endArray();
}

void writeCamera(JsonWriter& json, const Camera& camera) {
    json.key("camera").beginObject();
    writeVec3(json.key("position"), camera.position);
    writeVec3(json.key("forward"), camera.forward);
    writeVec3(json.key("right"), camera.right);
    json.key("yaw").number(camera.yaw);
    json.key("pitch").number(camera.pitch);
    json.endObject();
}
}  // namespace

void appendJsonNumber(std::string& out, double value) { JsonWriter(out, appendShortest).number(value); }

namespace {
void writeWorld(JsonWriter& json, const World& world, bool energy) {
    const Board& board = world.board;
    const SoftBall& ball = world.ball;
    json.key("tiltX").number(board.tiltX);
    json.key("tiltZ").number(board.tiltZ);
    json.key("framesSinceTilt").integer(board.framesSinceTilt);
    writeVec3(json.key("pushForce"), ball.pushForce);
    json.key("contactCount").integer(ball.contactCount);
    writeVec3(json.key("centre"), ball.centre);
    writeCamera(json, world.camera);
    json.key("showParticles").boolean(ball.showParticles);
    json.key("showSprings").boolean(ball.showSprings);
    json.key("showSurface").boolean(ball.showSurface);
    writeParticles(json.key("particles"), ball);
    if (energy) writeEnergy(json, energyOf(ball));
}
}  // namespace

// Compare mode's B, when there is one, under its own key at the end.
void appendStateLine(std::string& out, long long step, const World& world, bool energy) {
    JsonWriter json(out, appendShortest);
    json.beginObject();
    json.key("step").integer(step);
    writeWorld(json, world, energy);
    if (world.compare) {
        json.key("b").beginObject();
        writeWorld(json, *world.compare, energy);
        json.endObject();
    }
    json.endObject();
    out += '\n';
}

std::string stateLine(long long step, const World& world, bool energy) {
    std::string line;
    appendStateLine(line, step, world, energy);
    return line;
}

void JsonLineWriter::writeState(long long step, const World& world, bool energy) {
    appendStateLine(buffer_, step, world, energy);
    if (buffer_.size() >= kFlushThreshold) flush();
}

bool JsonLineWriter::flushAndRelease() {
    const bool written = flush();
    std::string().swap(buffer_);
    return written;
}

bool JsonLineWriter::flush() {
    if (!buffer_.empty() && !failed_) {
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) != buffer_.size()) {
            failed_ = true;
        }
    }
    buffer_.clear();
    if (!failed_ && std::fflush(stream_) != 0) failed_ = true;
    return !failed_;
}
