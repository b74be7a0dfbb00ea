#pragma once

#include <string>

// Writes an 8-bit RGB image as a PNG file. The rows come bottom-up, as
// glReadPixels returns them, and are stored top-down as image viewers expect.
// Returns false with a one-line reason in `error` (file or encoder failure).
bool writeRgbPngBottomUp(const std::string& path, int width, int height,
                         const unsigned char* rgb, std::string& error);
