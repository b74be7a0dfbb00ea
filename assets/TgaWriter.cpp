#include "assets/TgaWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

bool fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

std::string systemReason() { return std::strerror(errno); }

void putLittleEndian16(unsigned char* at, int value) {
    at[0] = static_cast<unsigned char>(value & 0xFF);
    at[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}

void fillHeader(unsigned char header[18], int width, int height, int components) {
    std::memset(header, 0, 18);
    header[2] = 2;  // uncompressed true colour
    putLittleEndian16(header + 12, width);
    putLittleEndian16(header + 14, height);
    header[16] = static_cast<unsigned char>(components * 8);
    header[17] = components == 4 ? 8 : 0;  // alpha bits; origin bits stay 0
}

// One stored row in the file's blue-green-red(-alpha) order.
void toFileOrder(const unsigned char* rgb, unsigned char* out, int width, int components) {
    for (int x = 0; x < width; ++x) {
        const unsigned char* in = rgb + x * components;
        unsigned char* to = out + x * components;
        to[0] = in[2];
        to[1] = in[1];
        to[2] = in[0];
        if (components == 4) to[3] = in[3];
    }
}

bool writeRows(std::FILE* file, int width, int height, int components, const unsigned char* pixels) {
    if (width == 0 || height == 0) return true;  // no pixels at all
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * components);
    for (int y = 0; y < height; ++y) {
        toFileOrder(pixels + static_cast<std::size_t>(y) * row.size(), row.data(), width, components);
        if (std::fwrite(row.data(), 1, row.size(), file) != row.size()) return false;
    }
    return true;
}

// Leaves no half-written picture behind; device nodes and the like are not ours to remove.
void removeHalfWrittenFile(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(path, ignored)) std::filesystem::remove(path, ignored);
}

}  // namespace

bool writeTga(const std::string& path, int width, int height, int components,
              const unsigned char* pixels, std::string* error) {
    if (error) error->clear();
    if (width < 0 || width > 0xFFFF || height < 0 || height > 0xFFFF)
        return fail(error, path + ": image size " + std::to_string(width) + "x" +
                               std::to_string(height) + " does not fit a TGA header");
    if (components != 3 && components != 4)
        return fail(error, path + ": " + std::to_string(components) + " components per pixel (need 3 or 4)");
    if (!pixels && width > 0 && height > 0) return fail(error, path + ": no pixel data");

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return fail(error, "cannot open " + path + " for writing: " + systemReason());

    unsigned char header[18];
    fillHeader(header, width, height, components);
    bool written = std::fwrite(header, 1, sizeof header, file) == sizeof header &&
                   writeRows(file, width, height, components, pixels);
    std::string reason = written ? std::string() : systemReason();
    if (std::fclose(file) != 0 && written) {
        written = false;
        reason = systemReason();
    }
    if (!written) {
        removeHalfWrittenFile(path);
        return fail(error, "cannot write " + path + ": " + reason);
    }
    return true;
}
