#include "shell/Window.h"

#include <GL/glut.h>
#if !defined(__EMSCRIPTEN__)
#include <GL/freeglut_ext.h>
#endif

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "draw/Frame.h"
#include "draw/Overlay.h"
#include "shell/PanelToolkit.h"
#include "shell/PictureFolders.h"
#include "world/ScriptPlayer.h"
#include "world/ScriptRecorder.h"
#include "world/World.h"

#if defined(__SANITIZE_ADDRESS__)
#define ORVANE_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVANE_LEAK_CHECKED 1
#endif
#endif
#ifdef ORVANE_LEAK_CHECKED
#include <sanitizer/lsan_interface.h>
#endif

namespace {
using Clock = std::chrono::steady_clock;

// The window's one world and what draws it, from startUp to the process's end.
struct Shell {
    World world;
    Scene scene;
    FrameRateCounter frameRate;
    WindowHooks hooks;
    int windowId = 0;
    long long idleCalls = 0;  // also the step of the next recorded event

    bool quitOnEscape = true;
    ScriptRecorder* recorder = nullptr;
    std::unique_ptr<ScriptPlayer> replay;  // while a --replay script has the controls

    double rateHz = 0.0;
    double paceCredit = 0.0;  // steps the clock owes, below one
    Clock::time_point lastPaceTime;
    double panelRateHz = 60.0;  // what the panel's pacing switch turns on

    std::vector<ScriptEvent> panelEvents;  // what the panel did, delivered before the next idle call
    bool panelTogglesPacing = false;
    bool worldHoldsButton[3] = {false, false, false};  // pressed outside the panel
};
Shell* shell = nullptr;

bool replaying() { return shell->replay != nullptr; }

void record(ScriptEvent event) {
    if (!shell->recorder) return;
    event.step = shell->idleCalls;
    if (!shell->recorder->record(event)) {
        std::fprintf(stderr, "orvane: recording stopped: %s\n", shell->recorder->error().c_str());
        shell->recorder = nullptr;
    }
}

void quitProgram() {
    glutDestroyWindow(shell->windowId);
    std::exit(0);
}

// Input from the window system goes the way a script's does, through the
// recording (when there is one) to the world's handlers. While a replay has
// the controls, only Esc and the window's own size get through.
void deliverLive(const ScriptEvent& event) {
    const bool escape = event.kind == ScriptEventKind::KeyDown && event.code == kKeyEscape;
    // Where Esc quits nothing (the page) it must do nothing at all: recorded,
    // it would end the recording's replay there.
    if (escape && !shell->quitOnEscape) return;
    if (replaying() && !escape && event.kind != ScriptEventKind::Reshape) return;
    record(event);
    const InputResponse response = deliverScriptEvent(shell->world, event);
    if (response == InputResponse::Quit && shell->quitOnEscape) quitProgram();
    showInWindow(response);
}

bool panelShown() { return shell->world.display.panelVisible; }

void drawPanel() {
    PanelContext context;
    context.pacing = shell->rateHz > 0.0;
    context.rateHz = context.pacing ? shell->rateHz : shell->panelRateHz;
    const PanelActions actions = panel_toolkit::draw(shell->world, context);
    for (const ScriptEvent& event : actions.events) shell->panelEvents.push_back(event);
    shell->panelTogglesPacing = shell->panelTogglesPacing != actions.togglePacing;
}

ScriptEvent eventOf(ScriptEventKind kind, int code = 0, int x = 0, int y = 0) {
    ScriptEvent event;
    event.kind = kind;
    event.code = code;
    event.x = x;
    event.y = y;
    return event;
}

bool worldHoldsAButton() {
    return shell->worldHoldsButton[0] || shell->worldHoldsButton[1] || shell->worldHoldsButton[2];
}

// The panel's own actions, and its pacing switch, before the idle call.
void deliverPanelActions() {
    std::vector<ScriptEvent> events;
    events.swap(shell->panelEvents);
    for (const ScriptEvent& event : events) deliverLive(event);
    if (!shell->panelTogglesPacing) return;
    shell->panelTogglesPacing = false;
    if (shell->rateHz > 0.0) {
        shell->panelRateHz = shell->rateHz;
        shell->rateHz = 0.0;
        deliverLive(eventOf(ScriptEventKind::Pace, -1));
    } else {
        shell->rateHz = shell->panelRateHz;
        shell->paceCredit = 0.0;
        shell->lastPaceTime = Clock::now();
    }
}

#if !defined(__EMSCRIPTEN__)
// Closing the window ends the session as Esc does; the recording says so.
void onClose() { record(eventOf(ScriptEventKind::End)); }
#endif

// The replay's events go into the recording too, so that a recording made
// during a replay holds the whole session. Its Esc only hands the controls
// over.
void playReplay() {
    if (!replaying()) return;
    shell->replay->deliverEventsBefore(shell->world, shell->idleCalls,
                                       [](const ScriptEvent& event, InputResponse response) {
                                           if (response == InputResponse::Quit) return;
                                           record(event);
                                           showInWindow(response);
                                       });
    if (shell->replay->finished()) shell->replay.reset();
}

// With --rate the clock decides how many steps each idle call takes (at
// most 8; a longer stall is forgotten rather than caught up). The count
// reaches the world as a pace event, so that a recording replays it.
void paceByClock() {
    if (shell->rateHz <= 0.0) return;
    const Clock::time_point now = Clock::now();
    const double elapsed = std::chrono::duration<double>(now - shell->lastPaceTime).count();
    shell->lastPaceTime = now;
    if (replaying()) return;
    shell->paceCredit += elapsed * shell->rateHz;
    const double whole = std::floor(shell->paceCredit);
    shell->paceCredit -= whole;
    const int steps = whole < RunControl::kMostStepsPerIdleCall ? static_cast<int>(whole)
                                                                  : RunControl::kMostStepsPerIdleCall;
    if (steps != shell->world.run.pacedSteps) deliverLive(eventOf(ScriptEventKind::Pace, steps));
}

void openWindow(int* argc, char** argv) {
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(640, 480);
    shell->windowId = glutCreateWindow("project orvane");
    // The key flags rely on exactly one down and one up event per press (the
    // browser page filters the repeats itself).
#if !defined(__EMSCRIPTEN__)
    glutIgnoreKeyRepeat(1);
#endif
}

void registerCallbacks() {
    glutDisplayFunc(display);
    glutIdleFunc(idle);
    glutReshapeFunc(reshapeWindow);
    glutKeyboardFunc(windowKeyDown);
    glutKeyboardUpFunc(windowKeyUp);
    glutSpecialFunc(windowSpecialDown);
    glutSpecialUpFunc(windowSpecialUp);
    glutPassiveMotionFunc(windowMouseMotion);
    glutMouseFunc(windowMouseButton);
    glutMotionFunc(windowDrag);
#if !defined(__EMSCRIPTEN__)
    glutCloseFunc(onClose);  // a page has no window to close
#endif
}

void printBanner() {
    std::printf("orvane - a soft ball on a tilting board\n");
    std::printf("Programmed by:\nthe orvane team\n");
}

// The first of the window's picture folders that holds any; with none, a
// line names every place looked in, and the working directory's pics/ is
// used, so that each object reports its missing picture as it always has.
std::string pictureFolder() {
    const std::vector<PictureFolder> folders = windowPictureFolders();
    if (const PictureFolder* found = firstFolderWithPictures(folders)) return found->path;
    std::fprintf(stderr, "orvane: %s\n", noPicturesMessage(folders).c_str());
    return folders.front().path;
}

// The pictures are read on another thread while the window and its GL
// context open, which keeps the driver busy for tens of milliseconds. The
// page has no threads: there they are read at once.
std::thread startReadingPictures(Scene& scene, const std::string& folder) {
#if !defined(__EMSCRIPTEN__)
    try {
        return std::thread(readScenePictures, std::ref(scene), folder);
    } catch (const std::system_error&) {
        // No thread to be had: read them here.
    }
#endif
    readScenePictures(scene, folder);
    return std::thread();
}

// Each object that fails says so and the start-up goes on with the next.
void setUpScene(Scene& scene, const std::string& pictures) {
    if (!scene.ground.build(kSceneLightPosition, pictures)) std::printf("fehler beim laden der ground textur\n");
    if (!scene.ballSkin.load(pictures)) std::printf("fehler beim initialisieren der kugel\n");
    if (!scene.skybox.init(pictures)) std::printf("fehler beim initialisieren der skybox\n");
    if (!scene.lightning.load(pictures)) std::printf("fehler beim initialisieren des Blitzes\n");
}

// In a sanitizer build the leak check normally runs after the libraries'
// destructors, by which time the GL driver has been unloaded and its blocks
// can no longer be told from ours. A handler registered after the window
// exists runs before those destructors, so the check sees every module.
void checkLeaksBeforeTheDriverIsUnloaded() {
#ifdef ORVANE_LEAK_CHECKED
    std::atexit([] { __lsan_do_leak_check(); });
#endif
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}
}  // namespace

void startUp(int* argc, char** argv, const SessionOptions& session) {
    // Lives until the process ends, as the window does.
    shell = new Shell();
    shell->recorder = session.recorder;
    shell->quitOnEscape = session.quitOnEscape;
    if (!session.replay.empty()) shell->replay = std::make_unique<ScriptPlayer>(session.replay);
    shell->rateHz = session.rateHz;
    const std::string pictures = pictureFolder();
    std::thread reading = startReadingPictures(shell->scene, pictures);
    openWindow(argc, argv);
    checkLeaksBeforeTheDriverIsUnloaded();
    registerCallbacks();
    setUpFixedState();
    printBanner();
    if (reading.joinable()) reading.join();
    setUpScene(shell->scene, pictures);
    shell->frameRate.start(glutGet(GLUT_ELAPSED_TIME));
    shell->lastPaceTime = Clock::now();
    for (const ScriptEvent& setting : session.settings) deliverLive(setting);
    // Whoever reads our output through a pipe sees it before the main loop.
    std::fflush(stdout);
}

void display() {
    shell->frameRate.countFrame(glutGet(GLUT_ELAPSED_TIME));
    drawFrame(shell->world, shell->scene, shell->frameRate.text(), shell->hooks.profile);
    if (panelShown()) drawPanel();
    if (shell->hooks.frameDrawn) shell->hooks.frameDrawn();
    glutSwapBuffers();
}

void idle() {
    deliverPanelActions();
    playReplay();
    paceByClock();
    FrameProfile* profile = shell->hooks.profile;
    const Clock::time_point start = Clock::now();
    step(shell->world);
    if (profile) {
        profile->stepSeconds += secondsSince(start);
        ++profile->steps;
    }
    display();
    ++shell->idleCalls;
}

// The first reshape (and any that keeps the size) changes nothing in the
// world, so it is not recorded.
void reshapeWindow(int width, int height) {
    const WindowSize& size = shell->world.window;
    if (width == size.width && (height == 0 ? 1 : height) == size.height) {
        applyProjection(size);
        return;
    }
    deliverLive(eventOf(ScriptEventKind::Reshape, 0, width, height));
}

void showInWindow(InputResponse response) {
    if (response == InputResponse::Redraw) display();
    if (response != InputResponse::Resize) return;
    const WindowSize& size = shell->world.window;
    applyProjection(size);
    // A script's reshape: the window follows (a live one already has the size).
    if (glutGet(GLUT_WINDOW_WIDTH) != size.width || glutGet(GLUT_WINDOW_HEIGHT) != size.height)
        glutReshapeWindow(size.width, size.height);
}

// Releases always reach the world too, so that no key it saw pressed stays
// held there.
void windowKeyDown(unsigned char key, int x, int y) {
    const bool kept = panelShown() && panel_toolkit::offerKeyDown(key, x, y);
    if (!kept) deliverLive(eventOf(ScriptEventKind::KeyDown, key));
}
void windowKeyUp(unsigned char key, int x, int y) {
    if (panelShown()) panel_toolkit::offerKeyUp(key, x, y);
    deliverLive(eventOf(ScriptEventKind::KeyUp, key));
}
void windowSpecialDown(int key, int x, int y) {
    const bool kept = panelShown() && panel_toolkit::offerSpecialDown(key, x, y);
    if (!kept) deliverLive(eventOf(ScriptEventKind::SpecialDown, key));
}
void windowSpecialUp(int key, int x, int y) {
    if (panelShown()) panel_toolkit::offerSpecialUp(key, x, y);
    deliverLive(eventOf(ScriptEventKind::SpecialUp, key));
}
// Over the panel the camera does not turn, but the pointer is remembered.
void windowMouseMotion(int x, int y) {
    const bool overPanel = panelShown() && panel_toolkit::offerMotion(x, y);
    deliverLive(eventOf(overPanel ? ScriptEventKind::Hover : ScriptEventKind::Motion, 0, x, y));
}

void windowMouseButton(int button, int state, int x, int y) {
    const bool overPanel = panelShown() && panel_toolkit::offerButton(button, state, x, y);
    // The wheel comes as buttons 3 and 4; it does nothing here.
    if (button != GLUT_LEFT_BUTTON && button != GLUT_MIDDLE_BUTTON && button != GLUT_RIGHT_BUTTON) return;
    // A press over the panel is the panel's, and so is its release; a press
    // on the scene is the world's wherever it is released.
    bool& worldHolds = shell->worldHoldsButton[button];
    if (state == GLUT_DOWN) {
        worldHolds = !overPanel;
        if (!worldHolds) return;
    } else if (!worldHolds) {
        return;
    } else {
        worldHolds = false;
    }
    ScriptEvent event = eventOf(state == GLUT_DOWN ? ScriptEventKind::ButtonDown : ScriptEventKind::ButtonUp, 0, x, y);
    event.button = button == GLUT_LEFT_BUTTON     ? MouseButton::Left
                   : button == GLUT_MIDDLE_BUTTON ? MouseButton::Middle
                                                  : MouseButton::Right;
    deliverLive(event);
}

void windowDrag(int x, int y) {
    if (panelShown()) panel_toolkit::offerDrag(x, y);
    if (panelShown() && !worldHoldsAButton()) return;
    deliverLive(eventOf(ScriptEventKind::Drag, 0, x, y));
}

void deliverToWindow(const ScriptEvent& event) { deliverLive(event); }

World& windowWorld() { return shell->world; }
int windowId() { return shell->windowId; }
long long windowIdleCalls() { return shell->idleCalls; }
const char* frameRateText() { return shell->frameRate.text(); }
WindowHooks& windowHooks() { return shell->hooks; }
