// The capture tool, run as a real process on the tests' display: its
// options and script errors, where it refuses to write, which frames it
// saves, what they show, and Esc in the script.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_set>
#include <vector>

#include "tests/support/TempDirectory.h"
#include "tests/render/RenderHarness.h"
#include "tests/support/ChildProcess.h"

using namespace render;

namespace {
const std::string kCapture = ORVANE_BINARY_DIR "/orvane-capture";
constexpr int kWidth = 640;
constexpr int kHeight = 480;

ChildResult capture(const std::vector<std::string>& args, const std::string& stdinText = "") {
    std::vector<std::string> argv = {kCapture};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildOptions options;
    options.stdinText = stdinText;
    options.timeoutSeconds = 60.0;
    ChildResult result = runChild(argv, options);
    EXPECT_TRUE(result.exited()) << result.describe() << "\n" << result.err;
    return result;
}

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

int lineCount(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A decoded picture, 8-bit RGB, rows top-down.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    std::string error;

    const unsigned char* at(int x, int y) const { return rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3; }
};

Picture readPng(const std::string& path) {
    Picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        picture.error = image.message;
        return picture;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        picture.error = image.message;
        png_image_free(&image);
        return picture;
    }
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgb = std::move(pixels);
    return picture;
}

int distinctColours(const Picture& picture) {
    std::unordered_set<std::uint32_t> colours;
    for (std::size_t i = 0; i + 2 < picture.rgb.size(); i += 3)
        colours.insert(picture.rgb[i] << 16 | picture.rgb[i + 1] << 8 | picture.rgb[i + 2]);
    return static_cast<int>(colours.size());
}

// Mean of red + green + blue over rows [top, bottom).
double meanBrightness(const Picture& picture, int top, int bottom) {
    double sum = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const unsigned char* p = picture.at(x, y);
            sum += p[0] + p[1] + p[2];
        }
    return sum / (static_cast<double>(bottom - top) * picture.width);
}

// The FPS text in the top left corner depends on the clock; everything else
// in a frame depends only on the frame's number and the input.
bool inFpsText(int x, int y) { return x < 200 && y < 40; }

int pixelsDifferingOutsideFpsText(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height) return -1;
    int differing = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (!inFpsText(x, y) && !std::equal(a.at(x, y), a.at(x, y) + 3, b.at(x, y))) ++differing;
    return differing;
}
}  // namespace

TEST(CaptureTool, HelpOnStandardOutputAndEachBadOptionOneLineAndStatusTwo) {
    const ChildResult help = capture({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_TRUE(startsWith(help.out, "usage: orvane-capture --frames")) << help.out;
    for (const char* option : {"--frames", "--input", "--out", "--help", "frame_NNNNN.png"})
        EXPECT_TRUE(contains(help.out, option)) << option;
    EXPECT_EQ(help.err, "");

    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    const std::string out = dir.file("never-made");
    const std::vector<std::vector<std::string>> bad = {
        {},                              // --frames is required
        {"--bogus", "--frames", "1"},    {"-f", "1"},
        {"--frames", "1", "stray"},      {"--help", "--bogus"},
        {"--frames"},                    {"--frames", "1", "--input"},
        {"--frames", "1", "--out"},      {"--frames="},
        {"--frames", ""},                {"--frames", "0"},
        {"--frames", "-1"},              {"--frames", "x"},
        {"--frames", "1e3"},             {"--frames", "+2"},
        {"--frames", " 1"},              {"--frames", "1.5"},
        {"--frames", "1,,3"},            {"--frames", "1,"},
        {"--frames", ",1"},              {"--frames", "2,0"},
        {"--frames", "99999999999999999999"},
        {"--frames", "9223372036854775808"},
        {"--frames", "1", "--input="},   {"--frames", "1", "--out="},
    };
    for (std::vector<std::string> args : bad) {
        std::string shown;
        for (const std::string& a : args) shown += " '" + a + "'";
        args.insert(args.begin(), {"--out", out});
        const ChildResult r = capture(args);
        EXPECT_EQ(r.exitStatus, 2) << shown;
        EXPECT_EQ(r.out, "") << shown;
        EXPECT_TRUE(startsWith(r.err, "orvane-capture: ")) << shown << ": " << r.err;
        EXPECT_EQ(lineCount(r.err), 1) << shown << ": " << r.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << shown;
    }
}

TEST(CaptureTool, MalformedScriptIsOneLineNamingFileAndLineAndNothingIsWritten) {
    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    const std::string out = dir.file("shots");
    struct Bad {
        std::string script;
        int line;
        std::string what;
    };
    const std::vector<Bad> cases = {
        {"0 key-down a\n# a comment\n0 wobble\n", 3, "unknown event \"wobble\""},
        {"0 key-down ab\n", 1, "bad key"},
        {"5 key-down a\n2 key-up a\n", 2, "smaller"},
        {"0 motion 1\n", 1, "missing"},
        // Events after the last frame are never delivered, but still checked.
        {"0 key-down a\n1000 fly\n", 2, "unknown event"},
    };
    for (const Bad& c : cases) {
        const std::string path = dir.writeText("bad.txt", c.script);
        const ChildResult r = capture({"--frames", "1", "--input", path, "--out", out});
        EXPECT_EQ(r.exitStatus, 2) << c.script;
        EXPECT_EQ(r.out, "") << c.script;
        EXPECT_TRUE(startsWith(r.err, "orvane-capture: " + path + ":" + std::to_string(c.line) + ": "))
            << r.err;
        EXPECT_TRUE(contains(r.err, c.what)) << r.err;
        EXPECT_EQ(lineCount(r.err), 1) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.script;
    }

    const ChildResult fromStdin =
        capture({"--frames", "1", "--input", "-", "--out", out}, "0 key-down a\n0 wobble\n");
    EXPECT_EQ(fromStdin.exitStatus, 2);
    EXPECT_EQ(fromStdin.out, "");
    EXPECT_TRUE(startsWith(fromStdin.err, "orvane-capture: <stdin>:2: unknown event")) << fromStdin.err;
    EXPECT_EQ(lineCount(fromStdin.err), 1) << fromStdin.err;

    const std::string missing = dir.file("missing.txt");
    const ChildResult r = capture({"--frames", "1", "--input", missing, "--out", out});
    EXPECT_EQ(r.exitStatus, 2);
    EXPECT_TRUE(startsWith(r.err, "orvane-capture: " + missing + ": ")) << r.err;
    EXPECT_EQ(lineCount(r.err), 1) << r.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(CaptureTool, OutputThatCannotBeWrittenIsStatusOneWithAReason) {
    PicsDirectory pics;
    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    const std::string file = dir.writeText("a-file", "not a directory\n");
    // Not a directory, or below one that is not: refused before the window opens.
    for (const std::string& out : {file, file + "/sub"}) {
        const ChildResult r = capture({"--frames", "1", "--out", out});
        EXPECT_EQ(r.exitStatus, 1) << out;
        EXPECT_EQ(r.out, "") << out;
        EXPECT_TRUE(startsWith(r.err, "orvane-capture: --out: ")) << r.err;
        EXPECT_TRUE(contains(r.err, out)) << r.err;
        EXPECT_EQ(lineCount(r.err), 1) << r.err;
    }
    // A directory where no file can be made (even by root): the first picture fails.
    const ChildResult r = capture({"--frames", "1,2", "--out", "/proc"});
    EXPECT_EQ(r.exitStatus, 1) << r.describe();
    const std::vector<std::string> lines = linesOf(r.err);
    ASSERT_EQ(lines.size(), 1u) << r.err;
    EXPECT_TRUE(startsWith(lines[0], "orvane-capture: /proc/frame_00001.png: ")) << r.err;
}

TEST(CaptureTool, WritesExactlyTheRequestedFramesShowingTheScene) {
    PicsDirectory pics;
    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    const std::string script = dir.writeText("roll.txt", "0 special-down left\n2 motion 10 -5\n");
    const std::string out = dir.file("shots/new");  // made, parents and all
    // A repeated option: the last one counts.
    const ChildResult r =
        capture({"--frames", "2", "--frames=1,3", "--input", script, "--out", out});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_TRUE(isBannerOnly(linesOf(r.out))) << r.out;
    EXPECT_EQ(linesOf(r.err), (std::vector<std::string>{
                                  "orvane-capture: frame 1 -> " + out + "/frame_00001.png",
                                  "orvane-capture: frame 3 -> " + out + "/frame_00003.png"}));
    ASSERT_EQ(filesIn(out), (std::vector<std::string>{"frame_00001.png", "frame_00003.png"}));

    for (const char* name : {"frame_00001.png", "frame_00003.png"}) {
        const Picture picture = readPng(out + "/" + name);
        ASSERT_EQ(picture.error, "") << name;
        EXPECT_EQ(picture.width, kWidth) << name;
        EXPECT_EQ(picture.height, kHeight) << name;
        // Textured sky, ground and a shaded ball, not a cleared buffer.
        EXPECT_GT(distinctColours(picture), 2000) << name;
        const double sky = meanBrightness(picture, 40, kHeight / 4);
        const double ground = meanBrightness(picture, kHeight * 3 / 4, kHeight);
        EXPECT_GT(sky, 60.0) << name;
        EXPECT_GT(ground, sky + 60.0) << name << ": the ground is lighter than the night sky";
    }
}

// Key handlers draw frames of their own, between idle calls; those are not
// the frames asked for. And events of step S come before frame S+1.
TEST(CaptureTool, SavesTheIdleCallsFramesWithTheScriptDeliveredBeforeThem) {
    PicsDirectory pics;
    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    auto frames = [&](const std::string& name, const std::string& script) {
        std::vector<std::string> args = {"--frames", "1,2", "--out", dir.file(name)};
        if (!script.empty()) {
            args.push_back("--input");
            args.push_back(dir.writeText(name + ".txt", script));
        }
        const ChildResult r = capture(args);
        EXPECT_EQ(r.exitStatus, 0) << name << ": " << r.err;
        return std::vector<Picture>{readPng(dir.file(name) + "/frame_00001.png"),
                                    readPng(dir.file(name) + "/frame_00002.png")};
    };
    const std::vector<Picture> plain = frames("plain", "");
    const std::vector<Picture> hidden = frames("hidden", "1 key-down 3\n");  // ball surface off
    const std::vector<Picture> twice = frames("twice", "1 key-down 3\n1 key-down 3\n");
    for (const auto* run : {&plain, &hidden, &twice})
        for (const Picture& p : *run) ASSERT_EQ(p.error, "");

    EXPECT_LT(pixelsDifferingOutsideFpsText(hidden[0], plain[0]), 20) << "frame 1 comes before step 1";
    EXPECT_GT(pixelsDifferingOutsideFpsText(hidden[1], plain[1]), 2000) << "frame 2 comes after step 1";
    EXPECT_LT(pixelsDifferingOutsideFpsText(twice[1], plain[1]), 20)
        << "a frame drawn by a key handler was saved instead of the idle call's";
}

TEST(CaptureTool, EscInTheScriptEndsWithStatusZeroBeforeLaterFrames) {
    PicsDirectory pics;
    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    const std::string out = dir.file("shots");
    const std::string script = dir.writeText("esc.txt", "0 key-down 1\n1 key-down esc\n3 key-down 2\n");
    const ChildResult r = capture({"--frames", "5,1,3", "--input", script, "--out", out});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_TRUE(isBannerOnly(linesOf(r.out))) << r.out;
    EXPECT_EQ(filesIn(out), (std::vector<std::string>{"frame_00001.png"}));
    const std::vector<std::string> lines = linesOf(r.err);
    ASSERT_EQ(lines.size(), 2u) << r.err;
    EXPECT_EQ(lines[1], "orvane-capture: esc before idle call 2; frames not reached: 3, 5");
}

// Started where there is no pics/, it draws with the build tree's pictures.
TEST(CaptureTool, FindsTheBuildTreesPicturesFromAnotherDirectory) {
    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    ChildOptions options;
    options.timeoutSeconds = 60.0;
    const ChildResult r = runChild({"sh", "-c", "cd \"$1\" && exec \"$2\" --frames 1 --out shots", "sh",
                                    dir.path(), kCapture},
                                   options);
    ASSERT_EQ(r.exitStatus, 0) << r.describe() << "\n" << r.err;
    EXPECT_TRUE(isBannerOnly(linesOf(r.out))) << r.out;
    const Picture picture = readPng(dir.file("shots/frame_00001.png"));
    ASSERT_EQ(picture.error, "");
    EXPECT_GT(distinctColours(picture), 2000) << "the scene was drawn without its pictures";
}
