// orvane-sim: replays the simulation without a window, driven by a script of
// input events, and prints the state as JSON lines. It runs the very handlers
// and idle step the window runs; only the drawing is left out.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include <malloc.h>
#include <utility>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Version.h"
#include "tools/common/StateJson.h"
#include "tools/sim/SimUsage.h"
#include "world/DataCsv.h"
#include "world/InputScript.h"
#include "world/ScriptPlayer.h"
#include "world/Session.h"
#include "world/Settings.h"
#include "world/World.h"

namespace {
constexpr int kExitUsage = 2;

// The bytes the allocator has handed out and not yet taken back.
std::size_t heapBytesInUse() {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 33))
    return mallinfo2().uordblks;
#else
    return static_cast<std::size_t>(mallinfo().uordblks);
#endif
}
constexpr int kExitWriteError = 1;

struct Options {
    long long steps = 1000;
    long long every = 0;  // 0: only the first and the last line
    std::string input;    // empty: no events
    bool energy = false;
    bool csv = false;  // the data table (world/DataCsv.h) instead of JSON lines
    bool heapInUse = false;
    bool help = false;
    bool version = false;
    std::vector<ScriptEvent> settings;  // delivered before the first idle call
    std::size_t timelineBytes = Timeline::kDefaultMemoryBytes;
    std::vector<ScriptEvent> compare;  // compare on and B's settings, after the settings
};

// Returns an empty string when the command line is good, else what is wrong.
std::string parseOptions(int argc, char** argv, Options& options) {
    std::vector<CommandLineOption> given;
    CommandLineSyntax syntax{{"--help", "--version", "--energy", "--csv", "--heap-in-use"},
                             {"--steps", "--every", "--input", "--timeline-memory", "--compare"}};
    addSettingOptions(syntax);
    const std::string error = readCommandLine(argc, argv, syntax, given);
    if (!error.empty()) return error;
    for (const CommandLineOption& option : given) {
        if (const Setting* setting = findSettingOption(option.name)) {
            ScriptEvent event;
            const std::string problem = readSettingOption(*setting, option.value, event);
            if (!problem.empty()) return problem;
            options.settings.push_back(event);
        } else if (option.name == "--help") {
            options.help = true;
        } else if (option.name == "--version") {
            options.version = true;
        } else if (option.name == "--energy") {
            options.energy = true;
        } else if (option.name == "--csv") {
            options.csv = true;
        } else if (option.name == "--heap-in-use") {
            options.heapInUse = true;
        } else if (option.name == "--compare") {
            options.compare.clear();
            const std::string problem = readCompareOption(option.value, options.compare);
            if (!problem.empty()) return problem;
        } else if (option.name == "--timeline-memory") {
            const std::string problem = readTimelineMemory(option.value, options.timelineBytes);
            if (!problem.empty()) return problem;
        } else if (option.name == "--input") {
            if (option.value.empty()) return "empty file name for --input";
            options.input = option.value;
        } else if (option.name == "--steps") {
            if (!parseInteger(option.value, 0, LLONG_MAX, options.steps))
                return "--steps needs an integer N >= 0, not \"" + option.value + "\"";
        } else if (!parseInteger(option.value, 1, LLONG_MAX, options.every)) {
            return "--every needs an integer K >= 1, not \"" + option.value + "\"";
        }
    }
    if (options.csv && options.energy) return "--energy and --csv do not go together: the table has the energies";
    if (options.csv && options.every == 0) options.every = 1;
    return std::string();
}

// The data table's rows go to the stream in large blocks.
class CsvWriter {
public:
    explicit CsvWriter(std::FILE* stream) : stream_(stream) {}
    // B's columns in every row, from the start: compare mode may come on
    // only later in the run.
    void withB() { withB_ = true; }
    ~CsvWriter() { flush(); }
    CsvWriter(const CsvWriter&) = delete;
    CsvWriter& operator=(const CsvWriter&) = delete;

    void writeRow(const World& world) {
        if (!headerWritten_) buffer_ += dataCsvHeader(withB_);
        headerWritten_ = true;
        appendDataCsvRow(buffer_, world, withB_);
        if (buffer_.size() >= kBlockBytes) flush();
    }
    bool flush() {
        if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) != buffer_.size()) failed_ = true;
        buffer_.clear();
        if (std::fflush(stream_) != 0) failed_ = true;
        return !failed_;
    }
    // The same, and the buffer's memory given back (for --heap-in-use).
    bool flushAndRelease() {
        const bool written = flush();
        std::string().swap(buffer_);
        return written;
    }

private:
    static constexpr std::size_t kBlockBytes = std::size_t{1} << 16;
    std::FILE* stream_;
    std::string buffer_;
    bool headerWritten_ = false;
    bool withB_ = false;
    bool failed_ = false;
};

bool turnsCompareOn(const std::vector<ScriptEvent>& events) {
    for (const ScriptEvent& event : events)
        if (event.kind == ScriptEventKind::Compare && event.compare != CompareAction::Off) return true;
    return false;
}

class Replay {
public:
    Replay(const Options& options, std::vector<ScriptEvent> events)
        : options_(options), session_(options.timelineBytes), out_(stdout) {
        if (!options.compare.empty() || turnsCompareOn(events)) csv_.withB();
        player_ = ScriptPlayer(std::move(events));
        for (const ScriptEvent& setting : options.settings) session_.deliver(setting);
        for (const ScriptEvent& event : options.compare) session_.deliver(event);
    }

    // Runs every idle call (or up to Esc); false when the output failed.
    bool run() {
        print(0);
        for (long long i = 0; i < options_.steps; ++i) {
            const bool goesOn = player_.deliverEventsBefore(session_, i);
            tellNotices();
            if (!goesOn) {
                if (lastPrinted_ != i) print(i);
                break;
            }
            session_.idleCall();
            const long long n = i + 1;
            reportBlowUps(n);
            if ((options_.every > 0 && n % options_.every == 0) || n == options_.steps) print(n);
        }
        reportBlowUps(options_.steps, true);
        const bool csvWritten = csv_.flushAndRelease();
        return out_.flushAndRelease() && csvWritten;
    }

private:
    void print(long long step) {
        if (options_.csv) {
            csv_.writeRow(session_.shown());
        } else {
            out_.writeState(step, session_.shown(), options_.energy);
        }
        lastPrinted_ = step;
    }

    // Seeks that could not go where they asked, once each.
    void tellNotices() {
        const std::string script = options_.input == "-" ? std::string("<stdin>") : options_.input;
        for (const std::string& notice : session_.takeNotices())
            std::fprintf(stderr, "orvane-sim: %s: %s\n", script.c_str(), notice.c_str());
    }

    // The replay goes on with the rebuilt ball, as the window does. A ball
    // that keeps running away is said at most once a hundred idle calls,
    // with the times in between counted.
    void reportBlowUps(long long idleCall, bool atTheEnd = false) {
        const long long fresh = session_.present().blowUps - blowUpsSeen_;
        blowUpsSeen_ = session_.present().blowUps;
        if (fresh > 0 && (lastReportAt_ < 0 || idleCall - lastReportAt_ >= kReportEvery)) {
            const long long between = untold_ + fresh - 1;
            std::fprintf(stderr, "orvane-sim: idle call %lld: the ball ran away and was rebuilt over the plate%s\n",
                         idleCall, between > 0 ? (" (" + timesSinceLastReport(between) + ")").c_str() : "");
            lastReportAt_ = idleCall;
            untold_ = 0;
            return;
        }
        untold_ += fresh;
        if (atTheEnd && untold_ > 0)
            std::fprintf(stderr, "orvane-sim: the ball ran away %s\n", timesSinceLastReport(untold_).c_str());
    }

    std::string timesSinceLastReport(long long times) const {
        return std::to_string(times) + (times == 1 ? " more time" : " more times") + " after idle call " +
               std::to_string(lastReportAt_);
    }

    const Options& options_;
    Session session_;
    ScriptPlayer player_;
    long long lastPrinted_ = -1;
    static constexpr long long kReportEvery = 100;
    long long blowUpsSeen_ = 0;
    long long untold_ = 0;
    long long lastReportAt_ = -1;
    JsonLineWriter out_;
    CsvWriter csv_{stdout};
};
}  // namespace

int main(int argc, char** argv) {
    Options options;
    const std::string optionError = parseOptions(argc, argv, options);
    if (!optionError.empty()) {
        std::fprintf(stderr, "orvane-sim: %s\n%s", optionError.c_str(), simUsage().c_str());
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(simUsage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(versionText("orvane-sim").c_str(), stdout);
        return 0;
    }

    ScriptParseResult script;
    if (!options.input.empty()) {
        script = loadInputScript(options.input);
        if (!script.ok) {
            std::fprintf(stderr, "orvane-sim: %s\n", script.error.c_str());
            return kExitUsage;
        }
    }

    Replay replay(options, std::move(script.events));
    if (!replay.run()) {
        std::fprintf(stderr, "orvane-sim: cannot write the output: %s\n", std::strerror(errno));
        return kExitWriteError;
    }
    // The allocator's own count, taken while the world still lives but the
    // output's buffer is gone: the same script run longer must not hold
    // more, whatever the pages around it do.
    if (options.heapInUse) std::fprintf(stderr, "orvane-sim: heap in use: %zu bytes\n", heapBytesInUse());
    return 0;
}
