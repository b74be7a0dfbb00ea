// The headless replay tool, run as a real process: options, script errors,
// which lines it prints, Esc, standard input, determinism across builds and
// a few exact values end to end. Plus its number formatting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "tests/core/SteeringReference.h"
#include "tests/support/TempDirectory.h"
#include "tests/support/ChildProcess.h"
#include "tools/common/StateJson.h"

namespace {
const std::string kSim = ORVANE_BINARY_DIR "/orvane-sim";
const std::string kSimDebug = ORVANE_BINARY_DIR "/orvane-sim-debug";
const std::string kExamples = ORVANE_SOURCE_DIR "/tools/sim/examples/";

// A replay that takes longer than this is hung.
constexpr double kRunTimeoutSeconds = 120.0;

class SimToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.valid());
        ASSERT_TRUE(std::filesystem::exists(kSim)) << kSim;
    }

    std::string writeScript(const std::string& name, const std::string& text) { return dir_.writeText(name, text); }

    // Runs the tool with stdin from `stdinPath` (or /dev/null).
    ChildResult run(const std::vector<std::string>& args, const std::string& binary = kSim,
                    const std::string& stdinPath = "") {
        std::vector<std::string> argv = {binary};
        argv.insert(argv.end(), args.begin(), args.end());
        ChildOptions options;
        options.stdinFile = stdinPath;
        options.timeoutSeconds = kRunTimeoutSeconds;
        ChildResult result = runChild(argv, options);
        EXPECT_TRUE(result.exited()) << binary << " " << result.describe() << "\n" << result.err;
        return result;
    }

    ChildResult runScript(const std::string& script, std::vector<std::string> args) {
        args.push_back("--input");
        args.push_back(writeScript("script.txt", script));
        return run(args);
    }

    TempDirectory dir_;
};

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The numbers that follow "key": in a line, through any brackets.
std::vector<double> numbersAfter(const std::string& line, const std::string& key, int count) {
    std::vector<double> values;
    std::size_t at = line.find("\"" + key + "\":");
    if (at == std::string::npos) return values;
    const char* p = line.c_str() + at + key.size() + 3;
    while (static_cast<int>(values.size()) < count) {
        while (*p == '[' || *p == ',' || *p == ']') ++p;
        char* end = nullptr;
        const double v = std::strtod(p, &end);
        if (end == p) break;
        values.push_back(v);
        p = end;
    }
    return values;
}

double numberAfter(const std::string& line, const std::string& key) {
    const std::vector<double> v = numbersAfter(line, key, 1);
    return v.empty() ? std::nan("") : v[0];
}

long long stepOf(const std::string& line) { return static_cast<long long>(numberAfter(line, "step")); }

std::vector<long long> stepsOf(const std::string& output) {
    std::vector<long long> steps;
    for (const std::string& line : splitLines(output)) steps.push_back(stepOf(line));
    return steps;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::vector<std::vector<double>> particlesOf(const std::string& line) {
    std::vector<std::vector<double>> particles;
    const std::vector<double> all = numbersAfter(line, "particles", 1000000);
    for (std::size_t i = 0; i + 6 <= all.size(); i += 6) {
        particles.emplace_back(all.begin() + i, all.begin() + i + 6);
    }
    return particles;
}

const char kBusyScript[] =
    "0 motion 0 0\n"
    "5 special-down up\n"
    "5 key-down w\n"
    "40 special-down left\n"
    "60 special-up up\n"
    "61 key-up w\n"
    "70 motion 25 -10\n"
    "80 key-down space\n"
    "81 motion 20 -30\n"
    "82 key-up space\n"
    "90 key-down t\n"
    "120 key-down g\n"
    "150 key-up t\n"
    "150 key-up g\n"
    "160 special-up left\n"
    "200 key-down 9\n"
    "210 key-down 8\n"
    "211 key-down l\n"
    "212 key-down 2\n"
    "250 key-down 0\n"
    "300 special-down right\n";
}  // namespace

TEST_F(SimToolTest, HelpGoesToStandardOutput) {
    const ChildResult r = run({"--help"});
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out.rfind("usage: orvane-sim", 0), 0u) << r.out;
    EXPECT_TRUE(contains(r.out, "65535"));
    EXPECT_EQ(r.err, "");
}

TEST_F(SimToolTest, BadOptionsGiveUsageOnStandardErrorAndStatusTwo) {
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"},        {"--steps"},        {"--steps", "x"},   {"--steps", "-1"},
        {"--steps", "1e3"}, {"--every", "0"},   {"--every"},        {"--every", "-2"},
        {"--input"},        {"stray"},          {"--steps=", "5"},
        {"--steps", "99999999999999999999"}};
    for (const auto& args : bad) {
        const ChildResult r = run(args);
        EXPECT_EQ(r.exitStatus, 2) << args[0];
        EXPECT_EQ(r.out, "") << args[0];
        EXPECT_EQ(r.err.rfind("orvane-sim: ", 0), 0u) << r.err;
        EXPECT_TRUE(contains(r.err, "usage: orvane-sim")) << r.err;
    }
    // The same options written with '=' and repeated (the last one counts).
    const ChildResult r = run({"--steps=50", "--every=7", "--steps", "2"});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(stepsOf(r.out), (std::vector<long long>{0, 2}));
}

TEST_F(SimToolTest, ScriptErrorsNameFileAndLineBeforeAnythingRuns) {
    struct Bad {
        std::string script;
        int line;
        std::string what;
    };
    const std::vector<Bad> cases = {
        {"# fine\n0 jump\n", 2, "unknown event \"jump\""},
        {"0 key-down\n", 1, "missing"},
        {"0 key-down a b\n", 1, "extra field"},
        {"0 motion 1\n", 1, "missing"},
        {"zero key-down a\n", 1, "step"},
        {"18446744073709551616 key-down a\n", 1, "step"},
        {"5 key-down a\n2 key-up a\n", 2, "smaller"},
        {"0 key-down ab\n", 1, "bad key"},
        {"0 special-down home\n", 1, "bad special key"},
        {"0 special-down 70000\n", 1, "bad special key"},
        {"0 motion 0 200000\n", 1, "motion y"},
        {"0 motion x 0\n", 1, "motion x"},
        // Events after the last step are never delivered, but still checked.
        {"0 key-down a\n1000000 fly\n", 2, "unknown event"},
    };
    for (const Bad& c : cases) {
        const std::string path = writeScript("bad.txt", c.script);
        const ChildResult r = run({"--steps", "5", "--input", path});
        EXPECT_EQ(r.exitStatus, 2) << c.script;
        EXPECT_EQ(r.out, "") << c.script;
        const std::string prefix = "orvane-sim: " + path + ":" + std::to_string(c.line) + ": ";
        EXPECT_EQ(r.err.rfind(prefix, 0), 0u) << r.err;
        EXPECT_TRUE(contains(r.err, c.what)) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.back(), '\n');
    }
    for (const std::string& path : {dir_.file("missing.txt"), dir_.path()}) {
        const ChildResult r = run({"--input", path});
        EXPECT_EQ(r.exitStatus, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("orvane-sim: " + path + ": ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST_F(SimToolTest, PrintsFirstLastAndEveryKthLineNeverTwice) {
    struct Case {
        std::vector<std::string> args;
        std::vector<long long> steps;
    };
    const std::vector<Case> cases = {
        {{"--steps", "0"}, {0}},
        {{"--steps", "0", "--every", "1"}, {0}},
        {{"--steps", "10"}, {0, 10}},
        {{"--steps", "10", "--every", "3"}, {0, 3, 6, 9, 10}},
        {{"--steps", "10", "--every", "5"}, {0, 5, 10}},
        {{"--steps", "3", "--every", "1"}, {0, 1, 2, 3}},
        {{"--steps", "10", "--every", "20"}, {0, 10}},
    };
    for (const Case& c : cases) {
        const ChildResult r = run(c.args);
        EXPECT_EQ(r.exitStatus, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(stepsOf(r.out), c.steps) << c.args[1];
    }
    const ChildResult r = run({});
    EXPECT_EQ(stepsOf(r.out), (std::vector<long long>{0, 1000}));
}

TEST_F(SimToolTest, LinesHaveTheKeysInOrderAndOnlyFiniteReadableNumbers) {
    const ChildResult r = runScript(kBusyScript, {"--steps", "400", "--every", "40"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    const char* keys[] = {"{\"step\":", "\"tiltX\":", "\"tiltZ\":", "\"framesSinceTilt\":",
                          "\"pushForce\":[", "\"contactCount\":", "\"centre\":[",
                          "\"camera\":{\"position\":[", "\"forward\":[", "\"right\":[",
                          "\"yaw\":", "\"pitch\":", "},\"showParticles\":",
                          "\"showSprings\":", "\"showSurface\":", "\"particles\":[["};
    for (const std::string& line : splitLines(r.out)) {
        std::size_t at = 0;
        for (const char* key : keys) {
            const std::size_t found = line.find(key, at);
            ASSERT_NE(found, std::string::npos) << key;
            at = found;
        }
        EXPECT_EQ(line.substr(line.size() - 3), "]]}");
        EXPECT_EQ(particlesOf(line).size(), 123u);
        EXPECT_FALSE(contains(line, "inf"));
        EXPECT_FALSE(contains(line, "nan"));
        EXPECT_FALSE(contains(line, " "));
    }
}

TEST_F(SimToolTest, EventsAtTheLastStepOrLaterAreNotDelivered) {
    const std::string script = "2 special-down right\n5 key-down esc\n5 special-down up\n";
    const ChildResult r = runScript(script, {"--steps", "5"});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    const std::vector<std::string> lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), 2u);
    ReferenceTilt want;
    for (int call = 2; call < 5; ++call) referenceSteer(want, 0, 1, referenceStartHeading());
    EXPECT_EQ(numberAfter(lines[1], "tiltZ"), static_cast<double>(want.z));
    EXPECT_EQ(numberAfter(lines[1], "tiltX"), static_cast<double>(want.x));
    EXPECT_EQ(stepOf(lines[1]), 5);
}

TEST_F(SimToolTest, EscEndsTheReplayWithTheLastCompletedStep) {
    const std::string script = "3 key-down 1\n4 key-down esc\n4 key-down 2\n9 key-down 3\n";
    ChildResult r = runScript(script, {"--steps", "100", "--every", "2"});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(stepsOf(r.out), (std::vector<long long>{0, 2, 4}));
    const std::string lastLine = splitLines(r.out).back();
    EXPECT_TRUE(contains(lastLine, "\"showParticles\":true,\"showSprings\":false"));

    r = runScript(script, {"--steps", "100", "--every", "3"});
    EXPECT_EQ(stepsOf(r.out), (std::vector<long long>{0, 3, 4}));
    EXPECT_EQ(splitLines(r.out).back(), lastLine);

    // The state printed at Esc is the one after four idle calls.
    const ChildResult four = runScript("3 key-down 1\n", {"--steps", "4"});
    EXPECT_EQ(splitLines(four.out).back(), lastLine);

    r = runScript("0 key-down esc\n", {"--steps", "100", "--every", "1"});
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(stepsOf(r.out), (std::vector<long long>{0}));
}

TEST_F(SimToolTest, DashReadsTheScriptFromStandardInput) {
    const std::string path = writeScript("stdin.txt", kBusyScript);
    const ChildResult fromFile = run({"--steps", "260", "--every", "13", "--input", path});
    const ChildResult fromStdin = run({"--steps", "260", "--every", "13", "--input", "-"}, kSim, path);
    EXPECT_EQ(fromStdin.exitStatus, 0) << fromStdin.err;
    EXPECT_EQ(fromStdin.out, fromFile.out);
    EXPECT_EQ(stepsOf(fromStdin.out).size(), 21u);

    const std::string bad = writeScript("bad.txt", "0 key-down a\n0 wobble\n");
    const ChildResult error = run({"--input", "-"}, kSim, bad);
    EXPECT_EQ(error.exitStatus, 2);
    EXPECT_EQ(error.out, "");
    EXPECT_EQ(error.err.rfind("orvane-sim: <stdin>:2: unknown event \"wobble\"", 0), 0u) << error.err;
}

TEST_F(SimToolTest, ReplayIsByteIdenticalAcrossRunsAndBuilds) {
    const std::vector<std::string> args = {"--steps", "700", "--every", "1", "--input",
                                           writeScript("busy.txt", kBusyScript)};
    const ChildResult first = run(args);
    const ChildResult second = run(args);
    ASSERT_EQ(first.exitStatus, 0) << first.err;
    EXPECT_EQ(splitLines(first.out).size(), 701u);
    EXPECT_TRUE(first.out == second.out);
    ASSERT_TRUE(std::filesystem::exists(kSimDebug)) << kSimDebug;
    const ChildResult debug = run(args, kSimDebug);
    ASSERT_EQ(debug.exitStatus, 0) << debug.err;
    EXPECT_TRUE(first.out == debug.out) << "optimised and unoptimised builds differ";

    for (const char* sample : {"roll-with-arrows.txt", "lift-and-press.txt", "camera-flight.txt"}) {
        const std::vector<std::string> sampleArgs = {"--steps", "600", "--every", "10", "--input",
                                                     kExamples + sample};
        const ChildResult optimised = run(sampleArgs);
        EXPECT_EQ(optimised.exitStatus, 0) << optimised.err;
        EXPECT_TRUE(optimised.out == run(sampleArgs, kSimDebug).out) << sample;
    }
}

TEST_F(SimToolTest, ExactValuesEndToEnd) {
    const ChildResult r = runScript("0 special-down right\n", {"--steps", "40", "--every", "1"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    const std::vector<std::string> lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), 41u);

    const std::string& start = lines[0];
    const auto particles = particlesOf(start);
    ASSERT_EQ(particles.size(), 123u);
    EXPECT_EQ(particles[0], (std::vector<double>{0, 5, 1, 0, 0, 0}));    // north pole
    EXPECT_EQ(particles[121], (std::vector<double>{0, 5, -1, 0, 0, 0}));  // south pole
    EXPECT_EQ(particles[122], (std::vector<double>{0, 5, 0, 0, 0, 0}));   // centre
    EXPECT_NEAR(particles[1][0], 0.279829, 1e-6);
    EXPECT_NEAR(particles[1][2], 0.960050, 1e-6);
    EXPECT_EQ(numbersAfter(start, "position", 3), (std::vector<double>{0, 7, 16}));
    EXPECT_EQ(numberAfter(start, "yaw"), 180.0);
    EXPECT_EQ(numberAfter(start, "pitch"), 0.0);
    const Vec3 heading = referenceStartHeading();
    EXPECT_EQ(numbersAfter(start, "forward", 3), (std::vector<double>{heading.x, 0, heading.z}));
    EXPECT_EQ(numbersAfter(start, "centre", 3), (std::vector<double>{0, 5, 0}));
    EXPECT_EQ(numbersAfter(start, "pushForce", 3), (std::vector<double>{0, 0, 0}));
    EXPECT_TRUE(contains(start, "\"step\":0,\"tiltX\":0,\"tiltZ\":0,\"framesSinceTilt\":0,"));
    EXPECT_TRUE(contains(start, "\"showParticles\":false,\"showSprings\":false,\"showSurface\":true"));

    ReferenceTilt want;
    for (int n = 1; n <= 40; ++n) {
        referenceSteer(want, 0, 1, heading);
        EXPECT_EQ(numberAfter(lines[n], "tiltZ"), static_cast<double>(want.z)) << n;
        EXPECT_EQ(numberAfter(lines[n], "tiltX"), static_cast<double>(want.x)) << n;
        EXPECT_EQ(numberAfter(lines[n], "framesSinceTilt"), 0.0);
    }
    EXPECT_NEAR(want.z, -3.2, 1e-5);

    // The push follows the tilt one call late: p = 0.5 * (p + 0.03 * (-tiltZ, 0, tiltX)),
    // zeroed while its length is 0.005 or less.
    double px = 0.0, pz = 0.0;
    ReferenceTilt tilt;
    bool pushSeen = false;
    for (int n = 1; n <= 40; ++n) {
        px = 0.5 * (px + 0.03 * -static_cast<double>(tilt.z));
        pz = 0.5 * (pz + 0.03 * static_cast<double>(tilt.x));
        if (std::sqrt(px * px + 0.0 * 0.0 + pz * pz) <= 0.005) px = pz = 0.0;
        referenceSteer(tilt, 0, 1, heading);
        const std::vector<double> push = numbersAfter(lines[n], "pushForce", 3);
        EXPECT_EQ(push, (std::vector<double>{px, 0.0, pz})) << n;
        pushSeen = pushSeen || px != 0.0;
    }
    EXPECT_TRUE(pushSeen);
}

TEST(StateJson, NumbersReadBackExactlyAndNonFiniteIsNull) {
    const double values[] = {0.0, -0.0, 1.0, 0.1, 1e-05, -3.5e-300, 5e-324,
                             1.7976931348623157e308, static_cast<double>(0.08f),
                             static_cast<double>(1.2f), 123456789.125, -7.0};
    for (double v : values) {
        std::string text;
        appendJsonNumber(text, v);
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), v) << text;
        EXPECT_EQ(std::signbit(std::strtod(text.c_str(), nullptr)), std::signbit(v)) << text;
        EXPECT_EQ(text.find_first_not_of("0123456789+-.e"), std::string::npos) << text;
    }
    for (double v : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()}) {
        std::string text = "x";
        appendJsonNumber(text, v);
        EXPECT_EQ(text, "xnull");
    }
}

namespace {
std::vector<std::string> csvFields(const std::string& line) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
        out.push_back(line.substr(start, comma - start));
    out.push_back(line.substr(start));
    return out;
}
}  // namespace

// The table and the JSON lines of the same run hold the very same numbers:
// the energies, contacts and tilt as printed, and the centre of mass as the
// mean of the printed points, summed in their order.
TEST_F(SimToolTest, CsvHoldsTheNumbersOfTheJsonLines) {
    const ChildResult table = runScript(kBusyScript, {"--steps", "300", "--every", "30", "--csv"});
    const ChildResult json = runScript(kBusyScript, {"--steps", "300", "--every", "30", "--energy"});
    ASSERT_EQ(table.exitStatus, 0) << table.err;
    ASSERT_EQ(json.exitStatus, 0) << json.err;
    const std::vector<std::string> rows = splitLines(table.out);
    const std::vector<std::string> lines = splitLines(json.out);
    ASSERT_EQ(rows.size(), lines.size() + 1);
    EXPECT_EQ(rows[0].rfind("step,time (s),kinetic energy (J),", 0), 0u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string> row = csvFields(rows[i + 1]);
        const std::string& line = lines[i];
        ASSERT_EQ(row.size(), 13u);
        EXPECT_EQ(row[0], std::to_string(30 * i));  // one step an idle call here
        EXPECT_EQ(std::strtod(row[2].c_str(), nullptr), numberAfter(line, "kinetic"));
        EXPECT_EQ(std::strtod(row[3].c_str(), nullptr), numberAfter(line, "spring"));
        EXPECT_EQ(std::strtod(row[4].c_str(), nullptr), numberAfter(line, "gravity"));
        EXPECT_EQ(std::strtod(row[5].c_str(), nullptr), numberAfter(line, "total"));
        EXPECT_EQ(std::strtod(row[6].c_str(), nullptr), numberAfter(line, "contactCount"));
        EXPECT_EQ(std::strtod(row[7].c_str(), nullptr), numberAfter(line, "tiltX"));
        EXPECT_EQ(std::strtod(row[8].c_str(), nullptr), numberAfter(line, "tiltZ"));
        const std::vector<std::vector<double>> points = particlesOf(line);
        double sum[3] = {0.0, 0.0, 0.0};
        for (const std::vector<double>& p : points)
            for (int k = 0; k < 3; ++k) sum[k] += p[static_cast<std::size_t>(k)];
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(std::strtod(row[9 + static_cast<std::size_t>(k)].c_str(), nullptr),
                      sum[k] / static_cast<double>(points.size()));
    }
    const ChildResult both = run({"--csv", "--energy"});
    EXPECT_EQ(both.exitStatus, 2);
    EXPECT_NE(both.err.find("--energy and --csv do not go together"), std::string::npos) << both.err;
}

// With compare mode, B has its own columns, holding the numbers of B's own
// JSON object; before B comes on, they are left empty.
TEST_F(SimToolTest, CsvGivesBItsOwnColumns) {
    const std::string script = std::string(kBusyScript) + "400 compare on\n400 set-b surfaceStiffness 20\n";
    const ChildResult table = runScript(script, {"--steps", "600", "--every", "50", "--csv"});
    const ChildResult json = runScript(script, {"--steps", "600", "--every", "50", "--energy"});
    ASSERT_EQ(table.exitStatus, 0) << table.err;
    const std::vector<std::string> rows = splitLines(table.out);
    const std::vector<std::string> lines = splitLines(json.out);
    ASSERT_EQ(rows.size(), lines.size() + 1);
    const std::vector<std::string> header = csvFields(rows[0]);
    ASSERT_EQ(header.size(), 24u);
    EXPECT_EQ(header[14], "B kinetic energy (J)");
    EXPECT_EQ(header[23], "A and B apart (m)");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string> row = csvFields(rows[i + 1]);
        ASSERT_EQ(row.size(), 24u) << rows[i + 1];
        const std::size_t b = lines[i].find("\"b\":{");
        if (b == std::string::npos) {
            for (std::size_t column = 13; column < 24; ++column) EXPECT_EQ(row[column], "") << rows[i + 1];
            continue;
        }
        const std::string ofB = lines[i].substr(b);
        EXPECT_EQ(std::strtod(row[14].c_str(), nullptr), numberAfter(ofB, "kinetic"));
        EXPECT_EQ(std::strtod(row[17].c_str(), nullptr), numberAfter(ofB, "total"));
        EXPECT_EQ(std::strtod(row[18].c_str(), nullptr), numberAfter(ofB, "contactCount"));
        EXPECT_GT(std::strtod(row[23].c_str(), nullptr), 0.0) << "B is softer and parts from A";
    }
    EXPECT_EQ(csvFields(rows.back())[13], "60") << "B's own time";
    EXPECT_EQ(splitLines(run({"--csv", "--steps", "3", "--compare", ""}).out).size(), 5u);
}
