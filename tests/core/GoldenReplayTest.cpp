// The replay's complete output for the example scripts and a long seeded
// soak script, hashed and compared with values recorded before the program
// was restructured. Any change to the physics, the input handlers or the
// output format shows up here; a change that is meant must say so by
// recording new values (see recordedHash's comment).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"

namespace {
const std::string kSim = ORVANE_BINARY_DIR "/orvane-sim";

// FNV-1a, 64 bits: small, and the same everywhere.
std::uint64_t fnv1a(const std::string& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

struct GoldenRun {
    const char* name;
    const char* script;  // relative to the source tree
    std::vector<std::string> options;
    std::uint64_t hash;        // of the complete standard output
    std::size_t outputBytes;   // to tell a short run from a changed one
};

// To record new values after an intended change, run this test and copy the
// printed hashes and sizes.
const GoldenRun kRuns[] = {
    {"roll-with-arrows", "tools/sim/examples/roll-with-arrows.txt", {"--steps", "2000", "--every", "1"},
     0xd2f8e406ec2fc785ull, 31518334},
    {"lift-and-press", "tools/sim/examples/lift-and-press.txt", {"--steps", "2000", "--every", "1"},
     0xfecd25fab114ed57ull, 31615764},
    {"camera-flight", "tools/sim/examples/camera-flight.txt", {"--steps", "2000", "--every", "1"},
     0xd127adf6f1ce323dull, 32088163},
    // Seed 8, 10,000 idle calls: every event kind, rebuilds, panning, key 8.
    {"soak-10000", "tests/golden/soak-10000.txt", {"--steps", "10000", "--every", "10"}, 0x4388a270e95d98a5ull, 15856453},
    // Recorded when the grab, the run control, the panel and the settings
    // came: they keep doing what they did then.
    {"study-session", "tests/golden/study-session.txt", {"--steps", "2000", "--every", "1", "--energy"},
     0xdf8e71e2fc0b3774ull, 31319271},
};

void PrintTo(const GoldenRun& run, std::ostream* out) { *out << run.name; }

class GoldenReplay : public ::testing::TestWithParam<GoldenRun> {};

TEST_P(GoldenReplay, PrintsTheRecordedBytes) {
    const GoldenRun& run = GetParam();
    std::vector<std::string> argv = {kSim};
    argv.insert(argv.end(), run.options.begin(), run.options.end());
    argv.push_back("--input");
    argv.push_back(std::string(ORVANE_SOURCE_DIR) + "/" + run.script);
    ChildOptions options;
    options.timeoutSeconds = 120.0;
    const ChildResult result = runChild(argv, options);
    ASSERT_EQ(result.exitStatus, 0) << result.describe() << "\n" << result.err;

    const std::uint64_t hash = fnv1a(result.out);
    char recorded[64];
    std::snprintf(recorded, sizeof recorded, "0x%016llxull, %zu", static_cast<unsigned long long>(hash),
                  result.out.size());
    EXPECT_EQ(result.out.size(), run.outputBytes) << run.name << " now gives " << recorded;
    EXPECT_EQ(hash, run.hash) << run.name << " now gives " << recorded;
}

INSTANTIATE_TEST_SUITE_P(Scripts, GoldenReplay, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<GoldenRun>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });
}  // namespace
