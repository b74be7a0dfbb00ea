#include "tests/support/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
double monotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Output goes to unlinked files rather than pipes: the child can never block
// on a full pipe while the test waits for it, and several children can run at
// once without a reader thread each.
int anonymousFile() {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/orvane-child-XXXXXX";
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0) unlink(pattern.c_str());
    return fd;
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The inherited environment with `overrides` ("NAME=value") put in place of
// any variable of the same name.
std::vector<std::string> environmentWith(const std::vector<std::string>& overrides) {
    std::vector<std::string> result;
    for (char** variable = environ; *variable; ++variable) {
        const std::string entry = *variable;
        const std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const std::string& o : overrides) replaced = replaced || o.compare(0, name.size(), name) == 0;
        if (!replaced) result.push_back(entry);
    }
    result.insert(result.end(), overrides.begin(), overrides.end());
    return result;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

void closeIfOpen(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}
}  // namespace

std::string ChildResult::describe() const {
    if (!startError.empty()) return "not started: " + startError;
    if (timedOut) return "timed out and was killed";
    if (exited()) return "exited with status " + std::to_string(exitStatus);
    if (signal != 0) return "killed by signal " + std::to_string(signal) + " (" + strsignal(signal) + ")";
    return "ended in an unknown way";
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const ChildOptions& options)
    : timeoutSeconds_(options.timeoutSeconds) {
    if (argv.empty()) {
        result_.startError = "no program given";
        return;
    }
    outFd_ = anonymousFile();
    errFd_ = anonymousFile();
    if (!options.stdinText.empty()) {
        inFd_ = anonymousFile();
        if (inFd_ >= 0 && (!writeAll(inFd_, options.stdinText) || lseek(inFd_, 0, SEEK_SET) != 0))
            closeIfOpen(inFd_);
        if (inFd_ < 0) {
            result_.startError = std::string("cannot keep standard input: ") + std::strerror(errno);
            closeFiles();
            return;
        }
    }
    if (outFd_ < 0 || errFd_ < 0) {
        result_.startError = std::string("cannot make output files: ") + std::strerror(errno);
        closeFiles();
        return;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (inFd_ >= 0)
        posix_spawn_file_actions_adddup2(&actions, inFd_, 0);
    else
        posix_spawn_file_actions_addopen(
            &actions, 0, options.stdinFile.empty() ? "/dev/null" : options.stdinFile.c_str(),
            O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outFd_, 1);
    posix_spawn_file_actions_adddup2(&actions, errFd_, 2);
    // A group of its own, so that a timeout also ends what it started.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);

    std::vector<std::string> argStrings = argv;
    std::vector<std::string> envStrings = environmentWith(options.environment);
    const std::vector<char*> args = pointersTo(argStrings);
    const std::vector<char*> env = pointersTo(envStrings);
    startedAt_ = monotonicSeconds();
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        result_.startError = argv[0] + ": " + std::strerror(error);
        closeFiles();
        return;
    }
    pid_ = pid;
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !waited_) {
        kill(-pid_, SIGKILL);
        while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    closeFiles();
}

void ChildProcess::closeFiles() {
    closeIfOpen(inFd_);
    closeIfOpen(outFd_);
    closeIfOpen(errFd_);
}

bool ChildProcess::pastTimeout() const {
    return timeoutSeconds_ > 0 && monotonicSeconds() > startedAt_ + timeoutSeconds_;
}

void ChildProcess::takeResult(pid_t ended, int status, const rusage& usage) {
    waited_ = true;
    if (ended == pid_) {
        if (WIFEXITED(status)) result_.exitStatus = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) result_.signal = WTERMSIG(status);
        result_.peakRssKilobytes = usage.ru_maxrss;
    } else {
        result_.startError = std::string("wait4: ") + std::strerror(errno);
    }
    result_.out = readAll(outFd_);
    result_.err = readAll(errFd_);
    closeFiles();
}

const ChildResult& ChildProcess::wait() {
    if (waited_ || pid_ <= 0) return result_;
    int status = 0;
    rusage usage{};
    pid_t ended = 0;
    if (timeoutSeconds_ > 0) {
        useconds_t pause = 1000;
        while ((ended = wait4(pid_, &status, WNOHANG, &usage)) == 0 ||
               (ended < 0 && errno == EINTR)) {
            if (pastTimeout()) {
                kill(-pid_, SIGKILL);
                result_.timedOut = true;
                break;
            }
            usleep(pause);
            if (pause < 20000) pause *= 2;
        }
    }
    if (ended <= 0) {
        while ((ended = wait4(pid_, &status, 0, &usage)) < 0 && errno == EINTR) {
        }
    }
    takeResult(ended, status, usage);
    return result_;
}

bool ChildProcess::finished() {
    if (waited_ || pid_ <= 0) return true;
    int status = 0;
    rusage usage{};
    pid_t ended;
    while ((ended = wait4(pid_, &status, WNOHANG, &usage)) < 0 && errno == EINTR) {
    }
    if (ended == 0) {
        if (!pastTimeout()) return false;
        wait();  // kills it and reaps it
        return true;
    }
    takeResult(ended, status, usage);
    return true;
}

ChildResult runChild(const std::vector<std::string>& argv, const ChildOptions& options) {
    ChildProcess child(argv, options);
    return child.wait();
}

std::string readAll(int fd) {
    std::string text;
    if (fd < 0) return text;
    char buffer[65536];
    off_t offset = 0;
    ssize_t n;
    while ((n = pread(fd, buffer, sizeof buffer, offset)) > 0) {
        text.append(buffer, static_cast<std::size_t>(n));
        offset += n;
    }
    return text;
}
