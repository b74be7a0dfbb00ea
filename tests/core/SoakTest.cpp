// A shortened soak: a seeded random script replayed headless for many idle
// calls keeps every printed value finite and the memory flat.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/TempDirectory.h"
#include "tests/support/ChildProcess.h"
#include "tools/soak/SoakScript.h"

namespace {
#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps freed blocks in quarantine, so a sanitized replay's
// peak memory says nothing about what the program keeps.
constexpr bool kPeakMemoryMeansSomething = false;
#else
constexpr bool kPeakMemoryMeansSomething = true;
#endif

ChildResult runSim(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {std::string(ORVANE_BINARY_DIR) + "/orvane-sim"};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildOptions options;
    options.timeoutSeconds = 300.0;  // the long replay takes about a second: this is a hang
    return runChild(argv, options);
}
}  // namespace

TEST(Soak, RandomInputStaysFiniteAndMemoryStaysFlat) {
    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    const std::string script = dir.writeText("soak.txt", makeSoakScript(7, 200000));

    const ChildResult shortRun = runSim({"--steps", "4000", "--every", "1000", "--input", script});
    const ChildResult longRun = runSim({"--steps", "40000", "--every", "1000", "--input", script});

    ASSERT_EQ(shortRun.exitStatus, 0) << shortRun.describe() << "\n" << shortRun.err;
    ASSERT_EQ(longRun.exitStatus, 0) << longRun.describe() << "\n" << longRun.err;
    ASSERT_GT(shortRun.peakRssKilobytes, 0);
    EXPECT_EQ(longRun.out.find("null"), std::string::npos) << "a value stopped being finite";
    EXPECT_EQ(std::count(longRun.out.begin(), longRun.out.end(), '\n'), 41);
    // The longer replay must not keep anything per step: allow a few pages of noise.
    if (kPeakMemoryMeansSomething) {
        EXPECT_LE(longRun.peakRssKilobytes, shortRun.peakRssKilobytes + 64);
    }
}

TEST(Soak, ScriptIsDeterministicAndCoversEveryKindOfInput) {
    const std::string a = makeSoakScript(3, 50000);
    EXPECT_EQ(a, makeSoakScript(3, 50000));
    EXPECT_NE(a, makeSoakScript(4, 50000));
    for (const char* needle : {"special-down up", "special-up", "key-down t", "key-down g", "key-down 9",
                               "key-down 0", "key-down 8", "key-down w", "key-down space", "motion "}) {
        EXPECT_NE(a.find(needle), std::string::npos) << needle;
    }
}
