#pragma once

#include <cstdio>
#include <string>

#include "world/InputScript.h"

// Writes a live session's input as an input script, one line an event,
// flushed as it goes, so that the file holds the session up to the last
// event even if the program is killed.
class ScriptRecorder {
public:
    ScriptRecorder() = default;
    ~ScriptRecorder();
    ScriptRecorder(const ScriptRecorder&) = delete;
    ScriptRecorder& operator=(const ScriptRecorder&) = delete;

    // Creates or truncates the file; false with a one-line reason when it
    // cannot be written.
    bool open(const std::string& path, std::string& error);
    bool isOpen() const { return file_ != nullptr; }

    // One line for the event (its step is the idle call it comes before).
    // Returns false once a write has failed; later events are dropped.
    bool record(const ScriptEvent& event);

    const std::string& error() const { return error_; }

private:
    std::FILE* file_ = nullptr;
    std::string path_;
    std::string error_;
};
