#include "tests/render/RenderHarness.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

#include "shell/Window.h"
#include "tests/support/ChildProcess.h"
#include "tools/common/PngWriter.h"
#include "tools/window/WindowSession.h"
#include "world/ScriptRecorder.h"
#include "world/World.h"

namespace render {
namespace {
bool started = false;
int drawnFrames = 0;
bool grabbing = false;
long long idleCallCount = 0;
FrameGrab lastGrab;

void readDepth(FrameGrab& grab) {
    grab.depth.resize(static_cast<std::size_t>(grab.frame.width) * grab.frame.height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(grab.viewport[0], grab.viewport[1], grab.frame.width, grab.frame.height,
                 GL_DEPTH_COMPONENT, GL_FLOAT, grab.depth.data());
}

// The display leaves the camera transform on the model-view stack after its
// overlay; the board's tilt is added the way the frame adds it.
void readMatrices(FrameGrab& grab) {
    glGetDoublev(GL_MODELVIEW_MATRIX, grab.worldView);
    glPushMatrix();
    const Board& board = windowWorld().board;
    glRotatef(board.tiltX, 1.0f, 0.0f, 0.0f);
    glRotatef(board.tiltZ, 0.0f, 0.0f, 1.0f);
    glGetDoublev(GL_MODELVIEW_MATRIX, grab.boardView);
    glPopMatrix();
    glGetDoublev(GL_PROJECTION_MATRIX, grab.projection);
    glGetIntegerv(GL_VIEWPORT, grab.viewport);
}

void grabFrame() {
    ++drawnFrames;
    if (!grabbing) return;
    FrameGrab grab;
    grab.displayCall = drawnFrames;
    grab.glError = glGetError();
    while (glGetError() != GL_NO_ERROR) {
    }
    readMatrices(grab);
    grab.frame = readBackBuffer();
    readDepth(grab);
    lastGrab = std::move(grab);
}

const double* viewOf(const FrameGrab& grab, bool onBoard) {
    return onBoard ? grab.boardView : grab.worldView;
}
}  // namespace

ScreenPoint project(const FrameGrab& grab, const Vec3& point, bool onBoard) {
    double wx = 0, wy = 0, wz = 0;
    ScreenPoint result;
    if (gluProject(point.x, point.y, point.z, viewOf(grab, onBoard), grab.projection,
                   grab.viewport, &wx, &wy, &wz) != GL_TRUE)
        return result;
    // Window coordinates put pixel i between i and i + 1; we count pixel centres.
    result.x = wx - 0.5;
    result.y = grab.viewport[3] - wy - 0.5;
    result.depth = wz;
    result.onScreen = wz > 0.0 && wz < 1.0 && result.x >= 0 && result.y >= 0 &&
                      result.x <= grab.width() - 1 && result.y <= grab.height() - 1;
    return result;
}

float depthAt(const FrameGrab& grab, int x, int y) {
    if (x < 0 || y < 0 || x >= grab.width() || y >= grab.height()) return 1.0f;
    return grab.depth[static_cast<std::size_t>(grab.height() - 1 - y) * grab.width() + x];
}

Vec3 pointSeenAt(const FrameGrab& grab, int x, int y, bool onBoard) {
    double ox = 0, oy = 0, oz = 0;
    gluUnProject(x + 0.5, grab.height() - 1 - y + 0.5, depthAt(grab, x, y),
                 viewOf(grab, onBoard), grab.projection, grab.viewport, &ox, &oy, &oz);
    return Vec3(ox, oy, oz);
}

const std::vector<std::string>& pictureFiles() {
    static const std::vector<std::string> files = {
        "rock_texture.tga", "rock_normal.tga", "env2.tga",     "skybox_0.tga", "skybox_1.tga",
        "skybox_2.tga",     "skybox_3.tga",    "skybox_4.tga", "skybox_5.tga", "lightning2.tga"};
    return files;
}

PicsDirectory::PicsDirectory(const std::string& missingFile) {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd)) previousDir_ = cwd;
    if (!dir_.valid()) {
        ADD_FAILURE() << "cannot make a temporary directory";
        return;
    }
    const std::string pics = dir_.file("pics");
    mkdir(pics.c_str(), 0700);
    for (const std::string& file : pictureFiles()) {
        if (file == missingFile) continue;
        const std::string target = std::string(ORVANE_BINARY_DIR) + "/pics/" + file;
        const std::string link = pics + "/" + file;
        if (symlink(target.c_str(), link.c_str()) != 0) ADD_FAILURE() << "cannot link " << link;
    }
    if (chdir(dir_.path().c_str()) != 0) ADD_FAILURE() << "cannot enter " << dir_.path();
}

// The links and the directory go with dir_.
PicsDirectory::~PicsDirectory() {
    if (!previousDir_.empty() && chdir(previousDir_.c_str()) != 0) ADD_FAILURE() << "cannot go back to " << previousDir_;
}

bool startUpAlreadyRan() { return started; }

bool recordInto(const std::string& path, SessionOptions& session, std::string& error) {
    static ScriptRecorder recorder;
    if (!recorder.open(path, error)) return false;
    session.recorder = &recorder;
    return true;
}

std::string startUpCapturingOutput(const SessionOptions& session) {
    started = true;

    std::FILE* outputFile = std::tmpfile();
    if (!outputFile) {
        ADD_FAILURE() << "cannot make a file for start-up's output";
        return std::string();
    }
    const int outputFd = fileno(outputFile);
    std::fflush(stdout);
    const int savedStdout = dup(1);
    dup2(outputFd, 1);

    static char programName[] = "orvane_render_tests";
    static char* argv[] = {programName, nullptr};
    static int argc = 1;
    startUpDriven(&argc, argv, session);
    windowHooks().frameDrawn = grabFrame;

    std::fflush(stdout);
    dup2(savedStdout, 1);
    close(savedStdout);
    const std::string output = readAll(outputFd);
    std::fclose(outputFile);

    if (!waitUntilShown()) ADD_FAILURE() << "the window was not shown within 10 s";
    return output;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool isBannerOnly(const std::vector<std::string>& lines) {
    return lines.size() == 3 && !lines[0].empty() && lines[1] == "Programmed by:" &&
           !lines[2].empty();
}

int displayCalls() { return drawnFrames; }

FrameGrab runIdleCalls(int n) {
    for (int i = 0; i < n; ++i) {
        pumpWindowEvents();
        grabbing = i == n - 1;
        idle();
        ++idleCallCount;
        grabbing = false;
    }
    return lastGrab;
}

FrameGrab runIdleCallsFor(int milliseconds) {
    const int start = glutGet(GLUT_ELAPSED_TIME);
    while (glutGet(GLUT_ELAPSED_TIME) - start <= milliseconds) runIdleCalls(1);
    return runIdleCalls(1);
}

long long idleCallsDone() { return idleCallCount; }

FrameGrab pressKey(unsigned char key) {
    const int before = drawnFrames;
    grabbing = true;
    windowKeyDown(key, 0, 0);
    windowKeyUp(key, 0, 0);
    grabbing = false;
    return drawnFrames == before ? FrameGrab() : lastGrab;
}

int Mask::count() const {
    int n = 0;
    for (unsigned char v : set) n += v;
    return n;
}

int Mask::countIn(const PixelBox& box) const {
    int n = 0;
    for (int y = box.top; y <= box.bottom; ++y)
        for (int x = box.left; x <= box.right; ++x) n += at(x, y);
    return n;
}

PixelBox Mask::bounds() const {
    PixelBox box{width, height, -1, -1};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (set[y * width + x]) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

Mask Mask::within(const PixelBox& box) const {
    Mask result = *this;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (x < box.left || x > box.right || y < box.top || y > box.bottom)
                result.set[y * width + x] = 0;
    return result;
}

Mask Mask::outside(const PixelBox& box) const {
    Mask result = *this;
    for (int y = std::max(box.top, 0); y <= std::min(box.bottom, height - 1); ++y)
        for (int x = std::max(box.left, 0); x <= std::min(box.right, width - 1); ++x) result.set[y * width + x] = 0;
    return result;
}

namespace {
// Labels the connected regions; returns the label per pixel (0 = not set).
std::vector<int> labelComponents(const Mask& mask, std::vector<int>& sizes) {
    std::vector<int> label(mask.set.size(), 0);
    std::vector<int> stack;
    sizes.assign(1, 0);
    for (int start = 0; start < static_cast<int>(mask.set.size()); ++start) {
        if (!mask.set[start] || label[start]) continue;
        const int id = static_cast<int>(sizes.size());
        sizes.push_back(0);
        label[start] = id;
        stack.push_back(start);
        while (!stack.empty()) {
            const int p = stack.back();
            stack.pop_back();
            ++sizes[id];
            const int px = p % mask.width;
            const int py = p / mask.width;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = px + dx;
                    const int ny = py + dy;
                    if (!mask.at(nx, ny)) continue;
                    const int q = ny * mask.width + nx;
                    if (label[q]) continue;
                    label[q] = id;
                    stack.push_back(q);
                }
        }
    }
    return label;
}
}  // namespace

std::vector<int> Mask::componentSizes() const {
    std::vector<int> sizes;
    labelComponents(*this, sizes);
    sizes.erase(sizes.begin());
    std::sort(sizes.rbegin(), sizes.rend());
    return sizes;
}

Mask Mask::componentNear(double x, double y) const {
    std::vector<int> sizes;
    const std::vector<int> label = labelComponents(*this, sizes);
    int best = 0;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int py = 0; py < height; ++py)
        for (int px = 0; px < width; ++px) {
            const int id = label[py * width + px];
            if (!id) continue;
            const double d = (px - x) * (px - x) + (py - y) * (py - y);
            if (d < bestDistance) {
                bestDistance = d;
                best = id;
            }
        }
    Mask result = *this;
    for (std::size_t i = 0; i < result.set.size(); ++i) result.set[i] = best && label[i] == best;
    return result;
}

namespace {
// The pixels where `differs(x, y)` holds; frames of different sizes fail.
template <typename Differs>
Mask maskOfDifferences(const FrameGrab& a, const FrameGrab& b, Differs differs) {
    Mask mask;
    mask.width = a.width();
    mask.height = a.height();
    mask.set.assign(static_cast<std::size_t>(mask.width) * mask.height, 0);
    if (a.width() != b.width() || a.height() != b.height()) {
        ADD_FAILURE() << "frames of different sizes";
        return mask;
    }
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x) mask.set[y * mask.width + x] = differs(x, y);
    return mask;
}
}  // namespace

Mask differences(const FrameGrab& a, const FrameGrab& b, int threshold) {
    return maskOfDifferences(a, b, [&](int x, int y) {
        const unsigned char* p = a.frame.at(x, y);
        const unsigned char* q = b.frame.at(x, y);
        return std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > threshold;
    });
}

Mask depthDifferences(const FrameGrab& a, const FrameGrab& b, float threshold) {
    return maskOfDifferences(
        a, b, [&](int x, int y) { return std::fabs(depthAt(a, x, y) - depthAt(b, x, y)) > threshold; });
}

int colourChangesWithin(const Mask& mask, const FrameGrab& a, const FrameGrab& b, int threshold) {
    const Mask colours = differences(a, b, threshold);
    int n = 0;
    for (std::size_t i = 0; i < mask.set.size(); ++i) n += mask.set[i] && colours.set[i];
    return n;
}

void dumpFrame(const FrameGrab& grab, const std::string& name) {
    const char* dir = std::getenv("ORVANE_RENDER_DUMP");
    if (!dir || !*dir || !grab.valid()) return;
    std::string error;
    if (!writeRgbPngBottomUp(std::string(dir) + "/" + name + ".png", grab.width(), grab.height(),
                             grab.frame.pixels.data(), error))
        ADD_FAILURE() << error;
}

double meanBrightness(const FrameGrab& grab, const PixelBox& box) {
    double sum = 0;
    int n = 0;
    for (int y = box.top; y <= box.bottom; ++y)
        for (int x = box.left; x <= box.right; ++x) {
            const unsigned char* p = grab.frame.at(x, y);
            sum += p[0] + p[1] + p[2];
            ++n;
        }
    return n ? sum / n : 0.0;
}

}  // namespace render
