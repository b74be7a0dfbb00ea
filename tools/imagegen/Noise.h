#pragma once

#include <cstdint>

// Integer-hash gradient noise. Only integer hashing and plain float
// arithmetic go into it, so every build makes the same pictures; there is no
// random generator and no clock.

std::uint32_t mixBits(std::uint32_t x);
std::uint32_t latticeHash(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed);
// Uniform in [0, 1).
float hashToUnit(std::uint32_t h);

// 2D gradient noise repeating every `period` lattice cells in x and y, so
// that a picture sampling one period tiles without seams. Roughly -0.7..0.7.
float periodicNoise2(float x, float y, int period, std::uint32_t seed);

// Octave k of a sum uses seed + k * kOctaveSeedStep.
constexpr std::uint32_t kOctaveSeedStep = 0x9E3779B9u;

// Octave k samples at 2^k times the frequency with half the amplitude of the
// octave before, and repeats every period * 2^k cells: the sum keeps the period.
float periodicFbm2(float x, float y, int period, int octaves, std::uint32_t seed);

// 3D gradient noise, roughly -1..1.
float noise3(float x, float y, float z, std::uint32_t seed);
float fbm3(float x, float y, float z, int octaves, std::uint32_t seed);

// Distances to the nearest and second-nearest feature point of a cell
// pattern repeating every `period` cells; near cell borders they are equal.
struct CellDistances {
    float nearest;
    float second;
};
CellDistances periodicCells2(float x, float y, int period, std::uint32_t seed);
