// Writing TGA files that the reader takes back unchanged.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "assets/TextureImage.h"
#include "assets/TgaWriter.h"
#include "tests/support/TempDirectory.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes readFile(const std::string& path) {
    Bytes content;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return content;
    int c;
    while ((c = std::fgetc(in)) != EOF) content.push_back(static_cast<unsigned char>(c));
    std::fclose(in);
    return content;
}

Bytes patterned(int width, int height, int components) {
    Bytes pixels(static_cast<size_t>(width) * height * components);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>((i * 31 + i / 7) & 0xFF);
    return pixels;
}

class TgaWriter : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.valid()); }
    TempDirectory dir;
};

TEST_F(TgaWriter, WritesTheHeaderAndBlueGreenRedPixels) {
    const std::string path = dir.file("rgb.tga");
    const Bytes rgb = {1, 2, 3, 4, 5, 6};
    std::string error = "stale";
    ASSERT_TRUE(writeTga(path, 2, 1, 3, rgb.data(), &error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(readFile(path), (Bytes{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0,  //
                                     3, 2, 1, 6, 5, 4}));
}

TEST_F(TgaWriter, Marks32BitFilesAsCarryingEightAlphaBits) {
    const std::string path = dir.file("rgba.tga");
    const Bytes rgba = {0x0C, 0x0B, 0x0A, 0x0D};
    ASSERT_TRUE(writeTga(path, 1, 1, 4, rgba.data()));
    EXPECT_EQ(readFile(path), (Bytes{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 32, 8,  //
                                     0x0A, 0x0B, 0x0C, 0x0D}));
}

TEST_F(TgaWriter, RoundTripsThroughTheReader) {
    struct Case {
        int width, height, components;
    };
    for (const Case& c : {Case{1, 1, 3}, Case{3, 5, 3}, Case{7, 2, 4}, Case{257, 3, 3}, Case{33, 17, 4},
                          Case{0, 0, 3}, Case{0, 4, 4}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.components);
        const Bytes pixels = patterned(c.width, c.height, c.components);
        const std::string path = dir.file("round.tga");
        ASSERT_TRUE(writeTga(path, c.width, c.height, c.components, pixels.data()));

        TextureImage image;
        ASSERT_TRUE(loadTga(image, path.c_str()));
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        EXPECT_EQ(image.components, c.components);
        const Bytes back = image.pixels ? Bytes(image.pixels, image.pixels + pixels.size()) : Bytes();
        EXPECT_EQ(back, pixels);
    }
}

TEST_F(TgaWriter, ExplainsWhyItCannotWrite) {
    const Bytes rgb(3, 0);
    std::string error;
    EXPECT_FALSE(writeTga(dir.file("no/such/dir/x.tga"), 1, 1, 3, rgb.data(), &error));
    EXPECT_NE(error.find("no/such/dir/x.tga"), std::string::npos) << error;

    EXPECT_FALSE(writeTga(dir.path(), 1, 1, 3, rgb.data(), &error));  // a directory, not a file
    EXPECT_FALSE(error.empty());
}

TEST_F(TgaWriter, RefusesWhatATgaHeaderCannotHold) {
    const Bytes rgb(16, 0);
    std::string error;
    EXPECT_FALSE(writeTga(dir.file("a.tga"), 1, 1, 2, rgb.data(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(writeTga(dir.file("a.tga"), 65536, 1, 3, rgb.data(), &error));
    EXPECT_FALSE(writeTga(dir.file("a.tga"), -1, 1, 3, rgb.data(), &error));
    EXPECT_FALSE(writeTga(dir.file("a.tga"), 1, 1, 3, nullptr, &error));
    EXPECT_FALSE(std::filesystem::exists(dir.file("a.tga")));
}

}  // namespace
