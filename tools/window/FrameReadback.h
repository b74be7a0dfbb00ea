#pragma once

#include <cstddef>
#include <vector>

// The frame as glReadPixels returns it: 8-bit RGB, rows bottom-up.
struct RgbFrame {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;

    bool empty() const { return pixels.empty(); }
    // Pixel (x, y) counted from the top-left corner, as on screen.
    const unsigned char* at(int x, int yFromTop) const {
        return pixels.data() + (static_cast<std::size_t>(height - 1 - yFromTop) * width + x) * 3;
    }
};

// Reads the back buffer at the size of the current viewport. Call it after
// the frame is drawn and before the buffers are swapped.
RgbFrame readBackBuffer();
