// The timeline: what a seek costs at its worst (the step just before a kept
// copy, so that a whole interval is replayed), what keeping the past adds to
// an idle call, and how many steps a megabyte of the default cap keeps.
#include <benchmark/benchmark.h>

#include "world/Session.h"
#include "world/Settings.h"

namespace {
// A session of a `size` x `size` ball rolling on the plate for `idleCalls`,
// the study panel shown (its plots are part of every step then).
void runRollingSession(Session& session, int size, long long idleCalls) {
    session.deliver(ScriptEvent::set(*findSetting("rings"), size));
    session.deliver(ScriptEvent::set(*findSetting("segments"), size));
    session.deliver(ScriptEvent::keyDown('\t'));
    session.deliver(ScriptEvent::specialDown(kSpecialKeyRight));
    for (long long i = 0; i < idleCalls; ++i) {
        session.idleCall();
        advanceFrame(session.present());
        session.frameDrawn();
    }
}

// Alternates between two of the worst steps there are: just before a kept
// copy, a whole interval after the one before. Rolling at one step an idle
// call, the copies are at whole intervals.
void BM_WorstSeek(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    Session session;
    runRollingSession(session, size, 0);
    const long long interval = Timeline::copyInterval(session.present());
    runRollingSession(session, size, 3 * interval + 10);
    const long long targets[2] = {3 * interval - 1, 2 * interval - 1};
    int which = 0;
    for (auto _ : state) {
        session.deliver(ScriptEvent::seek(targets[which]));
        benchmark::DoNotOptimize(session.shown().ball.centre);
        which ^= 1;
    }
    state.counters["interval"] = static_cast<double>(interval);
}

void BM_IdleCall(benchmark::State& state) {
    const bool keepPast = state.range(0) != 0;
    Session session(keepPast ? Timeline::kDefaultMemoryBytes : 0);
    runRollingSession(session, 12, 100);
    for (auto _ : state) {
        session.idleCall();
        benchmark::ClobberMemory();
    }
    state.SetLabel(keepPast ? "timeline on" : "timeline off");
}

// Ten minutes at sixty steps a second: what the default cap keeps of it.
void BM_StepsKeptPerMegabyte(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Session session;
        runRollingSession(session, size, size <= 12 ? 36000 : 3600);
        const Timeline& timeline = session.timeline();
        const double kept = static_cast<double>(timeline.latestStep() - timeline.oldestStep());
        state.counters["steps_kept"] = kept;
        state.counters["MB_kept"] = static_cast<double>(timeline.bytesKept()) / (1 << 20);
        state.counters["steps_per_MB"] = kept / (static_cast<double>(timeline.bytesKept()) / (1 << 20));
    }
}
}  // namespace

BENCHMARK(BM_WorstSeek)->Arg(12)->Arg(48)->Arg(96)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleCall)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StepsKeptPerMegabyte)->Arg(12)->Arg(96)->Iterations(1)->Unit(benchmark::kSecond);
