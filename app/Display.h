#pragma once

// The frame: GLUT display, idle and reshape callbacks and the FPS overlay.

extern int framesCounted;
extern int lastFpsTime;
extern char fpsText[30];
extern int windowId;

void display();
void idle();  // one simulation step, then display()
void reshape(int width, int height);

void beginOverlay();
void drawOverlayText(float x, float y);

// Called by display() after the frame is drawn and before the buffers are
// swapped, so that tools and tests can read the finished frame back.
extern void (*frameDrawnHook)();
