#include "tools/window/WindowSession.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <chrono>
#include <thread>

#include "shell/Window.h"

namespace {
int reshapesSeen = 0;
int exposeFrames = 0;

void reshapeAndCount(int width, int height) {
    reshapeWindow(width, height);
    ++reshapesSeen;
}

void displayAndCount() {
    display();
    ++exposeFrames;
}
}  // namespace

void startUpDriven(int* argc, char** argv, const SessionOptions& session) {
    startUp(argc, argv, session);
    glutIdleFunc(nullptr);
    glutReshapeFunc(reshapeAndCount);
    glutDisplayFunc(displayAndCount);
}

bool waitUntilShown(double timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(static_cast<long>(timeoutSeconds * 1000));
    while (reshapesSeen == 0 || exposeFrames == 0) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        glutMainLoopEvent();
        if (reshapesSeen == 0 || exposeFrames == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void pumpWindowEvents() { glutMainLoopEvent(); }

// GLUT keeps the window's context current, and that context draws to the
// window itself.
unsigned long nativeWindowId() { return glXGetCurrentDrawable(); }

int reshapeCount() { return reshapesSeen; }
int exposeFrameCount() { return exposeFrames; }
