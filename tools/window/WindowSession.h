#pragma once

// Runs the real program in its GLUT window while the caller, not
// glutMainLoop, decides when each idle call happens, so that tools and tests
// can deliver input between steps and read frames back.

#include "shell/Window.h"

// startUp (window, scene, banner) with the session's recorder, replay and
// rate, then takes the idle callback away from GLUT (the caller calls idle()
// itself) and keeps count of the reshapes and of the frames GLUT itself asks
// for (exposure).
void startUpDriven(int* argc, char** argv, const SessionOptions& session = SessionOptions());

// Lets GLUT process window events until the window has had its first
// reshape and has been drawn once on being shown, as under glutMainLoop
// before the first idle call. Returns false if that takes longer than the
// timeout.
bool waitUntilShown(double timeoutSeconds = 10.0);

// Processes the window events that are pending (glutMainLoopEvent).
void pumpWindowEvents();

// The window's id in the X server, for programs that drive it from outside
// (xdotool).
unsigned long nativeWindowId();

int reshapeCount();
int exposeFrameCount();
