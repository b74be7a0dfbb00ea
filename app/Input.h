#pragma once

// Keyboard and mouse state and the GLUT input callbacks. The handlers only
// touch the simulation; what needs the window (redrawing, quitting, the
// lighting switch) goes through shellHooks so the same handlers drive both
// the window and the headless replay.

// GLUT's special-key codes, kept here so the core needs no GLUT header.
constexpr int kSpecialKeyLeft = 100;
constexpr int kSpecialKeyUp = 101;
constexpr int kSpecialKeyRight = 102;
constexpr int kSpecialKeyDown = 103;
constexpr unsigned char kKeyEscape = 27;

extern bool panMode;
extern bool cameraMoving, moveForward, moveBackward, moveLeft, moveRight, moveUp, moveDown;
extern bool ballControl, tiltForward, tiltBack, tiltLeft, tiltRight, liftBall, pressBall;
extern int lastMouseX, lastMouseY;
extern int windowWidth, windowHeight;

struct ShellHooks {
    void (*redisplay)() = nullptr;         // draw a frame now
    void (*quit)() = nullptr;              // Esc: end the program
    void (*setLighting)(bool on) = nullptr;  // switch OpenGL lighting
};
extern ShellHooks shellHooks;

void keyDown(unsigned char key, int x, int y);
void keyUp(unsigned char key, int x, int y);
void specialDown(int key, int x, int y);
void specialUp(int key, int x, int y);
void mouseMotion(int x, int y);

// The state half of the reshape callback: a height of 0 is stored as 1.
void storeWindowSize(int width, int height);

// Clears every key flag and the remembered pointer position.
void resetInputState();
