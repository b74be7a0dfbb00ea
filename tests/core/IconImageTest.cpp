// The icon the generator makes for the desktop: every size of the icon
// theme, the same bytes each time, the ball light and opaque on the dark sky,
// rounded corners see-through; and the files the build wrote are those PNGs.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tools/imagegen/IconImage.h"

namespace {
int brightness(const GeneratedImage& icon, float u, float v) {
    const unsigned char* t = icon.texel(static_cast<int>(u * icon.width), static_cast<int>(v * icon.height));
    return t[0] + t[1] + t[2];
}

int alpha(const GeneratedImage& icon, int column, int row) { return icon.texel(column, row)[3]; }

// Width and height from a PNG file's header, or zeros.
std::pair<unsigned, unsigned> pngSize(const std::string& path) {
    unsigned char header[24] = {};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return {0, 0};
    const std::size_t n = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    if (n != sizeof header || std::string(reinterpret_cast<char*>(header) + 1, 3) != "PNG") return {0, 0};
    auto word = [&](int at) {
        return unsigned(header[at]) << 24 | unsigned(header[at + 1]) << 16 | unsigned(header[at + 2]) << 8 |
               unsigned(header[at + 3]);
    };
    return {word(16), word(20)};
}
}  // namespace

TEST(Icon, EverySizeShowsALightOpaqueBallOnTheDarkSkyTheSameEachTime) {
    for (int size : iconSizes()) {
        SCOPED_TRACE(size);
        const GeneratedImage icon = makeIcon(size);
        ASSERT_EQ(icon.width, size);
        ASSERT_EQ(icon.height, size);
        ASSERT_EQ(icon.components, 4);
        EXPECT_EQ(icon.name, std::to_string(size) + "x" + std::to_string(size) + ".png");
        EXPECT_EQ(makeIcon(size).pixels, icon.pixels);

        const int middle = size / 2;
        EXPECT_EQ(alpha(icon, middle, middle), 255);
        EXPECT_GT(brightness(icon, 0.45f, 0.40f), 2 * brightness(icon, 0.5f, 0.12f)) << "ball against sky";
        // The board under the ball is lighter than the sky beside it.
        EXPECT_GT(brightness(icon, 0.2f, 0.66f), brightness(icon, 0.2f, 0.3f));
    }
}

TEST(Icon, LargeSizesHaveSeeThroughRoundedCornersAndSmoothEdges) {
    const GeneratedImage icon = makeIcon(256);
    for (int corner : {0, 255}) {
        EXPECT_EQ(alpha(icon, corner, corner), 0);
        EXPECT_EQ(alpha(icon, corner, 255 - corner), 0);
    }
    // The tile's straight edges are solid, its curve partly covered.
    EXPECT_EQ(alpha(icon, 128, 20), 255);
    bool partlyCovered = false;
    for (int i = 0; i < 60; ++i) partlyCovered = partlyCovered || (alpha(icon, i, i) > 0 && alpha(icon, i, i) < 255);
    EXPECT_TRUE(partlyCovered) << "the corner's curve is not smoothed";
    // The smallest icon fills its square: no pixel is wasted on a margin.
    const GeneratedImage small = makeIcon(16);
    EXPECT_GT(alpha(small, 8, 0), 0);
}

TEST(Icon, TheBuildWroteEverySizeAsPng) {
    for (int size : iconSizes()) {
        const std::string path = ORVANE_BINARY_DIR "/icons/" + std::to_string(size) + "x" + std::to_string(size) + ".png";
        EXPECT_EQ(pngSize(path), std::make_pair(unsigned(size), unsigned(size))) << path;
    }
}
