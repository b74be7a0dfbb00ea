// The tests' child process runner: what goes in, what comes out, and how a
// child's end is reported, since the tool tests trust it for all of that.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "tests/support/TempDirectory.h"
#include "tests/support/ChildProcess.h"

namespace {
// True once the process is gone or only a zombie waiting for its reaper.
bool processEnded(long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return true;
    const std::size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}
}  // namespace

TEST(ChildProcess, FeedsStandardInputAndKeepsBothOutputsApart) {
    ChildOptions options;
    options.stdinText = "first\nsecond\n";
    const ChildResult echoed = runChild({"sh", "-c", "cat; echo oops >&2; exit 3"}, options);
    EXPECT_EQ(echoed.startError, "");
    EXPECT_EQ(echoed.out, "first\nsecond\n");
    EXPECT_EQ(echoed.err, "oops\n");
    EXPECT_EQ(echoed.exitStatus, 3);
    EXPECT_EQ(echoed.signal, 0);
    EXPECT_FALSE(echoed.timedOut);
    EXPECT_GT(echoed.peakRssKilobytes, 0);

    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    const std::string path = dir.file("input.txt");
    std::ofstream(path) << "from a file\n";
    options = ChildOptions();
    options.stdinFile = path;
    EXPECT_EQ(runChild({"cat"}, options).out, "from a file\n");
    // Without either, standard input is empty rather than the test's own.
    const ChildResult empty = runChild({"cat"});
    EXPECT_EQ(empty.out, "");
    EXPECT_EQ(empty.exitStatus, 0);

    // More output than a pipe holds is no problem.
    const ChildResult big = runChild({"sh", "-c", "head -c 300000 /dev/zero"});
    EXPECT_EQ(big.out.size(), 300000u);
}

TEST(ChildProcess, ReportsSignalsTimeoutsAndProgramsThatCannotStart) {
    const ChildResult killed = runChild({"sh", "-c", "kill -TERM $$"});
    EXPECT_FALSE(killed.exited());
    EXPECT_EQ(killed.exitStatus, -1);
    EXPECT_EQ(killed.signal, SIGTERM);
    EXPECT_NE(killed.describe().find("signal 15"), std::string::npos) << killed.describe();

    // A timeout ends the whole group: here the shell and the sleep it started.
    // Long enough for a loaded machine to let the shell say the sleep's pid.
    ChildOptions options;
    options.timeoutSeconds = 1.5;
    const auto start = std::chrono::steady_clock::now();
    const ChildResult hung = runChild({"sh", "-c", "sleep 30 & echo $!; wait"}, options);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(hung.timedOut);
    EXPECT_EQ(hung.signal, SIGKILL);
    EXPECT_FALSE(hung.exited());
    EXPECT_LT(seconds, 10.0);
    const long sleeper = std::stol("0" + hung.out);
    ASSERT_GT(sleeper, 0) << hung.out;
    bool sleeperEnded = false;
    for (int i = 0; i < 200 && !sleeperEnded; ++i) {
        sleeperEnded = processEnded(sleeper);
        if (!sleeperEnded) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(sleeperEnded);

    options.timeoutSeconds = 30.0;
    const ChildResult quick = runChild({"true"}, options);
    EXPECT_FALSE(quick.timedOut);
    EXPECT_EQ(quick.exitStatus, 0);

    const ChildResult missing = runChild({"/nonexistent/program"});
    EXPECT_NE(missing.startError, "");
    EXPECT_FALSE(missing.exited());
    ChildOptions badInput;
    badInput.stdinFile = "/nonexistent/input";
    EXPECT_NE(runChild({"cat"}, badInput).startError, "");
}

TEST(ChildProcess, RunsAlongsideTheCallerAndIsKilledIfNeverWaitedFor) {
    long pid = 0;
    {
        ChildProcess child({"sleep", "30"});
        ASSERT_TRUE(child.started());
        pid = child.pid();
        EXPECT_FALSE(processEnded(pid));
        // Another child meanwhile, as a test runs a program and its driver.
        EXPECT_EQ(runChild({"echo", "meanwhile"}).out, "meanwhile\n");
        EXPECT_FALSE(processEnded(pid));
    }
    EXPECT_TRUE(processEnded(pid));

    ChildProcess child({"sh", "-c", "echo done"});
    EXPECT_EQ(child.wait().out, "done\n");
    EXPECT_EQ(child.wait().out, "done\n");
}

TEST(ChildProcess, SetsEnvironmentVariablesOnTopOfTheInheritedOnes) {
    ChildOptions options;
    options.environment = {"ORVANE_CHILD_TEST=set", "HOME=/nowhere"};
    const ChildResult result =
        runChild({"sh", "-c", "echo \"$ORVANE_CHILD_TEST $HOME\"; env | grep -c '^HOME='; echo \"$PATH\""},
                 options);
    ASSERT_EQ(result.exitStatus, 0) << result.describe();
    const char* path = std::getenv("PATH");
    EXPECT_EQ(result.out, "set /nowhere\n1\n" + std::string(path ? path : "") + "\n");
}

TEST(ChildProcess, CanBeAskedWithoutBlockingWhetherItHasEnded) {
    const auto pollUntilFinished = [](ChildProcess& child) {
        for (int i = 0; i < 1000; ++i) {
            if (child.finished()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    };

    ChildProcess slow({"sh", "-c", "sleep 0.3; echo late"});
    EXPECT_FALSE(slow.finished());
    ASSERT_TRUE(pollUntilFinished(slow));
    EXPECT_TRUE(slow.finished());
    EXPECT_EQ(slow.wait().exitStatus, 0);
    EXPECT_EQ(slow.wait().out, "late\n");

    // Polling enforces the time limit too, on the whole group.
    ChildOptions options;
    options.timeoutSeconds = 0.2;
    ChildProcess hung({"sleep", "30"}, options);
    const long pid = hung.pid();
    ASSERT_TRUE(pollUntilFinished(hung));
    EXPECT_TRUE(hung.wait().timedOut);
    EXPECT_EQ(hung.wait().signal, SIGKILL);
    EXPECT_TRUE(processEnded(pid));
}
