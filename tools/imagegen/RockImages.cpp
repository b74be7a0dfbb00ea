#include "tools/imagegen/RockImages.h"

#include <cmath>

#include "tools/imagegen/Noise.h"
#include "tools/imagegen/Shading.h"

namespace {

constexpr std::uint32_t kShapeSeed = 11;
constexpr std::uint32_t kLumpSeed = 23;
constexpr std::uint32_t kStrataSeed = 37;
constexpr std::uint32_t kCrackSeed = 41;
constexpr std::uint32_t kCrackMaskSeed = 53;
constexpr std::uint32_t kCrackWarpSeed = 59;
constexpr std::uint32_t kToneSeed = 67;
constexpr std::uint32_t kGrainSeed = 71;

constexpr int kStrataPerTile = 6;  // whole number, so the layers tile
constexpr int kCrackCells = 5;     // cells of the crack pattern per tile

float fraction(float v) { return v - std::floor(v); }

// A smooth field that repeats once per tile, evaluated on a coarse grid
// and read back with bilinear interpolation: the slowly varying parts of the
// rock cost a sixteenth of what they would at full resolution.
class CoarseField {
public:
    template <typename Sample>
    CoarseField(int cells, Sample sample) : cells_(cells), values_(static_cast<std::size_t>(cells) * cells) {
        const float step = 1.0f / static_cast<float>(cells);
        for (int j = 0; j < cells; ++j)
            for (int i = 0; i < cells; ++i) values_[static_cast<std::size_t>(j) * cells + i] = sample(i * step, j * step);
    }

    // u, v in [0, 1)
    float at(float u, float v) const {
        const float x = u * static_cast<float>(cells_), y = v * static_cast<float>(cells_);
        const int i = static_cast<int>(x), j = static_cast<int>(y);
        const float fx = x - static_cast<float>(i), fy = y - static_cast<float>(j);
        const int i1 = i + 1 == cells_ ? 0 : i + 1, j1 = j + 1 == cells_ ? 0 : j + 1;
        const float top = mix(value(i, j), value(i1, j), fx);
        const float bottom = mix(value(i, j1), value(i1, j1), fx);
        return mix(top, bottom, fy);
    }

private:
    float value(int i, int j) const { return values_[static_cast<std::size_t>(j) * cells_ + i]; }

    int cells_;
    std::vector<float> values_;
};

// The parts of the rock that change slowly across a tile.
struct SlowFields {
    CoarseField strataWarp, crackWarpU, crackWarpV, crackMask, tone;

    explicit SlowFields(int cells)
        : strataWarp(cells, [](float u, float v) { return periodicFbm2(u * 4.0f, v * 4.0f, 4, 3, kStrataSeed); }),
          crackWarpU(cells, [](float u, float v) { return periodicFbm2(u * 8.0f, v * 8.0f, 8, 3, kCrackWarpSeed); }),
          crackWarpV(cells, [](float u, float v) { return periodicFbm2(u * 8.0f, v * 8.0f, 8, 3, kCrackWarpSeed + 1); }),
          crackMask(cells, [](float u, float v) { return periodicFbm2(u * 4.0f, v * 4.0f, 4, 2, kCrackMaskSeed); }),
          tone(cells, [](float u, float v) { return periodicFbm2(u * 4.0f, v * 4.0f, 4, 4, kToneSeed); }) {}
};

struct RockSample {
    float height, relief, tone, layer, crack, grain;
};

// u, v run over [0, 1) across one tile.
RockSample sampleRock(const SlowFields& slow, float u, float v, std::uint32_t grainHash) {
    RockSample s;
    // The shape's first three octaves and, separately, the next four (the
    // same octaves a seven-octave sum would have): the fine relief also
    // darkens pits and lightens ridges in the colours. The shape feeds the
    // normals, so it is evaluated at every texel.
    const float broad = periodicFbm2(u * 4.0f, v * 4.0f, 4, 3, kShapeSeed);
    s.relief = 0.125f * periodicFbm2(u * 32.0f, v * 32.0f, 32, 4, kShapeSeed + 3u * kOctaveSeedStep);
    const float lumps = periodicFbm2(u * 2.0f, v * 2.0f, 2, 3, kLumpSeed);

    s.layer = fraction(v * kStrataPerTile + slow.strataWarp.at(u, v) * 1.4f + lumps * 0.8f);
    const float ledge = smoothstep(0.0f, 0.12f, s.layer) * (1.0f - 0.6f * s.layer);

    const float warpU = slow.crackWarpU.at(u, v) * 0.3f;
    const float warpV = slow.crackWarpV.at(u, v) * 0.3f;
    const CellDistances cells = periodicCells2(u * kCrackCells + warpU, v * kCrackCells + warpV, kCrackCells, kCrackSeed);
    const float edge = cells.second - cells.nearest;
    const float mask = smoothstep(0.02f, 0.22f, slow.crackMask.at(u, v));
    s.crack = (1.0f - smoothstep(0.0f, 0.035f, edge)) * mask;

    s.grain = hashToUnit(grainHash) - 0.5f;
    s.tone = slow.tone.at(u, v) * 1.5f;
    s.height = 14.0f * (broad + s.relief) + 9.0f * lumps + 2.0f * ledge - 5.0f * s.crack + 0.35f * s.grain;
    return s;
}

Rgb rockColour(const RockSurface& surface, std::size_t i, float relativeHeight) {
    const Rgb grey{0.47f, 0.46f, 0.44f};
    const Rgb brown{0.50f, 0.43f, 0.36f};
    const Rgb crackColour{0.09f, 0.08f, 0.07f};
    const Rgb fleck{0.72f, 0.70f, 0.66f};

    Rgb c = mix(grey, brown, smoothstep(-0.4f, 0.5f, surface.tone[i]));
    const float layer = surface.layer[i];
    const float band = smoothstep(0.0f, 0.3f, layer) * (1.0f - smoothstep(0.55f, 1.0f, layer));
    const float shade = (0.86f + 0.18f * band) * (0.70f + 0.55f * relativeHeight) *
                        (1.0f + 1.6f * surface.relief[i]);
    c = scaled(c, shade);
    const float g = surface.grain[i] * 0.10f;
    c = {c.r + g, c.g + g * 0.95f, c.b + g * 0.9f};
    if (surface.grain[i] > 0.496f) c = mix(c, fleck, 0.45f);
    return mix(c, crackColour, surface.crack[i] * 0.85f);
}

struct Normal {
    float x, y, z;
};

// Unit normal from central differences of the wrapped height field.
Normal surfaceNormal(const RockSurface& surface, int column, int row) {
    const float slopeS = 0.5f * (surface.heightAt(column + 1, row) - surface.heightAt(column - 1, row));
    const float slopeT = 0.5f * (surface.heightAt(column, row + 1) - surface.heightAt(column, row - 1));
    const float length = std::sqrt(slopeS * slopeS + slopeT * slopeT + 1.0f);
    return {-slopeS / length, -slopeT / length, 1.0f / length};
}

// A little light from one side baked into the colours makes the stone read
// as stone even where the bump mapping is off.
float bakedLight(const Normal& n) {
    const float lx = -0.48f, ly = 0.48f, lz = 0.7338f;  // unit length
    const float diffuse = n.x * lx + n.y * ly + n.z * lz;
    return 0.55f + 0.5f * clamp01(diffuse);
}

}  // namespace

float RockSurface::heightAt(int column, int row) const {
    const int c = ((column % size) + size) % size;
    const int r = ((row % size) + size) % size;
    return height[index(c, r)];
}

RockSurface makeRockSurface(int size) {
    RockSurface surface;
    surface.size = size;
    const std::size_t count = static_cast<std::size_t>(size) * size;
    surface.height.resize(count);
    surface.relief.resize(count);
    surface.tone.resize(count);
    surface.layer.resize(count);
    surface.crack.resize(count);
    surface.grain.resize(count);
    const SlowFields slow(size / 4 > 0 ? size / 4 : 1);
    const float step = 1.0f / static_cast<float>(size);
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            const RockSample s = sampleRock(slow, column * step, row * step, latticeHash(column, row, 0, kGrainSeed));
            const std::size_t i = surface.index(column, row);
            surface.height[i] = s.height;
            surface.relief[i] = s.relief;
            surface.tone[i] = s.tone;
            surface.layer[i] = s.layer;
            surface.crack[i] = s.crack;
            surface.grain[i] = s.grain;
        }
    }
    return surface;
}

GeneratedImage makeRockTexture(const RockSurface& surface) {
    GeneratedImage image("rock_texture.tga", surface.size, surface.size, 3);
    float low = surface.height[0], high = surface.height[0];
    for (float h : surface.height) {
        low = h < low ? h : low;
        high = h > high ? h : high;
    }
    const float range = high > low ? high - low : 1.0f;
    for (int row = 0; row < surface.size; ++row) {
        for (int column = 0; column < surface.size; ++column) {
            const std::size_t i = surface.index(column, row);
            const Rgb c = rockColour(surface, i, (surface.height[i] - low) / range);
            storeRgb(image.texel(column, row), scaled(c, bakedLight(surfaceNormal(surface, column, row))));
        }
    }
    return image;
}

GeneratedImage makeRockNormalMap(const RockSurface& surface) {
    GeneratedImage image("rock_normal.tga", surface.size, surface.size, 3);
    for (int row = 0; row < surface.size; ++row) {
        for (int column = 0; column < surface.size; ++column) {
            const Normal n = surfaceNormal(surface, column, row);
            storeRgb(image.texel(column, row), {0.5f * n.x + 0.5f, 0.5f * n.y + 0.5f, 0.5f * n.z + 0.5f});
        }
    }
    return image;
}
