#include "draw/JellyBall.h"

#include <vector>

#include "ball/SkinMesh.h"
#include "ball/SoftBall.h"
#include "draw/ContactShadow.h"
#include "draw/Gl.h"

namespace {
// A lime gel: green stands apart from the pale rock and the blue-violet sky
// in hue, and the dark ambient leaves the side away from the light in shade.
const GLfloat kGelAmbient[4] = {0.10f, 0.26f, 0.05f, 1.0f};
const GLfloat kGelDiffuse[4] = {0.36f, 0.80f, 0.16f, 1.0f};
const GLfloat kGelSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat kGelShininess = 60.0f;

// The ball's structure in warm colours that neither the gel's green, its
// white highlight nor its dark side swallow.
const GLfloat kSpringColour[4] = {1.0f, 0.45f, 0.25f, 1.0f};
const GLfloat kBeadAmbientAndDiffuse[4] = {0.95f, 0.25f, 0.45f, 1.0f};
const GLfloat kBeadSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat kBeadShininess = 30.0f;
constexpr double kBeadRadius = 0.05;
constexpr int kBeadDetail = 6;

// The skin is pushed this far back in depth, in OpenGL's polygon offset
// units, so that springs and points lying on it win the depth test.
constexpr GLfloat kSkinOffsetFactor = 1.0f;
constexpr GLfloat kSkinOffsetUnits = 1.0f;

void sendVertex(const Vec3& v) {
    glVertex3f(static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z));
}

void sendNormal(const Vec3& n) {
    glNormal3f(static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z));
}

// Springs come in pairs (each end owns one), so every line is sent twice, as
// the classic look sends them.
void drawSpringLines(const SoftBall& ball) {
    glDisable(GL_LIGHTING);
    glColor4fv(kSpringColour);
    glBegin(GL_LINES);
    for (std::size_t i = 0; i < ball.particles.size(); ++i) {
        for (const Spring& spring : ball.particles.springsOf(i)) {
            sendVertex(ball.particles[i].position);
            sendVertex(ball.particles[static_cast<std::size_t>(spring.to)].position);
        }
    }
    glEnd();
}

void drawMassPoints(const SoftBall& ball, bool lit) {
    if (lit) glEnable(GL_LIGHTING);
    gl::material(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, kBeadAmbientAndDiffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, kBeadSpecular);
    glMaterialfv(GL_FRONT, GL_SHININESS, &kBeadShininess);
    glColor4fv(kBeadAmbientAndDiffuse);
    // Every surface point; the centre stays hidden in the skin.
    for (int i = 0; i < ball.centreIndex(); ++i) {
        const Vec3& p = ball.particles[i].position;
        glPushMatrix();
        glTranslatef(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
        gl::solidSphere(kBeadRadius, kBeadDetail, kBeadDetail);
        glPopMatrix();
    }
}

// The polygon offset as it was, put back at the end of the scope.
class SkinSetBack {
public:
    SkinSetBack() : wasOn_(glIsEnabled(GL_POLYGON_OFFSET_FILL) == GL_TRUE) {
        glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &factor_);
        glGetFloatv(GL_POLYGON_OFFSET_UNITS, &units_);
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(kSkinOffsetFactor, kSkinOffsetUnits);
    }
    ~SkinSetBack() {
        glPolygonOffset(factor_, units_);
        if (!wasOn_) glDisable(GL_POLYGON_OFFSET_FILL);
    }
    SkinSetBack(const SkinSetBack&) = delete;
    SkinSetBack& operator=(const SkinSetBack&) = delete;

private:
    bool wasOn_;
    GLfloat factor_ = 0.0f, units_ = 0.0f;
};

void drawGelSkin(const SoftBall& ball, bool lit) {
    const std::vector<SkinTriangle> triangles = skinTriangles(ball);
    const std::vector<Vec3> normals = skinNormals(ball, triangles);
    if (lit) glEnable(GL_LIGHTING);
    glMaterialfv(GL_FRONT, GL_AMBIENT, kGelAmbient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, kGelDiffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, kGelSpecular);
    glMaterialfv(GL_FRONT, GL_SHININESS, &kGelShininess);
    glColor4fv(kGelDiffuse);  // its one colour when lighting is off (key "8")
    const SkinSetBack setBack;
    glBegin(GL_TRIANGLES);
    for (const SkinTriangle& t : triangles) {
        for (const int index : {t.a, t.b, t.c}) {
            sendNormal(normals[index]);
            sendVertex(ball.particles[index].position);
        }
    }
    glEnd();
}
}  // namespace

void drawJellyBall(const SoftBall& ball) {
    // Lighting as the frame chose it (key "8"); the springs switch it off
    // for themselves.
    const bool lit = glIsEnabled(GL_LIGHTING) == GL_TRUE;
    const gl::SavedState saved;
    if (ball.showSurface) drawContactShadows(ball);
    if (ball.showSprings) drawSpringLines(ball);
    if (ball.showParticles) drawMassPoints(ball, lit);
    if (ball.showSurface) drawGelSkin(ball, lit);
}
