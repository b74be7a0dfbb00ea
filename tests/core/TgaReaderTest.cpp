// Reading uncompressed true-colour TGA files, and refusing everything else
// without touching the record.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "assets/TextureImage.h"
#include "tests/support/TempDirectory.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes tgaHeader(int width, int height, int depth, int descriptor = 0) {
    return {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
            static_cast<unsigned char>(width & 0xFF), static_cast<unsigned char>(width >> 8),
            static_cast<unsigned char>(height & 0xFF), static_cast<unsigned char>(height >> 8),
            static_cast<unsigned char>(depth), static_cast<unsigned char>(descriptor)};
}

Bytes tgaFile(int width, int height, int depth, const Bytes& pixelData) {
    Bytes file = tgaHeader(width, height, depth);
    file.reserve(file.size() + pixelData.size());
    for (unsigned char byte : pixelData) file.push_back(byte);
    return file;
}

Bytes pixelsOf(const TextureImage& image) {
    const size_t count = static_cast<size_t>(image.width) * image.height * image.components;
    return image.pixels ? Bytes(image.pixels, image.pixels + count) : Bytes();
}

class TgaReader : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.valid()); }

    // A record that already holds an image, so that any
    // change made by a refused load shows.
    static void fillWithOldImage(TextureImage& image) {
        image.width = 2;
        image.height = 2;
        image.components = 3;
        image.pixels = new unsigned char[12];
        for (int i = 0; i < 12; ++i) image.pixels[i] = static_cast<unsigned char>(100 + i);
    }

    void expectRefusedAndUntouched(const char* path) {
        TextureImage image;
        fillWithOldImage(image);
        unsigned char* const oldPixels = image.pixels;
        const Bytes oldBytes = pixelsOf(image);

        EXPECT_FALSE(loadTga(image, path));
        EXPECT_EQ(image.width, 2);
        EXPECT_EQ(image.height, 2);
        EXPECT_EQ(image.components, 3);
        EXPECT_EQ(image.pixels, oldPixels);
        EXPECT_EQ(pixelsOf(image), oldBytes);
    }

    void expectRefusedAndUntouched(const Bytes& fileContent) {
        const std::string path = dir.writeBytes("bad.tga", fileContent);
        expectRefusedAndUntouched(path.c_str());
    }

    TempDirectory dir;
};

TEST_F(TgaReader, FreshRecordHasNoImage) {
    TextureImage image;
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.height, 0);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.components, 0);
}

TEST_F(TgaReader, SwapsBlueAndRedOf24BitPixels) {
    const std::string path = dir.writeBytes("a.tga", tgaFile(2, 1, 24, {1, 2, 3, 4, 5, 6}));
    TextureImage image;
    ASSERT_TRUE(loadTga(image, path.c_str()));
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 1);
    EXPECT_EQ(image.components, 3);
    EXPECT_EQ(pixelsOf(image), (Bytes{3, 2, 1, 6, 5, 4}));
}

TEST_F(TgaReader, Keeps32BitAlphaInPlace) {
    const std::string path = dir.writeBytes("a.tga", tgaFile(1, 1, 32, {0x0A, 0x0B, 0x0C, 0x0D}));
    TextureImage image;
    ASSERT_TRUE(loadTga(image, path.c_str()));
    EXPECT_EQ(image.components, 4);
    EXPECT_EQ(pixelsOf(image), (Bytes{0x0C, 0x0B, 0x0A, 0x0D}));
}

TEST_F(TgaReader, ReadsSixteenBitSizesLittleEndianAndIgnoresTrailingBytes) {
    const int width = 300, height = 2;  // 300 = 0x012C needs both size bytes
    Bytes data(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 7);
    Bytes file = tgaFile(width, height, 24, data);
    file.insert(file.end(), {0xEE, 0xEE, 0xEE});  // a footer we ignore
    const std::string path = dir.writeBytes("a.tga", file);

    TextureImage image;
    ASSERT_TRUE(loadTga(image, path.c_str()));
    EXPECT_EQ(image.width, width);
    EXPECT_EQ(image.height, height);
    const Bytes got = pixelsOf(image);
    ASSERT_EQ(got.size(), data.size());
    for (size_t i = 0; i < data.size(); i += 3) {
        EXPECT_EQ(got[i], data[i + 2]);
        EXPECT_EQ(got[i + 1], data[i + 1]);
        EXPECT_EQ(got[i + 2], data[i]);
    }
}

TEST_F(TgaReader, IgnoresTheDescriptorByte) {
    Bytes file = tgaHeader(1, 1, 24, 0x20);  // "top-left origin": rows are still taken as stored
    file.insert(file.end(), {7, 8, 9});
    const std::string path = dir.writeBytes("a.tga", file);
    TextureImage image;
    ASSERT_TRUE(loadTga(image, path.c_str()));
    EXPECT_EQ(pixelsOf(image), (Bytes{9, 8, 7}));
}

TEST_F(TgaReader, AcceptsAnEmptyImageWithoutPixelBuffer) {
    const std::string path = dir.writeBytes("empty.tga", tgaHeader(0, 0, 24));
    TextureImage image;
    ASSERT_TRUE(loadTga(image, path.c_str()));
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.height, 0);
    EXPECT_EQ(image.components, 3);
    EXPECT_EQ(image.pixels, nullptr);
}

TEST_F(TgaReader, ReplacesAnOldImageOnlyOnSuccess) {
    const std::string path = dir.writeBytes("a.tga", tgaFile(1, 1, 32, {1, 2, 3, 4}));
    TextureImage image;
    fillWithOldImage(image);
    ASSERT_TRUE(loadTga(image, path.c_str()));  // ASan reports it if the old buffer leaks
    EXPECT_EQ(image.width, 1);
    EXPECT_EQ(image.height, 1);
    EXPECT_EQ(image.components, 4);
    EXPECT_EQ(pixelsOf(image), (Bytes{3, 2, 1, 4}));

    const std::string emptyPath = dir.writeBytes("empty.tga", tgaHeader(0, 0, 32));
    ASSERT_TRUE(loadTga(image, emptyPath.c_str()));
    EXPECT_EQ(image.pixels, nullptr);
}

TEST_F(TgaReader, RefusesPathsThatGiveNoFile) {
    expectRefusedAndUntouched(static_cast<const char*>(nullptr));
    expectRefusedAndUntouched(dir.file("missing.tga").c_str());
    expectRefusedAndUntouched(dir.path().c_str());  // opens on Linux, but reading fails
}

TEST_F(TgaReader, RefusesHeadersOtherThanUncompressedTrueColour) {
    const Bytes pixel = {1, 2, 3};
    struct Variant {
        const char* what;
        int offset;
        unsigned char value;
    };
    const Variant variants[] = {
        {"identification field", 0, 5}, {"colour map present", 1, 1},
        {"run-length encoded (type 10)", 2, 10}, {"colour-mapped (type 1)", 2, 1},
        {"colour map specification", 5, 1}, {"x origin", 8, 1},
        {"y origin", 11, 1},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.what);
        Bytes file = tgaFile(1, 1, 24, pixel);
        file[v.offset] = v.value;
        expectRefusedAndUntouched(file);
    }
}

TEST_F(TgaReader, RefusesPixelDepthsOtherThan24And32) {
    for (int depth : {0, 8, 16, 15, 25, 31, 33, 48}) {
        SCOPED_TRACE(depth);
        expectRefusedAndUntouched(tgaFile(1, 1, depth, Bytes(8, 0x55)));
    }
}

TEST_F(TgaReader, RefusesFilesThatEndTooEarly) {
    expectRefusedAndUntouched(Bytes{});
    expectRefusedAndUntouched(Bytes{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1});  // header cut short
    expectRefusedAndUntouched(tgaFile(2, 1, 24, {1, 2, 3, 4, 5}));                  // one byte missing
    expectRefusedAndUntouched(tgaFile(3, 3, 32, Bytes(20, 9)));
    expectRefusedAndUntouched(tgaHeader(1, 1, 24));  // no pixel data at all
}

TEST_F(TgaReader, RefusesAHugeDeclaredSizeWithAShortFile) {
    // 65535 x 65535 x 4 bytes (about 17 GB) declared, a few bytes present.
    expectRefusedAndUntouched(tgaFile(0xFFFF, 0xFFFF, 32, Bytes(64, 1)));
    // Larger than the first read piece, so the buffer has to grow before the end shows.
    expectRefusedAndUntouched(tgaFile(2048, 2048, 24, Bytes(3u << 20, 1)));
}

}  // namespace
