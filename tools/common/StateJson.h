#pragma once

#include <cstdio>
#include <string>

struct World;

// Buffered output for the replay's JSON lines: numbers are formatted into one
// growing buffer that goes to the stream in large blocks.
class JsonLineWriter {
public:
    explicit JsonLineWriter(std::FILE* stream) : stream_(stream) {}
    ~JsonLineWriter() { flush(); }
    JsonLineWriter(const JsonLineWriter&) = delete;
    JsonLineWriter& operator=(const JsonLineWriter&) = delete;

    // One line: the world's state after `step` idle calls.
    // With `energy`, the ball's energies end the line as an "energy" object.
    void writeState(long long step, const World& world, bool energy = false);

    // Writes out what is buffered; false once any write has failed.
    bool flush();

    // Flushes and gives the buffer's memory back, so that what the program
    // holds afterwards is the world's alone.
    bool flushAndRelease();

private:
    std::FILE* stream_;
    std::string buffer_;
    bool failed_ = false;
};

// The world's state after `step` idle calls as one JSON line (with its line
// end), as orvane-sim prints it; `energy` adds the ball's energies.
std::string stateLine(long long step, const World& world, bool energy = false);
void appendStateLine(std::string& out, long long step, const World& world, bool energy = false);

// Appends a number that reads back as the identical double, or null when it
// is not finite.
void appendJsonNumber(std::string& out, double value);
