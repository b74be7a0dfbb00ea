#include "tools/imagegen/IconImage.h"

#include <cmath>
#include <string>

#include "tools/imagegen/Shading.h"

namespace {
// Samples a pixel side: edges smooth at every size.
constexpr int kSamples = 4;

struct Colour {
    Rgb rgb;
    float alpha = 0.0f;
};

const Rgb kSkyTop{0.07f, 0.06f, 0.22f};
const Rgb kSkyLow{0.32f, 0.30f, 0.58f};
const Rgb kBoardTop{0.74f, 0.66f, 0.54f};
const Rgb kBoardFront{0.42f, 0.36f, 0.29f};
const Rgb kBall{0.80f, 0.80f, 0.84f};

// The board: a slab seen from the front, tilted down to the left. Its top
// face lies between the back and front edges, its front face below.
float lineAt(float u, float left, float right) { return left + (right - left) * u; }
float backEdge(float u) { return lineAt(u, 0.64f, 0.54f); }
float frontEdge(float u) { return lineAt(u, 0.81f, 0.71f); }
float bottomEdge(float u) { return lineAt(u, 0.88f, 0.78f); }
// Where the ball rests: half-way across the top face.
float restingLine(float u) { return 0.5f * (backEdge(u) + frontEdge(u)); }
constexpr float kBoardLeft = 0.10f;
constexpr float kBoardRight = 0.90f;

// The ball, squashed a little and flattened where it rests on the board.
constexpr float kBallX = 0.50f;
constexpr float kBallY = 0.45f;
constexpr float kBallRadiusX = 0.25f;
constexpr float kBallRadiusY = 0.23f;

// Inside the tile with rounded corners, `margin` from each side.
bool onTile(float u, float v, float margin) {
    const float radius = 0.19f;
    const float low = margin + radius, high = 1.0f - margin - radius;
    const float dx = u < low ? low - u : (u > high ? u - high : 0.0f);
    const float dy = v < low ? low - v : (v > high ? v - high : 0.0f);
    if (u < margin || u > 1.0f - margin || v < margin || v > 1.0f - margin) return false;
    return dx * dx + dy * dy <= radius * radius;
}

Rgb sky(float v) {
    Rgb colour = mix(kSkyTop, kSkyLow, smoothstep(0.05f, 0.75f, v));
    // A lighter band of cloud low over the horizon.
    const float band = std::exp(-((v - 0.50f) * (v - 0.50f)) / 0.004f);
    return mix(colour, Rgb{0.45f, 0.43f, 0.70f}, 0.35f * band);
}

// The lit ball seen at a point inside its outline: a normal from the
// ellipse, light from the upper left and in front, a bright highlight, and
// the sky's colour on the rim where the jelly is thin.
Rgb ball(float x, float y) {
    const float z = std::sqrt(std::fmax(0.0f, 1.0f - x * x - y * y));
    const float lightX = -0.48f, lightY = 0.62f, lightZ = 0.62f;
    const float diffuse = std::fmax(0.0f, x * lightX - y * lightY + z * lightZ);
    const float halfX = lightX, halfY = lightY, halfZ = lightZ + 1.0f;
    const float halfLength = std::sqrt(halfX * halfX + halfY * halfY + halfZ * halfZ);
    const float facing = std::fmax(0.0f, (x * halfX - y * halfY + z * halfZ) / halfLength);
    const float specular = std::pow(facing, 40.0f);
    Rgb colour = scaled(kBall, 0.30f + 0.70f * diffuse);
    colour = mix(colour, kSkyLow, 0.45f * (1.0f - z) * (1.0f - z));
    return {colour.r + specular, colour.g + specular, colour.b + specular};
}

// The ball's shadow on the board's top face.
float shadow(float u, float v) {
    const float dx = (u - kBallX - 0.04f) / 0.30f;
    const float dy = (v - restingLine(u) - 0.01f) / 0.05f;
    return 0.55f * (1.0f - smoothstep(0.6f, 1.0f, std::sqrt(dx * dx + dy * dy)));
}

Colour sampleAt(float u, float v, float margin) {
    if (!onTile(u, v, margin)) return {};
    const float ballX = (u - kBallX) / kBallRadiusX;
    const float ballY = (v - kBallY) / kBallRadiusY;
    if (ballX * ballX + ballY * ballY <= 1.0f && v <= restingLine(u)) return {ball(ballX, ballY), 1.0f};
    const bool acrossBoard = u >= kBoardLeft && u <= kBoardRight;
    if (acrossBoard && v >= backEdge(u) && v < frontEdge(u)) return {scaled(kBoardTop, 1.0f - shadow(u, v)), 1.0f};
    if (acrossBoard && v >= frontEdge(u) && v <= bottomEdge(u)) return {kBoardFront, 1.0f};
    return {sky(v), 1.0f};
}
}  // namespace

const std::vector<int>& iconSizes() {
    static const std::vector<int> sizes = {16, 22, 24, 32, 48, 64, 128, 256};
    return sizes;
}

GeneratedImage makeIcon(int size) {
    GeneratedImage icon(std::to_string(size) + "x" + std::to_string(size) + ".png", size, size, 4);
    // At the smallest sizes the tile fills the whole square.
    const float margin = size <= 24 ? 0.0f : 0.04f;
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            float r = 0.0f, g = 0.0f, b = 0.0f, alpha = 0.0f;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const float u = (column + (sx + 0.5f) / kSamples) / size;
                    const float v = (row + (sy + 0.5f) / kSamples) / size;
                    const Colour c = sampleAt(u, v, margin);
                    r += clamp01(c.rgb.r) * c.alpha;
                    g += clamp01(c.rgb.g) * c.alpha;
                    b += clamp01(c.rgb.b) * c.alpha;
                    alpha += c.alpha;
                }
            }
            unsigned char* texel = icon.texel(column, row);
            const float covered = alpha > 0.0f ? alpha : 1.0f;
            storeRgb(texel, {r / covered, g / covered, b / covered});
            texel[3] = toByte(alpha / (kSamples * kSamples));
        }
    }
    return icon;
}
