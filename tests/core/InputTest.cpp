// Keyboard and mouse handlers: key flags and their groups, pan mode, pointer
// motion, the one-shot keys and what they ask the window to do.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/core/WorldTest.h"
#include "world/InputScript.h"
#include "world/Keys.h"

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

// Every flag a held key sets, and every group gate, as the key table names them.
std::vector<bool InputState::*> allFlags() {
    std::vector<bool InputState::*> flags;
    auto addOnce = [&](bool InputState::*flag) {
        if (flag && std::find(flags.begin(), flags.end(), flag) == flags.end()) flags.push_back(flag);
    };
    for (std::size_t i = 0; i < kKeyBindingCount; ++i) {
        addOnce(kKeyBindings[i].held);
        addOnce(kKeyBindings[i].group);
    }
    return flags;
}

int flagsSet(const InputState& input) {
    int n = 0;
    for (const auto flag : allFlags()) n += input.*flag ? 1 : 0;
    return n;
}

void expectSamePosition(const Vec3& got, const Vec3& want) {
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.z, want.z);
}

}  // namespace

TEST_F(InputTest, EachHeldKeySetsItsFlagAndGroupAndReleaseClearsBoth) {
    int heldKeys = 0;
    for (std::size_t i = 0; i < kKeyBindingCount; ++i) {
        const KeyBinding& k = kKeyBindings[i];
        if (k.use != KeyUse::Hold) continue;
        ++heldKeys;
        const bool special = k.source == KeySource::Special;
        special ? specialDown(k.code) : keyDown(static_cast<unsigned char>(k.code));
        EXPECT_TRUE(input.*k.held) << k.code;
        if (k.group) {
            EXPECT_TRUE(input.*k.group) << k.code;
        }
        EXPECT_EQ(flagsSet(input), k.group ? 2 : 1) << k.code;
        special ? specialUp(k.code) : keyUp(static_cast<unsigned char>(k.code));
        EXPECT_EQ(flagsSet(input), 0) << k.code;
    }
    EXPECT_EQ(heldKeys, 13);  // four arrows, t, g, six camera keys, space
    EXPECT_EQ(redraws + quits, 0);
}

TEST_F(InputTest, TheKeyTableHasEachKeyOnceAndEveryKeyActs) {
    for (std::size_t i = 0; i < kKeyBindingCount; ++i) {
        const KeyBinding& k = kKeyBindings[i];
        if (k.source == KeySource::Pointer) continue;
        const KeyBinding* found = k.source == KeySource::Special ? findSpecialKey(k.code)
                                                                 : findCharacterKey(static_cast<unsigned char>(k.code));
        EXPECT_EQ(found, &k) << "key " << k.code << " is bound twice";
        EXPECT_NE(k.use == KeyUse::Hold, k.press != nullptr) << k.code;
        if (k.undoneBy != 0) {
            const KeyBinding* undoing = k.source == KeySource::Special
                                            ? findSpecialKey(k.undoneBy)
                                            : findCharacterKey(static_cast<unsigned char>(k.undoneBy));
            EXPECT_NE(undoing, nullptr) << k.code;
        }
    }
    // Each help line once, in the table's order.
    const std::vector<ControlHelp> help = controlHelp();
    for (std::size_t i = 0; i < help.size(); ++i)
        for (std::size_t j = i + 1; j < help.size(); ++j) EXPECT_STRNE(help[i].input, help[j].input);
    EXPECT_STREQ(help.front().input, "arrow keys");
    EXPECT_STREQ(help.back().input, "Esc");
}

// What undoes what, as the table says: pressing a key and then its undoing
// key leaves the world's switches and run control as they were.
TEST_F(InputTest, EveryKeyWithAnUndoingKeyIsUndoneByIt) {
    for (std::size_t i = 0; i < kKeyBindingCount; ++i) {
        const KeyBinding& k = kKeyBindings[i];
        if (k.use == KeyUse::Hold || k.undoneBy == 0) continue;
        restart();
        const World before = world;
        const bool special = k.source == KeySource::Special;
        special ? specialDown(k.code) : keyDown(static_cast<unsigned char>(k.code));
        special ? specialDown(k.undoneBy) : keyDown(static_cast<unsigned char>(k.undoneBy));
        EXPECT_EQ(ball.showParticles, before.ball.showParticles) << k.code;
        EXPECT_EQ(ball.showSprings, before.ball.showSprings) << k.code;
        EXPECT_EQ(ball.showSurface, before.ball.showSurface) << k.code;
        EXPECT_EQ(display.lightingOn, before.display.lightingOn) << k.code;
        EXPECT_EQ(display.helpVisible, before.display.helpVisible) << k.code;
        EXPECT_EQ(display.panelVisible, before.display.panelVisible) << k.code;
        EXPECT_EQ(world.run.paused, before.run.paused) << k.code;
        EXPECT_EQ(world.run.speedLevel, before.run.speedLevel) << k.code;
        EXPECT_EQ(input.pointer, before.input.pointer) << k.code;
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
    expectSamePosition(ball.particles[ball.centreIndex()].position, centre);
    expectSamePosition(ball.particles[0].position, centre + Vec3(0, 0, 1));
    for (const auto& p : ball.particles) expectSamePosition(p.velocity, Vec3());
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

    // Key n: the lightning faint, the rest as it was; off by default.
    EXPECT_FALSE(display.noFlashes);
    keyDown('n');
    EXPECT_TRUE(display.noFlashes);
    EXPECT_TRUE(display.lightningVisible);
    EXPECT_FALSE(changesSimulation(world, ScriptEvent::keyDown('n')));
    keyDown('n');
    EXPECT_FALSE(display.noFlashes);
    EXPECT_EQ(redraws, 8);
}

TEST_F(InputTest, UpperCaseLettersDoNothing) {
    const Vec3 centre = ball.particles[0].position;
    for (unsigned char key = 'A'; key <= 'Z'; ++key) {
        keyDown(key);
        EXPECT_EQ(flagsSet(input), 0) << key;
        keyUp(key);
    }
    EXPECT_EQ(redraws, 0);
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(display.lightingOn);
    EXPECT_FALSE(ball.showParticles);
    expectSamePosition(ball.particles[0].position, centre);
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
    EXPECT_EQ(world.ball.particles[0].position.y, before.ball.particles[0].position.y);
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

// Hand mode: the pointer can travel to the ball without turning the world
// away from it, and the other buttons take over the camera.
TEST_F(InputTest, InHandModeThePointerTravelsWithoutTurningTheCamera) {
    keyDown('m');
    EXPECT_EQ(input.pointer, PointerMode::Hand);
    const Camera start = camera;
    for (int i = 0; i <= 40; ++i) mouseMotion(-50 + i * 9, 300 + i * 3);  // from outside onto the ball
    keyDown(' ');
    mouseMotion(100, 100);
    EXPECT_EQ(camera.yaw, start.yaw);
    EXPECT_EQ(camera.pitch, start.pitch);
    expectSamePosition(camera.position, start.position);
    EXPECT_EQ(input.lastMouseX, 100);

    keyDown('m');
    EXPECT_EQ(input.pointer, PointerMode::Look);
    mouseMotion(90, 100);  // look mode again: motion turns as ever
    EXPECT_EQ(camera.yaw, start.yaw + 10.0f);
}

TEST_F(InputTest, InHandModeTheRightButtonTurnsAndTheMiddleMovesFromWhereTheyWerePressed) {
    deliverScriptEvent(world, ScriptEvent::pointerMode(PointerMode::Hand));
    mouseMotion(400, 300);
    const Camera start = camera;
    ::mouseButton(world, MouseButton::Right, true, 410, 305);  // no jump from the last motion
    ::mouseDrag(world, 400, 300);                               // left 10, up 5
    EXPECT_EQ(camera.yaw, start.yaw + 10.0f);
    EXPECT_EQ(camera.pitch, start.pitch + 5.0f);
    ::mouseButton(world, MouseButton::Right, false, 400, 300);
    ::mouseDrag(world, 380, 300);  // no button of the camera held any more
    EXPECT_EQ(camera.yaw, start.yaw + 10.0f);

    const Camera turned = camera;
    ::mouseButton(world, MouseButton::Middle, true, 380, 300);
    ::mouseDrag(world, 383, 295);  // dx = -3, dy = 5, as space and motion move it
    expectSamePosition(camera.position, turned.position + (5.0 * turned.forward + 3.0 * turned.right));
    EXPECT_EQ(camera.yaw, turned.yaw);
    ::mouseButton(world, MouseButton::Middle, false, 383, 295);

    // In look mode a drag never turns or moves the camera.
    deliverScriptEvent(world, ScriptEvent::pointerMode(PointerMode::Look));
    const Camera looking = camera;
    ::mouseButton(world, MouseButton::Right, true, 383, 295);
    ::mouseDrag(world, 300, 200);
    EXPECT_EQ(camera.yaw, looking.yaw);
    expectSamePosition(camera.position, looking.position);
}

// As a person does it: the pointer comes from outside the window in small
// steps onto the ball, the left button grabs, a drag upwards pulls the
// point up, and the release lets go.
TEST_F(InputTest, InHandModeAPersonReachesTheBallAndPullsItUp) {
    for (int i = 0; i < 200; ++i) step();  // the ball is falling towards the platform
    keyDown('m');
    for (int x = 700, y = 500; x > 320 || y > 350; x = std::max(320, x - 7), y = std::max(350, y - 3))
        mouseMotion(x, y);
    ::mouseButton(world, MouseButton::Left, true, 320, 350);
    ASSERT_TRUE(world.grab.active);
    const int particle = world.grab.particle;
    const double before = ball.particles[particle].position.y;
    for (int y = 350; y >= 200; y -= 5) {
        ::mouseDrag(world, 320, y);
        step();
    }
    EXPECT_GT(ball.particles[particle].position.y, before + 0.5);
    ::mouseButton(world, MouseButton::Left, false, 320, 200);
    EXPECT_FALSE(world.grab.active);

    // The same way in look mode turns the view away long before the pointer
    // is there: the press finds nothing.
    restart();
    for (int i = 0; i < 200; ++i) step();
    for (int x = 700, y = 500; x > 320 || y > 350; x = std::max(320, x - 7), y = std::max(350, y - 3))
        mouseMotion(x, y);
    ::mouseButton(world, MouseButton::Left, true, 320, 350);
    EXPECT_FALSE(world.grab.active);
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

    // Key 4 and the script event switch it, and only the viewer's picture.
    keyDown('4');
    EXPECT_EQ(display.look, BallLook::Jelly);
    EXPECT_FALSE(changesSimulation(world, ScriptEvent::keyDown('4')));
    deliverScriptEvent(world, ScriptEvent::ballLook(BallLook::Classic));
    EXPECT_EQ(display.look, BallLook::Classic);
    EXPECT_EQ(formatScriptEvent(ScriptEvent::ballLook(BallLook::Jelly).at(3)), "3 look jelly");
}
