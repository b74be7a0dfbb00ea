#include "draw/Texture.h"

#include "draw/Gl.h"

namespace {
// The reader stores 24-bit rows without padding; OpenGL's default unpack
// alignment of 4 would read past the end of each row (and of the buffer)
// whenever width * 3 is not a multiple of 4.
class TightRowUnpacking {
public:
    TightRowUnpacking() {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &previous_);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    ~TightRowUnpacking() { glPixelStorei(GL_UNPACK_ALIGNMENT, previous_); }
    TightRowUnpacking(const TightRowUnpacking&) = delete;
    TightRowUnpacking& operator=(const TightRowUnpacking&) = delete;

private:
    GLint previous_ = 4;
};
}  // namespace

bool Texture::read(const char* path) { return image.pixels != nullptr || loadTga(image, path); }

bool Texture::load(const char* path, TextureLevels levels) { return read(path) && upload(levels); }

bool Texture::upload(TextureLevels levels) {
    if (!image.pixels && image.width * image.height > 0) return false;
    GLuint name = 0;
    glGenTextures(1, &name);
    id = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);

    const GLenum format = image.components == 3 ? GL_RGB : GL_RGBA;
    const TightRowUnpacking unpacking;
    gl::textureImage(levels == TextureLevels::Mipmapped, image.components, image.width, image.height, format,
                     image.pixels);
    return true;
}
