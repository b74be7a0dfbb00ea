#pragma once

#include <string>

// Writes 8-bit images as PNG files. Each returns false with a one-line
// reason in `error` (file or encoder failure) and leaves no file behind.

// RGB rows bottom-up, as glReadPixels returns them, stored top-down as image
// viewers expect.
bool writeRgbPngBottomUp(const std::string& path, int width, int height,
                         const unsigned char* rgb, std::string& error);

// RGBA rows top-down, with straight (not premultiplied) alpha.
bool writeRgbaPng(const std::string& path, int width, int height, const unsigned char* rgba, std::string& error);
