#include "app/Input.h"

#include "app/World.h"

bool panMode = false;
bool cameraMoving = false, moveForward = false, moveBackward = false, moveLeft = false,
     moveRight = false, moveUp = false, moveDown = false;
bool ballControl = false, tiltForward = false, tiltBack = false, tiltLeft = false,
     tiltRight = false, liftBall = false, pressBall = false;
int lastMouseX = 0, lastMouseY = 0;
int windowWidth = 640, windowHeight = 480;

ShellHooks shellHooks;

namespace {
void redisplay() {
    if (shellHooks.redisplay) shellHooks.redisplay();
}

// Key "8": lighting, ground texture, sky box and lightning switch together.
void toggleDisplayOptions() {
    lightingOn = !lightingOn;
    if (shellHooks.setLighting) shellHooks.setLighting(lightingOn);
    ground.useTexturedList = !ground.useTexturedList;
    lightningVisible = !lightningVisible;
    skyVisible = !skyVisible;
}

void startCameraMove(bool& flag) {
    cameraMoving = true;
    flag = true;
}

// Releasing any key of a group stops the whole group until one is pressed again.
void stopCameraMove(bool& flag) {
    cameraMoving = false;
    flag = false;
}

void startBallControl(bool& flag) {
    ballControl = true;
    flag = true;
}

void stopBallControl(bool& flag) {
    ballControl = false;
    flag = false;
}
}  // namespace

void keyDown(unsigned char key, int, int) {
    panMode = false;
    switch (key) {
    case kKeyEscape:
        if (shellHooks.quit) shellHooks.quit();
        break;
    case ' ': panMode = true; break;
    case '0':
        ball.centre = Vec3(0.0, 5.0, 0.0);
        ball.reset();
        redisplay();
        break;
    case '9':
        ball.reset();
        redisplay();
        break;
    case '1': ball.showParticles = !ball.showParticles; redisplay(); break;
    case '2': ball.showSprings = !ball.showSprings; redisplay(); break;
    case '3': ball.showSurface = !ball.showSurface; redisplay(); break;
    case '8': toggleDisplayOptions(); redisplay(); break;
    case 'w': startCameraMove(moveForward); break;
    case 's': startCameraMove(moveBackward); break;
    case 'a': startCameraMove(moveLeft); break;
    case 'd': startCameraMove(moveRight); break;
    case 'r': startCameraMove(moveUp); break;
    case 'f': startCameraMove(moveDown); break;
    case 'l': lightning.spawnBolt(); redisplay(); break;
    case 't': startBallControl(liftBall); break;
    case 'g': startBallControl(pressBall); break;
    default: break;
    }
}

void keyUp(unsigned char key, int, int) {
    switch (key) {
    case ' ': panMode = false; break;
    case 'w': stopCameraMove(moveForward); break;
    case 's': stopCameraMove(moveBackward); break;
    case 'a': stopCameraMove(moveLeft); break;
    case 'd': stopCameraMove(moveRight); break;
    case 'r': stopCameraMove(moveUp); break;
    case 'f': stopCameraMove(moveDown); break;
    case 't': stopBallControl(liftBall); break;
    case 'g': stopBallControl(pressBall); break;
    default: break;
    }
}

void specialDown(int key, int, int) {
    switch (key) {
    case kSpecialKeyUp: startBallControl(tiltForward); break;
    case kSpecialKeyDown: startBallControl(tiltBack); break;
    case kSpecialKeyLeft: startBallControl(tiltLeft); break;
    case kSpecialKeyRight: startBallControl(tiltRight); break;
    default: break;
    }
}

void specialUp(int key, int, int) {
    switch (key) {
    case kSpecialKeyUp: stopBallControl(tiltForward); break;
    case kSpecialKeyDown: stopBallControl(tiltBack); break;
    case kSpecialKeyLeft: stopBallControl(tiltLeft); break;
    case kSpecialKeyRight: stopBallControl(tiltRight); break;
    default: break;
    }
}

void mouseMotion(int x, int y) {
    // Widened so that extreme pointer jumps cannot overflow the int difference.
    const long long dx = static_cast<long long>(lastMouseX) - x;
    const long long dy = static_cast<long long>(lastMouseY) - y;
    lastMouseX = x;
    lastMouseY = y;
    if (panMode) {
        camera.position = camera.position +
                          (static_cast<double>(dy) * camera.forward +
                           static_cast<double>(-dx) * camera.right);
        return;
    }
    camera.yaw = static_cast<float>(camera.yaw + static_cast<double>(dx));
    camera.updateVectors();
    camera.pitch = static_cast<float>(camera.pitch + static_cast<double>(dy));
    camera.updateVectors();
}

void storeWindowSize(int width, int height) {
    windowWidth = width;
    windowHeight = height == 0 ? 1 : height;
}

void resetInputState() {
    panMode = false;
    cameraMoving = moveForward = moveBackward = moveLeft = moveRight = moveUp = moveDown = false;
    ballControl = tiltForward = tiltBack = tiltLeft = tiltRight = liftBall = pressBall = false;
    lastMouseX = 0;
    lastMouseY = 0;
}
