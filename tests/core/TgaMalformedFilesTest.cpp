// The reader against the malformed kinds of file that the fuzzer is seeded
// with, plus paths that are not regular files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>

#include "assets/TextureImage.h"
#include "tests/support/TempDirectory.h"
#include "tests/fuzz/TgaCases.h"

namespace {
void expectUntouched(const TextureImage& image) {
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.height, 0);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.components, 0);
}
}  // namespace

TEST(TgaMalformedFiles, EveryKnownCaseGivesItsExpectedResult) {
    TempDirectory dir;
    for (const TgaCase& c : tgaCases()) {
        SCOPED_TRACE(c.name);
        TextureImage image;
        const bool ok = loadTga(image, dir.writeBytes(c.name + ".tga", c.bytes).c_str());
        ASSERT_EQ(ok, c.accepted);
        if (!ok) {
            expectUntouched(image);
            continue;
        }
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        EXPECT_EQ(image.components, c.components);
        const std::size_t bytes = static_cast<std::size_t>(c.width) * c.height * c.components;
        for (std::size_t i = 0; i + 2 < bytes; i += c.components) {
            // Blue and red exchanged, green (and alpha) in place.
            EXPECT_EQ(image.pixels[i], c.bytes[18 + i + 2]);
            EXPECT_EQ(image.pixels[i + 1], c.bytes[18 + i + 1]);
            EXPECT_EQ(image.pixels[i + 2], c.bytes[18 + i]);
        }
    }
}

TEST(TgaMalformedFiles, PathsThatAreNotRegularFilesAreRefused) {
    TempDirectory dir;
    TextureImage image;
    EXPECT_FALSE(loadTga(image, nullptr));
    EXPECT_FALSE(loadTga(image, ""));
    EXPECT_FALSE(loadTga(image, dir.path().c_str()));
    EXPECT_FALSE(loadTga(image, (dir.path() + "/missing.tga").c_str()));
    expectUntouched(image);
}

TEST(TgaMalformedFiles, FifoIsRefusedWithoutWaitingForAWriter) {
    TempDirectory dir;
    const std::string fifo = dir.path() + "/pipe.tga";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto result = std::async(std::launch::async, [&] {
        TextureImage image;
        return loadTga(image, fifo.c_str());
    });
    const bool finished = result.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!finished) {
        // Unblock the reader so the test can end, then fail.
        const int fd = open(fifo.c_str(), O_WRONLY);
        if (fd >= 0) close(fd);
    }
    ASSERT_TRUE(finished) << "loadTga blocked on a FIFO";
    EXPECT_FALSE(result.get());
}
