#include "tools/window/HeadlessDisplay.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
HeadlessDisplay* displayToStopAtExit = nullptr;

void stopDisplayAtExit() {
    if (displayToStopAtExit) displayToStopAtExit->stop();
}

bool environmentSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Xvfb has no GPU to offer; without a hint Mesa may still probe for hardware
// drivers. A user who picked a driver keeps it.
void preferSoftwareRendering() {
    if (environmentSet("LIBGL_ALWAYS_SOFTWARE") || environmentSet("GALLIUM_DRIVER") ||
        environmentSet("MESA_LOADER_DRIVER_OVERRIDE"))
        return;
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
}

void closeIfOpen(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

// The last non-empty line the server wrote, to explain why it gave up.
std::string lastLogLine(int logFd) {
    std::string text;
    char buffer[4096];
    off_t offset = 0;
    ssize_t n;
    while ((n = pread(logFd, buffer, sizeof buffer, offset)) > 0) {
        text.append(buffer, static_cast<size_t>(n));
        offset += n;
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const size_t start = text.find_last_of('\n');
    return start == std::string::npos ? text : text.substr(start + 1);
}

std::string describeExit(int status) {
    if (WIFEXITED(status)) return "exited with status " + std::to_string(WEXITSTATUS(status));
    return "was killed by signal " + std::to_string(WTERMSIG(status));
}

// Runs in the forked child: only async-signal-safe calls until exec.
[[noreturn]] void execServer(char* const argv[], int readyFd, int execErrorFd, int logFd,
                             pid_t parent) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(1);
    const int nullFd = open("/dev/null", O_RDONLY);
    if (nullFd >= 0) dup2(nullFd, 0);
    dup2(logFd, 1);
    dup2(logFd, 2);
    (void)readyFd;  // inherited without close-on-exec; its number is in argv
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execvp(argv[0], argv);
    const int error = errno;
    ssize_t ignored = write(execErrorFd, &error, sizeof error);
    (void)ignored;
    _exit(127);
}
}  // namespace

HeadlessDisplay::~HeadlessDisplay() { stop(); }

bool HeadlessDisplay::fail(const std::string& message) {
    error_ = message;
    return false;
}

bool HeadlessDisplay::start(double timeoutSeconds) {
    if (!displayName_.empty()) return true;
    if (environmentSet("DISPLAY")) {
        displayName_ = std::getenv("DISPLAY");
        return true;
    }

    int readyPipe[2];
    int execErrorPipe[2];
    if (pipe2(readyPipe, O_CLOEXEC) != 0) return fail(std::string("pipe: ") + std::strerror(errno));
    if (pipe2(execErrorPipe, O_CLOEXEC) != 0) {
        close(readyPipe[0]);
        close(readyPipe[1]);
        return fail(std::string("pipe: ") + std::strerror(errno));
    }
    // dup() drops close-on-exec, so the server inherits exactly this end.
    int readyWriteFd = dup(readyPipe[1]);
    char logPath[] = "/tmp/orvane-xvfb-XXXXXX";
    int logFd = mkostemp(logPath, O_CLOEXEC);
    if (logFd >= 0) unlink(logPath);

    const std::string fdText = std::to_string(readyWriteFd);
    char* argv[] = {const_cast<char*>("Xvfb"), const_cast<char*>("-displayfd"),
                    const_cast<char*>(fdText.c_str()), const_cast<char*>("-screen"),
                    const_cast<char*>("0"), const_cast<char*>("1024x768x24"),
                    const_cast<char*>("-nolisten"), const_cast<char*>("tcp"), nullptr};

    const pid_t parent = getpid();
    const pid_t pid = (readyWriteFd >= 0 && logFd >= 0) ? fork() : -1;
    if (pid == 0) execServer(argv, readyWriteFd, execErrorPipe[1], logFd, parent);

    const int forkError = errno;
    close(readyPipe[1]);
    close(execErrorPipe[1]);
    closeIfOpen(readyWriteFd);
    int readFd = readyPipe[0];
    int execErrorFd = execErrorPipe[0];
    auto cleanUp = [&] {
        closeIfOpen(readFd);
        closeIfOpen(execErrorFd);
        closeIfOpen(logFd);
    };
    if (pid < 0) {
        cleanUp();
        return fail(std::string("cannot start Xvfb: ") + std::strerror(forkError));
    }

    int execError = 0;
    if (read(execErrorFd, &execError, sizeof execError) == sizeof execError) {
        waitpid(pid, nullptr, 0);
        cleanUp();
        std::string message = std::string("cannot run Xvfb: ") + std::strerror(execError);
        if (execError == ENOENT) message += " (install the xvfb package, or set DISPLAY)";
        return fail(message);
    }

    // The server writes its display number and a newline once it accepts clients.
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(static_cast<long>(timeoutSeconds * 1000));
    bool eof = false;
    while (number.empty() || number.back() != '\n') {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{readFd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        char c[32];
        const ssize_t n = read(readFd, c, sizeof c);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            eof = true;
            break;
        }
        number.append(c, static_cast<size_t>(n));
    }

    if (number.empty() || number.back() != '\n') {
        std::string reason;
        if (eof) {
            int status = 0;
            waitpid(pid, &status, 0);
            reason = "Xvfb " + describeExit(status) + " before it reported a display";
        } else {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            reason = "Xvfb did not report a display within " +
                     std::to_string(static_cast<int>(timeoutSeconds)) + " s";
        }
        const std::string log = lastLogLine(logFd);
        if (!log.empty()) reason += " (its last words: \"" + log + "\")";
        cleanUp();
        return fail(reason);
    }
    number.pop_back();
    cleanUp();

    serverPid_ = pid;
    displayName_ = ":" + number;
    setenv("DISPLAY", displayName_.c_str(), 1);
    preferSoftwareRendering();

    // Registered before GLUT and Mesa register anything, so at exit it runs
    // after their handlers, while they may still talk to the server.
    static bool atExitRegistered = false;
    if (!atExitRegistered) {
        std::atexit(stopDisplayAtExit);
        atExitRegistered = true;
    }
    displayToStopAtExit = this;
    return true;
}

void HeadlessDisplay::stop() {
    if (displayToStopAtExit == this) displayToStopAtExit = nullptr;
    if (serverPid_ <= 0) return;
    kill(serverPid_, SIGTERM);
    int status = 0;
    bool reaped = false;
    for (int i = 0; i < 300 && !reaped; ++i) {  // up to 3 s, then force it
        const pid_t r = waitpid(serverPid_, &status, WNOHANG);
        if (r == serverPid_ || (r < 0 && errno != EINTR)) reaped = true;
        else std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!reaped) {
        kill(serverPid_, SIGKILL);
        waitpid(serverPid_, nullptr, 0);
    }
    serverPid_ = -1;
    unsetenv("DISPLAY");
    displayName_.clear();
}
