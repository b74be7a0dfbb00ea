#pragma once

// The angles every part of the program uses, as the double-precision
// literals the replay was recorded with.
constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfPi = kPi / 2.0;
constexpr double kDegreesToRadians = 0.017453292519943295;  // pi / 180
