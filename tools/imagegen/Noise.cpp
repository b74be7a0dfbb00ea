#include "tools/imagegen/Noise.h"

#include <cmath>

namespace {

int floorToInt(float v) {
    const int i = static_cast<int>(v);
    return v < static_cast<float>(i) ? i - 1 : i;
}

int wrap(int i, int period) {
    const int r = i % period;
    return r < 0 ? r + period : r;
}

// Quintic fade: continuous first and second derivatives at lattice points.
float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

float lerp(float a, float b, float t) { return a + (b - a) * t; }

constexpr float kDiagonal = 0.70710678f;

// Gradients are looked up rather than chosen by branches: the hash bits are
// random, so branches on them would be mispredicted half of the time.
struct Gradient2 {
    float x, y;
};
constexpr Gradient2 kGradients2[8] = {
    {1.0f, 0.0f}, {-1.0f, 0.0f}, {0.0f, 1.0f}, {0.0f, -1.0f},
    {kDiagonal, kDiagonal}, {kDiagonal, -kDiagonal}, {-kDiagonal, kDiagonal}, {-kDiagonal, -kDiagonal},
};

float gradient2(std::uint32_t h, float x, float y) {
    const Gradient2& g = kGradients2[h & 7u];
    return g.x * x + g.y * y;
}

// The twelve cube-edge directions, four of them twice to make sixteen.
struct Gradient3 {
    float x, y, z;
};
constexpr Gradient3 kGradients3[16] = {
    {1, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0}, {1, 0, 1}, {-1, 0, 1}, {1, 0, -1}, {-1, 0, -1},
    {0, 1, 1}, {0, -1, 1}, {0, 1, -1}, {0, -1, -1}, {1, 1, 0}, {0, -1, 1}, {-1, 1, 0}, {0, -1, -1},
};

float gradient3(std::uint32_t h, float x, float y, float z) {
    const Gradient3& g = kGradients3[h & 15u];
    return g.x * x + g.y * y + g.z * z;
}

}  // namespace

std::uint32_t mixBits(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

std::uint32_t latticeHash(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed) {
    // Large odd multipliers spread neighbouring lattice points far apart
    // before the mixer; unsigned arithmetic wraps by definition.
    const std::uint32_t combined = static_cast<std::uint32_t>(x) * 0x8DA6B343u +
                                   static_cast<std::uint32_t>(y) * 0xD8163841u +
                                   static_cast<std::uint32_t>(z) * 0xCB1AB31Fu + seed * 0x9E3779B1u;
    return mixBits(combined);
}

float hashToUnit(std::uint32_t h) { return static_cast<float>(h >> 8) * (1.0f / 16777216.0f); }

float periodicNoise2(float x, float y, int period, std::uint32_t seed) {
    const int ix = floorToInt(x), iy = floorToInt(y);
    const float fx = x - static_cast<float>(ix), fy = y - static_cast<float>(iy);
    const int x0 = wrap(ix, period), x1 = x0 + 1 == period ? 0 : x0 + 1;
    const int y0 = wrap(iy, period), y1 = y0 + 1 == period ? 0 : y0 + 1;
    const float n00 = gradient2(latticeHash(x0, y0, 0, seed), fx, fy);
    const float n10 = gradient2(latticeHash(x1, y0, 0, seed), fx - 1.0f, fy);
    const float n01 = gradient2(latticeHash(x0, y1, 0, seed), fx, fy - 1.0f);
    const float n11 = gradient2(latticeHash(x1, y1, 0, seed), fx - 1.0f, fy - 1.0f);
    const float u = fade(fx), v = fade(fy);
    return lerp(lerp(n00, n10, u), lerp(n01, n11, u), v);
}

float periodicFbm2(float x, float y, int period, int octaves, std::uint32_t seed) {
    float sum = 0.0f, amplitude = 1.0f, frequency = 1.0f;
    for (int k = 0; k < octaves; ++k) {
        sum += amplitude * periodicNoise2(x * frequency, y * frequency, period << k, seed + kOctaveSeedStep * k);
        amplitude *= 0.5f;
        frequency *= 2.0f;
    }
    return sum;
}

float noise3(float x, float y, float z, std::uint32_t seed) {
    const int ix = floorToInt(x), iy = floorToInt(y), iz = floorToInt(z);
    const float fx = x - static_cast<float>(ix), fy = y - static_cast<float>(iy), fz = z - static_cast<float>(iz);
    const float gx = fx - 1.0f, gy = fy - 1.0f, gz = fz - 1.0f;
    const float n000 = gradient3(latticeHash(ix, iy, iz, seed), fx, fy, fz);
    const float n100 = gradient3(latticeHash(ix + 1, iy, iz, seed), gx, fy, fz);
    const float n010 = gradient3(latticeHash(ix, iy + 1, iz, seed), fx, gy, fz);
    const float n110 = gradient3(latticeHash(ix + 1, iy + 1, iz, seed), gx, gy, fz);
    const float n001 = gradient3(latticeHash(ix, iy, iz + 1, seed), fx, fy, gz);
    const float n101 = gradient3(latticeHash(ix + 1, iy, iz + 1, seed), gx, fy, gz);
    const float n011 = gradient3(latticeHash(ix, iy + 1, iz + 1, seed), fx, gy, gz);
    const float n111 = gradient3(latticeHash(ix + 1, iy + 1, iz + 1, seed), gx, gy, gz);
    const float u = fade(fx), v = fade(fy), w = fade(fz);
    const float front = lerp(lerp(n000, n100, u), lerp(n010, n110, u), v);
    const float back = lerp(lerp(n001, n101, u), lerp(n011, n111, u), v);
    return lerp(front, back, w);
}

float fbm3(float x, float y, float z, int octaves, std::uint32_t seed) {
    float sum = 0.0f, amplitude = 1.0f, frequency = 1.0f;
    for (int k = 0; k < octaves; ++k) {
        sum += amplitude * noise3(x * frequency, y * frequency, z * frequency, seed + kOctaveSeedStep * k);
        amplitude *= 0.5f;
        frequency *= 2.0f;
    }
    return sum;
}

CellDistances periodicCells2(float x, float y, int period, std::uint32_t seed) {
    const int ix = floorToInt(x), iy = floorToInt(y);
    float nearest = 1e9f, second = 1e9f;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int cx = ix + dx, cy = iy + dy;
            const std::uint32_t h = latticeHash(wrap(cx, period), wrap(cy, period), 1, seed);
            const float px = static_cast<float>(cx) + 0.1f + 0.8f * hashToUnit(h);
            const float py = static_cast<float>(cy) + 0.1f + 0.8f * hashToUnit(mixBits(h));
            const float ex = px - x, ey = py - y;
            const float d = std::sqrt(ex * ex + ey * ey);
            if (d < nearest) {
                second = nearest;
                nearest = d;
            } else if (d < second) {
                second = d;
            }
        }
    }
    return {nearest, second};
}
