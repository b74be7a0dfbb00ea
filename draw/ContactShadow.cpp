#include "draw/ContactShadow.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "ball/SoftBall.h"
#include "draw/Gl.h"
#include "math/Constants.h"
#include "scene/Contact.h"

namespace {
// A ball whose lowest point is this many radii above a top casts nothing on it.
constexpr double kFadeHeightInRadii = 3.0;
// The blob's radius as a share of the ball's own half-width in x and z: wide
// enough when it touches to show round the ball from the usual low camera,
// wider and fainter higher up.
constexpr double kRadiusAtContact = 1.7;
constexpr double kRadiusGrowthToFade = 0.9;
// Above the top as drawn: the plate and the platform lie 0.01 below their
// contact surfaces, the ramp on its own.
constexpr double kLiftAboveTop = 0.01;
constexpr int kBlobRings = 6;
constexpr int kBlobSegments = 32;

struct BallSpread {
    double centreX, centreY, centreZ;
    double halfWidth;  // the farthest surface point from the centre, in x and z
};

BallSpread spreadOf(const SoftBall& ball) {
    const Vec3& c = ball.particles[ball.centreIndex()].position;
    double farthestSquared = 0.0;
    for (int i = 0; i < ball.centreIndex(); ++i) {
        const Vec3& p = ball.particles[i].position;
        farthestSquared = std::max(farthestSquared, (p.x - c.x) * (p.x - c.x) + (p.z - c.z) * (p.z - c.z));
    }
    return {c.x, c.y, c.z, std::sqrt(farthestSquared)};
}

// How far the ball's lowest surface point is above the top, measured
// straight up; 0 when it touches or dips below.
double gapAbove(const SoftBall& ball, const TopSurface& top) {
    double gap = std::numeric_limits<double>::infinity();
    for (int i = 0; i < ball.centreIndex(); ++i) {
        const Vec3& p = ball.particles[i].position;
        gap = std::min(gap, p.y - top.heightAt(p.x));
    }
    return std::max(gap, 0.0);
}

bool discMeetsTop(double x, double z, double radius, const TopSurface& top) {
    const double nearestX = std::clamp(x, top.minX, top.maxX);
    const double nearestZ = std::clamp(z, top.minZ, top.maxZ);
    return std::hypot(x - nearestX, z - nearestZ) < radius;
}

// Alpha at a share `rho` (0 .. 1) of the way from the middle to the rim:
// full over the middle, where the ball touches, then easing down to nothing.
constexpr double kFullDarknessShare = 0.35;

double falloff(double rho) {
    if (rho <= kFullDarknessShare) return 1.0;
    const double t = (rho - kFullDarknessShare) / (1.0 - kFullDarknessShare);
    return 1.0 - t * t * (3.0 - 2.0 * t);
}

// One point of a blob's polar grid, kept on its top's rectangle so that a
// blob over an edge covers only the top.
void sendBlobVertex(const ShadowBlob& blob, int ring, int segment) {
    const double rho = static_cast<double>(ring) / kBlobRings;
    const double angle = kTwoPi * segment / kBlobSegments;
    const TopSurface& top = *blob.top;
    const double x = std::clamp(blob.centreX + blob.radius * rho * std::cos(angle), top.minX, top.maxX);
    const double z = std::clamp(blob.centreZ + blob.radius * rho * std::sin(angle), top.minZ, top.maxZ);
    glColor4f(0.0f, 0.0f, 0.0f, static_cast<float>(blob.darkness * falloff(rho)));
    glVertex3f(static_cast<float>(x), static_cast<float>(top.heightAt(x) + kLiftAboveTop), static_cast<float>(z));
}

void sendBlob(const ShadowBlob& blob) {
    for (int ring = 0; ring < kBlobRings; ++ring) {
        for (int s = 0; s < kBlobSegments; ++s) {
            sendBlobVertex(blob, ring, s);
            sendBlobVertex(blob, ring + 1, s);
            sendBlobVertex(blob, ring + 1, s + 1);
            if (ring == 0) continue;  // the middle ring is a single point
            sendBlobVertex(blob, ring, s);
            sendBlobVertex(blob, ring + 1, s + 1);
            sendBlobVertex(blob, ring, s + 1);
        }
    }
}

// The depth mask as it was, put back at the end of the scope.
class DepthWritesOff {
public:
    DepthWritesOff() {
        glGetBooleanv(GL_DEPTH_WRITEMASK, &wasOn_);
        glDepthMask(GL_FALSE);
    }
    ~DepthWritesOff() { glDepthMask(wasOn_); }
    DepthWritesOff(const DepthWritesOff&) = delete;
    DepthWritesOff& operator=(const DepthWritesOff&) = delete;

private:
    GLboolean wasOn_ = GL_TRUE;
};
}  // namespace

std::vector<ShadowBlob> contactShadows(const SoftBall& ball) {
    std::vector<ShadowBlob> blobs;
    if (!ball.isBuilt()) return blobs;
    const BallSpread spread = spreadOf(ball);
    const double fadeHeight = kFadeHeightInRadii * ball.radius;
    for (const TopSurface& top : topSurfaces()) {
        if (spread.centreY < top.heightAt(std::clamp(spread.centreX, top.minX, top.maxX))) continue;
        const double gap = gapAbove(ball, top);
        if (!(gap < fadeHeight)) continue;
        const double height = gap / fadeHeight;
        const double radius = spread.halfWidth * (kRadiusAtContact + kRadiusGrowthToFade * height);
        if (!discMeetsTop(spread.centreX, spread.centreZ, radius, top)) continue;
        const double closeness = 1.0 - height;
        blobs.push_back({&top, spread.centreX, spread.centreZ, radius, kMostShadowDarkness * closeness * closeness});
    }
    return blobs;
}

void drawContactShadows(const SoftBall& ball) {
    const std::vector<ShadowBlob> blobs = contactShadows(ball);
    if (blobs.empty()) return;
    const gl::SavedState saved;
    const DepthWritesOff depthWritesOff;
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_TRIANGLES);
    for (const ShadowBlob& blob : blobs) sendBlob(blob);
    glEnd();
}
