#pragma once

// The keyboard and mouse as the simulation sees them. Held keys only set
// flags, which the step reads; one-shot keys act at once. The handlers take
// the world they act on and say what the caller has to do next (draw a
// frame now, or quit), so that the window and the headless replay drive the
// very same code.

struct World;

// GLUT's special-key codes, kept here so the core needs no GLUT header.
constexpr int kSpecialKeyF1 = 1;
constexpr int kSpecialKeyLeft = 100;
constexpr int kSpecialKeyUp = 101;
constexpr int kSpecialKeyRight = 102;
constexpr int kSpecialKeyDown = 103;
constexpr unsigned char kKeyEscape = 27;

// What moving the pointer does. Look (the start): motion turns the camera,
// or moves it while space is held. Hand: motion turns nothing, so that the
// pointer can travel to the ball; the left button grabs as ever, dragging
// with the right button turns the camera and with the middle one moves it.
enum class PointerMode { Look, Hand };

enum class MouseButton { Left, Middle, Right };

struct InputState {
    bool panMode = false;  // space held: mouse motion moves the camera instead of turning it
    // Camera flight (w s a d r f); cameraMoving gates the group.
    bool cameraMoving = false, moveForward = false, moveBackward = false, moveLeft = false,
         moveRight = false, moveUp = false, moveDown = false;
    // Board and ball (arrows, t, g); ballControl gates the group.
    bool ballControl = false, tiltForward = false, tiltBack = false, tiltLeft = false,
         tiltRight = false, liftBall = false, pressBall = false;
    int lastMouseX = 0, lastMouseY = 0;  // the first motion is measured from (0, 0)
    PointerMode pointer = PointerMode::Look;
    bool buttonHeld[3] = {false, false, false};  // by MouseButton, pressed on the scene
};

enum class InputResponse {
    None,
    Redraw,  // draw a frame now, before anything else happens
    Quit,    // Esc: end the program (or the replay)
    Resize,  // the window size changed: the projection must follow
    // For whoever keeps the session's past (world/Session.h); the world
    // itself has only paused:
    StepBack,  // show the step before the one shown (key ",")
    Seek,      // show the step the event names (the script event seek)
    Restart,   // the world started afresh: its past starts anew
};

InputResponse keyDown(World& world, unsigned char key);
InputResponse keyUp(World& world, unsigned char key);
InputResponse specialDown(World& world, int key);
InputResponse specialUp(World& world, int key);
InputResponse mouseMotion(World& world, int x, int y);

// A button pressed or released with the pointer at (x, y). The left button
// grabs the ball's surface point nearest the pointer's ray, if the ray
// passes the ball; releasing it lets go.
InputResponse mouseButton(World& world, MouseButton button, bool down, int x, int y);

// Whether the left button pressed at (x, y) would grab the ball.
bool wouldGrab(const World& world, int x, int y);

// Pointer motion with a button held: drags what the left button grabbed.
// In look mode the camera does not turn (the window sends no plain motion
// meanwhile), but the pointer's position is kept, so that no jump follows
// the release. In hand mode the right button turns the camera and the
// middle one moves it, by the pointer's step since the last event.
InputResponse mouseDrag(World& world, int x, int y);

// Pointer motion over the study panel: the position is kept (so that no jump
// follows when the pointer leaves the panel), nothing turns.
InputResponse mouseHover(World& world, int x, int y);

// The state half of the window's reshape: a height of 0 is stored as 1.
InputResponse reshape(World& world, int width, int height);

// Switches what the pointer does (key "m" toggles it).
InputResponse setPointerMode(World& world, PointerMode mode);

// Real-time pacing: from now on each idle call takes `steps` simulation
// steps (at speed x1), as the clock asked for; a negative count ends pacing
// (one step per idle call). The window decides the count; a recording keeps
// it so that the replay takes the same steps.
InputResponse pace(World& world, int steps);
