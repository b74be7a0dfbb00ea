// The real program: started in its window, ended by an Esc key press from
// the window system.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tests/render/RenderHarness.h"

using namespace render;

namespace {
// Starts a program with standard output going to `outputFd` (or inherited
// when negative). Returns its process id, or -1.
pid_t spawn(const std::vector<std::string>& args, int outputFd) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (outputFd >= 0) dup2(outputFd, 1);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Waits for a process; kills it after the timeout. Returns its wait status,
// or -1 when it had to be killed.
int waitFor(pid_t pid, double timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(static_cast<long>(timeoutSeconds * 1000));
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status;
}

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    lseek(fd, 0, SEEK_SET);
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
    return text;
}
}  // namespace

TEST(ProgramRun, EscFromTheWindowSystemEndsTheProgramWithStatusZero) {
    PicsDirectory pics;
    char outputPath[] = "/tmp/orvane-program-out-XXXXXX";
    const int outputFd = mkstemp(outputPath);
    ASSERT_GE(outputFd, 0);
    unlink(outputPath);

    const pid_t program = spawn({ORVANE_BINARY_DIR "/orvane"}, outputFd);
    ASSERT_GT(program, 0);
    // Waits for the window to be shown, focuses it and types Esc through the
    // XTEST extension, as a keyboard would (a sent event may reach a window
    // that is not mapped yet).
    const pid_t typist = spawn({"sh", "-c",
                                "w=$(xdotool search --sync --onlyvisible --name 'project orvane' "
                                "| head -n1) && xdotool windowfocus --sync \"$w\" && "
                                "xdotool key Escape"},
                               -1);
    ASSERT_GT(typist, 0);
    const int typistStatus = waitFor(typist, 30.0);
    const int programStatus = waitFor(program, 30.0);
    const std::string output = readAll(outputFd);
    close(outputFd);

    ASSERT_NE(typistStatus, -1) << "xdotool did not find the window in time";
    EXPECT_TRUE(WIFEXITED(typistStatus) && WEXITSTATUS(typistStatus) == 0)
        << "xdotool failed (is it installed?)";
    ASSERT_NE(programStatus, -1) << "the program did not end on Esc";
    ASSERT_TRUE(WIFEXITED(programStatus)) << "ended by signal " << WTERMSIG(programStatus);
    EXPECT_EQ(WEXITSTATUS(programStatus), 0);
    EXPECT_TRUE(isBannerOnly(linesOf(output))) << output;
}
