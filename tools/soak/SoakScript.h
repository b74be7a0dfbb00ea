#pragma once

#include <cstdint>
#include <string>

// A seeded random input script in the replay format, spread over `steps`
// idle calls: arrows, lift and press, rebuilds, camera flights, display and
// help keys, mouse motion and panning, grabs of the ball and drags of every
// button (far outside the window too), window sizes down to 1x1 and height
// 0, real-time pacing, pauses with single steps, speed changes, hand mode,
// and looks back through the past that go on from there. Camera
// flights and pointer walks come back to where they began, so that the
// camera keeps looking at the scene and grabs keep finding the ball. The
// same seed always gives the same script.
std::string makeSoakScript(std::uint64_t seed, long long steps);
