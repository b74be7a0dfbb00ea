#include "world/ScriptPlayer.h"

#include <utility>

#include "world/World.h"

ScriptPlayer::ScriptPlayer(std::vector<ScriptEvent> events) : events_(std::move(events)) {}

bool ScriptPlayer::deliverEventsBefore(World& world, long long idleCall, const Responder& respond) {
    while (!quit_ && next_ < events_.size() && events_[next_].step <= idleCall) {
        const ScriptEvent& event = events_[next_++];
        const InputResponse response = deliverScriptEvent(world, event);
        if (response == InputResponse::Quit) quit_ = true;
        if (respond) respond(event, response);
    }
    return !quit_;
}
