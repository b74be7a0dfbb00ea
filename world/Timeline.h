#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "world/InputScript.h"
#include "world/World.h"

// The session's past: everything that was done to the world, in order, and
// copies of it now and then, so that any kept simulation step can be shown
// again exactly: the last copy at or before it, then again what followed,
// until the step after it would begin.
//
// What to keep within the memory allowed is decided by a model of the bytes
// each part takes, the same on every platform, so that a recording with
// seeks replays alike natively and in the browser.
class Timeline {
public:
    static constexpr std::size_t kDefaultMemoryBytes = std::size_t{64} << 20;

    // 0 bytes: no timeline at all.
    explicit Timeline(std::size_t memoryBytes = kDefaultMemoryBytes);

    bool enabled() const { return memoryBytes_ > 0; }
    std::size_t memoryBytes() const { return memoryBytes_; }

    // The past starts afresh at `world`.
    void begin(const World& world);

    // As the session goes on, after each: an event was delivered to the
    // world, an idle call's work was done (step), a frame advanced it
    // (advanceFrame).
    void noteEvent(const ScriptEvent& event);
    void noteIdleCall(const World& after);
    void noteFrame();

    long long oldestStep() const;
    long long latestStep() const { return latestStep_; }

    // Where a replay stands in the past: the next thing to do again, and
    // how many steps of an idle call cut short remain (-1: none).
    struct Cursor {
        std::size_t op = 0;
        std::size_t event = 0;
        int pendingSteps = -1;
    };

    // The world at `step` (from oldestStep() to latestStep()): after all
    // that happened before step + 1 began.
    struct Moment {
        World world;
        Cursor cursor;  // where the replay stopped
    };
    Moment momentAt(long long step) const;

    // Drops everything after the moment and goes on from `world` there
    // (the moment's world with the viewer's choices).
    void branchAt(const Moment& moment, const World& world);

    // Every kept step, oldest first, as momentAt gives it, without starting
    // over for each; `visit` answers false to stop.
    void visitKeptSteps(const std::function<bool(long long step, const World& world)>& visit) const;

    // The bytes kept, as the model counts them, and the copies kept.
    std::size_t bytesKept() const { return bytesKept_; }
    std::size_t copiesKept() const { return keyframes_.size(); }

    // Simulation steps between copies of a world like this one: as many as
    // a seek can replay quickly enough.
    static long long copyInterval(const World& world);
    // The model's bytes for a copy of this world.
    static std::size_t modelBytes(const World& world);

private:
    enum class Op : std::uint8_t { Event, IdleCall, Frame };
    struct Keyframe {
        World world;
        Cursor cursor;
        std::size_t bytes;
    };

    void keep(const World& world);
    void dropOldestWhileOver();
    const Keyframe& keyframeFor(long long step) const;
    void replayUntil(World& world, Cursor& cursor, long long step) const;
    Op opAt(std::size_t op) const { return ops_[op - opBase_]; }
    const ScriptEvent& eventAt(std::size_t event) const { return events_[event - eventBase_]; }
    std::size_t opEnd() const { return opBase_ + ops_.size(); }

    std::size_t memoryBytes_;
    std::deque<Keyframe> keyframes_;
    std::deque<Op> ops_;              // op index = opBase_ + position
    std::deque<ScriptEvent> events_;  // event index = eventBase_ + position
    std::size_t opBase_ = 0;
    std::size_t eventBase_ = 0;
    std::size_t bytesKept_ = 0;
    long long latestStep_ = 0;
    std::size_t eventsSinceCopy_ = 0;
};

// Reads the command lines' --timeline-memory MB: a whole number of
// megabytes from 0 (no timeline) to 65536. Empty when good, else what is
// wrong.
std::string readTimelineMemory(const std::string& megabytes, std::size_t& bytes);
