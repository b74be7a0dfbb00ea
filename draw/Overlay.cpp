#include "draw/Overlay.h"

#include <GL/glu.h>
#include <GL/glut.h>

#include <cstdio>

#include "world/World.h"

namespace {
constexpr int kFrameRateIntervalMs = 1000;
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
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, white);
    glRasterPos2f(x, y);
    for (const char* c = text; *c != '\0'; ++c) glutBitmapCharacter(GLUT_BITMAP_9_BY_15, static_cast<unsigned char>(*c));
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
