#pragma once

// Small colour helpers shared by the picture makers.

struct Rgb {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

inline float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

inline float mix(float a, float b, float t) { return a + (b - a) * t; }

inline Rgb mix(const Rgb& a, const Rgb& b, float t) {
    return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t)};
}

inline Rgb scaled(const Rgb& c, float k) { return {c.r * k, c.g * k, c.b * k}; }

inline float smoothstep(float edge0, float edge1, float v) {
    const float t = clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

// Rounds a 0..1 intensity to a byte, clamping what lies outside.
inline unsigned char toByte(float v) { return static_cast<unsigned char>(clamp01(v) * 255.0f + 0.5f); }

inline void storeRgb(unsigned char* texel, const Rgb& c) {
    texel[0] = toByte(c.r);
    texel[1] = toByte(c.g);
    texel[2] = toByte(c.b);
}
