#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "world/InputScript.h"

class Session;
struct World;

// Plays an input script into a world: before idle call N (counted from 0)
// it delivers the events of step N through the world's input handlers, in
// the order they were written. Esc (or "end") ends the script: nothing after
// it is delivered. The window, the headless replay and the capture tool all
// play scripts through this.
class ScriptPlayer {
public:
    // Told of every event delivered and what its handler answered: the
    // window draws a frame on Redraw and follows a Resize; the headless
    // replay does nothing.
    using Responder = std::function<void(const ScriptEvent& event, InputResponse response)>;

    explicit ScriptPlayer(std::vector<ScriptEvent> events = {});

    // Delivers every event due before idle call `idleCall` that has not
    // been delivered yet. Returns false once the script has ended by Esc.
    bool deliverEventsBefore(World& world, long long idleCall, const Responder& respond = {});
    // The same through a session, whose timeline sees every event.
    bool deliverEventsBefore(Session& session, long long idleCall, const Responder& respond = {});

    bool quitRequested() const { return quit_; }
    bool finished() const { return quit_ || next_ == events_.size(); }

private:
    using Deliver = std::function<InputResponse(const ScriptEvent& event)>;
    bool deliverWith(const Deliver& deliver, long long idleCall, const Responder& respond);

    std::vector<ScriptEvent> events_;
    std::size_t next_ = 0;
    bool quit_ = false;
};
