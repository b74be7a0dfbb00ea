#include "bench/frame/ProcessClock.h"

#include <cstdio>
#include <ctime>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {
constexpr int kStartTimeField = 22;  // in /proc/<pid>/stat, counted from 1

// The start time in clock ticks since boot, or -1.
long long readStartTicks() {
    std::FILE* file = std::fopen("/proc/self/stat", "r");
    if (!file) return -1;
    char buffer[1024];
    const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    buffer[n] = '\0';
    // The command name (field 2) is in parentheses and may hold spaces or
    // parentheses itself, so count fields from the last ')'.
    const std::string text(buffer);
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    for (int number = 3; number <= kStartTimeField; ++number) {
        if (!(fields >> field)) return -1;
    }
    try {
        return std::stoll(field);
    } catch (...) {
        return -1;
    }
}
}  // namespace

double processStartResolution() {
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    return ticksPerSecond > 0 ? 1.0 / ticksPerSecond : -1.0;
}

double secondsSinceProcessStart() {
    const long long ticks = readStartTicks();
    const double tick = processStartResolution();
    timespec now{};
    // The kernel counts the start time on the boot clock.
    if (ticks < 0 || tick <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1.0;
    const double elapsed = now.tv_sec + now.tv_nsec * 1e-9 - ticks * tick;
    return elapsed >= 0.0 ? elapsed : -1.0;
}
