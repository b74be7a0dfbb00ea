#include "shell/Window.h"

#include <GL/glut.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "draw/Frame.h"
#include "draw/Overlay.h"
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
// The window's one world and what draws it, from startUp to the process's end.
struct Shell {
    World world;
    Scene scene;
    FrameRateCounter frameRate;
    WindowHooks hooks;
    int windowId = 0;
};
Shell* shell = nullptr;

void quitProgram() {
    glutDestroyWindow(shell->windowId);
    std::exit(0);
}

void respond(InputResponse response) {
    if (response == InputResponse::Redraw) display();
    if (response == InputResponse::Quit) quitProgram();
}

void openWindow(int* argc, char** argv) {
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(640, 480);
    shell->windowId = glutCreateWindow("project orvane");
    // The key flags rely on exactly one down and one up event per press.
    glutIgnoreKeyRepeat(1);
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
}

void printBanner() {
    std::printf("orvane - a soft ball on a tilting board\n");
    std::printf("Programmed by:\nthe orvane team\n");
}

// Each object that fails says so and the start-up goes on with the next.
void setUpScene(Scene& scene) {
    if (!scene.ground.build(kSceneLightPosition)) std::printf("fehler beim laden der ground textur\n");
    if (!scene.ballSkin.load()) std::printf("fehler beim initialisieren der kugel\n");
    if (!scene.skybox.init()) std::printf("fehler beim initialisieren der skybox\n");
    if (!scene.lightning.load()) std::printf("fehler beim initialisieren des Blitzes\n");
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

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
}  // namespace

void startUp(int* argc, char** argv) {
    // Lives until the process ends, as the window does.
    shell = new Shell();
    openWindow(argc, argv);
    checkLeaksBeforeTheDriverIsUnloaded();
    registerCallbacks();
    setUpFixedState();
    printBanner();
    setUpScene(shell->scene);
    shell->frameRate.start(glutGet(GLUT_ELAPSED_TIME));
    // Whoever reads our output through a pipe sees it before the main loop.
    std::fflush(stdout);
}

void display() {
    shell->frameRate.countFrame(glutGet(GLUT_ELAPSED_TIME));
    drawFrame(shell->world, shell->scene, shell->frameRate.text(), shell->hooks.profile);
    if (shell->hooks.frameDrawn) shell->hooks.frameDrawn();
    glutSwapBuffers();
}

void idle() {
    FrameProfile* profile = shell->hooks.profile;
    const auto start = std::chrono::steady_clock::now();
    step(shell->world);
    if (profile) {
        profile->stepSeconds += secondsSince(start);
        ++profile->steps;
    }
    display();
}

void reshapeWindow(int width, int height) {
    reshape(shell->world, width, height);
    applyProjection(shell->world.window);
}

void windowKeyDown(unsigned char key, int, int) { respond(keyDown(shell->world, key)); }
void windowKeyUp(unsigned char key, int, int) { respond(keyUp(shell->world, key)); }
void windowSpecialDown(int key, int, int) { respond(specialDown(shell->world, key)); }
void windowSpecialUp(int key, int, int) { respond(specialUp(shell->world, key)); }
void windowMouseMotion(int x, int y) { respond(mouseMotion(shell->world, x, y)); }

World& windowWorld() { return shell->world; }
int windowId() { return shell->windowId; }
const char* frameRateText() { return shell->frameRate.text(); }
WindowHooks& windowHooks() { return shell->hooks; }
