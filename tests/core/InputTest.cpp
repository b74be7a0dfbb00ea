// Keyboard and mouse handlers: key flags and their groups, pan mode, pointer
// motion, the one-shot keys and the hooks to the window.
#include <gtest/gtest.h>

#include <vector>

#include "app/IdleStep.h"
#include "app/Input.h"
#include "app/World.h"

namespace {
int redisplayCalls = 0;
int quitCalls = 0;
std::vector<bool> lightingCalls;

void countRedisplay() { ++redisplayCalls; }
void countQuit() { ++quitCalls; }
void recordLighting(bool on) { lightingCalls.push_back(on); }

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        setUpWorldWithoutDisplay();
        redisplayCalls = 0;
        quitCalls = 0;
        lightingCalls.clear();
        shellHooks.redisplay = countRedisplay;
        shellHooks.quit = countQuit;
        shellHooks.setLighting = recordLighting;
    }
    void TearDown() override {
        shellHooks = ShellHooks();
        setUpWorldWithoutDisplay();
    }
};

struct FlagKey {
    unsigned char key;
    bool* flag;
    bool* group;
};

std::vector<FlagKey> characterFlagKeys() {
    return {{'w', &moveForward, &cameraMoving}, {'s', &moveBackward, &cameraMoving},
            {'a', &moveLeft, &cameraMoving},    {'d', &moveRight, &cameraMoving},
            {'r', &moveUp, &cameraMoving},      {'f', &moveDown, &cameraMoving},
            {'t', &liftBall, &ballControl},     {'g', &pressBall, &ballControl}};
}

struct SpecialFlagKey {
    int key;
    bool* flag;
};

std::vector<SpecialFlagKey> arrowFlagKeys() {
    return {{kSpecialKeyUp, &tiltForward},
            {kSpecialKeyDown, &tiltBack},
            {kSpecialKeyLeft, &tiltLeft},
            {kSpecialKeyRight, &tiltRight}};
}

std::vector<bool*> allFlags() {
    return {&panMode,   &cameraMoving, &moveForward, &moveBackward, &moveLeft,
            &moveRight, &moveUp,       &moveDown,    &ballControl,  &tiltForward,
            &tiltBack,  &tiltLeft,     &tiltRight,   &liftBall,     &pressBall};
}

int flagsSet() {
    int n = 0;
    for (bool* f : allFlags()) n += *f ? 1 : 0;
    return n;
}

void expectSamePosition(const Vec3& got, const Vec3& want) {
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.z, want.z);
}

void turnCamera(float yaw, float pitch) {
    camera.yaw = yaw;
    camera.pitch = pitch;
    camera.updateVectors();
}
}  // namespace

TEST_F(InputTest, EachFlagKeySetsItsFlagAndGroupAndReleaseClearsBoth) {
    for (const FlagKey& k : characterFlagKeys()) {
        keyDown(k.key, 0, 0);
        EXPECT_TRUE(*k.flag) << k.key;
        EXPECT_TRUE(*k.group) << k.key;
        EXPECT_EQ(flagsSet(), 2) << k.key;
        keyUp(k.key, 0, 0);
        EXPECT_EQ(flagsSet(), 0) << k.key;
    }
    for (const SpecialFlagKey& k : arrowFlagKeys()) {
        specialDown(k.key, 0, 0);
        EXPECT_TRUE(*k.flag) << k.key;
        EXPECT_TRUE(ballControl) << k.key;
        EXPECT_EQ(flagsSet(), 2) << k.key;
        specialUp(k.key, 0, 0);
        EXPECT_EQ(flagsSet(), 0) << k.key;
    }
}

TEST_F(InputTest, ReleasingOneCameraKeyStopsTheWholeGroupUntilAnotherIsPressed) {
    turnCamera(37.0f, 12.0f);
    keyDown('w', 0, 0);
    keyDown('a', 0, 0);
    keyUp('a', 0, 0);
    EXPECT_TRUE(moveForward);
    EXPECT_FALSE(cameraMoving);
    const Vec3 before = camera.position;
    advanceOneStep();
    expectSamePosition(camera.position, before);

    keyDown('r', 0, 0);  // resumes the still-held w together with r
    advanceOneStep();
    const double step = 0.03999999910593033;
    const Vec3 want = (before + step * camera.forward) + step * camera.up;
    expectSamePosition(camera.position, want);
}

TEST_F(InputTest, ReleasingOneBallKeyStopsTheWholeGroup) {
    specialDown(kSpecialKeyUp, 0, 0);
    keyDown('t', 0, 0);
    specialUp(kSpecialKeyUp, 0, 0);
    EXPECT_TRUE(liftBall);
    EXPECT_FALSE(ballControl);
    keyDown('t', 0, 0);
    specialDown(kSpecialKeyLeft, 0, 0);
    keyUp('t', 0, 0);
    EXPECT_TRUE(tiltLeft);
    EXPECT_FALSE(ballControl);
}

TEST_F(InputTest, PanModeEndsWithAnyOtherCharacterKeyDownButNotSpecialKeys) {
    keyDown(' ', 0, 0);
    EXPECT_TRUE(panMode);
    specialDown(kSpecialKeyUp, 0, 0);
    specialUp(kSpecialKeyUp, 0, 0);
    specialDown(1, 0, 0);  // F1: unlisted
    keyUp('w', 0, 0);      // up events of other keys leave it too
    EXPECT_TRUE(panMode);
    keyUp(' ', 0, 0);
    EXPECT_FALSE(panMode);

    for (int key = 1; key < 256; ++key) {
        if (key == ' ' || key == kKeyEscape) continue;
        keyDown(' ', 0, 0);
        keyDown(static_cast<unsigned char>(key), 0, 0);
        EXPECT_FALSE(panMode) << "key " << key;
        keyUp(static_cast<unsigned char>(key), 0, 0);
    }
    keyDown(' ', 0, 0);
    keyDown(kKeyEscape, 0, 0);
    EXPECT_FALSE(panMode);
}

TEST_F(InputTest, PanMovesByOneVectorSumOfForwardAndRight) {
    turnCamera(37.0f, 21.0f);
    camera.position = Vec3(0.1, 7.3, 16.7);
    mouseMotion(410, 230);  // first motion turns the camera: take it back
    turnCamera(37.0f, 21.0f);
    keyDown(' ', 0, 0);

    const Vec3 before = camera.position;
    mouseMotion(413, 225);  // dx = -3, dy = 5: up and to the right
    const Vec3 want = before + (5.0 * camera.forward + 3.0 * camera.right);
    expectSamePosition(camera.position, want);
    EXPECT_EQ(camera.yaw, 37.0f);
    EXPECT_EQ(camera.pitch, 21.0f);
    EXPECT_EQ(lastMouseX, 413);
    EXPECT_EQ(lastMouseY, 225);
    // Adding the two parts one after the other would round differently.
    const Vec3 stepwise = (before + 5.0 * camera.forward) + 3.0 * camera.right;
    EXPECT_TRUE(stepwise.x != want.x || stepwise.z != want.z);
}

TEST_F(InputTest, FirstMotionMeasuresFromTheOrigin) {
    mouseMotion(300, 200);
    EXPECT_EQ(camera.yaw, 180.0f - 300.0f);
    EXPECT_EQ(camera.pitch, -200.0f);
    Camera want;
    want.yaw = -120.0f;
    want.pitch = -200.0f;
    want.updateVectors();
    expectSamePosition(camera.forward, want.forward);
    expectSamePosition(camera.right, want.right);
    expectSamePosition(camera.position, Vec3(0, 7, 16));

    mouseMotion(290, 205);  // left 10, down 5
    EXPECT_EQ(camera.yaw, -110.0f);
    EXPECT_EQ(camera.pitch, -205.0f);
}

namespace {
struct SceneSnapshot {
    float tiltX, tiltZ;
    Vec3 cameraPosition;
    float yaw, pitch;
};

SceneSnapshot steerAndFlyForAWhile() {
    specialDown(kSpecialKeyRight, 0, 0);
    keyDown('d', 0, 0);
    for (int i = 0; i < 120; ++i) advanceOneStep();
    keyUp('d', 0, 0);
    return {ground.tiltX, ground.tiltZ, camera.position, camera.yaw, camera.pitch};
}

void expectTiltAndCameraUnchanged(const SceneSnapshot& s) {
    EXPECT_EQ(ground.tiltX, s.tiltX);
    EXPECT_EQ(ground.tiltZ, s.tiltZ);
    expectSamePosition(camera.position, s.cameraPosition);
    EXPECT_EQ(camera.yaw, s.yaw);
    EXPECT_EQ(camera.pitch, s.pitch);
}

void expectBallAtRestAround(const Vec3& centre) {
    ASSERT_EQ(ball.particles.size(), 123u);
    expectSamePosition(ball.particles[ball.centreIndex()]->position, centre);
    expectSamePosition(ball.particles[0]->position, centre + Vec3(0, 0, 1));
    for (const auto& p : ball.particles) expectSamePosition(p->velocity, Vec3());
    EXPECT_TRUE(ball.buildUpActive);
}
}  // namespace

TEST_F(InputTest, NineRebuildsTheBallWhereItIs) {
    const SceneSnapshot before = steerAndFlyForAWhile();
    const Vec3 lastCentre = ball.centre;
    EXPECT_GT(lastCentre.x, 0.01);  // the tilt has rolled it off the middle

    keyDown('9', 0, 0);
    expectBallAtRestAround(lastCentre + Vec3(0, 0.5, 0));
    expectTiltAndCameraUnchanged(before);
    EXPECT_EQ(redisplayCalls, 1);
}

TEST_F(InputTest, ZeroRebuildsTheBallOverTheMiddleOfThePlate) {
    const SceneSnapshot before = steerAndFlyForAWhile();
    EXPECT_GT(ball.centre.x, 0.01);

    keyDown('0', 0, 0);
    expectSamePosition(ball.centre, Vec3(0, 5.5, 0));
    expectBallAtRestAround(Vec3(0, 5.5, 0));
    expectTiltAndCameraUnchanged(before);
    EXPECT_EQ(redisplayCalls, 1);
}

TEST_F(InputTest, DisplaySwitchKeysToggleAndRedraw) {
    keyDown('1', 0, 0);
    keyDown('2', 0, 0);
    keyDown('3', 0, 0);
    EXPECT_TRUE(ball.showParticles);
    EXPECT_TRUE(ball.showSprings);
    EXPECT_FALSE(ball.showSurface);
    EXPECT_EQ(redisplayCalls, 3);
    keyDown('1', 0, 0);
    EXPECT_FALSE(ball.showParticles);
    EXPECT_TRUE(ball.showSprings);

    keyDown('8', 0, 0);
    EXPECT_FALSE(lightingOn);
    EXPECT_FALSE(ground.useTexturedList);
    EXPECT_FALSE(lightningVisible);
    EXPECT_FALSE(skyVisible);
    keyDown('8', 0, 0);
    EXPECT_TRUE(lightingOn);
    EXPECT_TRUE(ground.useTexturedList);
    EXPECT_TRUE(lightningVisible);
    EXPECT_TRUE(skyVisible);
    EXPECT_EQ(lightingCalls, (std::vector<bool>{false, true}));
    EXPECT_EQ(redisplayCalls, 6);
}

TEST_F(InputTest, UpperCaseLettersDoNothing) {
    const Vec3 centre = ball.particles[0]->position;
    for (unsigned char key = 'A'; key <= 'Z'; ++key) {
        keyDown(key, 0, 0);
        EXPECT_EQ(flagsSet(), 0) << key;
        keyUp(key, 0, 0);
    }
    EXPECT_EQ(redisplayCalls, 0);
    EXPECT_EQ(quitCalls, 0);
    EXPECT_TRUE(lightingOn);
    EXPECT_FALSE(ball.showParticles);
    expectSamePosition(ball.particles[0]->position, centre);
    for (int i = 0; i < 5; ++i) advanceOneStep();
    EXPECT_EQ(ground.tiltX, 0.0f);
    expectSamePosition(camera.position, Vec3(0, 7, 16));
}

TEST_F(InputTest, EscCallsTheQuitHookOnly) {
    keyDown(kKeyEscape, 0, 0);
    EXPECT_EQ(quitCalls, 1);
    EXPECT_EQ(redisplayCalls, 0);
    shellHooks = ShellHooks();
    keyDown(kKeyEscape, 0, 0);  // no hooks: nothing happens, nothing breaks
    keyDown('8', 0, 0);
    keyDown('9', 0, 0);
    EXPECT_FALSE(lightingOn);
}

TEST_F(InputTest, LightningKeyWithoutBoltListOnlyRedraws) {
    ASSERT_EQ(lightning.bolts, nullptr);
    keyDown('l', 0, 0);
    EXPECT_EQ(redisplayCalls, 1);
    EXPECT_EQ(lightning.bolts, nullptr);
}

TEST_F(InputTest, WindowHeightZeroIsStoredAsOne) {
    storeWindowSize(640, 0);
    EXPECT_EQ(windowWidth, 640);
    EXPECT_EQ(windowHeight, 1);
    storeWindowSize(800, 600);
    EXPECT_EQ(windowWidth, 800);
    EXPECT_EQ(windowHeight, 600);
}
