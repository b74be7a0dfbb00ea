#include "draw/BallDrawing.h"

#include <algorithm>
#include <cmath>

#include "ball/SoftBall.h"
#include "draw/Gl.h"
#include "draw/JellyBall.h"
#include "math/Constants.h"
#include "world/World.h"

namespace {
// Whether the skin shows the environment picture. The texture coordinates are
// sent either way. Off, because with these coordinates the bands sample only
// the picture's diagonal and each cap a single row of it: the ball turns dark
// with a target-like disc around each pole, while the lit material alone
// shows a clean, shiny ball.
constexpr bool kShowEnvironmentOnSkin = false;

constexpr double kParticleSphereRadius = 0.05;
constexpr int kParticleSphereDetail = 5;

// Normal and texture coordinates of one surface particle: the direction from
// the world origin (not from the ball's centre) and two arc sines of it.
struct SurfacePoint {
    Vec3 normal;
    double sigma;  // from the normal's x
    double tau;    // from the normal's y
};

double arcSineCoordinate(double component) {
    // Rounding can carry a unit vector's component a hair past +-1.
    return std::asin(std::clamp(component, -1.0, 1.0)) / kPi + 0.5;
}

SurfacePoint surfacePoint(const Particle& particle) {
    const double len = length(particle.position);
    // A particle exactly at the origin has no direction: give it "up" and
    // the middle of the picture rather than NaN.
    if (len == 0.0) return {Vec3(0.0, 1.0, 0.0), 0.5, 0.5};
    const Vec3 n = normalized(particle.position);
    return {n, arcSineCoordinate(n.x), arcSineCoordinate(n.y)};
}

void sendSurfaceVertex(const Particle& particle, const Vec3& normal, double s, double t) {
    glNormal3f(static_cast<float>(normal.x), static_cast<float>(normal.y), static_cast<float>(normal.z));
    glTexCoord2f(static_cast<float>(s), static_cast<float>(t));
    glVertex3f(static_cast<float>(particle.position.x), static_cast<float>(particle.position.y),
               static_cast<float>(particle.position.z));
}

// Band and pole vertices take both coordinates from the normal's x.
void sendBandVertex(const Particle& particle) {
    const SurfacePoint p = surfacePoint(particle);
    sendSurfaceVertex(particle, p.normal, p.sigma, p.sigma);
}

void sendSpringLines(const SoftBall& ball, int particle) {
    for (const Spring& spring : ball.particles.springsOf(static_cast<std::size_t>(particle))) {
        const Vec3& a = ball.particles[static_cast<std::size_t>(particle)].position;
        const Vec3& b = ball.particles[static_cast<std::size_t>(spring.to)].position;
        glBegin(GL_LINES);
        glVertex3f(static_cast<float>(a.x), static_cast<float>(a.y), static_cast<float>(a.z));
        glVertex3f(static_cast<float>(b.x), static_cast<float>(b.y), static_cast<float>(b.z));
        glEnd();
    }
}

void drawParticleSphere(const Particle& particle) {
    glPushMatrix();
    glTranslatef(static_cast<float>(particle.position.x), static_cast<float>(particle.position.y),
                 static_cast<float>(particle.position.z));
    gl::solidSphere(kParticleSphereRadius, kParticleSphereDetail, kParticleSphereDetail);
    glPopMatrix();
}

void setBallMaterial() {
    static const GLfloat ambient[4] = {0.4f, 0.4f, 0.4f, 1.0f};
    static const GLfloat diffuse[4] = {0.4f, 0.4f, 0.4f, 1.0f};
    static const GLfloat specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    static const GLfloat shininess = 40.0f;
    glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
}

// Draws the skin of the ball, one piece at a time, from the current positions.
class SkinPainter {
public:
    SkinPainter(const SoftBall& ball, const Texture& environment)
        : ball_(ball), textured_(kShowEnvironmentOnSkin && environment.exists()) {
        if (textured_) glBindTexture(GL_TEXTURE_2D, environment.id);
    }

    // Two triangles between rings r and r + 1; together with the neighbouring
    // cells they cover the band without gaps or overlaps.
    void bandCell(int r, int s) const {
        const Particle& below = at(r + 1, s);
        const Particle& here = at(r, s);
        begin();
        sendBandVertex(below);
        sendBandVertex(at(r, s + 1));
        sendBandVertex(here);
        sendBandVertex(below);
        sendBandVertex(at(r + 1, s - 1));
        sendBandVertex(here);
        end();
    }

    // The ring vertices of a cap all take t from the pole's normal.
    void cap(const Particle& pole, int ring) const {
        const SurfacePoint polePoint = surfacePoint(pole);
        begin();
        for (int k = 0; k < ball_.segments; ++k) {
            sendSurfaceVertex(pole, polePoint.normal, polePoint.sigma, polePoint.sigma);
            sendCapRingVertex(at(ring, k), polePoint.tau);
            sendCapRingVertex(at(ring, k + 1), polePoint.tau);
        }
        end();
    }

private:
    const Particle& at(int r, int s) const {
        const int wrapped = (s % ball_.segments + ball_.segments) % ball_.segments;
        return ball_.particles[ball_.ringIndex(r, wrapped)];
    }

    static void sendCapRingVertex(const Particle& particle, double poleTau) {
        const SurfacePoint p = surfacePoint(particle);
        sendSurfaceVertex(particle, p.normal, p.sigma, poleTau);
    }

    void begin() const {
        if (textured_) glEnable(GL_TEXTURE_2D);
        glBegin(GL_TRIANGLES);
    }

    void end() const {
        glEnd();
        if (textured_) glDisable(GL_TEXTURE_2D);
    }

    const SoftBall& ball_;
    const bool textured_;
};

// Springs, sphere and skin piece of one particle, in that order.
void drawLayers(const SoftBall& ball, int particle) {
    if (ball.showSprings) sendSpringLines(ball, particle);
    if (ball.showParticles) drawParticleSphere(ball.particles[static_cast<std::size_t>(particle)]);
}

void drawNormalDisplay(const SoftBall& ball, const Texture& environment) {
    const SkinPainter skin(ball, environment);
    const Particle& north = ball.particles[0];
    drawLayers(ball, 0);
    if (ball.showSurface) skin.cap(north, 1);

    const int lastRing = ball.rings - 2;
    for (int r = 1; r <= lastRing; ++r) {
        for (int s = 0; s < ball.segments; ++s) {
            drawLayers(ball, ball.ringIndex(r, s));
            // The last ring has no band below it: the south cap closes it.
            if (ball.showSurface && r <= ball.rings - 3) skin.bandCell(r, s);
        }
    }

    const Particle& south = ball.particles[ball.southPoleIndex()];
    drawLayers(ball, ball.southPoleIndex());
    if (ball.showSurface) skin.cap(south, lastRing);
}

// What the classic display leaves for the drawers after it: its material
// and, when the skin is shown, the normal of the south cap's last vertex.
// (Without the skin the jelly leaves the normal from before the ball, on
// the desktop, or its mass points' last one: both the same every frame.)
void leaveClassicMaterialAndNormal(const SoftBall& ball) {
    setBallMaterial();
    if (!ball.showSurface) return;
    const Particle& last = ball.particles[ball.ringIndex(ball.rings - 2, 0)];
    const Vec3 n = surfacePoint(last).normal;
    glNormal3f(static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z));
}

void drawJellyDisplay(const SoftBall& ball) {
    drawJellyBall(ball);
    leaveClassicMaterialAndNormal(ball);
}

// After a rebuild the particles appear one by one, the centre particle last.
void drawBuildUp(const SoftBall& ball) {
    for (int i = 0; i < ball.buildUpShown; ++i) drawParticleSphere(ball.particles[i]);
}
}  // namespace

namespace {
std::string environmentPath(const std::string& folder) { return folder + "/env2.tga"; }
}  // namespace

bool BallSkin::readPicture(const std::string& folder) { return environment.read(environmentPath(folder).c_str()); }

bool BallSkin::load(const std::string& folder) {
    return environment.load(environmentPath(folder).c_str(), TextureLevels::Mipmapped);
}

void drawBall(const SoftBall& ball, const BallSkin& skin, BallLook look) {
    if (!ball.isBuilt()) return;
    // Ordinary alpha blending for the ball; the frame's additive default is
    // put back on the way out.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    setBallMaterial();
    if (ball.buildUpActive) {
        drawBuildUp(ball);
    } else if (look == BallLook::Jelly) {
        drawJellyDisplay(ball);
    } else {
        drawNormalDisplay(ball, skin.environment);
    }
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}
