#pragma once

// Runs a program as the tests' child: standard input from text or a file,
// standard output and error captured, an optional time limit, and how it
// ended with its peak memory.

#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <vector>

struct ChildOptions {
    std::string stdinText;       // given on standard input when not empty
    std::string stdinFile;       // else this file; neither: /dev/null
    double timeoutSeconds = 0;   // > 0: killed, with its process group, this long after start
    std::vector<std::string> environment;  // "NAME=value" set on top of the inherited environment
};

struct ChildResult {
    std::string startError;      // why the program could not be started, else empty
    bool timedOut = false;       // killed because it ran past the timeout
    int exitStatus = -1;         // when it exited normally, else -1
    int signal = 0;              // the signal that ended it, else 0
    long peakRssKilobytes = 0;   // its largest resident set
    std::string out;
    std::string err;

    bool exited() const { return exitStatus >= 0; }
    // How it ended, for failure messages: "exited with status 2", "killed by
    // signal 11", "timed out and was killed", "not started: ...".
    std::string describe() const;
};

// A started child. The program runs while the caller does other things
// (another child, say) until wait(). A child never waited for is killed and
// reaped when this goes away, so a failed test leaves no process behind.
class ChildProcess {
public:
    // argv[0] is looked up in PATH when it has no slash.
    explicit ChildProcess(const std::vector<std::string>& argv, const ChildOptions& options = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // Waits until it ends or its timeout passes; the second call returns the
    // same result.
    const ChildResult& wait();
    // Never blocks: true once the program has ended (or, past its timeout,
    // has been killed); wait() then returns at once. For a caller that has
    // its own work to do while the child runs, such as a window to keep alive.
    bool finished();

private:
    void closeFiles();
    bool pastTimeout() const;
    void takeResult(pid_t ended, int status, const rusage& usage);

    pid_t pid_ = -1;
    double timeoutSeconds_ = 0;
    double startedAt_ = 0;  // monotonic seconds
    int inFd_ = -1, outFd_ = -1, errFd_ = -1;
    bool waited_ = false;
    ChildResult result_;
};

// Starts a program and waits for it.
ChildResult runChild(const std::vector<std::string>& argv, const ChildOptions& options = {});

// Everything in a file, read from its start without moving its offset; empty
// for a negative descriptor.
std::string readAll(int fd);
