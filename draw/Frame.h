#pragma once

#include <string>

#include "draw/BallDrawing.h"
#include "draw/GroundDrawing.h"
#include "draw/LightningDrawing.h"
#include "draw/SkyboxDrawing.h"
#include "math/Vec3.h"

struct World;
struct WindowSize;

// Everything OpenGL holds for the scene: textures and display lists, made
// once at start-up. What the simulation owns lives in the World.
struct Scene {
    Ground ground;
    BallSkin ballSkin;
    Skybox skybox;
    LightningPicture lightning;
};

// Reads every picture of the scene from `folder` into its textures' images,
// without OpenGL, so that another thread can do it while the window opens;
// the set-up then makes the textures of what was read (and tries again, to
// report it, whatever could not be read).
void readScenePictures(Scene& scene, const std::string& folder);

// The scene's one light shines from here; the ground's bump mapping is
// baked towards it.
const Vec3 kSceneLightPosition(0.0, 5.0, 0.0);

// The state every frame starts from: additive blending, depth test, smooth
// shading, lighting with light 2 (light 1 is set up but never switched on).
void setUpFixedState();

// The GL half of a reshape: a 45 degree perspective for the window's aspect
// and a viewport over the whole window.
void applyProjection(const WindowSize& window);

// Where an idle call's time goes, for the frame benchmark. When the frame is
// given one it times the ball's drawing with its GL work finished (glFinish)
// before and after, so that the ball carries its own rendering.
struct FrameProfile {
    double stepSeconds = 0.0;      // filled by the window's idle call
    double ballDrawSeconds = 0.0;  // filled by drawFrame
    int steps = 0;
    int ballDrawings = 0;
};

// Draws one frame of the world shown (not swapped): the tilted ground and
// ball, the sky box, the lightning and the overlay text. The per-frame
// update (advanceFrame) of the present world runs between the ball and the
// sky, where the build-up and the bolts have always moved on. Mostly both
// are the same world; a past step shown from the timeline stays as it was
// while the present goes on.
void drawFrame(const World& shown, World& advancing, const Scene& scene, const char* overlayText,
               FrameProfile* profile = nullptr);
