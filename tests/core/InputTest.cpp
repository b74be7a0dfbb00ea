// Keyboard and mouse handlers: key flags and their groups, pan mode, pointer
// motion, the one-shot keys and what they ask the window to do.
#include <gtest/gtest.h>

#include <vector>

#include "tests/core/WorldTest.h"

namespace {
class InputTest : public WorldTest {
protected:
    // Steers right and flies right for 120 steps; returns where the board
    // and the camera ended.
    struct SceneSnapshot {
        float tiltX, tiltZ;
        Vec3 cameraPosition;
        float yaw, pitch;
    };
    SceneSnapshot steerAndFlyForAWhile();
    void expectTiltAndCameraUnchanged(const SceneSnapshot& s);
    void expectBallAtRestAround(const Vec3& centre);

    void turnCamera(float yaw, float pitch) {
        camera.yaw = yaw;
        camera.pitch = pitch;
        camera.updateVectors();
    }
};

struct FlagKey {
    unsigned char key;
    bool* flag;
    bool* group;
};

std::vector<FlagKey> characterFlagKeys(InputState& input) {
    return {{'w', &input.moveForward, &input.cameraMoving}, {'s', &input.moveBackward, &input.cameraMoving},
            {'a', &input.moveLeft, &input.cameraMoving},    {'d', &input.moveRight, &input.cameraMoving},
            {'r', &input.moveUp, &input.cameraMoving},      {'f', &input.moveDown, &input.cameraMoving},
            {'t', &input.liftBall, &input.ballControl},     {'g', &input.pressBall, &input.ballControl}};
}

struct SpecialFlagKey {
    int key;
    bool* flag;
};

std::vector<SpecialFlagKey> arrowFlagKeys(InputState& input) {
    return {{kSpecialKeyUp, &input.tiltForward},
            {kSpecialKeyDown, &input.tiltBack},
            {kSpecialKeyLeft, &input.tiltLeft},
            {kSpecialKeyRight, &input.tiltRight}};
}

std::vector<bool*> allFlags(InputState& input) {
    return {&input.panMode,   &input.cameraMoving, &input.moveForward, &input.moveBackward, &input.moveLeft,
            &input.moveRight, &input.moveUp,       &input.moveDown,    &input.ballControl,  &input.tiltForward,
            &input.tiltBack,  &input.tiltLeft,     &input.tiltRight,   &input.liftBall,     &input.pressBall};
}

int flagsSet(InputState& input) {
    int n = 0;
    for (bool* f : allFlags(input)) n += *f ? 1 : 0;
    return n;
}

void expectSamePosition(const Vec3& got, const Vec3& want) {
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.z, want.z);
}

}  // namespace

TEST_F(InputTest, EachFlagKeySetsItsFlagAndGroupAndReleaseClearsBoth) {
    for (const FlagKey& k : characterFlagKeys(input)) {
        keyDown(k.key);
        EXPECT_TRUE(*k.flag) << k.key;
        EXPECT_TRUE(*k.group) << k.key;
        EXPECT_EQ(flagsSet(input), 2) << k.key;
        keyUp(k.key);
        EXPECT_EQ(flagsSet(input), 0) << k.key;
    }
    for (const SpecialFlagKey& k : arrowFlagKeys(input)) {
        specialDown(k.key);
        EXPECT_TRUE(*k.flag) << k.key;
        EXPECT_TRUE(input.ballControl) << k.key;
        EXPECT_EQ(flagsSet(input), 2) << k.key;
        specialUp(k.key);
        EXPECT_EQ(flagsSet(input), 0) << k.key;
    }
}

TEST_F(InputTest, ReleasingOneCameraKeyStopsTheWholeGroupUntilAnotherIsPressed) {
    turnCamera(37.0f, 12.0f);
    keyDown('w');
    keyDown('a');
    keyUp('a');
    EXPECT_TRUE(input.moveForward);
    EXPECT_FALSE(input.cameraMoving);
    const Vec3 before = camera.position;
    step();
    expectSamePosition(camera.position, before);

    keyDown('r');  // resumes the still-held w together with r
    step();
    const double step = 0.03999999910593033;
    const Vec3 want = (before + step * camera.forward) + step * camera.up;
    expectSamePosition(camera.position, want);
}

TEST_F(InputTest, ReleasingOneBallKeyStopsTheWholeGroup) {
    specialDown(kSpecialKeyUp);
    keyDown('t');
    specialUp(kSpecialKeyUp);
    EXPECT_TRUE(input.liftBall);
    EXPECT_FALSE(input.ballControl);
    keyDown('t');
    specialDown(kSpecialKeyLeft);
    keyUp('t');
    EXPECT_TRUE(input.tiltLeft);
    EXPECT_FALSE(input.ballControl);
}

TEST_F(InputTest, PanModeEndsWithAnyOtherCharacterKeyDownButNotSpecialKeys) {
    keyDown(' ');
    EXPECT_TRUE(input.panMode);
    specialDown(kSpecialKeyUp);
    specialUp(kSpecialKeyUp);
    specialDown(1);  // F1: unlisted
    keyUp('w');      // up events of other keys leave it too
    EXPECT_TRUE(input.panMode);
    keyUp(' ');
    EXPECT_FALSE(input.panMode);

    for (int key = 1; key < 256; ++key) {
        if (key == ' ' || key == kKeyEscape) continue;
        keyDown(' ');
        keyDown(static_cast<unsigned char>(key));
        EXPECT_FALSE(input.panMode) << "key " << key;
        keyUp(static_cast<unsigned char>(key));
    }
    keyDown(' ');
    keyDown(kKeyEscape);
    EXPECT_FALSE(input.panMode);
}

TEST_F(InputTest, PanMovesByOneVectorSumOfForwardAndRight) {
    turnCamera(37.0f, 21.0f);
    camera.position = Vec3(0.1, 7.3, 16.7);
    mouseMotion(410, 230);  // first motion turns the camera: take it back
    turnCamera(37.0f, 21.0f);
    keyDown(' ');

    const Vec3 before = camera.position;
    mouseMotion(413, 225);  // dx = -3, dy = 5: up and to the right
    const Vec3 want = before + (5.0 * camera.forward + 3.0 * camera.right);
    expectSamePosition(camera.position, want);
    EXPECT_EQ(camera.yaw, 37.0f);
    EXPECT_EQ(camera.pitch, 21.0f);
    EXPECT_EQ(input.lastMouseX, 413);
    EXPECT_EQ(input.lastMouseY, 225);
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

InputTest::SceneSnapshot InputTest::steerAndFlyForAWhile() {
    specialDown(kSpecialKeyRight);
    keyDown('d');
    for (int i = 0; i < 120; ++i) step();
    keyUp('d');
    return {board.tiltX, board.tiltZ, camera.position, camera.yaw, camera.pitch};
}

void InputTest::expectTiltAndCameraUnchanged(const SceneSnapshot& s) {
    EXPECT_EQ(board.tiltX, s.tiltX);
    EXPECT_EQ(board.tiltZ, s.tiltZ);
    expectSamePosition(camera.position, s.cameraPosition);
    EXPECT_EQ(camera.yaw, s.yaw);
    EXPECT_EQ(camera.pitch, s.pitch);
}

void InputTest::expectBallAtRestAround(const Vec3& centre) {
    ASSERT_EQ(ball.particles.size(), 123u);
    expectSamePosition(ball.particles[ball.centreIndex()]->position, centre);
    expectSamePosition(ball.particles[0]->position, centre + Vec3(0, 0, 1));
    for (const auto& p : ball.particles) expectSamePosition(p->velocity, Vec3());
    EXPECT_TRUE(ball.buildUpActive);
}

TEST_F(InputTest, NineRebuildsTheBallWhereItIs) {
    const SceneSnapshot before = steerAndFlyForAWhile();
    const Vec3 lastCentre = ball.centre;
    EXPECT_GT(lastCentre.x, 0.01);  // the tilt has rolled it off the middle

    keyDown('9');
    expectBallAtRestAround(lastCentre + Vec3(0, 0.5, 0));
    expectTiltAndCameraUnchanged(before);
    EXPECT_EQ(redraws, 1);
}

TEST_F(InputTest, ZeroRebuildsTheBallOverTheMiddleOfThePlate) {
    const SceneSnapshot before = steerAndFlyForAWhile();
    EXPECT_GT(ball.centre.x, 0.01);

    keyDown('0');
    expectSamePosition(ball.centre, Vec3(0, 5.5, 0));
    expectBallAtRestAround(Vec3(0, 5.5, 0));
    expectTiltAndCameraUnchanged(before);
    EXPECT_EQ(redraws, 1);
}

TEST_F(InputTest, DisplaySwitchKeysToggleAndRedraw) {
    keyDown('1');
    keyDown('2');
    keyDown('3');
    EXPECT_TRUE(ball.showParticles);
    EXPECT_TRUE(ball.showSprings);
    EXPECT_FALSE(ball.showSurface);
    EXPECT_EQ(redraws, 3);
    keyDown('1');
    EXPECT_FALSE(ball.showParticles);
    EXPECT_TRUE(ball.showSprings);

    keyDown('8');
    EXPECT_FALSE(display.lightingOn);
    EXPECT_FALSE(board.useTexturedList);
    EXPECT_FALSE(display.lightningVisible);
    EXPECT_FALSE(display.skyVisible);
    keyDown('8');
    EXPECT_TRUE(display.lightingOn);
    EXPECT_TRUE(board.useTexturedList);
    EXPECT_TRUE(display.lightningVisible);
    EXPECT_TRUE(display.skyVisible);
    EXPECT_EQ(redraws, 6);
}

TEST_F(InputTest, UpperCaseLettersDoNothing) {
    const Vec3 centre = ball.particles[0]->position;
    for (unsigned char key = 'A'; key <= 'Z'; ++key) {
        keyDown(key);
        EXPECT_EQ(flagsSet(input), 0) << key;
        keyUp(key);
    }
    EXPECT_EQ(redraws, 0);
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(display.lightingOn);
    EXPECT_FALSE(ball.showParticles);
    expectSamePosition(ball.particles[0]->position, centre);
    for (int i = 0; i < 5; ++i) step();
    EXPECT_EQ(board.tiltX, 0.0f);
    expectSamePosition(camera.position, Vec3(0, 7, 16));
}

TEST_F(InputTest, EscOnlyAsksToQuit) {
    const World before = world;
    keyDown(kKeyEscape);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(redraws, 0);
    EXPECT_EQ(world.camera.position.z, before.camera.position.z);
    EXPECT_EQ(world.ball.particles[0]->position.y, before.ball.particles[0]->position.y);
}

TEST_F(InputTest, LightningKeyAddsALongBoltAndRedraws) {
    ASSERT_EQ(lightning.bolts.count, 1);  // the greeting flash
    keyDown('l');
    EXPECT_EQ(redraws, 1);
    ASSERT_EQ(lightning.bolts.count, 2);
    EXPECT_EQ(lightning.bolts.items[1].position.y, 80.0);
    EXPECT_EQ(lightning.bolts.items[1].fadeStep, 0.01f);
}

TEST_F(InputTest, WindowHeightZeroIsStoredAsOne) {
    EXPECT_EQ(world.window.width, 640);
    EXPECT_EQ(world.window.height, 480);
    reshape(world, 640, 0);
    EXPECT_EQ(world.window.width, 640);
    EXPECT_EQ(world.window.height, 1);
    reshape(world, 800, 600);
    EXPECT_EQ(world.window.width, 800);
    EXPECT_EQ(world.window.height, 600);
}

// The look stays classic under every display key; its names are exactly
// "classic" and "jelly".
TEST_F(InputTest, BallLookStartsClassicAndIsNamedClassicOrJelly) {
    for (const unsigned char key : {'1', '2', '3', '8'}) keyDown(key);
    EXPECT_EQ(display.look, BallLook::Classic);
    BallLook look = BallLook::Classic;
    EXPECT_TRUE(findBallLook("jelly", look));
    EXPECT_EQ(look, BallLook::Jelly);
    EXPECT_STREQ(ballLookName(look), "jelly");
    EXPECT_TRUE(findBallLook("classic", look));
    EXPECT_STREQ(ballLookName(look), "classic");
    for (const char* other : {"", "Jelly", "jelly ", "gel"}) EXPECT_FALSE(findBallLook(other, look)) << other;
    EXPECT_EQ(look, BallLook::Classic);
}
