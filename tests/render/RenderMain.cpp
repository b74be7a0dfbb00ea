// The rendering tests' entry point: a display first (our own Xvfb unless
// DISPLAY is set), then the tests.
#include <gtest/gtest.h>

#include <cstdio>

#include "tools/window/HeadlessDisplay.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (as test discovery does) needs no display.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    static HeadlessDisplay display;
    if (!display.start()) {
        std::fprintf(stderr, "orvane_render_tests: no display: %s\n", display.error().c_str());
        return 1;
    }
    return RUN_ALL_TESTS();
}
