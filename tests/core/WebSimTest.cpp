// The WebAssembly build of orvane-sim, run under Node.js, prints the very
// same bytes as the native one: the physics in the browser is the physics
// on the desktop. Built only when the test build knows the web build's folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"

#if defined(ORVANE_WEB_BUILD_DIR)
namespace {
const std::string kNative = ORVANE_BINARY_DIR "/orvane-sim";
const std::string kWeb = ORVANE_WEB_BUILD_DIR "/orvane-sim.js";

struct Comparison {
    const char* script;
    std::vector<std::string> options;
};

const Comparison kComparisons[] = {
    {"tools/sim/examples/roll-with-arrows.txt", {"--steps", "2000", "--every", "1"}},
    {"tools/sim/examples/lift-and-press.txt", {"--steps", "2000", "--every", "5"}},
    {"tools/sim/examples/camera-flight.txt", {"--steps", "2000", "--every", "5"}},
    {"tests/golden/soak-10000.txt", {"--steps", "10000", "--every", "10"}},
    {"tests/golden/study-session.txt", {"--steps", "2000", "--every", "1", "--energy"}},
    {"tests/golden/study-session.txt", {"--steps", "600", "--every", "50", "--rings", "31", "--segments", "17",
                                        "--stiffness", "12.125", "--time-step", "0.05"}},
    // The other integrators, two at a time as A and B.
    {"tests/golden/study-session.txt", {"--steps", "1500", "--every", "5", "--time-step", "0.02", "--integrator",
                                        "rk4", "--compare", "integrator=velocity-verlet"}},
    {"tests/golden/study-session.txt", {"--steps", "1500", "--every", "5", "--time-step", "0.01", "--integrator",
                                        "symplectic-euler", "--compare", "integrator=explicit-euler"}},
};

void PrintTo(const Comparison& comparison, std::ostream* out) { *out << comparison.script; }

class WebSim : public ::testing::TestWithParam<Comparison> {};

TEST_P(WebSim, NodePrintsTheNativeBytes) {
    std::vector<std::string> arguments = GetParam().options;
    arguments.push_back("--input");
    arguments.push_back(std::string(ORVANE_SOURCE_DIR) + "/" + GetParam().script);
    std::vector<std::string> native = {kNative}, web = {"node", kWeb};
    native.insert(native.end(), arguments.begin(), arguments.end());
    web.insert(web.end(), arguments.begin(), arguments.end());
    ChildOptions options;
    options.timeoutSeconds = 300.0;
    const ChildResult fromNative = runChild(native, options);
    const ChildResult fromWeb = runChild(web, options);
    ASSERT_EQ(fromNative.exitStatus, 0) << fromNative.describe() << fromNative.err;
    ASSERT_EQ(fromWeb.exitStatus, 0) << fromWeb.describe() << fromWeb.err;
    ASSERT_GT(fromNative.out.size(), 1000u);
    EXPECT_EQ(fromWeb.err, fromNative.err);
    if (fromWeb.out == fromNative.out) return;
    std::size_t at = 0;
    while (at < fromWeb.out.size() && fromWeb.out[at] == fromNative.out[at]) ++at;
    const std::size_t line = fromNative.out.rfind('\n', at);
    FAIL() << "first difference at byte " << at << ", in the line starting\n"
           << fromNative.out.substr(line == std::string::npos ? 0 : line + 1, 120);
}

INSTANTIATE_TEST_SUITE_P(Scripts, WebSim, ::testing::ValuesIn(kComparisons));
}  // namespace
#endif
