#pragma once

// The program's window: it owns the one world and the scene that draws it,
// and its GLUT callbacks are thin functions that forward to them.

struct FrameProfile;
struct World;

// Everything main does before the GLUT main loop: the world's start-up
// state (as everywhere else), then the window, the fixed OpenGL state, the
// banner and the scene's textures and lists (each failed set-up prints its
// message), and the first frame-rate time stamp. Command-line options go to
// glutInit unchanged.
void startUp(int* argc, char** argv);

// The GLUT callbacks that startUp registers, for the tools and tests that
// drive the window themselves.
void display();  // draws and shows one frame
void idle();     // one step of the world, then display()
void reshapeWindow(int width, int height);
void windowKeyDown(unsigned char key, int x, int y);
void windowKeyUp(unsigned char key, int x, int y);
void windowSpecialDown(int key, int x, int y);
void windowSpecialUp(int key, int x, int y);
void windowMouseMotion(int x, int y);

// For the tools and tests.
World& windowWorld();
int windowId();
const char* frameRateText();  // as the last frame showed it
struct WindowHooks {
    void (*frameDrawn)() = nullptr;   // after a frame is drawn, before it is shown
    FrameProfile* profile = nullptr;  // filled by every idle call while set
};
WindowHooks& windowHooks();
