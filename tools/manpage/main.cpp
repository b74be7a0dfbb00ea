// orvane-manpage: writes the manual page of orvane, orvane-sim or
// orvane-capture into a file, made of the program's own --help text
// (the very functions that print it), so that the two cannot drift apart.
// The build runs it; it is not installed.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "shell/Options.h"
#include "tools/capture/CaptureUsage.h"
#include "tools/manpage/ManPage.h"
#include "tools/sim/SimUsage.h"

namespace {
const char kUsage[] =
    "usage: orvane-manpage --page PROGRAM --version VERSION --datadir DIR --out FILE\n"
    "                      [--build-tree-pics DIR] [--experiments]\n"
    "\n"
    "Writes the manual page of PROGRAM (orvane, orvane-sim or orvane-capture)\n"
    "to FILE, made of the program's --help text.\n"
    "\n"
    "  --page PROGRAM         whose page\n"
    "  --version VERSION      the version the page's footer names\n"
    "  --datadir DIR          where the package's data is installed (share/)\n"
    "  --out FILE             where the page goes\n"
    "  --build-tree-pics DIR  the build tree's pictures, which the programs also find\n"
    "  --experiments          the ready experiments are installed too\n"
    "  --help                 this text\n";

struct Options {
    std::string page;
    std::string version;
    std::string datadir;
    std::string out;
    std::string buildTreePics;
    bool experiments = false;
    bool help = false;
};

std::string readOptions(int argc, char** argv, Options& options) {
    std::vector<CommandLineOption> given;
    const std::string error = readCommandLine(
        argc, argv, {{"--help", "--experiments"}, {"--page", "--version", "--datadir", "--out", "--build-tree-pics"}}, given);
    if (!error.empty()) return error;
    for (const CommandLineOption& option : given) {
        if (option.name == "--help") options.help = true;
        else if (option.name == "--experiments") options.experiments = true;
        else if (option.name == "--page") options.page = option.value;
        else if (option.name == "--version") options.version = option.value;
        else if (option.name == "--datadir") options.datadir = option.value;
        else if (option.name == "--out") options.out = option.value;
        else options.buildTreePics = option.value;
    }
    if (options.help) return std::string();
    if (options.page.empty() || options.version.empty() || options.datadir.empty() || options.out.empty())
        return "--page, --version, --datadir and --out are needed";
    return std::string();
}

ManSection seeAlso(const std::string& others) { return {"SEE ALSO", {}, {others}}; }

// The pictures, examples and experiments, where the build installs them.
ManSection files(const Options& options, bool pictures) {
    const std::string data = options.datadir + "/orvane";
    ManSection section{"FILES", {}, {}};
    if (pictures) {
        section.rows.push_back({"pics/", "the pictures, in the working directory: used first when it holds any of them"});
        section.rows.push_back({data + "/pics/", "the installed pictures, used when the working directory has none"});
        if (!options.buildTreePics.empty())
            section.rows.push_back({options.buildTreePics + "/",
                                    "the pictures of the build tree the program was built in, used last"});
    }
    section.rows.push_back({data + "/examples/", "example input scripts"});
    if (options.experiments) section.rows.push_back({data + "/experiments/", "ready experiments, as input scripts"});
    return section;
}

ManPageSource pageSource(const Options& options) {
    ManPageSource source;
    source.program = options.page;
    source.source = "orvane " + options.version;
    if (options.page == "orvane") {
        source.section = 6;
        source.manual = "Games Manual";
        source.summary = "a soft ball on a tilting board, to play with and to study";
        source.help = windowUsage();
        source.extra = {files(options, true), seeAlso("orvane-sim(1), orvane-capture(1)")};
    } else if (options.page == "orvane-sim") {
        source.manual = "User Commands";
        source.summary = "replay orvane's simulation without a window and print its state";
        source.help = simUsage();
        source.extra = {files(options, false), seeAlso("orvane(6), orvane-capture(1)")};
    } else if (options.page == "orvane-capture") {
        source.manual = "User Commands";
        source.summary = "replay an orvane session in its window and save chosen frames as PNG";
        source.help = captureUsage();
        source.extra = {files(options, true), seeAlso("orvane(6), orvane-sim(1)")};
    }
    return source;
}
}  // namespace

int main(int argc, char** argv) {
    Options options;
    const std::string error = readOptions(argc, argv, options);
    if (!error.empty()) {
        std::fprintf(stderr, "orvane-manpage: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const ManPageSource source = pageSource(options);
    if (source.help.empty()) {
        std::fprintf(stderr, "orvane-manpage: no page for \"%s\" (orvane, orvane-sim or orvane-capture)\n",
                     options.page.c_str());
        return 2;
    }
    const std::string page = manPage(source);
    std::FILE* out = std::fopen(options.out.c_str(), "wb");
    const bool written = out && std::fwrite(page.data(), 1, page.size(), out) == page.size();
    if (out && std::fclose(out) != 0) return 1;
    if (!written) {
        std::fprintf(stderr, "orvane-manpage: cannot write %s\n", options.out.c_str());
        return 1;
    }
    return 0;
}
