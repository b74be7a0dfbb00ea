#include "draw/Frame.h"

#include "draw/Gl.h"

#include <chrono>
#include <string>

#include "draw/CameraView.h"
#include "draw/GhostDrawing.h"
#include "draw/Overlay.h"
#include "world/World.h"

namespace {
constexpr float kOverlayTextX = 20.0f;
constexpr float kOverlayTextY = 20.0f;
constexpr float kRunStateTextY = 40.0f;  // under the frame rate
constexpr float kNoticeTextY = 60.0f;
constexpr float kCompareTextY = 80.0f;
constexpr float kPointerTextMargin = 12.0f;  // above the bottom edge
const GLfloat kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};

// The ball is simulated in the untilted frame and shown tilted with the board.
void applyBoardTilt(const Board& board) {
    glRotatef(board.tiltX, 1.0f, 0.0f, 0.0f);
    glRotatef(board.tiltZ, 0.0f, 0.0f, 1.0f);
}

void drawGround(const World& world, const Scene& scene) {
    glPushMatrix();
    applyBoardTilt(world.board);
    scene.ground.draw(world.board.useTexturedList);
    glPopMatrix();
}

void drawTiltedBall(const World& world, const Scene& scene) {
    glPushMatrix();
    applyBoardTilt(world.board);
    drawBall(world.ball, scene.ballSkin, world.display.look);
    if (world.compare) drawGhostBall(world.compare->ball);
    glPopMatrix();
}

void drawTimedBall(const World& world, const Scene& scene, FrameProfile& profile) {
    using Clock = std::chrono::steady_clock;
    glFinish();  // the ground drawn before belongs to the rest of the frame
    const Clock::time_point start = Clock::now();
    drawTiltedBall(world, scene);
    glFinish();
    profile.ballDrawSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    ++profile.ballDrawings;
}

// Key "8" switches lighting with the rest of the display options; the frame
// draws under the world's choice and leaves the switch as it found it.
class LightingAsChosen {
public:
    explicit LightingAsChosen(bool on) : wasOn_(glIsEnabled(GL_LIGHTING) == GL_TRUE) { set(on); }
    ~LightingAsChosen() { set(wasOn_); }
    LightingAsChosen(const LightingAsChosen&) = delete;
    LightingAsChosen& operator=(const LightingAsChosen&) = delete;

private:
    static void set(bool on) {
        if (on) {
            glEnable(GL_LIGHTING);
        } else {
            glDisable(GL_LIGHTING);
        }
    }
    bool wasOn_;
};
}  // namespace

void readScenePictures(Scene& scene, const std::string& folder) {
    scene.ground.readPictures(folder);
    scene.ballSkin.readPicture(folder);
    scene.skybox.readPictures(folder);
    scene.lightning.readPicture(folder);
}

void setUpFixedState() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    // Additive blending is the frame's default; the ball switches to ordinary
    // alpha blending for itself and puts this back.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    gl::nicestHints();

    // Only light 2 shines; light 1 is configured but never switched on. No
    // spot cut-off is set, so the spot direction has no effect.
    const GLfloat light2Position[4] = {static_cast<GLfloat>(kSceneLightPosition.x),
                                       static_cast<GLfloat>(kSceneLightPosition.y),
                                       static_cast<GLfloat>(kSceneLightPosition.z), 1.0f};
    static const GLfloat light2Direction[3] = {0.4f, -1.0f, 0.2f};
    glLightfv(GL_LIGHT2, GL_DIFFUSE, kWhite);
    glLightfv(GL_LIGHT2, GL_AMBIENT, kWhite);
    glLightfv(GL_LIGHT2, GL_SPECULAR, kWhite);
    glLightfv(GL_LIGHT2, GL_POSITION, light2Position);
    gl::spotDirection(GL_LIGHT2, light2Direction);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT2);

    static const GLfloat light1Position[4] = {0.0f, 7.0f, 0.0f, 1.0f};
    glLightfv(GL_LIGHT1, GL_DIFFUSE, kWhite);
    glLightfv(GL_LIGHT1, GL_AMBIENT, kWhite);
    glLightfv(GL_LIGHT1, GL_SPECULAR, kWhite);
    glLightfv(GL_LIGHT1, GL_POSITION, light1Position);
}

void applyProjection(const WindowSize& window) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(window.width) / window.height, 0.1, 300.0);
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, window.width, window.height);
    glLoadIdentity();
}

void drawFrame(const World& shown, World& advancing, const Scene& scene, const char* overlayText,
               FrameProfile* profile) {
    const LightingAsChosen lighting(shown.display.lightingOn);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    applyCameraView(shown.camera);
    drawGround(shown, scene);
    if (profile) {
        drawTimedBall(shown, scene, *profile);
    } else {
        drawTiltedBall(shown, scene);
    }

    advanceFrame(advancing);

    if (shown.display.skyVisible) scene.skybox.draw();
    if (shown.display.lightningVisible) drawLightning(shown.lightning, scene.lightning, shown.camera.yaw, shown.display.noFlashes);

    beginOverlay(shown.window);
    drawOverlayText(kOverlayTextX, kOverlayTextY, overlayText);
    const std::string runState = runStateLabel(shown.run);
    if (!runState.empty()) drawOverlayText(kOverlayTextX, kRunStateTextY, runState.c_str());
    if (shown.blowUpNoticeFrames > 0)
        drawOverlayText(kOverlayTextX, kNoticeTextY, "the ball ran away: rebuilt over the plate");
    if (shown.compare) drawOverlayText(kOverlayTextX, kCompareTextY, "compare: the orange ghost is B");
    if (shown.input.pointer == PointerMode::Hand)
        drawOverlayText(kOverlayTextX, static_cast<float>(shown.window.height) - kPointerTextMargin,
                        "hand: left pulls, right turns, middle moves (m)");
    if (shown.display.helpVisible)
        drawHelpPanel(shown.window, shown.compare ? "A is the ball, B the orange ghost" : nullptr);
    endOverlay();
    gl::finishFrame();
}
