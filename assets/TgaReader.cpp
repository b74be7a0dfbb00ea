#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include <sys/stat.h>

#include "assets/TextureImage.h"

TextureImage::~TextureImage() {
    delete[] pixels;
    pixels = nullptr;
}

namespace {

// No identification field, no colour map, type 2 (uncompressed true colour),
// an all-zero colour map specification and origin (0, 0).
constexpr unsigned char kFixedHeader[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// Pixel data is read in pieces that grow with what the file really holds, so
// a header that declares gigabytes in front of a few bytes costs no more
// memory than the bytes that are there.
constexpr std::size_t kFirstChunk = std::size_t(1) << 20;

class File {
public:
    explicit File(const char* path) : handle_(std::fopen(path, "rb")) {}
    ~File() {
        if (handle_) std::fclose(handle_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool isOpen() const { return handle_ != nullptr; }
    // True only when exactly `count` bytes arrived (a directory gives none).
    bool readAll(unsigned char* into, std::size_t count) {
        return std::fread(into, 1, count, handle_) == count;
    }

private:
    std::FILE* handle_;
};

struct PixelBuffer {
    unsigned char* bytes = nullptr;
    std::size_t capacity = 0;

    PixelBuffer() = default;
    ~PixelBuffer() { delete[] bytes; }
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;

    bool growTo(std::size_t newCapacity, std::size_t used) {
        unsigned char* grown = new (std::nothrow) unsigned char[newCapacity];
        if (!grown) return false;
        if (used > 0) std::memcpy(grown, bytes, used);
        delete[] bytes;
        bytes = grown;
        capacity = newCapacity;
        return true;
    }

    unsigned char* release() {
        unsigned char* out = bytes;
        bytes = nullptr;
        capacity = 0;
        return out;
    }
};

// Reads exactly `total` bytes into `buffer`, whose final capacity is `total`.
bool readPixelData(File& file, PixelBuffer& buffer, std::size_t total) {
    std::size_t used = 0;
    while (used < total) {
        if (used == buffer.capacity) {
            const std::size_t doubled = buffer.capacity == 0 ? kFirstChunk : buffer.capacity * 2;
            if (!buffer.growTo(doubled < total ? doubled : total, used)) return false;
        }
        const std::size_t piece = buffer.capacity - used;
        if (!file.readAll(buffer.bytes + used, piece)) return false;
        used += piece;
    }
    return true;
}

// Opening a FIFO for reading waits for a writer, and a device may never end:
// only regular files are images. (A directory opens on Linux; its first read
// fails, which the header check catches as well.)
bool isRegularFile(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

void swapBlueAndRed(unsigned char* pixels, std::size_t total, std::size_t bytesPerPixel) {
    for (std::size_t i = 0; i < total; i += bytesPerPixel) {
        const unsigned char blue = pixels[i];
        pixels[i] = pixels[i + 2];
        pixels[i + 2] = blue;
    }
}

}  // namespace

// A 0x0 image is accepted and leaves the record without a pixel buffer
// (`pixels` null, any earlier buffer released).
bool loadTga(TextureImage& image, const char* path) {
    if (!path || !isRegularFile(path)) return false;
    File file(path);
    if (!file.isOpen()) return false;

    unsigned char header[18];
    if (!file.readAll(header, sizeof header)) return false;
    if (std::memcmp(header, kFixedHeader, sizeof kFixedHeader) != 0) return false;

    const std::int32_t width = header[12] + 256 * header[13];
    const std::int32_t height = header[14] + 256 * header[15];
    const unsigned depth = header[16];
    if (depth != 24 && depth != 32) return false;
    const std::size_t bytesPerPixel = depth / 8;

    const std::uint64_t total64 = std::uint64_t(width) * std::uint64_t(height) * bytesPerPixel;
    if (total64 > SIZE_MAX) return false;
    const std::size_t total = std::size_t(total64);

    PixelBuffer buffer;
    if (!readPixelData(file, buffer, total)) return false;
    swapBlueAndRed(buffer.bytes, total, bytesPerPixel);

    delete[] image.pixels;
    image.pixels = buffer.release();
    image.width = width;
    image.height = height;
    image.components = bytesPerPixel == 3 ? 3 : 4;
    return true;
}
