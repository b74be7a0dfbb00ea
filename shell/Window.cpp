#include "shell/Window.h"

#include <GL/glut.h>
#if !defined(__EMSCRIPTEN__)
#include <GL/freeglut_ext.h>
#include <GL/glx.h>
#include <X11/XKBlib.h>
#endif

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "draw/Frame.h"
#include "draw/Overlay.h"
#include "shell/PanelToolkit.h"
#include "shell/PictureFolders.h"
#include "shell/SavedFiles.h"
#include "world/DataCsv.h"
#include "world/Experiments.h"
#include "world/ScriptPlayer.h"
#include "world/Keys.h"
#include "world/ScriptRecorder.h"
#include "world/Session.h"
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
    Session session;
    Scene scene;
    FrameRateCounter frameRate;
    WindowHooks hooks;
    int windowId = 0;
    long long idleCalls = 0;  // also the step of the next recorded event

    bool quitOnEscape = true;
    ScriptRecorder* recorder = nullptr;
    std::unique_ptr<ScriptPlayer> replay;  // while a script plays
    bool replayHoldsControls = true;       // --replay does; an experiment, a file or a link does not

    double rateHz = 0.0;
    double paceCredit = 0.0;  // steps the clock owes, below one
    Clock::time_point lastPaceTime;
    double panelRateHz = 60.0;  // what the panel's pacing switch turns on
    bool panelDrawnLastFrame = false;

    std::vector<ScriptEvent> panelEvents;  // what the panel did, delivered before the next idle call
    bool panelTogglesPacing = false;
    bool worldHoldsButton[3] = {false, false, false};  // pressed outside the panel
    PointerMode cursorShows = PointerMode::Look;          // GLUT's own cursor at start
    std::set<int> keysHeld;  // characters, and special keys as 256 + code

    std::string notice;  // what a save said, on the overlay for a while
    int noticeFrames = 0;
};
constexpr int kNoticeFrames = 400;
Shell* shell = nullptr;

bool replaying() { return shell->replay != nullptr; }

// What input asked for and could not have, said where the program's
// messages go.
void tellNotices() {
    for (const std::string& notice : shell->session.takeNotices()) std::fprintf(stderr, "orvane: %s\n", notice.c_str());
}

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
// the controls (--replay), only Esc and the window's own size get through;
// while an experiment, a file or a link plays, the person may join in.
void deliverLive(const ScriptEvent& event) {
    const bool escape = event.kind == ScriptEventKind::KeyDown && event.key == kKeyEscape;
    // Where Esc quits nothing (the page) it must do nothing at all: recorded,
    // it would end the recording's replay there.
    if (escape && !shell->quitOnEscape) return;
    if (replaying() && shell->replayHoldsControls && !escape && event.kind != ScriptEventKind::Reshape) return;
    record(event);
    const InputResponse response = shell->session.deliver(event);
    tellNotices();
    if (response == InputResponse::Quit && shell->quitOnEscape) quitProgram();
    showInWindow(response);
}

bool panelShown() { return shell->session.present().display.panelVisible; }

TimelineView timelineView(const Session& session) {
    TimelineView view;
    view.enabled = session.timeline().enabled();
    view.oldest = session.timeline().oldestStep();
    view.shown = session.shownStep();
    view.present = session.present().simulationSteps;
    return view;
}

void tellOnTheOverlay(const std::string& text) {
    std::fprintf(stderr, "orvane: %s\n", text.c_str());
    shell->notice = text;
    shell->noticeFrames = kNoticeFrames;
}

void save(const char* kind, const char* extension, const std::string& text) {
    tellOnTheOverlay(saveInWorkingDirectory(savedFileName(kind, extension, std::time(nullptr)), text));
}


void drawPanel() {
    PanelContext context;
    context.pacing = shell->rateHz > 0.0;
    context.rateHz = context.pacing ? shell->rateHz : shell->panelRateHz;
    context.timeline = timelineView(shell->session);
    const PanelActions actions = panel_toolkit::draw(shell->session.shown(), context);
    for (const ScriptEvent& event : actions.events) shell->panelEvents.push_back(event);
    shell->panelTogglesPacing = shell->panelTogglesPacing != actions.togglePacing;
    if (!actions.experiment.empty()) {
        const std::string refused = startExperimentInWindow(actions.experiment);
        if (!refused.empty()) tellOnTheOverlay(refused);
    }
    if (actions.saveSession) save("session", "txt", shell->session.sessionScript());
    if (actions.saveSetUp) save("setup", "txt", setUpScript(shell->session.shown()));
    if (actions.saveData) save("data", "csv", keptStepsCsv(shell->session.timeline()));
}

// The frame rate, and after it for a while what a save said.
std::string overlayText() {
    std::string text = shell->frameRate.text();
    if (shell->noticeFrames <= 0) return text;
    --shell->noticeFrames;
    return text + (text.empty() ? "" : "   ") + shell->notice;
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
        deliverLive(ScriptEvent::pace(ScriptEvent::kPaceOff));
    } else {
        shell->rateHz = shell->panelRateHz;
        shell->paceCredit = 0.0;
        shell->lastPaceTime = Clock::now();
    }
}

#if !defined(__EMSCRIPTEN__)
// Closing the window ends the session as Esc does; the recording says so.
void onClose() { record(ScriptEvent::end()); }
#endif

// The replay's events go into the recording too, so that a recording made
// during a replay holds the whole session. Its Esc only hands the controls
// over.
void playReplay() {
    if (!replaying()) return;
    shell->replay->deliverEventsBefore(shell->session, shell->idleCalls,
                                       [](const ScriptEvent& event, InputResponse response) {
                                           tellNotices();
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
    if (steps != shell->session.present().run.pacedSteps) deliverLive(ScriptEvent::pace(steps));
}

void openWindow(int* argc, char** argv) {
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(640, 480);
    shell->windowId = glutCreateWindow("project orvane");
    // The key flags rely on exactly one down and one up event per press, but
    // the timeline's keys step on while held. X is asked to repeat a held
    // key's press alone, without releases in between, and the key callbacks
    // let through only those repeats (the browser page filters its own).
    // Only where X cannot does GLUT drop repeats itself: its guess, made
    // when it reads a release, takes a quick second press of the same key
    // for a repeat and loses both.
#if !defined(__EMSCRIPTEN__)
    Bool detectable = False;
    if (Display* display = glXGetCurrentDisplay()) XkbSetDetectableAutoRepeat(display, True, &detectable);
    glutIgnoreKeyRepeat(detectable ? 0 : 1);
#endif
}

// The first press of a key, or a repeat of one that repeats while held.
bool pressReachesTheWorld(KeySource source, int code) {
    const int held = source == KeySource::Special ? 256 + code : code;
    if (shell->keysHeld.insert(held).second) return true;
    const KeyBinding* binding = source == KeySource::Special ? findSpecialKey(code)
                                                               : findCharacterKey(static_cast<unsigned char>(code));
    return binding && binding->repeats;
}

void releaseHeldKey(KeySource source, int code) {
    shell->keysHeld.erase(source == KeySource::Special ? 256 + code : code);
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
    shell->session = Session(session.timelineBytes);
    shell->session.keepTranscript();  // for Save session and the page's links
    shell->recorder = session.recorder;
    shell->quitOnEscape = session.quitOnEscape;
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
    // The command line's choices come first, so that a replay plays under them.
    for (const ScriptEvent& event : session.startEvents) deliverLive(event);
    if (!session.replay.empty()) shell->replay = std::make_unique<ScriptPlayer>(session.replay);
    // Whoever reads our output through a pipe sees it before the main loop.
    std::fflush(stdout);
}

namespace {
// A hand over the scene says that the pointer grabs rather than looks.
void showPointerMode() {
    const PointerMode mode = shell->session.present().input.pointer;
    if (mode == shell->cursorShows) return;
    shell->cursorShows = mode;
    glutSetCursor(mode == PointerMode::Hand ? GLUT_CURSOR_INFO : GLUT_CURSOR_INHERIT);
}
}  // namespace

void display() {
    showPointerMode();
    shell->frameRate.countFrame(glutGet(GLUT_ELAPSED_TIME));
    drawFrame(shell->session.shown(), shell->session.present(), shell->scene, overlayText().c_str(),
              shell->hooks.profile);
    shell->session.frameDrawn();
    if (panelShown()) {
        if (!shell->panelDrawnLastFrame) panel_toolkit::forgetHeldInput();
        drawPanel();
    }
    shell->panelDrawnLastFrame = panelShown();
    if (shell->hooks.frameDrawn) shell->hooks.frameDrawn();
    glutSwapBuffers();
}

void idle() {
    deliverPanelActions();
    playReplay();
    paceByClock();
    FrameProfile* profile = shell->hooks.profile;
    const Clock::time_point start = Clock::now();
    shell->session.idleCall();
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
    const WindowSize& size = shell->session.present().window;
    if (width == size.width && (height == 0 ? 1 : height) == size.height) {
        applyProjection(size);
        return;
    }
    deliverLive(ScriptEvent::reshape(width, height));
}

void showInWindow(InputResponse response) {
    if (response == InputResponse::Redraw) display();
    if (response != InputResponse::Resize) return;
    const WindowSize& size = shell->session.present().window;
    applyProjection(size);
    // A script's reshape: the window follows (a live one already has the size).
    if (glutGet(GLUT_WINDOW_WIDTH) != size.width || glutGet(GLUT_WINDOW_HEIGHT) != size.height)
        glutReshapeWindow(size.width, size.height);
}

// Releases always reach the world too, so that no key it saw pressed stays
// held there.
void windowKeyDown(unsigned char key, int x, int y) {
    const bool kept = panelShown() && panel_toolkit::offerKeyDown(key, x, y);
    if (!kept && pressReachesTheWorld(KeySource::Character, key)) deliverLive(ScriptEvent::keyDown(key));
}
void windowKeyUp(unsigned char key, int x, int y) {
    releaseHeldKey(KeySource::Character, key);
    if (panelShown()) panel_toolkit::offerKeyUp(key, x, y);
    deliverLive(ScriptEvent::keyUp(key));
}
void windowSpecialDown(int key, int x, int y) {
    const bool kept = panelShown() && panel_toolkit::offerSpecialDown(key, x, y);
    if (!kept && pressReachesTheWorld(KeySource::Special, key)) deliverLive(ScriptEvent::specialDown(key));
}
void windowSpecialUp(int key, int x, int y) {
    releaseHeldKey(KeySource::Special, key);
    if (panelShown()) panel_toolkit::offerSpecialUp(key, x, y);
    deliverLive(ScriptEvent::specialUp(key));
}
// Over the panel the camera does not turn, but the pointer is remembered.
void windowMouseMotion(int x, int y) {
    const bool overPanel = panelShown() && panel_toolkit::offerMotion(x, y);
    deliverLive(overPanel ? ScriptEvent::hover(x, y) : ScriptEvent::motion(x, y));
}

void windowMouseButton(int button, int state, int x, int y) {
    const bool overPanel = panelShown() && panel_toolkit::offerButton(button, state, x, y);
    // The wheel comes as buttons 3 and 4: it scrolls the panel and is nothing to the world.
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
    const MouseButton which = button == GLUT_LEFT_BUTTON     ? MouseButton::Left
                              : button == GLUT_MIDDLE_BUTTON ? MouseButton::Middle
                                                             : MouseButton::Right;
    deliverLive(state == GLUT_DOWN ? ScriptEvent::buttonDown(which, x, y) : ScriptEvent::buttonUp(which, x, y));
}

void windowDrag(int x, int y) {
    if (panelShown()) panel_toolkit::offerDrag(x, y);
    if (panelShown() && !worldHoldsAButton()) return;
    deliverLive(ScriptEvent::drag(x, y));
}

void deliverToWindow(const ScriptEvent& event) { deliverLive(event); }

bool windowReplaying() { return replaying(); }

void playInWindow(const std::vector<ScriptEvent>& events) {
    std::vector<ScriptEvent> shifted;
    shifted.reserve(events.size());
    for (const ScriptEvent& event : events) shifted.push_back(event.at(event.step + shell->idleCalls));
    shell->replay = std::make_unique<ScriptPlayer>(std::move(shifted));
    shell->replayHoldsControls = false;
}

std::string playScriptInWindow(const std::string& text, const std::string& name) {
    const ScriptParseResult script = parseInputScript(text, name);
    if (!script.ok) return script.error;
    playInWindow(script.events);
    return std::string();
}

std::string startExperimentInWindow(const std::string& name) {
    const Experiment* experiment = findExperiment(name);
    if (!experiment) return "no experiment is called \"" + name + "\"";
    return playScriptInWindow(experiment->script, experiment->name);
}

World& windowWorld() { return shell->session.present(); }
Session& windowSession() { return shell->session; }
int windowId() { return shell->windowId; }
long long windowIdleCalls() { return shell->idleCalls; }
const char* frameRateText() { return shell->frameRate.text(); }
WindowHooks& windowHooks() { return shell->hooks; }
