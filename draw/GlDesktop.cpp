// The desktop's side of draw/Gl.h: the system's own calls, one for one.
#include "draw/Gl.h"

namespace gl {

bool DrawingList::compile(const std::function<void()>& commands) {
    // A name of 0 means OpenGL could not make a list; compiling into it
    // would draw at once instead.
    list_ = glGenLists(1);
    if (list_ == 0) return false;
    glNewList(list_, GL_COMPILE);
    commands();
    glEndList();
    compiled_ = true;
    return true;
}

void DrawingList::call() const {
    if (compiled_) glCallList(list_);
}

void lookAlongPlusZ(double eyeX, double eyeY, double eyeZ) {
    gluLookAt(eyeX, eyeY, eyeZ, eyeX, eyeY, eyeZ + 1.0, 0.0, 1.0, 0.0);
}

void solidSphere(double radius, int slices, int stacks) { glutSolidSphere(radius, slices, stacks); }

void material(GLenum face, GLenum parameter, const GLfloat* values) { glMaterialfv(face, parameter, values); }

void nicestHints() {
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
}

void spotDirection(GLenum light, const GLfloat* direction) { glLightfv(light, GL_SPOT_DIRECTION, direction); }

namespace {
bool powerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// As GLU would put the picture into level 0 unchanged: sides that are powers
// of two and within what the driver takes.
bool fitsAsItIs(int width, int height) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    return powerOfTwo(width) && powerOfTwo(height) && width <= largest && height <= largest;
}
}  // namespace

// The scene's textures are only ever sampled with the linear filter, never
// from their smaller levels, so a picture that GLU would not scale goes to
// level 0 alone: the same texels, without the time and memory of the levels
// below. Other sizes still go through GLU, which scales them first.
void textureImage(bool mipmapped, int components, int width, int height, GLenum format, const void* pixels) {
    if (mipmapped && !fitsAsItIs(width, height)) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, components, width, height, format, GL_UNSIGNED_BYTE, pixels);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, components, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
    }
}

void text(float x, float y, const char* characters, Font font, const GLfloat*) {
    void* glutFont = font == Font::Text9x15 ? GLUT_BITMAP_9_BY_15 : GLUT_BITMAP_8_BY_13;
    glRasterPos2f(x, y);
    for (const char* c = characters; *c != '\0'; ++c) glutBitmapCharacter(glutFont, static_cast<unsigned char>(*c));
}

SavedState::SavedState() { glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT); }

SavedState::~SavedState() { glPopAttrib(); }

void finishFrame() {}

}  // namespace gl
