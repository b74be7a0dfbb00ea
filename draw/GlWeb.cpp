// The browser's side of draw/Gl.h: what its emulation of GL 1.x, GLU and
// GLUT lacks (display lists, pushed attributes, a working look-at, the
// solid sphere, bitmap text, mipmap building, combined material colours,
// spot directions) supplied with the calls it does have.
#include "draw/Gl.h"

#include <emscripten.h>

#include <cmath>
#include <string>
#include <vector>

#include "cli/JsonWriter.h"

namespace gl {
namespace {
// The frame's text, shown over the canvas as HTML when the frame ends.
struct TextLine {
    float x, y;
    std::string characters;
    Font font;
    GLfloat colour[4];
};
std::vector<TextLine> frameText;


// The point of a sphere at the given latitude (stack) and longitude (slice),
// as the normal and the vertex at radius `radius`.
void sphereVertex(double radius, int stack, int stacks, int slice, int slices) {
    const double polar = M_PI * stack / stacks;
    const double around = 2.0 * M_PI * slice / slices;
    const double x = std::sin(polar) * std::cos(around);
    const double y = std::sin(polar) * std::sin(around);
    const double z = std::cos(polar);
    glNormal3f(static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
    glVertex3f(static_cast<GLfloat>(radius * x), static_cast<GLfloat>(radius * y), static_cast<GLfloat>(radius * z));
}
}  // namespace

bool DrawingList::compile(const std::function<void()>& commands) {
    commands_ = commands;
    compiled_ = true;
    return true;
}

void DrawingList::call() const {
    if (compiled_) commands_();
}

// gluLookAt(eye, eye + z, y) is a half turn about y after moving the eye to
// the origin; the emulation's gluLookAt replaces the matrix instead of
// multiplying it.
void lookAlongPlusZ(double eyeX, double eyeY, double eyeZ) {
    const GLfloat view[16] = {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, static_cast<GLfloat>(eyeX),
                              static_cast<GLfloat>(-eyeY), static_cast<GLfloat>(eyeZ), 1};
    glMultMatrixf(view);
}

void solidSphere(double radius, int slices, int stacks) {
    glBegin(GL_TRIANGLES);
    for (int stack = 0; stack < stacks; ++stack) {
        for (int slice = 0; slice < slices; ++slice) {
            sphereVertex(radius, stack, stacks, slice, slices);
            sphereVertex(radius, stack + 1, stacks, slice, slices);
            sphereVertex(radius, stack + 1, stacks, slice + 1, slices);
            sphereVertex(radius, stack, stacks, slice, slices);
            sphereVertex(radius, stack + 1, stacks, slice + 1, slices);
            sphereVertex(radius, stack, stacks, slice + 1, slices);
        }
    }
    glEnd();
}

void material(GLenum face, GLenum parameter, const GLfloat* values) {
    if (parameter == GL_AMBIENT_AND_DIFFUSE) {
        glMaterialfv(face, GL_AMBIENT, values);
        glMaterialfv(face, GL_DIFFUSE, values);
        return;
    }
    glMaterialfv(face, parameter, values);
}

void nicestHints() {}

void spotDirection(GLenum, const GLfloat*) {}

// The filter is plain linear, so the mipmaps were never sampled anyway.
void textureImage(bool, int, int width, int height, GLenum format, const void* pixels) {
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
}

void text(float x, float y, const char* characters, Font font, const GLfloat colour[4]) {
    TextLine line{x, y, characters, font, {colour[0], colour[1], colour[2], colour[3]}};
    frameText.push_back(line);
}

SavedState::SavedState()
    : lighting_(glIsEnabled(GL_LIGHTING) == GL_TRUE),
      depthTest_(glIsEnabled(GL_DEPTH_TEST) == GL_TRUE),
      texture_(glIsEnabled(GL_TEXTURE_2D) == GL_TRUE),
      blend_(glIsEnabled(GL_BLEND) == GL_TRUE) {
    glGetIntegerv(GL_BLEND_SRC_RGB, &blendSource_);
    glGetIntegerv(GL_BLEND_DST_RGB, &blendDestination_);
    // The emulation does not answer glGetFloatv(GL_CURRENT_COLOR); it keeps
    // the colour that glColor set where its immediate mode reads it.
    EM_ASM({ HEAPF32.set(GLImmediate.clientColor, $0 >> 2); }, colour_);
}

SavedState::~SavedState() {
    auto restore = [](GLenum capability, bool on) { on ? glEnable(capability) : glDisable(capability); };
    restore(GL_LIGHTING, lighting_);
    restore(GL_DEPTH_TEST, depthTest_);
    restore(GL_TEXTURE_2D, texture_);
    restore(GL_BLEND, blend_);
    glBlendFunc(static_cast<GLenum>(blendSource_), static_cast<GLenum>(blendDestination_));
    glColor4fv(colour_);
}

// The page's orvaneShowText(json) puts the lines over the canvas.
void finishFrame() {
    std::string out;
    JsonWriter json(out);
    json.beginArray();
    for (const TextLine& line : frameText) {
        json.beginObject();
        json.key("x").number(line.x);
        json.key("y").number(line.y);
        json.key("size").integer(line.font == Font::Text9x15 ? 15 : 13);
        json.key("colour").beginArray();
        for (int i = 0; i < 3; ++i) json.integer(static_cast<int>(line.colour[i] * 255));
        json.endArray();
        json.key("text").string(line.characters);
        json.endObject();
    }
    json.endArray();
    frameText.clear();
    EM_ASM({
        if (typeof orvaneShowText === 'function') orvaneShowText(UTF8ToString($0));
    }, out.c_str());
}

}  // namespace gl
