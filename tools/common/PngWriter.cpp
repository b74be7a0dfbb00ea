#include "tools/common/PngWriter.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <png.h>
#include <vector>

namespace {
struct PngFailure {
    std::jmp_buf jump;
    std::string message;
};

void onPngError(png_structp png, png_const_charp message) {
    auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    failure->message = message;
    std::longjmp(failure->jump, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// Everything that longjmp may skip lives in the caller, so no C++ object with
// a destructor is left half-way in this frame.
bool encode(std::FILE* file, int width, int height, int colourType, const std::vector<png_bytep>& rows,
            PngFailure& failure) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, onPngError,
                                              onPngWarning);
    if (!png) {
        failure.message = "out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        failure.message = "out of memory";
        return false;
    }
    if (setjmp(failure.jump)) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(rows.data()));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
bool writePng(const std::string& path, int width, int height, int colourType, const std::vector<png_bytep>& rows,
              std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    PngFailure failure;
    const bool encoded = encode(file, width, height, colourType, rows, failure);
    const bool flushed = std::fflush(file) == 0;
    const int flushErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!encoded) {
        error = path + ": " + failure.message;
    } else if (!flushed || !closed) {
        error = path + ": " + std::strerror(flushErrno);
    } else {
        return true;
    }
    std::remove(path.c_str());
    return false;
}

bool hasPixels(const std::string& path, int width, int height, const unsigned char* pixels, std::string& error) {
    if (width > 0 && height > 0 && pixels) return true;
    error = path + ": no image to write (" + std::to_string(width) + "x" + std::to_string(height) + ")";
    return false;
}
}  // namespace

bool writeRgbPngBottomUp(const std::string& path, int width, int height,
                         const unsigned char* rgb, std::string& error) {
    if (!hasPixels(path, width, height, rgb, error)) return false;
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    const size_t stride = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] =
            const_cast<png_bytep>(rgb + stride * static_cast<size_t>(height - 1 - y));
    return writePng(path, width, height, PNG_COLOR_TYPE_RGB, rows, error);
}

bool writeRgbaPng(const std::string& path, int width, int height, const unsigned char* rgba, std::string& error) {
    if (!hasPixels(path, width, height, rgba, error)) return false;
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    const size_t stride = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y) rows[static_cast<size_t>(y)] = const_cast<png_bytep>(rgba + stride * y);
    return writePng(path, width, height, PNG_COLOR_TYPE_RGB_ALPHA, rows, error);
}
