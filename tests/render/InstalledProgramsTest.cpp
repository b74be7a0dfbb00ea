// `cmake --install` into a temporary prefix, and the installed programs run
// from a directory that has no pictures: they find the installed ones, the
// installed examples (and experiments) replay as in the build tree, every
// program tells its version, and the manual pages, menu entry and metadata
// pass their readers' checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/render/RenderHarness.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDirectory.h"

using namespace render;
namespace fs = std::filesystem;

namespace {
const char kAppId[] = "org.orvane.orvane";
const std::vector<std::string> kPrograms = {"orvane", "orvane-sim", "orvane-capture"};

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::set<std::string> namesIn(const std::string& folder, const std::string& ending) {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() >= ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0)
            names.insert(name);
    }
    return names;
}

// One install for all the tests of this file, into a prefix removed at the end.
class InstalledPrograms : public testing::Test {
protected:
    static void SetUpTestSuite() {
        prefix_ = new TempDirectory("orvane-prefix");
        elsewhere_ = new TempDirectory("orvane-elsewhere");
        ChildOptions options;
        options.timeoutSeconds = 120.0;
        install_ = new ChildResult(
            runChild({"cmake", "--install", ORVANE_BINARY_DIR, "--prefix", prefix_->path()}, options));
    }
    static void TearDownTestSuite() {
        delete install_;
        delete elsewhere_;
        delete prefix_;
    }
    void SetUp() override {
        ASSERT_TRUE(prefix_->valid() && elsewhere_->valid());
        ASSERT_EQ(install_->exitStatus, 0) << install_->describe() << "\n" << install_->err;
    }

    static std::string installed(const std::string& path) { return prefix_->file(path); }

    // Runs an installed program (or any command) in a directory with no
    // pictures of its own.
    static ChildResult runElsewhere(std::vector<std::string> argv, double timeout = 120.0) {
        ChildOptions options;
        options.timeoutSeconds = timeout;
        argv.insert(argv.begin(), {"sh", "-c", "cd \"$0\" && exec \"$@\"", elsewhere_->path()});
        return runChild(argv, options);
    }

    static TempDirectory* prefix_;
    static TempDirectory* elsewhere_;
    static ChildResult* install_;
};
TempDirectory* InstalledPrograms::prefix_ = nullptr;
TempDirectory* InstalledPrograms::elsewhere_ = nullptr;
ChildResult* InstalledPrograms::install_ = nullptr;
}  // namespace

TEST_F(InstalledPrograms, PutEverythingWhereTheConventionsSayAndNothingOutsideThePrefix) {
    for (const std::string& program : kPrograms) EXPECT_TRUE(fs::is_regular_file(installed("bin/" + program))) << program;
    std::set<std::string> pictures;
    for (const std::string& name : pictureFiles()) pictures.insert(name);
    EXPECT_EQ(namesIn(installed("share/orvane/pics"), ".tga"), pictures);
    EXPECT_EQ(namesIn(installed("share/orvane/examples"), ".txt"),
              namesIn(ORVANE_SOURCE_DIR "/tools/sim/examples", ".txt"));
    EXPECT_EQ(namesIn(installed("share/orvane/experiments"), ".txt"),
              namesIn(ORVANE_SOURCE_DIR "/experiments", ".txt"));
    for (const char* page : {"man6/orvane.6.gz", "man1/orvane-sim.1.gz", "man1/orvane-capture.1.gz"})
        EXPECT_TRUE(fs::is_regular_file(installed(std::string("share/man/") + page))) << page;
    EXPECT_TRUE(fs::is_regular_file(installed("share/applications/" + std::string(kAppId) + ".desktop")));
    EXPECT_TRUE(fs::is_regular_file(installed("share/metainfo/" + std::string(kAppId) + ".metainfo.xml")));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string side = std::to_string(size);
        EXPECT_TRUE(fs::is_regular_file(
            installed("share/icons/hicolor/" + side + "x" + side + "/apps/" + kAppId + ".png")))
            << size;
    }
    for (const char* doc : {"copyright", "changelog.gz"})
        EXPECT_TRUE(fs::is_regular_file(installed(std::string("share/doc/orvane/") + doc))) << doc;

    // CMake lists every file it installed: all of them under the prefix.
    std::istringstream manifest(fileText(ORVANE_BINARY_DIR "/install_manifest.txt"));
    int files = 0;
    for (std::string line; std::getline(manifest, line); ++files)
        EXPECT_EQ(line.rfind(prefix_->path() + "/", 0), 0u) << line;
    EXPECT_GT(files, 30);
}

TEST_F(InstalledPrograms, EachTellsTheVersion) {
    const ChildResult built = runChild({ORVANE_BINARY_DIR "/orvane", "--version"});
    for (const std::string& program : kPrograms) {
        const ChildResult r = runElsewhere({installed("bin/" + program), "--version"});
        ASSERT_EQ(r.exitStatus, 0) << program << ": " << r.describe();
        EXPECT_EQ(r.out, program + built.out.substr(built.out.find(' '))) << program;
    }
}

// The installed scripts replay to the very bytes the build tree's do.
TEST_F(InstalledPrograms, ReplayTheInstalledExamplesAndExperimentsAsTheBuildDoes) {
    int replayed = 0;
    for (const char* folder : {"examples", "experiments"}) {
        for (const std::string& name : namesIn(installed(std::string("share/orvane/") + folder), ".txt")) {
            const std::string script = installed(std::string("share/orvane/") + folder + "/" + name);
            const ChildResult ours = runElsewhere({installed("bin/orvane-sim"), "--steps", "600", "--every", "100",
                                                   "--input", script});
            const ChildResult built = runChild({ORVANE_BINARY_DIR "/orvane-sim", "--steps", "600", "--every", "100",
                                                "--input", script});
            ASSERT_EQ(ours.exitStatus, 0) << name << ": " << ours.err;
            EXPECT_EQ(ours.out, built.out) << name;
            EXPECT_GT(ours.out.size(), 1000u) << name;
            ++replayed;
        }
    }
    EXPECT_GE(replayed, 5);
}

TEST_F(InstalledPrograms, TheWindowFindsTheInstalledPicturesAndEndsOnEsc) {
    ChildOptions programOptions;
    programOptions.timeoutSeconds = 60.0;
    ChildProcess program({"sh", "-c", "cd \"$0\" && exec \"$1\"", elsewhere_->path(), installed("bin/orvane")},
                         programOptions);
    ASSERT_TRUE(program.started()) << program.wait().describe();
    ChildOptions typistOptions;
    typistOptions.timeoutSeconds = 30.0;
    const ChildResult typist = runChild({"sh", "-c",
                                         "w=$(xdotool search --sync --onlyvisible --name 'project orvane' "
                                         "| head -n1) && xdotool windowfocus --sync \"$w\" && xdotool key Escape"},
                                        typistOptions);
    const ChildResult& run = program.wait();
    EXPECT_EQ(typist.exitStatus, 0) << typist.describe() << "\n" << typist.err;
    ASSERT_EQ(run.exitStatus, 0) << run.describe() << "\n" << run.err;
    EXPECT_TRUE(isBannerOnly(linesOf(run.out))) << run.out << run.err;
    EXPECT_EQ(run.err, "");
}

// orvane-capture draws a frame with the installed pictures; with one of them
// taken away it says so, which shows that the installed folder, not the
// build tree's complete one, was used.
TEST_F(InstalledPrograms, CaptureUsesTheInstalledPicturesNotTheBuildTrees) {
    const ChildResult whole = runElsewhere({installed("bin/orvane-capture"), "--frames", "1", "--out", "whole"});
    ASSERT_EQ(whole.exitStatus, 0) << whole.describe() << "\n" << whole.err;
    EXPECT_TRUE(isBannerOnly(linesOf(whole.out))) << whole.out;
    EXPECT_GT(fs::file_size(elsewhere_->file("whole/frame_00001.png")), 100000u) << "a frame without its textures";

    const std::string lightning = installed("share/orvane/pics/lightning2.tga");
    fs::rename(lightning, lightning + ".away");
    const ChildResult lacking = runElsewhere({installed("bin/orvane-capture"), "--frames", "1", "--out", "lacking"});
    fs::rename(lightning + ".away", lightning);
    ASSERT_EQ(lacking.exitStatus, 0) << lacking.describe() << "\n" << lacking.err;
    const std::vector<std::string> lines = linesOf(lacking.out);
    ASSERT_EQ(lines.size(), 4u) << lacking.out;
    EXPECT_EQ(lines[3], "fehler beim initialisieren des Blitzes");
}

TEST_F(InstalledPrograms, ManualPagesMenuEntryAndMetadataPassTheirCheckers) {
    for (const char* page : {"man6/orvane.6.gz", "man1/orvane-sim.1.gz", "man1/orvane-capture.1.gz"}) {
        const ChildResult man = runElsewhere({"env", "LC_ALL=C", "MANWIDTH=80", "man", "-l",
                                              installed(std::string("share/man/") + page)});
        EXPECT_EQ(man.exitStatus, 0) << page << ": " << man.describe() << "\n" << man.err;
        EXPECT_EQ(man.err, "") << page;
        EXPECT_NE(man.out.find("SYNOPSIS"), std::string::npos) << page;
        EXPECT_NE(man.out.find("EXIT STATUS"), std::string::npos) << page;
    }
    const ChildResult desktop = runElsewhere(
        {"desktop-file-validate", installed("share/applications/" + std::string(kAppId) + ".desktop")});
    EXPECT_EQ(desktop.exitStatus, 0) << desktop.describe() << "\n" << desktop.err;
    EXPECT_EQ(desktop.out + desktop.err, "") << "hints or warnings";
    // No network here: the screenshot's address is not fetched.
    const ChildResult metainfo = runElsewhere({"appstreamcli", "validate", "--no-net", "--pedantic",
                                               installed("share/metainfo/" + std::string(kAppId) + ".metainfo.xml")});
    EXPECT_EQ(metainfo.exitStatus, 0) << metainfo.describe() << "\n" << metainfo.out << metainfo.err;
    EXPECT_EQ(metainfo.out.find("W:"), std::string::npos) << metainfo.out;
    EXPECT_EQ(metainfo.out.find("I:"), std::string::npos) << metainfo.out;
}
