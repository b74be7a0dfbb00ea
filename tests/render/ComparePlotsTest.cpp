// Compare mode in the study panel's plots, read back from the window: with
// B's skin stiffer than A's (as `orvane --compare surfaceStiffness=20` starts it), each
// plot draws B's series beside A's, dashed and paler, and a plot of how far
// apart the two are follows; turned off on the panel, B's series and that
// plot are gone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "shell/Window.h"
#include "tests/render/DrivenWindow.h"
#include "tests/render/PanelOnScreen.h"
#include "tests/render/RenderHarness.h"
#include "tools/window/WindowSession.h"
#include "world/Session.h"
#include "world/Settings.h"
#include "world/World.h"

using namespace render;

namespace {
const char* const kHeightPlot = "height of the ball's centre (m)";
const char* const kApartPlot = "A and B apart (m between their centres of mass)";

struct Colour {
    double r, g, b;
};

// The plots' series colours, as the panel draws A's (opaque).
constexpr Colour kCentreHeight = {200, 180, 255};
constexpr Colour kSeparation = {255, 170, 60};
constexpr Colour kPlotFrame = {160, 160, 180};

Colour colourAt(const FrameGrab& grab, int x, int y) {
    const unsigned char* p = grab.frame.at(x, y);
    return {static_cast<double>(p[0]), static_cast<double>(p[1]), static_cast<double>(p[2])};
}

bool near(const Colour& a, const Colour& b, double tolerance) {
    return std::fabs(a.r - b.r) <= tolerance && std::fabs(a.g - b.g) <= tolerance && std::fabs(a.b - b.b) <= tolerance;
}

// B's colour: A's made paler, drawn at 80% over what lies beneath.
Colour bOver(const Colour& a, const Colour& beneath) {
    const auto paler = [](double channel) { return std::floor((0.5 + channel / 255.0 * 0.5) * 255.0 + 0.5); };
    const double alpha = 204.0 / 255.0;
    return {paler(a.r) * alpha + beneath.r * (1 - alpha), paler(a.g) * alpha + beneath.g * (1 - alpha),
            paler(a.b) * alpha + beneath.b * (1 - alpha)};
}

// The inside of the plot frame under a plot's title, found by the frame's
// colour straight down from the title; empty if it is cut off.
PixelBox plotUnder(const FrameGrab& grab, const ShownText& title) {
    const int x = title.box.left + 120;
    int top = -1, bottom = -1;
    for (int y = title.box.bottom + 1; y <= title.clip.bottom && y < grab.height(); ++y) {
        if (!near(colourAt(grab, x, y), kPlotFrame, 2)) continue;
        if (top < 0) {
            top = y;
        } else if (y > top + 1) {
            bottom = y;
            break;
        }
    }
    if (bottom < 0) return PixelBox();
    int left = x, right = x;
    while (left > 0 && near(colourAt(grab, left - 1, top), kPlotFrame, 2)) --left;
    while (right + 1 < grab.width() && near(colourAt(grab, right + 1, top), kPlotFrame, 2)) ++right;
    return {left + 1, top + 1, right - 1, bottom - 1};
}

// The colour most of the box has: the plot's background.
Colour commonest(const FrameGrab& grab, const PixelBox& box) {
    std::map<unsigned, int> counts;
    for (int y = box.top; y <= box.bottom; ++y) {
        for (int x = box.left; x <= box.right; ++x) {
            const unsigned char* p = grab.frame.at(x, y);
            ++counts[(p[0] << 16) | (p[1] << 8) | p[2]];
        }
    }
    unsigned best = 0;
    int most = 0;
    for (const auto& [colour, count] : counts) {
        if (count > most) best = colour, most = count;
    }
    return {static_cast<double>(best >> 16), static_cast<double>((best >> 8) & 255), static_cast<double>(best & 255)};
}

// Where a plot's series of colour `a` is drawn for B: over the background
// or over A's own line.
struct SeriesOfB {
    int pixels = 0;
    int columns = 0;       // with a pixel of B's
    int emptyColumns = 0;  // without, between B's first and last
    int dashes = 0;        // runs of columns with B's pixels
    int longestDash = 0;   // in columns
};

SeriesOfB seriesOfB(const FrameGrab& grab, const PixelBox& plot, const Colour& a) {
    constexpr double kTolerance = 6;
    const Colour background = commonest(grab, plot);
    const Colour overBackground = bOver(a, background), overA = bOver(a, a);
    SeriesOfB found;
    int first = -1, last = -1, run = 0;
    std::vector<bool> drawn(static_cast<std::size_t>(plot.width()), false);
    for (int x = plot.left; x <= plot.right; ++x) {
        for (int y = plot.top; y <= plot.bottom; ++y) {
            const Colour c = colourAt(grab, x, y);
            if (!near(c, overBackground, kTolerance) && !near(c, overA, kTolerance)) continue;
            ++found.pixels;
            drawn[static_cast<std::size_t>(x - plot.left)] = true;
        }
    }
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        if (!drawn[i]) continue;
        if (first < 0) first = static_cast<int>(i);
        last = static_cast<int>(i);
    }
    for (int i = first; first >= 0 && i <= last; ++i) {
        if (drawn[static_cast<std::size_t>(i)]) {
            ++found.columns;
            if (run++ == 0) ++found.dashes;
            found.longestDash = std::max(found.longestDash, run);
        } else {
            ++found.emptyColumns;
            run = 0;
        }
    }
    return found;
}

int pixelsOf(const FrameGrab& grab, const PixelBox& box, const Colour& colour) {
    int count = 0;
    for (int y = box.top; y <= box.bottom; ++y) {
        for (int x = box.left; x <= box.right; ++x) count += near(colourAt(grab, x, y), colour, 0) ? 1 : 0;
    }
    return count;
}

// Scrolls the panel until the plot under `title` shows whole; returns the
// frame and the plot's inside in it.
bool bringPlotIntoView(PanelUser& user, TracedWindow& traced, const std::string& title, FrameGrab& grab,
                       PixelBox& plot) {
    constexpr int kMostNotches = 10;
    for (int notch = 0; notch <= kMostNotches; ++notch) {
        ShownText shown;
        if (!user.bringIntoView(title, shown)) return false;
        grab = traced.idle();  // the texts and the pixels of one frame
        const std::vector<ShownText> texts = shownTexts();
        const ShownText* now = findShown(texts, title);
        if (!now || !now->whole) continue;
        plot = plotUnder(grab, *now);
        if (!plot.empty()) return true;
        user.turnWheel(1);
    }
    return false;
}
}  // namespace

TEST(ComparePlots, BsSeriesAreDashedAndPalerBesideAsAndTheirSeparationIsPlotted) {
    PicsDirectory pics;
    SessionOptions session;
    ASSERT_EQ(readCompareOption("surfaceStiffness=20", session.startEvents), "");
    START_UP_WITH_SESSION_OR_SKIP(output, session);
    const unsigned long window = nativeWindowId();
    ASSERT_NE(window, 0u);
    TracedWindow traced;
    const World& world = windowSession().present();
    ASSERT_TRUE(world.compare);

    // The plots gather a sample a step while the panel is shown: A and B
    // fall together, and part once they touch down.
    PanelUser user(traced, window, 600, 300);
    traced.play(Actions(window).key("Tab"));
    ASSERT_TRUE(user.waitUntil([] { return !shownTexts().empty(); })) << "the panel never showed";
    traced.untilTheBallRests();
    traced.play(Actions(window).key("p"));
    ASSERT_TRUE(user.waitUntil([&world] { return world.run.paused; }));

    ShownText compare;
    ASSERT_TRUE(user.bringIntoView("Compare", compare));
    user.travelTo(compare.centreX(), compare.centreY());  // over the panel, for the wheel
    FrameGrab grab;
    PixelBox plot;
    ASSERT_TRUE(bringPlotIntoView(user, traced, kHeightPlot, grab, plot));
    dumpFrame(grab, "compare-plots-height");
    const SeriesOfB b = seriesOfB(grab, plot, kCentreHeight);
    EXPECT_GT(b.pixels, 100) << "B's centre height in its paler colour";
    EXPECT_GT(b.dashes, 20) << "B's line is dashed";
    EXPECT_LE(b.longestDash, 6);
    EXPECT_GT(b.emptyColumns, b.columns / 3) << "dashes with gaps between them";
    EXPECT_GT(pixelsOf(grab, plot, kCentreHeight), 50) << "A's own line, solid, beside it";

    ASSERT_TRUE(bringPlotIntoView(user, traced, kApartPlot, grab, plot));
    dumpFrame(grab, "compare-plots-apart");
    EXPECT_GT(pixelsOf(grab, plot, kSeparation), 50) << "the separation drawn";

    // Compare mode off on the panel: B's series and the separation go.
    ASSERT_TRUE(user.clickOn("Compare", true));
    ASSERT_TRUE(user.clickOn("a second ball, B, the orange ghost"));
    ASSERT_FALSE(world.compare);
    ASSERT_TRUE(bringPlotIntoView(user, traced, kHeightPlot, grab, plot));
    user.turnWheel(10);  // to the panel's end
    ASSERT_TRUE(bringPlotIntoView(user, traced, kHeightPlot, grab, plot));
    dumpFrame(grab, "compare-plots-off");
    EXPECT_EQ(seriesOfB(grab, plot, kCentreHeight).pixels, 0);
    EXPECT_GT(pixelsOf(grab, plot, kCentreHeight), 50);
    const std::vector<ShownText> texts = shownTexts();
    EXPECT_EQ(findShown(texts, kApartPlot), nullptr);
    EXPECT_EQ(findShown(texts, "dashed: B"), nullptr);
}
