#include "world/Timeline.h"

#include <algorithm>
#include <cstdint>

#include "cli/CommandLine.h"

namespace {
// The model of what the past takes, close to what a copy of the world
// allocates (measured on a 64-bit machine: 57 kB for the 12 x 12 ball,
// 1.45 MB for the 96 x 96 one): the world itself (its history of plotted
// samples most of it), each mass point (its position and velocity, and
// where its springs begin) and each spring.
constexpr std::size_t kWorldBytes = 44 * 1024;
constexpr std::size_t kParticleBytes = sizeof(double) * 6 + sizeof(std::int32_t);
constexpr std::size_t kSpringBytes = sizeof(std::int32_t) + sizeof(float) * 2;
constexpr std::size_t kEventBytes = sizeof(long long) * 12;
constexpr std::size_t kOpBytes = 1;

// A seek replays at most one interval of steps: about twelve million spring
// forces, a few milliseconds for a small ball and well under a tenth of a
// second for the largest; never so few that the copies crowd out the past.
constexpr long long kSpringForcesPerInterval = 12000000;
constexpr long long kFewestStepsBetweenCopies = 64;
constexpr long long kMostStepsBetweenCopies = 512;
// A long pause full of pointer motion gets copies too, so that its events
// can be dropped with what came before.
constexpr std::size_t kMostEventsBetweenCopies = 4096;

std::size_t springCount(const SoftBall& ball) { return ball.particles.springCount(); }
}  // namespace

Timeline::Timeline(std::size_t memoryBytes) : memoryBytes_(memoryBytes) {}

long long Timeline::copyInterval(const World& world) {
    const long long springs = static_cast<long long>(springCount(world.ball));
    if (springs == 0) return kMostStepsBetweenCopies;
    return std::clamp(kSpringForcesPerInterval / springs, kFewestStepsBetweenCopies, kMostStepsBetweenCopies);
}

std::size_t Timeline::modelBytes(const World& world) {
    return kWorldBytes + world.ball.particles.size() * kParticleBytes + springCount(world.ball) * kSpringBytes;
}

void Timeline::begin(const World& world) {
    keyframes_.clear();
    ops_.clear();
    events_.clear();
    opBase_ = eventBase_ = 0;
    bytesKept_ = 0;
    latestStep_ = world.simulationSteps;
    if (enabled()) keep(world);
}

void Timeline::keep(const World& world) {
    const std::size_t bytes = modelBytes(world);
    keyframes_.push_back({world, Cursor{opEnd(), eventBase_ + events_.size(), -1}, bytes});
    bytesKept_ += bytes;
    eventsSinceCopy_ = 0;
    dropOldestWhileOver();
}

// The oldest copy goes with everything up to the next one; the latest copy
// always stays, so that the present can be reached.
void Timeline::dropOldestWhileOver() {
    while (bytesKept_ > memoryBytes_ && keyframes_.size() > 1) {
        const Cursor next = keyframes_[1].cursor;
        bytesKept_ -= keyframes_.front().bytes;
        keyframes_.pop_front();
        const std::size_t ops = next.op - opBase_;
        const std::size_t events = next.event - eventBase_;
        ops_.erase(ops_.begin(), ops_.begin() + static_cast<std::ptrdiff_t>(ops));
        events_.erase(events_.begin(), events_.begin() + static_cast<std::ptrdiff_t>(events));
        opBase_ = next.op;
        eventBase_ = next.event;
        bytesKept_ -= ops * kOpBytes + events * kEventBytes;
    }
}

void Timeline::noteEvent(const ScriptEvent& event) {
    if (!enabled()) return;
    ops_.push_back(Op::Event);
    events_.push_back(event);
    bytesKept_ += kOpBytes + kEventBytes;
    ++eventsSinceCopy_;
}

void Timeline::noteIdleCall(const World& after) {
    latestStep_ = after.simulationSteps;
    if (!enabled()) return;
    ops_.push_back(Op::IdleCall);
    bytesKept_ += kOpBytes;
    const long long sinceCopy = after.simulationSteps - keyframes_.back().world.simulationSteps;
    if (sinceCopy >= copyInterval(after) || eventsSinceCopy_ >= kMostEventsBetweenCopies) {
        keep(after);
    } else {
        dropOldestWhileOver();
    }
}

void Timeline::noteFrame() {
    if (!enabled()) return;
    ops_.push_back(Op::Frame);
    bytesKept_ += kOpBytes;
}

long long Timeline::oldestStep() const {
    return keyframes_.empty() ? latestStep_ : keyframes_.front().world.simulationSteps;
}

// The latest copy at or before the step: later copies at the same step come
// after a branch, whose copy holds the viewer's choices.
const Timeline::Keyframe& Timeline::keyframeFor(long long step) const {
    const auto after = std::upper_bound(keyframes_.begin(), keyframes_.end(), step,
                                        [](long long s, const Keyframe& k) { return s < k.world.simulationSteps; });
    return *(after == keyframes_.begin() ? after : after - 1);
}

// Does again what followed, until the step after `step` would begin. An
// event at that point is tried on a copy first: one that takes a step
// ("o") belongs to the next step.
void Timeline::replayUntil(World& world, Cursor& cursor, long long step) const {
    for (;;) {
        if (cursor.pendingSteps >= 0) {
            for (; cursor.pendingSteps > 0; --cursor.pendingSteps) {
                if (world.simulationSteps >= step) return;
                simulateStep(world);
            }
            finishIdleCall(world);
            cursor.pendingSteps = -1;
            ++cursor.op;
            continue;
        }
        if (cursor.op >= opEnd()) return;
        switch (opAt(cursor.op)) {
        case Op::IdleCall: cursor.pendingSteps = stepsDueThisIdleCall(world); continue;
        case Op::Frame: advanceFrame(world); break;
        case Op::Event: {
            const ScriptEvent& event = eventAt(cursor.event);
            if (world.simulationSteps >= step && changesSimulation(world, event)) {
                World trial = world;
                deliverScriptEvent(trial, event);
                if (trial.simulationSteps > step) return;
                world = std::move(trial);
            } else {
                deliverScriptEvent(world, event);
            }
            ++cursor.event;
            break;
        }
        }
        ++cursor.op;
    }
}

Timeline::Moment Timeline::momentAt(long long step) const {
    const Keyframe& keyframe = keyframeFor(step);
    Moment moment{keyframe.world, keyframe.cursor};
    replayUntil(moment.world, moment.cursor, step);
    return moment;
}

void Timeline::branchAt(const Moment& moment, const World& world) {
    const Cursor cut = moment.cursor;
    while (!keyframes_.empty() && keyframes_.back().cursor.op >= cut.op) {
        bytesKept_ -= keyframes_.back().bytes;
        keyframes_.pop_back();
    }
    const std::size_t ops = opEnd() - cut.op;
    const std::size_t events = eventBase_ + events_.size() - cut.event;
    ops_.resize(ops_.size() - ops);
    events_.resize(events_.size() - events);
    bytesKept_ -= ops * kOpBytes + events * kEventBytes;
    latestStep_ = world.simulationSteps;
    keep(world);
}

// Each copy's stretch from its own copy: the copy after a branch holds the
// viewer's choices, which no replay of what came before gives.
void Timeline::visitKeptSteps(const std::function<bool(long long step, const World& world)>& visit) const {
    for (std::size_t i = 0; i < keyframes_.size(); ++i) {
        const long long end = i + 1 < keyframes_.size() ? keyframes_[i + 1].world.simulationSteps : latestStep_ + 1;
        World world = keyframes_[i].world;
        Cursor cursor = keyframes_[i].cursor;
        for (long long step = world.simulationSteps; step < end; ++step) {
            replayUntil(world, cursor, step);
            if (!visit(step, world)) return;
        }
    }
}

std::string readTimelineMemory(const std::string& megabytes, std::size_t& bytes) {
    constexpr long long kMostMegabytes = 65536;
    long long value = 0;
    if (!parseInteger(megabytes, 0, kMostMegabytes, value))
        return "--timeline-memory needs a whole number of megabytes from 0 to 65536, not \"" + megabytes.substr(0, 40) +
               "\"";
    bytes = static_cast<std::size_t>(value) << 20;
    return std::string();
}
