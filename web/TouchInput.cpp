// What the page's touch screen, tilt pad and device orientation call: the
// window's own mouse-button, drag, key and reshape callbacks, so that every
// touch is the same script event a mouse or a key would make and a session
// replays exactly.
#include <GL/glut.h>
#include <emscripten.h>

#include "shell/Window.h"
#include "world/Input.h"
#include "world/Session.h"

extern "C" {

// A finger comes down at canvas pixel (x, y): with `fingers` 1, on the ball
// it is the left button (it grabs), elsewhere the right (it turns the
// camera); with 2 it is the middle button (it moves the camera). Returns the
// GLUT button pressed, for the release.
EMSCRIPTEN_KEEPALIVE int orvane_touch_press(int x, int y, int fingers) {
    int button = GLUT_MIDDLE_BUTTON;
    if (fingers == 1) button = wouldGrab(windowWorld(), x, y) ? GLUT_LEFT_BUTTON : GLUT_RIGHT_BUTTON;
    windowMouseButton(button, GLUT_DOWN, x, y);
    return button;
}

EMSCRIPTEN_KEEPALIVE void orvane_touch_move(int x, int y) { windowDrag(x, y); }

EMSCRIPTEN_KEEPALIVE void orvane_touch_release(int button, int x, int y) {
    windowMouseButton(button, GLUT_UP, x, y);
}

// An arrow key held (1) or released (0), as the keyboard's: GLUT's codes
// 100 left, 101 up, 102 right, 103 down.
EMSCRIPTEN_KEEPALIVE void orvane_arrow(int key, int down) {
    if (key < GLUT_KEY_LEFT || key > GLUT_KEY_DOWN) return;
    if (down) {
        windowSpecialDown(key, 0, 0);
    } else {
        windowSpecialUp(key, 0, 0);
    }
}

// The drawing buffer's new size in pixels: the window's reshape, as GLUT's
// main loop gives it on the desktop.
EMSCRIPTEN_KEEPALIVE void orvane_resize(int width, int height) {
    if (width > 0 && height > 0) glutReshapeWindow(width, height);
}

}  // extern "C"
