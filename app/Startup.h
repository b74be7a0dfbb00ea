#pragma once

// Everything main does before the GLUT main loop: window, callbacks, fixed
// OpenGL state and light, banner, the five scene objects in order (each
// failed set-up prints its message), display options and the first FPS
// time stamp. Command-line options go to glutInit unchanged.
void startUp(int* argc, char** argv);
