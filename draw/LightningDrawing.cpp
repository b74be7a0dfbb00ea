#include "draw/LightningDrawing.h"

#include "draw/Gl.h"

#include "effects/Lightning.h"

namespace {
const GLfloat kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
// With no flashes, a bolt at its brightest adds this share of its picture:
// the bolt is seen, the sky around it hardly brightens.
constexpr float kFaintBoltShare = 0.08f;

// An upright square in the plane z = position.z; the additive blend makes it
// brighten the sky behind it in proportion to its alpha.
void drawBolt(const LightningBolt& bolt, float share) {
    const GLfloat colour[4] = {bolt.colour[0], bolt.colour[1], bolt.colour[2], bolt.colour[3] * share};
    gl::material(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, share == 1.0f ? bolt.colour : colour);
    const double h = bolt.halfSize;
    const Vec3& p = bolt.position;
    const float left = static_cast<float>(p.x - h);
    const float right = static_cast<float>(p.x + h);
    const float bottom = static_cast<float>(p.y - h);
    const float top = static_cast<float>(p.y + h);
    const float z = static_cast<float>(p.z);
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2i(1, 1);
    glVertex3f(right, top, z);
    glTexCoord2i(0, 1);
    glVertex3f(left, top, z);
    glTexCoord2i(1, 0);
    glVertex3f(right, bottom, z);
    glTexCoord2i(0, 0);
    glVertex3f(left, bottom, z);
    glEnd();
}
}  // namespace

namespace {
std::string picturePath(const std::string& folder) { return folder + "/lightning2.tga"; }
}  // namespace

bool LightningPicture::readPicture(const std::string& folder) { return image.read(picturePath(folder).c_str()); }

bool LightningPicture::load(const std::string& folder) {
    return image.load(picturePath(folder).c_str(), TextureLevels::BaseOnly);
}

// Dead bolts keep their place in the list but are not drawn.
void drawLightning(const Lightning& lightning, const LightningPicture& picture, float cameraYaw, bool noFlashes) {
    if (!picture.image.exists()) return;
    glPushMatrix();
    glRotated(static_cast<double>(cameraYaw), 0.0, 1.0, 0.0);
    glEnable(GL_TEXTURE_2D);
    gl::material(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, kWhite);
    glBindTexture(GL_TEXTURE_2D, picture.image.id);
    for (const LightningBolt& bolt : lightning.bolts.items) {
        if (!bolt.dead) drawBolt(bolt, noFlashes ? kFaintBoltShare : 1.0f);
    }
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}
