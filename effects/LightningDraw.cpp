#include <GL/gl.h>

#include "app/TextureUpload.h"
#include "effects/Lightning.h"

namespace {
const GLfloat kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};

// Two random strikes in a thousand frames.
bool rollForStrike(CRandom& random) { return random.below(1000) >= 998; }
}  // namespace

bool Lightning::init() {
    if (!loadTga(image, "pics/lightning2.tga")) return false;
    uploadTexture(image, TextureLevels::BaseOnly);
    bolts = std::make_unique<BoltList>();

    // The short, bright flash that greets the player.
    const float halfSize = static_cast<float>(60 + (random.below(10) - 5) * 0.1);
    auto first = std::make_unique<LightningBolt>();
    first->set(Vec3(0.0, 40.0, 0.0), Vec3(0.0, 0.0, 0.0), 1.0f, 1.0f, 1.0f, 1.0f, halfSize, 15, 0.2f);
    bolts->add(std::move(first));
    strikePoint = Vec3(0.0, 80.0, 0.0);
    return true;
}

// Without a bolt list (the picture could not be read) there is nothing to show.
void Lightning::draw() {
    if (!bolts) return;
    if (rollForStrike(random)) maybeStrike();
    glEnable(GL_TEXTURE_2D);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, kWhite);
    glBindTexture(GL_TEXTURE_2D, image.id);
    bolts->updateAndDraw();
    glDisable(GL_TEXTURE_2D);
}

// Dead bolts keep their place in the list but are neither moved nor drawn.
void BoltList::updateAndDraw() {
    for (const auto& bolt : items) {
        bolt->update();
        if (!bolt->dead) bolt->draw();
    }
}

// An upright square in the plane z = position.z; the additive blend makes it
// brighten the sky behind it in proportion to its alpha.
void LightningBolt::draw() const {
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, colour);
    const double h = halfSize;
    const float left = static_cast<float>(position.x - h);
    const float right = static_cast<float>(position.x + h);
    const float bottom = static_cast<float>(position.y - h);
    const float top = static_cast<float>(position.y + h);
    const float z = static_cast<float>(position.z);
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
