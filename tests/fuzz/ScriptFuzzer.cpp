// libFuzzer target: the input-script parser on arbitrary text. Every input
// either parses into events whose fields are in range or gives one error
// line naming the script and a line number; the events it parses then go to
// a world through the handlers, a step after each, and every value stays a
// number.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "world/InputScript.h"
#include "world/World.h"

namespace {
constexpr std::size_t kEventsPlayed = 48;  // keeps each input fast

void playInto(const std::vector<ScriptEvent>& events) {
    World world;
    for (std::size_t i = 0; i < events.size() && i < kEventsPlayed; ++i) {
        deliverScriptEvent(world, events[i]);
        step(world);
        advanceFrame(world);
    }
    for (const auto& particle : world.ball.particles) {
        const Vec3& p = particle.position;
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) std::abort();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const ScriptParseResult result = parseInputScript(text, "fuzz.txt");
    if (!result.ok) {
        if (result.error.rfind("fuzz.txt:", 0) != 0) std::abort();
        if (result.error.find('\n') != std::string::npos) std::abort();
        return 0;
    }
    long long previous = 0;
    for (const ScriptEvent& e : result.events) {
        if (e.step < previous || e.line < 1) std::abort();
        previous = e.step;
        if (e.kind == ScriptEventKind::Motion &&
            (e.x < -100000 || e.x > 100000 || e.y < -100000 || e.y > 100000)) {
            std::abort();
        }
    }
    playInto(result.events);
    return 0;
}
