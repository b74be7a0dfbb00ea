#include "draw/SkyboxDrawing.h"

#include "draw/Gl.h"

#include <cstdio>

#include "effects/SkyboxFaces.h"

namespace {
constexpr std::int32_t kBoxSize = 200;

std::string facePath(const std::string& folder, int number) {
    char fileName[50];
    std::snprintf(fileName, sizeof fileName, "/skybox_%i.tga", number);
    return folder + fileName;
}

bool loadFace(Texture& face, const std::string& folder, int number) {
    return face.load(facePath(folder, number).c_str(), TextureLevels::Mipmapped);
}

// The faces send no normal and no colour: they are lit with whatever normal
// was sent last, under the material set here.
void sendFaces(const Skybox& box) {
    static const GLfloat material[4] = {0.5f, 0.5f, 1.0f, 1.0f};
    glEnable(GL_TEXTURE_2D);
    gl::material(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, material);

    const float low[3] = {static_cast<float>(-(box.sizeX / 2)), static_cast<float>(-(box.sizeY / 2)),
                          static_cast<float>(-(box.sizeZ / 2))};
    const float high[3] = {low[0] + box.sizeX, low[1] + box.sizeY, low[2] + box.sizeZ};
    for (int i = 0; i < 6; ++i) {
        glBindTexture(GL_TEXTURE_2D, box.faces[i].id);
        glBegin(GL_QUADS);
        for (const SkyboxCorner& corner : kSkyboxFaces[i]) {
            glTexCoord2f(corner.s, corner.t);
            glVertex3f(corner.x ? high[0] : low[0], corner.y ? high[1] : low[1],
                       corner.z ? high[2] : low[2]);
        }
        glEnd();
    }
    glDisable(GL_TEXTURE_2D);
}
}  // namespace

bool Skybox::readPictures(const std::string& folder) {
    for (int i = 0; i < 6; ++i) {
        if (!faces[i].read(facePath(folder, i).c_str())) return false;
    }
    return true;
}

bool Skybox::init(const std::string& folder) {
    for (int i = 0; i < 6; ++i) {
        if (!loadFace(faces[i], folder, i)) return false;
    }
    sizeX = kBoxSize;
    sizeY = kBoxSize;
    sizeZ = kBoxSize;

    return drawing.compile([this] { sendFaces(*this); });
}

void Skybox::draw() const {
    glPushMatrix();
    drawing.call();
    glPopMatrix();
}
