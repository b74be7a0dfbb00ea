#pragma once

// The OpenGL of the drawing layer: the system's GL 1.x, GLU and GLUT, plus
// the few calls that the browser's emulation of them lacks or does
// differently, which draw/GlDesktop.cpp passes straight to the system and
// draw/GlWeb.cpp supplies in the browser. Every drawer includes this header
// instead of the GL headers, so that the desktop keeps its own calls (and
// its pixels) and the browser draws the same scene.

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>

#include <functional>

// The texture combiner's dot product, which the ground's bump mapping uses,
// is missing in the browser (its emulation claims it but fails when it
// draws); there the ground bakes the same look into a texture instead.
#if defined(__EMSCRIPTEN__)
#define ORVANE_GL_DOT_PRODUCT_COMBINER 0
#else
#define ORVANE_GL_DOT_PRODUCT_COMBINER 1
#endif

namespace gl {

// Commands compiled once and called every frame: a display list on the
// desktop; in the browser, which has none, the commands run again.
class DrawingList {
public:
    // Compiles `commands`; false (and nothing compiled) when no list can be made.
    bool compile(const std::function<void()>& commands);
    void call() const;
    bool compiled() const { return compiled_; }

private:
    [[maybe_unused]] unsigned list_ = 0;            // the desktop's
    [[maybe_unused]] std::function<void()> commands_;  // the browser's
    bool compiled_ = false;
};

// Multiplies the current matrix by a view from `eye` along +z with +y up
// (gluLookAt(eye, eye + (0, 0, 1), (0, 1, 0))).
void lookAlongPlusZ(double eyeX, double eyeY, double eyeZ);

// A sphere around the origin, with normals (glutSolidSphere).
void solidSphere(double radius, int slices, int stacks);

// A material parameter; GL_AMBIENT_AND_DIFFUSE included.
void material(GLenum face, GLenum parameter, const GLfloat* values);

// The best perspective correction and point smoothing (hints the browser's
// GL does not know).
void nicestHints();

// A spot direction for a light (it has no effect without a cut-off).
void spotDirection(GLenum light, const GLfloat* direction);

// The texture bound to GL_TEXTURE_2D gets the image: with its mipmaps
// (which the plain linear filter never samples) or its base level only.
// `format` is GL_RGB or GL_RGBA, to match `components` (3 or 4).
void textureImage(bool mipmapped, int components, int width, int height, GLenum format, const void* pixels);

enum class Font { Text9x15, Text8x13 };

// Bitmap text with its baseline starting at (x, y) in the current matrices.
// The desktop's text takes its colour from the GL state the caller set up;
// the browser's, shown over the canvas, takes `colour`, which callers give
// the same value.
void text(float x, float y, const char* characters, Font font, const GLfloat colour[4]);

// Keeps the enables, the current colour and the blend function from here to
// the end of the scope (glPushAttrib of those bits, where there is one).
class SavedState {
public:
    SavedState();
    ~SavedState();
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

private:  // what the browser saves by hand; the desktop's GL keeps its own
    [[maybe_unused]] bool lighting_ = false, depthTest_ = false, texture_ = false, blend_ = false;
    [[maybe_unused]] GLfloat colour_[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    [[maybe_unused]] GLint blendSource_ = GL_SRC_ALPHA, blendDestination_ = GL_ONE;
};

// The end of a frame's drawing, before it is shown (the browser shows the
// frame's text then).
void finishFrame();

}  // namespace gl
