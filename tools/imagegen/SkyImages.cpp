#include "tools/imagegen/SkyImages.h"

#include <cmath>
#include <string>

#include "effects/SkyboxFaces.h"
#include "math/Constants.h"
#include "tools/imagegen/Noise.h"

namespace {
constexpr std::uint32_t kCloudSeed = 101;
constexpr std::uint32_t kWarpSeed = 131;

const Rgb kHorizon{0.29f, 0.30f, 0.35f};
const Rgb kZenith{0.05f, 0.055f, 0.09f};
const Rgb kBelow{0.03f, 0.03f, 0.038f};
const Rgb kCloudCore{0.06f, 0.06f, 0.075f};
const Rgb kCloudEdge{0.40f, 0.40f, 0.46f};
const Rgb kFlashGlow{0.62f, 0.66f, 0.90f};

// Somewhere inside the clouds a distant flash lights them from within.
const Vec3 kGlowDirection = normalized(Vec3(-0.55, 0.22, 0.80));

// Gradient from the horizon to the zenith, and a dark haze below it.
Rgb clearSky(float up) {
    if (up >= 0.0f) return mix(kHorizon, kZenith, up * (2.0f - up));
    return mix(kHorizon, kBelow, smoothstep(0.0f, 0.3f, -up));
}

float glowFactor(const Vec3& d) {
    const double c = d.x * kGlowDirection.x + d.y * kGlowDirection.y + d.z * kGlowDirection.z;
    if (c <= 0.0) return 0.0f;
    float g = static_cast<float>(c);
    for (int i = 0; i < 5; ++i) g *= g;  // c^32: one patch of sky
    return g;
}

// Position of a texture corner: the box spans -1..1 on every axis.
Vec3 cornerPosition(const SkyboxCorner& c) { return Vec3(2.0 * c.x - 1.0, 2.0 * c.y - 1.0, 2.0 * c.z - 1.0); }

const SkyboxCorner& cornerAt(int face, float s, float t) {
    for (const SkyboxCorner& c : kSkyboxFaces[face])
        if (c.s == s && c.t == t) return c;
    return kSkyboxFaces[face][0];  // every face has all four (s, t) corners
}

}  // namespace

Rgb skyColour(const Vec3& direction) {
    const float up = static_cast<float>(direction.y);
    const Rgb sky = clearSky(up);
    const float cloudsVisible = smoothstep(-0.15f, 0.04f, up);
    if (cloudsVisible <= 0.0f) return sky;

    // Squashing y makes the clouds flatter and longer towards the horizon.
    const float x = static_cast<float>(direction.x) * 2.2f;
    const float y = up * 3.6f;
    const float z = static_cast<float>(direction.z) * 2.2f;
    const float warp = noise3(x * 0.6f, y * 0.6f, z * 0.6f, kWarpSeed) * 0.4f;
    const float wx = x + warp, wy = y + 0.5f * warp, wz = z - warp;
    const float density = fbm3(wx, wy, wz, 5, kCloudSeed);
    // Cloud that continues above a point shades it: compare with the density
    // a little way up and towards the light.
    const float above = fbm3(wx + 0.06f, wy + 0.14f, wz + 0.03f, 3, kCloudSeed);
    const float lit = clamp01(0.55f + 3.2f * (density - above));

    const float cover = smoothstep(-0.28f, 0.18f, density) * cloudsVisible;
    Rgb cloud = mix(kCloudCore, kCloudEdge, lit);
    cloud = scaled(cloud, 0.7f + 0.3f * smoothstep(0.5f, -0.1f, density));  // dense cores darker
    const float glow = glowFactor(direction) * smoothstep(0.0f, 0.45f, density) * (0.4f + 0.6f * lit);
    cloud = mix(cloud, kFlashGlow, 0.6f * glow);
    return mix(sky, cloud, cover);
}

namespace {

// A face's box corners by their texture coordinates.
struct FaceCorners {
    Vec3 p00, p10, p01, p11;  // at (s, t) = (0, 0), (1, 0), (0, 1), (1, 1)

    explicit FaceCorners(int face)
        : p00(cornerPosition(cornerAt(face, 0.0f, 0.0f))), p10(cornerPosition(cornerAt(face, 1.0f, 0.0f))),
          p01(cornerPosition(cornerAt(face, 0.0f, 1.0f))), p11(cornerPosition(cornerAt(face, 1.0f, 1.0f))) {}

    Vec3 direction(int column, int row, int size) const {
        const double s = (column + 0.5) / size;
        const double t = (row + 0.5) / size;
        const Vec3 p = (1.0 - s) * (1.0 - t) * p00 + s * (1.0 - t) * p10 + (1.0 - s) * t * p01 + s * t * p11;
        return normalized(p);
    }
};

}  // namespace

Vec3 skyboxTexelDirection(int face, int column, int row, int size) {
    return FaceCorners(face).direction(column, row, size);
}

GeneratedImage makeSkyboxFace(int face, int size) {
    GeneratedImage image("skybox_" + std::to_string(face) + ".tga", size, size, 3);
    const FaceCorners corners(face);
    for (int row = 0; row < size; ++row)
        for (int column = 0; column < size; ++column)
            storeRgb(image.texel(column, row), skyColour(corners.direction(column, row, size)));
    return image;
}

GeneratedImage makeSkyEnvironment(int size) {
    GeneratedImage image("env2.tga", size, size, 3);
    for (int row = 0; row < size; ++row) {
        const double latitude = kPi * ((row + 0.5) / size - 0.5);
        const double ring = std::cos(latitude);
        const double up = std::sin(latitude);
        for (int column = 0; column < size; ++column) {
            const double longitude = 2.0 * kPi * (column + 0.5) / size;
            const Vec3 d(ring * std::cos(longitude), up, ring * std::sin(longitude));
            storeRgb(image.texel(column, row), skyColour(d));
        }
    }
    return image;
}
