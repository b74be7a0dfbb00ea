#include "world/ScriptPlayer.h"

#include <utility>

#include "world/Session.h"
#include "world/World.h"

ScriptPlayer::ScriptPlayer(std::vector<ScriptEvent> events) : events_(std::move(events)) {}

bool ScriptPlayer::deliverEventsBefore(World& world, long long idleCall, const Responder& respond) {
    return deliverWith([&world](const ScriptEvent& event) { return deliverScriptEvent(world, event); }, idleCall,
                       respond);
}

bool ScriptPlayer::deliverEventsBefore(Session& session, long long idleCall, const Responder& respond) {
    return deliverWith([&session](const ScriptEvent& event) { return session.deliver(event); }, idleCall, respond);
}

bool ScriptPlayer::deliverWith(const Deliver& deliver, long long idleCall, const Responder& respond) {
    while (!quit_ && next_ < events_.size() && events_[next_].step <= idleCall) {
        const ScriptEvent& event = events_[next_++];
        const InputResponse response = deliver(event);
        if (response == InputResponse::Quit) quit_ = true;
        if (respond) respond(event, response);
    }
    return !quit_;
}
