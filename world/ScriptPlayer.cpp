#include "world/ScriptPlayer.h"

#include <utility>

#include "world/World.h"

ScriptPlayer::ScriptPlayer(std::vector<ScriptEvent> events) : events_(std::move(events)) {}

bool ScriptPlayer::deliverEventsBefore(World& world, long long idleCall, const std::function<void()>& redraw) {
    while (!quit_ && next_ < events_.size() && events_[next_].step <= idleCall) {
        const InputResponse response = deliverScriptEvent(world, events_[next_]);
        ++next_;
        if (response == InputResponse::Quit) quit_ = true;
        if (response == InputResponse::Redraw && redraw) redraw();
    }
    return !quit_;
}
