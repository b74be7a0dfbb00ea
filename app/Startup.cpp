#include "app/Startup.h"

#include <GL/glut.h>

#include <cstdio>
#include <cstdlib>

#include "app/Display.h"
#include "app/Input.h"
#include "app/World.h"

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
const GLfloat kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};

void openWindow(int* argc, char** argv) {
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(640, 480);
    windowId = glutCreateWindow("project orvane");
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    // The key flags rely on exactly one down and one up event per press.
    glutIgnoreKeyRepeat(1);
}

void registerCallbacks() {
    glutDisplayFunc(display);
    glutIdleFunc(idle);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyDown);
    glutKeyboardUpFunc(keyUp);
    glutSpecialFunc(specialDown);
    glutSpecialUpFunc(specialUp);
    glutPassiveMotionFunc(mouseMotion);
}

// Additive blending is the frame's default; the ball switches to ordinary
// alpha blending for itself and puts this back.
void setFixedState() {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
}

// Only light 2 shines; light 1 is configured but never switched on. No spot
// cut-off is set, so the spot direction has no effect.
void setUpLights() {
    static const GLfloat light2Position[4] = {0.0f, 5.0f, 0.0f, 1.0f};
    static const GLfloat light2Direction[3] = {0.4f, -1.0f, 0.2f};
    glLightfv(GL_LIGHT2, GL_DIFFUSE, kWhite);
    glLightfv(GL_LIGHT2, GL_AMBIENT, kWhite);
    glLightfv(GL_LIGHT2, GL_SPECULAR, kWhite);
    glLightfv(GL_LIGHT2, GL_POSITION, light2Position);
    glLightfv(GL_LIGHT2, GL_SPOT_DIRECTION, light2Direction);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT2);

    static const GLfloat light1Position[4] = {0.0f, 7.0f, 0.0f, 1.0f};
    glLightfv(GL_LIGHT1, GL_DIFFUSE, kWhite);
    glLightfv(GL_LIGHT1, GL_AMBIENT, kWhite);
    glLightfv(GL_LIGHT1, GL_SPECULAR, kWhite);
    glLightfv(GL_LIGHT1, GL_POSITION, light1Position);
}

void printBanner() {
    std::printf("orvane - a soft ball on a tilting board\n");
    std::printf("Programmed by:\nthe orvane team\n");
}

void quitProgram() {
    glutDestroyWindow(windowId);
    std::exit(0);
}

void setLighting(bool on) {
    if (on) {
        glEnable(GL_LIGHTING);
    } else {
        glDisable(GL_LIGHTING);
    }
}

void installShellHooks() {
    shellHooks.redisplay = display;
    shellHooks.quit = quitProgram;
    shellHooks.setLighting = setLighting;
}

// Each object that fails says so and the start-up goes on with the next.
void setUpSceneObjects() {
    if (!ground.build(Vec3(0.0, 5.0, 0.0))) std::printf("fehler beim laden der ground textur\n");
    placeCameraAtStart(camera);
    if (!ball.init()) std::printf("fehler beim initialisieren der kugel\n");
    if (!skybox.init()) std::printf("fehler beim initialisieren der skybox\n");
    if (!lightning.init()) std::printf("fehler beim initialisieren des Blitzes\n");
}
}  // namespace

// In a sanitizer build the leak check normally runs after the libraries'
// destructors, by which time the GL driver has been unloaded and its blocks
// can no longer be told from ours. A handler registered after the window
// exists runs before those destructors, so the check sees every module.
static void checkLeaksBeforeTheDriverIsUnloaded() {
#ifdef ORVANE_LEAK_CHECKED
    std::atexit([] { __lsan_do_leak_check(); });
#endif
}

void startUp(int* argc, char** argv) {
    openWindow(argc, argv);
    checkLeaksBeforeTheDriverIsUnloaded();
    registerCallbacks();
    setFixedState();
    setUpLights();
    printBanner();
    installShellHooks();
    setUpSceneObjects();
    lightingOn = true;
    skyVisible = true;
    lightningVisible = true;
    lastFpsTime = glutGet(GLUT_ELAPSED_TIME);
    // Whoever reads our output through a pipe sees it before the main loop.
    std::fflush(stdout);
}
