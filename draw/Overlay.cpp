#include "draw/Overlay.h"

#include "draw/Gl.h"

#include <cstdio>

#include "world/Keys.h"
#include "world/World.h"

namespace {
constexpr int kFrameRateIntervalMs = 1000;

// The help panel's layout, in pixels, for the 8x13 font.
constexpr int kHelpLineHeight = 17;
constexpr int kHelpCharWidth = 8;
constexpr int kHelpPadding = 12;
constexpr float kHelpMargin = 10.0f;
constexpr int kHelpInputColumn = 15;  // characters before the effect column


void drawBox(float left, float top, float right, float bottom) {
    glBegin(GL_QUADS);
    glVertex2f(left, top);
    glVertex2f(right, top);
    glVertex2f(right, bottom);
    glVertex2f(left, bottom);
    glEnd();
}

int longestEffect(const std::vector<ControlHelp>& controls) {
    int longest = 0;
    for (const ControlHelp& control : controls) {
        int length = 0;
        while (control.effect[length] != '\0') ++length;
        if (length > longest) longest = length;
    }
    return longest;
}
}  // namespace

void beginOverlay(const WindowSize& window) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, window.width, 0.0, window.height);
    glScalef(1.0f, -1.0f, 1.0f);
    glTranslatef(0.0f, static_cast<float>(-window.height), 0.0f);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void endOverlay() {
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void drawOverlayText(float x, float y, const char* text) {
    static const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    gl::material(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, white);
    gl::text(x, y, text, gl::Font::Text9x15, white);
}

void FrameRateCounter::start(int nowMs) { lastTimeMs_ = nowMs; }

// The count includes the frame that ends the interval.
void FrameRateCounter::countFrame(int nowMs) {
    framesCounted_ = framesCounted_ + 1;
    const int elapsed = nowMs - lastTimeMs_;
    if (elapsed <= kFrameRateIntervalMs) return;
    const double rate = framesCounted_ * 1000.0 / elapsed;
    std::snprintf(text_, sizeof text_, "FPS:%4.2f", rate);
    lastTimeMs_ = nowMs;
    framesCounted_ = 0;
}

void drawHelpPanel(const WindowSize& window, const char* lastLine) {
    const std::vector<ControlHelp> controls = controlHelp();
    const int lines = static_cast<int>(controls.size()) + 2 + (lastLine ? 1 : 0);
    const float width =
        static_cast<float>((kHelpInputColumn + longestEffect(controls)) * kHelpCharWidth + 2 * kHelpPadding);
    const float height = static_cast<float>(lines * kHelpLineHeight + 2 * kHelpPadding);
    // In the top right corner, clear of the frame rate and, mostly, of the ball.
    const float left = static_cast<float>(window.width) - width - kHelpMargin;
    const float top = kHelpMargin;

    const gl::SavedState saved;
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.0f, 0.0f, 0.05f, 0.75f);
    drawBox(left, top, left + width, top + height);

    static const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    static const GLfloat gold[4] = {1.0f, 0.85f, 0.4f, 1.0f};
    glColor4fv(white);
    const float textLeft = left + kHelpPadding;
    float baseline = top + kHelpPadding + kHelpLineHeight - 4;
    gl::text(textLeft, baseline, "orvane: the controls", gl::Font::Text8x13, white);
    baseline += 2 * kHelpLineHeight;
    for (const ControlHelp& control : controls) {
        glColor4fv(gold);
        gl::text(textLeft, baseline, control.input, gl::Font::Text8x13, gold);
        glColor4fv(white);
        gl::text(textLeft + kHelpInputColumn * kHelpCharWidth, baseline, control.effect, gl::Font::Text8x13, white);
        baseline += kHelpLineHeight;
    }
    if (lastLine) {
        glColor4fv(gold);
        gl::text(textLeft, baseline, lastLine, gl::Font::Text8x13, gold);
    }
}
