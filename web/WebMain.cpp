// The browser page's program: the same world, drawing and window shell as
// the desktop's, driven by the page's animation frames.
#include <GL/glut.h>
#include <emscripten.h>

#include <cstdio>
#include <string>
#include <vector>

#include "shell/Window.h"
#include "tools/imagegen/ImageSet.h"
#include "web/Session.h"
#include "world/InputScript.h"
#include "world/ScriptRecorder.h"

namespace {
std::string pageScriptError;  // why the address's script was refused, for the page to show

// An input script given in the page's address (?replay=...), played first
// as orvane --replay plays one; none when it is missing or malformed (the
// page shows why, and the console says it too).
std::vector<ScriptEvent> scriptFromPage() {
    const int bytes = EM_ASM_INT({
        const script = new URLSearchParams(location.search).get('replay');
        return script ? lengthBytesUTF8(script) : -1;
    });
    if (bytes < 0) return {};
    std::string text(static_cast<std::size_t>(bytes) + 1, '\0');
    EM_ASM({ stringToUTF8(new URLSearchParams(location.search).get('replay'), $0, $1); }, text.data(), bytes + 1);
    text.resize(static_cast<std::size_t>(bytes));
    const ScriptParseResult script = parseInputScript(text, "the address's replay");
    if (!script.ok) {
        std::printf("orvane: %s\n", script.error.c_str());
        pageScriptError = script.error;
        return {};
    }
    return script.events;
}

// Emscripten's GLUT hands the motion callbacks the pointer's position at
// its previous event, so the camera and a drag lagged one event behind and
// a drag's last position never arrived. These hand on where the pointer is
// now, in whole pixels, as the desktop's GLUT does.
int pointerX() { return EM_ASM_INT({ return Browser.mouseX | 0; }); }
int pointerY() { return EM_ASM_INT({ return Browser.mouseY | 0; }); }
void motionWhereThePointerIs(int, int) { windowMouseMotion(pointerX(), pointerY()); }
void dragWhereThePointerIs(int, int) { windowDrag(pointerX(), pointerY()); }

// Emscripten's GLUT listens to the mouse on the whole page: a press on the
// HTML panel counted as a held button, and every motion after it was taken
// from the page (no slider could be dragged) and handed to the scene as a
// drag. Its listeners are swapped for ones that hand on only what begins on
// the canvas, and a drag that began there wherever it goes.
void keepThePagesOwnPresses() {
    EM_ASM({
        let pressedOnCanvas = false;
        const onCanvas = (event) => event.target === Module['canvas'];
        const swap = (type, original, wrapped) => {
            window.removeEventListener(type, original, true);
            window.addEventListener(type, wrapped, true);
        };
        swap('mousedown', GLUT.onMouseButtonDown, (event) => {
            if (!onCanvas(event)) return;
            pressedOnCanvas = true;
            GLUT.onMouseButtonDown(event);
        });
        swap('mousemove', GLUT.onMousemove, (event) => {
            if (onCanvas(event) || pressedOnCanvas) GLUT.onMousemove(event);
        });
        swap('mouseup', GLUT.onMouseButtonUp, (event) => {
            if (!pressedOnCanvas && !onCanvas(event)) return;
            GLUT.onMouseButtonUp(event);
            pressedOnCanvas = GLUT.buttons !== 0;
        });
        // Its touch listeners made every finger anywhere on the page a left
        // button; the page's touch.js gives fingers their own meaning.
        for (const type of ['touchstart', 'touchmove', 'touchend'])
            window.removeEventListener(type, GLUT.touchHandler, true);
    });
}

// A fixed 60 steps a second of wall-clock time, whatever the display's rate:
// the desktop's speed on a 60 Hz display.
constexpr double kStepsPerSecond = 60.0;
}  // namespace

// Why the ?replay= script was refused ("" when it was not).
extern "C" EMSCRIPTEN_KEEPALIVE const char* orvane_page_script_error() { return pageScriptError.c_str(); }

int main() {
    // The pictures are made here, in about a second, rather than downloaded:
    // they are 6.5 MB of uncompressed TGA files, and the code that makes
    // them is a few kilobytes of the program.
    std::string error;
    if (!writeImageSet("pics", generateImageSet(), &error)) std::printf("orvane: %s\n", error.c_str());

    // The page keeps a recording of its session, so that what it did can be
    // replayed natively (and the tests do so, byte for byte).
    static ScriptRecorder recorder;
    std::string recordingError;
    SessionOptions session;
    if (recorder.open(kSessionRecordingPath, recordingError)) session.recorder = &recorder;
    session.rateHz = kStepsPerSecond;
    session.replay = scriptFromPage();
    // A page that turned the camera whenever the pointer crossed it would
    // surprise everyone: the pointer starts in hand mode here.
    session.startEvents.push_back(ScriptEvent::pointerMode(PointerMode::Hand));
    // A page is seen first in a browser, where the look makes the toy: the
    // ball is jelly there from the start (key 4 switches it).
    session.startEvents.push_back(ScriptEvent::ballLook(BallLook::Jelly));
    session.quitOnEscape = false;
    static char name[] = "orvane";
    static char* argv[] = {name, nullptr};
    int argc = 1;
    startUp(&argc, argv, session);
    glutPassiveMotionFunc(motionWhereThePointerIs);
    glutMotionFunc(dragWhereThePointerIs);
    keepThePagesOwnPresses();
    // GLUT's idle callback runs on a 4 ms timer here; the animation frames
    // call the idle step instead.
    glutIdleFunc(nullptr);
    // GLUT's main loop would give the window its size; this loop does not.
    // The page then fits it to the screen (orvane_resize).
    glutReshapeWindow(640, 480);
    EM_ASM({
        if (typeof orvaneStarted === 'function') orvaneStarted();
    });
    emscripten_set_main_loop(idle, 0, 0);
    return 0;
}
