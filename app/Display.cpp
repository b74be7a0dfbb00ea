#include "app/Display.h"

#include <GL/glut.h>

#include <cstdio>

#include "app/IdleStep.h"
#include "app/Input.h"
#include "app/World.h"

int framesCounted = 0;
int lastFpsTime = 0;
char fpsText[30] = {};
int windowId = 0;
void (*frameDrawnHook)() = nullptr;

namespace {
constexpr int kFpsIntervalMs = 1000;
constexpr float kOverlayTextX = 20.0f;
constexpr float kOverlayTextY = 20.0f;

// The ball is simulated in the untilted frame and shown tilted with the board.
void applyBoardTilt() {
    glRotatef(ground.tiltX, 1.0f, 0.0f, 0.0f);
    glRotatef(ground.tiltZ, 0.0f, 0.0f, 1.0f);
}

void drawGround() {
    glPushMatrix();
    applyBoardTilt();
    const GLuint list = ground.currentList();
    if (list != 0) glCallList(list);
    glPopMatrix();
}

void drawBall() {
    glPushMatrix();
    applyBoardTilt();
    ball.draw();
    glPopMatrix();
}

void drawSkybox() {
    if (!skyVisible) return;
    glPushMatrix();
    if (skybox.listId != 0) glCallList(skybox.listId);
    glPopMatrix();
}

// The bolts are squares of constant z; turning them by the camera's heading
// about the vertical axis makes them face the viewer.
void drawLightning() {
    if (!lightningVisible) return;
    glPushMatrix();
    glRotated(static_cast<double>(camera.yaw), 0.0, 1.0, 0.0);
    lightning.draw();
    glPopMatrix();
}

// Counts this frame and, once more than a second has passed, turns the count
// into the rate shown until the next update.
void countFrame() {
    framesCounted = framesCounted + 1;
    const int now = glutGet(GLUT_ELAPSED_TIME);
    const int elapsed = now - lastFpsTime;
    if (elapsed > kFpsIntervalMs) {
        const double rate = framesCounted * 1000.0 / elapsed;
        std::snprintf(fpsText, sizeof fpsText, "FPS:%4.2f", rate);
        lastFpsTime = now;
        framesCounted = 0;
    }
}

void endOverlay() {
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}
}  // namespace

void display() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    camera.applyView();
    drawGround();
    drawBall();
    drawSkybox();
    drawLightning();

    beginOverlay();
    glPushMatrix();
    glLoadIdentity();
    countFrame();
    drawOverlayText(kOverlayTextX, kOverlayTextY);
    endOverlay();

    if (frameDrawnHook) frameDrawnHook();
    glutSwapBuffers();
}

void idle() {
    advanceOneStep();
    display();
}

void reshape(int width, int height) {
    storeWindowSize(width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(windowWidth) / windowHeight, 0.1, 300.0);
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, windowWidth, windowHeight);
    glLoadIdentity();
}

// Window pixels, origin at the top left corner, y growing downwards.
void beginOverlay() {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, windowWidth, 0.0, windowHeight);
    glScalef(1.0f, -1.0f, 1.0f);
    glTranslatef(0.0f, static_cast<float>(-windowHeight), 0.0f);
    glMatrixMode(GL_MODELVIEW);
}

void drawOverlayText(float x, float y) {
    static const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, white);
    glRasterPos2f(x, y);
    for (const char* c = fpsText; *c != '\0'; ++c) {
        glutBitmapCharacter(GLUT_BITMAP_9_BY_15, static_cast<unsigned char>(*c));
    }
}
