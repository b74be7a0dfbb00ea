// Start-up with all pictures, and with each one missing in turn: the
// console says exactly which object failed, the rest of the scene is drawn,
// and the frames go on without fault.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "shell/Window.h"
#include "tests/render/RenderHarness.h"
#include "world/World.h"

using namespace render;

namespace {
const char kGroundMessage[] = "fehler beim laden der ground textur";
const char kBallMessage[] = "fehler beim initialisieren der kugel";
const char kSkyboxMessage[] = "fehler beim initialisieren der skybox";
const char kLightningMessage[] = "fehler beim initialisieren des Blitzes";

const char* messageFor(const std::string& file) {
    if (file.rfind("rock_", 0) == 0) return kGroundMessage;
    if (file == "env2.tga") return kBallMessage;
    if (file.rfind("skybox_", 0) == 0) return kSkyboxMessage;
    return kLightningMessage;
}

int row(double y) { return static_cast<int>(std::lround(y)); }

bool onSkyBox(const Vec3& p) {
    const double extent = std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
    return std::fabs(extent - 100.0) < 1.5;
}

// Share of the view above the horizon (clear of the FPS text) whose nearest
// drawn surface satisfies `test`; pixels where nothing is drawn count as
// failing it.
template <typename Test>
double skyShare(const FrameGrab& grab, Test test) {
    const int horizon = row(project(grab, Vec3(0.0, 7.0, -1000.0), false).y);
    int hits = 0, n = 0;
    for (int y = 40; y < horizon - 10; y += 4)
        for (int x = 0; x < grab.width(); x += 4) {
            ++n;
            hits += depthAt(grab, x, y) < 1.0f && test(pointSeenAt(grab, x, y, false));
        }
    return n ? static_cast<double>(hits) / n : 0.0;
}

double skyBoxShare(const FrameGrab& grab) { return skyShare(grab, onSkyBox); }

// The start-up bolt is a square in the plane z = 0 that covers the whole sky.
double boltShare(const FrameGrab& grab) {
    return skyShare(grab, [](const Vec3& p) { return std::fabs(p.z) < 0.05; });
}

// The plate and the platform, seen where they should be.
bool groundSeen(const FrameGrab& grab) {
    const Vec3 points[] = {{-12.0, -0.01, -6.0}, {12.0, -0.01, -6.0}, {-1.7, 1.99, 1.2}};
    for (const Vec3& p : points) {
        const ScreenPoint s = project(grab, p);
        const Vec3 seen = pointSeenAt(grab, row(s.x), row(s.y));
        if (std::fabs(seen.y - p.y) > 0.05) return false;
    }
    return true;
}

int ballPixelCount(const FrameGrab& withBall, const FrameGrab& withoutBall) {
    return depthDifferences(withBall, withoutBall).count();
}

bool particlesFinite() {
    for (const auto& p : windowWorld().ball.particles)
        if (!std::isfinite(p.position.x) || !std::isfinite(p.position.y) ||
            !std::isfinite(p.position.z))
            return false;
    return !windowWorld().ball.particles.empty();
}

struct SceneParts {
    bool ground = true, sky = true, lightning = true;
};

// Runs 300 idle calls and checks, on the way, what is on screen.
void expectSceneOver300Frames(const SceneParts& expected) {
    // The start-up bolt shows for the first 14 frames drawn.
    const FrameGrab early = runIdleCalls(1);
    ASSERT_TRUE(early.valid());
    ASSERT_LE(early.displayCall, 14);
    if (expected.lightning)
        EXPECT_GT(boltShare(early), 0.95) << "the start-up bolt is missing";
    else
        EXPECT_EQ(boltShare(early), 0.0) << "a bolt without its picture";

    const FrameGrab settled = runIdleCalls(29);
    if (expected.sky)
        EXPECT_GT(skyBoxShare(settled), 0.99) << "the sky box is missing";
    else
        EXPECT_EQ(skyBoxShare(settled), 0.0);
    // Without its images the ground has no lists and draws nothing.
    EXPECT_EQ(groundSeen(settled), expected.ground);

    // The ball is always there; without its picture it is built all the same.
    const FrameGrab hidden = pressKey('3');
    pressKey('3');
    EXPECT_GT(ballPixelCount(settled, hidden), 2000) << "the ball is missing";

    const FrameGrab last = runIdleCalls(270);
    EXPECT_EQ(last.glError, static_cast<unsigned>(GL_NO_ERROR));
    EXPECT_TRUE(particlesFinite());
    EXPECT_EQ(groundSeen(last), expected.ground);
    dumpFrame(last, "startup-frame-300");
}
}  // namespace

TEST(StartupPictures, WithAllPicturesOnlyTheBannerIsPrinted) {
    PicsDirectory pics;
    START_UP_OR_SKIP(output);
    const std::vector<std::string> lines = linesOf(output);
    EXPECT_TRUE(isBannerOnly(lines)) << output;
    expectSceneOver300Frames(SceneParts());
}

class StartupWithoutPicture : public testing::TestWithParam<std::string> {};

TEST_P(StartupWithoutPicture, PrintsThatObjectsMessageAndDrawsTheRest) {
    const std::string missing = GetParam();
    PicsDirectory pics(missing);
    START_UP_OR_SKIP(output);

    std::vector<std::string> lines = linesOf(output);
    ASSERT_EQ(lines.size(), 4u) << output;
    EXPECT_EQ(lines[3], messageFor(missing));
    lines.pop_back();
    EXPECT_TRUE(isBannerOnly(lines)) << output;

    SceneParts expected;
    expected.ground = messageFor(missing) != kGroundMessage;
    expected.sky = messageFor(missing) != kSkyboxMessage;
    expected.lightning = messageFor(missing) != kLightningMessage;
    expectSceneOver300Frames(expected);
}

INSTANTIATE_TEST_SUITE_P(EachPicture, StartupWithoutPicture, testing::ValuesIn(pictureFiles()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param.substr(0, info.param.find('.'));
                         });
