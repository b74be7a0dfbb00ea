// The skin as triangles: a closed surface wound outwards at every
// resolution, so that the normals summed from them point out of the ball.
// (The jelly look's rendering tests see the normals follow a squash.)
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ball/SkinMesh.h"
#include "ball/SoftBall.h"

namespace {
SoftBall builtBall(int rings, int segments) {
    SoftBall ball;
    ball.setUpModel();
    ball.rings = rings;
    ball.segments = segments;
    ball.particles.clear();
    ball.buildParticles();
    return ball;
}

}  // namespace

TEST(SkinMesh, TrianglesCloseTheSkinWoundOutwardsAtEveryResolution) {
    for (const auto& [rings, segments] : {std::pair{4, 3}, {5, 7}, {12, 12}, {48, 48}, {96, 5}}) {
        SCOPED_TRACE(std::to_string(rings) + " x " + std::to_string(segments));
        const SoftBall ball = builtBall(rings, segments);
        const Vec3 centre = ball.particles[ball.centreIndex()].position;
        std::map<std::pair<int, int>, int> directedEdges;
        const std::vector<SkinTriangle> triangles = skinTriangles(ball);
        for (const SkinTriangle& t : triangles) {
            const Vec3 &a = ball.particles[t.a].position, &b = ball.particles[t.b].position,
                       &c = ball.particles[t.c].position;
            EXPECT_GT(dot(cross(b - a, c - a), a + b + c - 3.0 * centre), 0.0) << "faces outwards";
            for (const auto& edge : {std::pair{t.a, t.b}, {t.b, t.c}, {t.c, t.a}}) ++directedEdges[edge];
        }
        // Closed and wound one way: every edge is crossed once each way.
        for (const auto& [edge, count] : directedEdges) {
            EXPECT_EQ(count, 1);
            EXPECT_EQ(directedEdges.count({edge.second, edge.first}), 1u);
        }
        // A sphere of the surface points (the centre is on no triangle).
        const long edges = static_cast<long>(directedEdges.size()) / 2;
        EXPECT_EQ(ball.centreIndex() - edges + static_cast<long>(triangles.size()), 2);
    }
}
