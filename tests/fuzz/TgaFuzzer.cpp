// libFuzzer target: loadTga on arbitrary bytes. The reader takes a path, so
// the input goes into an in-memory file first.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/TextureImage.h"

namespace {
int memoryFile() {
    static int fd = memfd_create("tga-fuzz", 0);
    if (fd < 0) {
        std::perror("memfd_create");
        std::abort();
    }
    return fd;
}

void writeInput(int fd, const std::uint8_t* data, std::size_t size) {
    if (ftruncate(fd, 0) != 0 || lseek(fd, 0, SEEK_SET) != 0) std::abort();
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n <= 0) std::abort();
        done += static_cast<std::size_t>(n);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = memoryFile();
    writeInput(fd, data, size);
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);

    TextureImage image;
    image.width = 77;  // a refused file must leave the record exactly as it was
    const bool ok = loadTga(image, path);
    if (!ok) {
        if (image.width != 77 || image.height != 0 || image.pixels || image.components != 0) std::abort();
        image.width = 0;
        return 0;
    }
    if (image.components != 3 && image.components != 4) std::abort();
    if (image.width < 0 || image.height < 0) std::abort();
    const std::size_t bytes = static_cast<std::size_t>(image.width) * image.height * image.components;
    if (bytes + 18 > size) std::abort();  // never more pixels than the file holds
    // Touch every pixel so the sanitizer sees any short buffer.
    unsigned sum = 0;
    for (std::size_t i = 0; i < bytes; ++i) sum += image.pixels[i];
    return static_cast<int>(sum & 0);
}
