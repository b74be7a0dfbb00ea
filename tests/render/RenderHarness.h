#pragma once

// Runs the real start-up and frame code in a GLUT window (on the tests' own
// Xvfb) and reads each drawn frame back, with the matrices it was drawn with,
// so that tests can check what a person would see.

#include <string>
#include <vector>

#include "math/Vec3.h"
#include "shell/Window.h"
#include "tests/support/TempDirectory.h"
#include "tools/window/FrameReadback.h"

namespace render {

// One frame as drawn, read back before the swap.
struct FrameGrab {
    RgbFrame frame;
    std::vector<float> depth;  // window depth per pixel, rows bottom-up
    double worldView[16] = {};  // camera only: sky box, lightning
    double boardView[16] = {};  // camera and the board's tilt: ground, ball
    double projection[16] = {};
    int viewport[4] = {};
    int displayCall = 0;  // 1 for the first frame drawn since start-up
    unsigned glError = 0;

    bool valid() const { return !frame.empty(); }
    int width() const { return frame.width; }
    int height() const { return frame.height; }
};

struct ScreenPoint {
    double x = 0;     // pixels from the left edge
    double y = 0;     // pixels from the top edge
    double depth = 0;  // window depth, 0 near .. 1 far
    bool onScreen = false;
};

// Projects a point; onBoard applies the board's tilt as the ground and the
// ball are drawn with it.
ScreenPoint project(const FrameGrab& grab, const Vec3& point, bool onBoard = true);

// The world point (untilted frame when onBoard) seen at pixel (x, y from the top),
// from the depth buffer.
Vec3 pointSeenAt(const FrameGrab& grab, int x, int y, bool onBoard = true);

// Window depth at a pixel (1 = nothing drawn there).
float depthAt(const FrameGrab& grab, int x, int y);

// --------------------------------------------------------------- start-up

// Makes a fresh working directory with a pics/ of links to the generated
// images, optionally minus one of them, and goes there; the previous
// directory is restored and the copy removed at the end.
class PicsDirectory {
public:
    explicit PicsDirectory(const std::string& missingFile = "");
    ~PicsDirectory();
    PicsDirectory(const PicsDirectory&) = delete;
    PicsDirectory& operator=(const PicsDirectory&) = delete;

private:
    std::string previousDir_;
    TempDirectory dir_{"orvane-render"};
};

// The ten picture files start-up reads.
const std::vector<std::string>& pictureFiles();

// Runs the real start-up once per process (GLUT cannot be initialised twice)
// in the current working directory, with standard output captured, and
// waits until the window is shown. Returns what start-up printed. Tests call
// it through START_UP_OR_SKIP so that a second test in the same process is
// skipped instead of failing; START_UP_WITH_SESSION_OR_SKIP hands start-up
// session options (a recorder, say) as main does.
bool startUpAlreadyRan();
std::string startUpCapturingOutput(const SessionOptions& session = SessionOptions());

// Sets `session` to record the window's input into `path`, as
// `orvane --record` does. The recorder lasts as long as the process, since
// start-up keeps a pointer to it. False with the reason when the file cannot
// be written.
bool recordInto(const std::string& path, SessionOptions& session, std::string& error);

#define START_UP_OR_SKIP(output) START_UP_WITH_SESSION_OR_SKIP(output, SessionOptions())

#define START_UP_WITH_SESSION_OR_SKIP(output, session)                                     \
    if (::render::startUpAlreadyRan())                                                     \
        GTEST_SKIP() << "start-up runs once per process; run each test on its own (ctest " \
                        "does)";                                                           \
    const std::string output = ::render::startUpCapturingOutput(session)

// Start-up's output split into lines.
std::vector<std::string> linesOf(const std::string& text);

// True when the lines are just the banner: a credit, "Programmed by:" and
// the names.
bool isBannerOnly(const std::vector<std::string>& lines);

// --------------------------------------------------------------- frames

// Frames drawn so far, by idle calls, key handlers and window exposure.
int displayCalls();

// n idle calls with window events processed before each; returns the frame
// drawn by the last one.
FrameGrab runIdleCalls(int n);

// A key press through the real handlers (down, then up); returns the frame
// that the handler drew, or an invalid grab if it drew none.
FrameGrab pressKey(unsigned char key);

// Runs idle calls until more than `milliseconds` of GLUT time have passed.
FrameGrab runIdleCallsFor(int milliseconds);

// Idle calls done since start-up: the step the window's next recorded event
// gets, and the --steps a headless replay of the session needs.
long long idleCallsDone();

// --------------------------------------------------------------- pixels

struct PixelBox {
    int left = 0, top = 0, right = -1, bottom = -1;  // inclusive
    bool empty() const { return right < left || bottom < top; }
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    double centreX() const { return (left + right) / 2.0; }
    double centreY() const { return (top + bottom) / 2.0; }
};

// Pixels whose colour differs between two frames by more than `threshold`
// (sum over the channels), one flag per pixel, rows top-down.
struct Mask {
    int width = 0, height = 0;
    std::vector<unsigned char> set;

    bool at(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height && set[y * width + x];
    }
    int count() const;
    int countIn(const PixelBox& box) const;
    PixelBox bounds() const;
    // Keeps only the pixels inside `box`.
    Mask within(const PixelBox& box) const;
    // Leaves out the pixels inside `box`.
    Mask outside(const PixelBox& box) const;
    // Connected regions (8-neighbourhood), largest first, as pixel counts.
    std::vector<int> componentSizes() const;
    // The connected region that contains (x, y), or the one nearest to it.
    Mask componentNear(double x, double y) const;
};

Mask differences(const FrameGrab& a, const FrameGrab& b, int threshold = 24);

// The frame rate in the top left corner, whose digits follow the clock: two
// frames of the same scene may differ there alone.
constexpr PixelBox kFrameRateText{0, 0, 199, 25};

// Pixels whose depth differs between two frames: what one frame drew that
// the other did not, independent of lighting. (The sky box takes its light
// from the last normal the ball sent, so switching ball layers changes the
// sky's colour but not its depth.)
Mask depthDifferences(const FrameGrab& a, const FrameGrab& b, float threshold = 1e-7f);

// How many pixels of `mask` have a different colour in the two frames.
int colourChangesWithin(const Mask& mask, const FrameGrab& a, const FrameGrab& b, int threshold = 24);

// With ORVANE_RENDER_DUMP set to a directory, writes the frame there as
// NAME.png, to look at when a test fails. Otherwise does nothing.
void dumpFrame(const FrameGrab& grab, const std::string& name);

// Mean of red + green + blue over a box.
double meanBrightness(const FrameGrab& grab, const PixelBox& box);

}  // namespace render
