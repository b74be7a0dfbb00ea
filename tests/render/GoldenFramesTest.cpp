// Frames of one script that uses every drawer and switch, made by the real
// program through orvane-capture and compared pixel for pixel with frames
// recorded before the program was restructured. Only the frame-rate text,
// which depends on the clock, is left out of the comparison.
//
// llvmpipe is held to its SSE4.1 code so that machines with other vector
// units (AVX2, FMA) draw the very same pixels. To record new frames after an
// intended change, run orvane-capture as below with the same environment and
// copy the PNG files into tests/golden/frames/.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/TempDirectory.h"
#include "tests/support/ChildProcess.h"

namespace {
const std::string kCapture = ORVANE_BINARY_DIR "/orvane-capture";
const std::string kGolden = ORVANE_SOURCE_DIR "/tests/golden/";
const std::vector<int> kFrames = {8, 200, 210, 215, 220, 225, 300, 320, 400, 520, 1200};
const std::vector<std::string> kPortableRenderer = {"GALLIUM_OVERRIDE_CPU_CAPS=sse4.1"};

// The frame-rate text: 20 pixels in, baseline 20 pixels down, 9x15 glyphs.
struct Box {
    int left, top, right, bottom;  // right and bottom exclusive
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};
constexpr Box kFrameRateText = {16, 4, 200, 30};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // rows top-down
    std::string error;
};

Picture readPng(const std::string& path) {
    Picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        picture.error = path + ": " + image.message;
        return picture;
    }
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) {
        picture.error = path + ": " + image.message;
        picture.rgb.clear();
        return picture;
    }
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    return picture;
}

std::string frameName(int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05d.png", frame);
    return name;
}

// "" when the pictures agree outside the frame-rate text, else where not.
std::string compareOutsideText(const Picture& made, const Picture& golden) {
    if (made.width != golden.width || made.height != golden.height)
        return "size " + std::to_string(made.width) + "x" + std::to_string(made.height) + " instead of " +
               std::to_string(golden.width) + "x" + std::to_string(golden.height);
    int differing = 0;
    Box bounds = {made.width, made.height, -1, -1};
    for (int y = 0; y < made.height; ++y) {
        for (int x = 0; x < made.width; ++x) {
            if (kFrameRateText.contains(x, y)) continue;
            const std::size_t at = (static_cast<std::size_t>(y) * made.width + x) * 3;
            if (std::equal(&made.rgb[at], &made.rgb[at] + 3, &golden.rgb[at])) continue;
            ++differing;
            bounds = {std::min(bounds.left, x), std::min(bounds.top, y), std::max(bounds.right, x),
                      std::max(bounds.bottom, y)};
        }
    }
    if (differing == 0) return "";
    return std::to_string(differing) + " pixels differ, within (" + std::to_string(bounds.left) + ", " +
           std::to_string(bounds.top) + ") to (" + std::to_string(bounds.right) + ", " +
           std::to_string(bounds.bottom) + ")";
}

TEST(GoldenFrames, EveryDrawerAndSwitchDrawsTheRecordedPixels) {
    TempDirectory out;
    ASSERT_TRUE(out.valid());
    std::string frameList;
    for (const int frame : kFrames) frameList += (frameList.empty() ? "" : ",") + std::to_string(frame);

    ChildOptions options;
    options.timeoutSeconds = 240.0;
    options.environment = kPortableRenderer;
    const ChildResult run = runChild({kCapture, "--frames", frameList, "--input", kGolden + "frames-script.txt",
                                      "--out", out.path()},
                                     options);
    ASSERT_EQ(run.exitStatus, 0) << run.describe() << "\n" << run.err;

    for (const int frame : kFrames) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        const Picture made = readPng(out.file(frameName(frame)));
        const Picture golden = readPng(kGolden + "frames/" + frameName(frame));
        ASSERT_EQ(made.error, "");
        ASSERT_EQ(golden.error, "");
        EXPECT_EQ(compareOutsideText(made, golden), "");
    }
}
}  // namespace
