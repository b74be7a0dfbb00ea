#include "tools/common/StateJson.h"

#include <cmath>

#include "ball/Energy.h"
#include "tools/common/ShortestDouble.h"
#include "world/World.h"

namespace {
constexpr std::size_t kFlushThreshold = 1 << 16;

void appendVec3(std::string& out, const Vec3& v) {
    out += '[';
    appendJsonNumber(out, v.x);
    out += ',';
    appendJsonNumber(out, v.y);
    out += ',';
    appendJsonNumber(out, v.z);
    out += ']';
}

void appendBool(std::string& out, bool value) { out += value ? "true" : "false"; }

void appendEnergy(std::string& out, const BallEnergy& energy) {
    out += ",\"energy\":{\"kinetic\":";
    appendJsonNumber(out, energy.kinetic);
    out += ",\"spring\":";
    appendJsonNumber(out, energy.spring);
    out += ",\"gravity\":";
    appendJsonNumber(out, energy.gravity);
    out += ",\"total\":";
    appendJsonNumber(out, energy.total);
    out += '}';
}

void appendParticles(std::string& out, const SoftBall& ball) {
    out += '[';
    bool first = true;
    for (const auto& particle : ball.particles) {
        if (!first) out += ',';
        first = false;
        const Vec3& p = particle->position;
        const Vec3& v = particle->velocity;
        out += '[';
        const double values[6] = {p.x, p.y, p.z, v.x, v.y, v.z};
        for (int i = 0; i < 6; ++i) {
            if (i > 0) out += ',';
            appendJsonNumber(out, values[i]);
        }
        out += ']';
    }
    out += ']';
}
}  // namespace

void appendJsonNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    // Shortest text that reads back to the same double ("-0", "1e-05" are valid JSON).
    char text[kShortestDoubleMaxLength];
    out.append(text, formatShortest(value, text));
}

void appendStateLine(std::string& out, long long step, const World& world, bool energy) {
    const Board& board = world.board;
    const Camera& camera = world.camera;
    const SoftBall& ball = world.ball;
    out += "{\"step\":";
    out += std::to_string(step);
    out += ",\"tiltX\":";
    appendJsonNumber(out, board.tiltX);
    out += ",\"tiltZ\":";
    appendJsonNumber(out, board.tiltZ);
    out += ",\"framesSinceTilt\":";
    out += std::to_string(board.framesSinceTilt);
    out += ",\"pushForce\":";
    appendVec3(out, ball.pushForce);
    out += ",\"contactCount\":";
    out += std::to_string(ball.contactCount);
    out += ",\"centre\":";
    appendVec3(out, ball.centre);
    out += ",\"camera\":{\"position\":";
    appendVec3(out, camera.position);
    out += ",\"forward\":";
    appendVec3(out, camera.forward);
    out += ",\"right\":";
    appendVec3(out, camera.right);
    out += ",\"yaw\":";
    appendJsonNumber(out, camera.yaw);
    out += ",\"pitch\":";
    appendJsonNumber(out, camera.pitch);
    out += "},\"showParticles\":";
    appendBool(out, ball.showParticles);
    out += ",\"showSprings\":";
    appendBool(out, ball.showSprings);
    out += ",\"showSurface\":";
    appendBool(out, ball.showSurface);
    out += ",\"particles\":";
    appendParticles(out, ball);
    if (energy) appendEnergy(out, energyOf(ball));
    out += "}\n";
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
