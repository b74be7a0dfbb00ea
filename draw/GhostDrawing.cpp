#include "draw/GhostDrawing.h"

#include "ball/SoftBall.h"
#include "draw/Gl.h"

namespace {
constexpr GLfloat kSkin[4] = {1.0f, 0.55f, 0.1f, 0.35f};
constexpr GLfloat kLines[4] = {1.0f, 0.65f, 0.2f, 0.8f};
constexpr double kPointRadius = 0.05;
constexpr int kPointDetail = 5;

void vertex(const Vec3& p) {
    glVertex3f(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
}

const Vec3& at(const SoftBall& ball, int r, int s) {
    const int wrapped = (s % ball.segments + ball.segments) % ball.segments;
    return ball.particles[ball.ringIndex(r, wrapped)].position;
}

// The same cells as the first ball's skin: a fan at each pole, two
// triangles between neighbouring rings.
void drawSkin(const SoftBall& ball) {
    const int lastRing = ball.rings - 2;
    glColor4fv(kSkin);
    glBegin(GL_TRIANGLES);
    for (int s = 0; s < ball.segments; ++s) {
        vertex(ball.particles[0].position);
        vertex(at(ball, 1, s));
        vertex(at(ball, 1, s + 1));
        vertex(ball.particles[ball.southPoleIndex()].position);
        vertex(at(ball, lastRing, s));
        vertex(at(ball, lastRing, s + 1));
        for (int r = 1; r < lastRing; ++r) {
            vertex(at(ball, r + 1, s));
            vertex(at(ball, r, s + 1));
            vertex(at(ball, r, s));
            vertex(at(ball, r + 1, s));
            vertex(at(ball, r + 1, s - 1));
            vertex(at(ball, r, s));
        }
    }
    glEnd();
}

void drawSprings(const SoftBall& ball) {
    glColor4fv(kLines);
    glBegin(GL_LINES);
    for (std::size_t i = 0; i < ball.particles.size(); ++i) {
        for (const Spring& spring : ball.particles.springsOf(i)) {
            vertex(ball.particles[i].position);
            vertex(ball.particles[static_cast<std::size_t>(spring.to)].position);
        }
    }
    glEnd();
}

void drawPoints(const SoftBall& ball) {
    glColor4fv(kLines);
    for (const auto& particle : ball.particles) {
        glPushMatrix();
        glTranslatef(static_cast<float>(particle.position.x), static_cast<float>(particle.position.y),
                     static_cast<float>(particle.position.z));
        gl::solidSphere(kPointRadius, kPointDetail, kPointDetail);
        glPopMatrix();
    }
}
}  // namespace

void drawGhostBall(const SoftBall& ball) {
    if (!ball.isBuilt()) return;
    const gl::SavedState saved;
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // Seen through, the ghost hides nothing behind it; where it lies on the
    // first ball (a B like A) it is drawn over it, a hair nearer.
    GLint depthFunction = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    glDepthMask(GL_FALSE);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(-1.0f, -1.0f);
    if (ball.showSurface && !ball.buildUpActive) drawSkin(ball);
    glPolygonOffset(0.0f, 0.0f);
    glDisable(GL_POLYGON_OFFSET_FILL);
    if (ball.showSprings) drawSprings(ball);
    if (ball.showParticles || ball.buildUpActive) drawPoints(ball);
    glDepthFunc(static_cast<GLenum>(depthFunction));
    glDepthMask(GL_TRUE);
}
