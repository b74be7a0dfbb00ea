#pragma once

#include <string>

#include <vector>

#include "world/Input.h"
#include "world/InputScript.h"
#include "world/Timeline.h"

// The program's window: it owns the one world and the scene that draws it,
// and its GLUT callbacks are thin functions that forward to them. All the
// window's input goes to the world as script events, the way a replay's
// does.

class ScriptRecorder;
struct FrameProfile;
struct World;

// What a session does besides playing: record its input, replay a script
// first, keep to the clock. By default, none of it.
struct SessionOptions {
    ScriptRecorder* recorder = nullptr;  // open; it must outlive the window
    std::vector<ScriptEvent> replay;     // played before the player takes over
    double rateHz = 0.0;                 // > 0: steps a second of wall-clock time
    std::vector<ScriptEvent> startEvents;  // from the command line: delivered (and recorded) before the first idle call
    bool quitOnEscape = true;            // a page has nothing to quit: Esc does nothing there
    std::size_t timelineBytes = Timeline::kDefaultMemoryBytes;  // what the kept past may take; 0: none
};

// Everything main does before the GLUT main loop: the world's start-up
// state (as everywhere else), then the window, the fixed OpenGL state, the
// banner and the scene's textures and lists (each failed set-up prints its
// message), and the first frame-rate time stamp. argc and argv go to
// glutInit.
void startUp(int* argc, char** argv, const SessionOptions& session = SessionOptions());

// The GLUT callbacks that startUp registers, for the tools and tests that
// drive the window themselves.
void display();  // draws and shows one frame
void idle();     // a replay's due events, one idle call of the world, display()
void reshapeWindow(int width, int height);
void windowKeyDown(unsigned char key, int x, int y);
void windowKeyUp(unsigned char key, int x, int y);
void windowSpecialDown(int key, int x, int y);
void windowSpecialUp(int key, int x, int y);
void windowMouseMotion(int x, int y);
void windowMouseButton(int button, int state, int x, int y);
void windowDrag(int x, int y);

// An input event from outside the window's own callbacks (the browser page's
// panel), delivered and recorded as the window's own are.
void deliverToWindow(const ScriptEvent& event);

// A script played from the next idle call on, as --replay plays one (its
// step 0 is the next idle call), instead of any script still playing: a
// ready experiment, a file opened, a link. The person's own input goes on
// reaching the world meanwhile (and is recorded with the script's).
void playInWindow(const std::vector<ScriptEvent>& events);
// The same from a script's text: "" when it plays, else why it was refused
// (with its line); a refused script changes nothing.
std::string playScriptInWindow(const std::string& text, const std::string& name);
// A ready experiment by name, played so: "" when it starts, else why not.
std::string startExperimentInWindow(const std::string& name);
bool windowReplaying();  // a script has the controls

// What the window does with a handler's answer: draw a frame now (Redraw),
// or follow a new size (Resize). Quit is the caller's business.
void showInWindow(InputResponse response);
// The same, as a script player's responder.
inline void showScriptResponse(const ScriptEvent&, InputResponse response) { showInWindow(response); }

// For the tools and tests: the present world, and the session that holds
// it with its past.
World& windowWorld();
class Session;
Session& windowSession();
int windowId();
long long windowIdleCalls();  // idle calls done since start-up
const char* frameRateText();  // as the last frame showed it
struct WindowHooks {
    void (*frameDrawn)() = nullptr;   // after a frame is drawn, before it is shown
    FrameProfile* profile = nullptr;  // filled by every idle call while set
};
WindowHooks& windowHooks();
