#include "tools/imagegen/LightningImage.h"

#include <cmath>
#include <vector>

#include "tools/imagegen/Noise.h"
#include "tools/imagegen/Shading.h"

namespace {

constexpr std::uint32_t kBoltSeed = 907;

struct Point {
    float x, y;
};

struct Stroke {
    Point a, b;
    float coreWidth;   // half width of the bright core, texels
    float glowRadius;  // where the glow has faded to nothing, texels
    float brightness;
};

// Deterministic stream of values in [0, 1).
class HashStream {
public:
    explicit HashStream(std::uint32_t seed) : state_(seed) {}
    float next() { return hashToUnit(mixBits(state_++ * 0x9E3779B9u + 0x632BE5ABu)); }
    float between(float low, float high) { return low + (high - low) * next(); }

private:
    std::uint32_t state_;
};

struct BoltStyle {
    float coreWidth, glowRadius, brightness;
};

struct BoltBuilder {
    float low, high;  // allowed coordinate range, leaving an empty frame
    HashStream random;
    std::vector<Stroke> strokes;

    Point clamp(Point p) const {
        p.x = p.x < low ? low : (p.x > high ? high : p.x);
        p.y = p.y < low ? low : (p.y > high ? high : p.y);
        return p;
    }

    // Midpoint displacement: a jagged path between two points. Midpoints move
    // sideways only, so the path keeps falling and never doubles back up.
    void jagged(Point a, Point b, float roughness, std::vector<Point>& path) {
        const float dx = b.x - a.x, dy = b.y - a.y;
        const float length = std::sqrt(dx * dx + dy * dy);
        if (length < 3.0f) {
            path.push_back(b);
            return;
        }
        const float offset = (random.next() - 0.5f) * roughness * length;
        const Point mid = clamp({(a.x + b.x) * 0.5f + offset, (a.y + b.y) * 0.5f});
        jagged(a, mid, roughness, path);
        jagged(mid, b, roughness, path);
    }

    void bolt(Point from, Point to, BoltStyle style, int depth) {
        std::vector<Point> path{from};
        jagged(from, to, 0.38f, path);
        const std::size_t segments = path.size() - 1;
        for (std::size_t i = 0; i < segments; ++i) {
            // Thinner and dimmer towards the tip.
            const float along = static_cast<float>(i) / static_cast<float>(segments);
            const float taper = 1.0f - 0.55f * along;
            strokes.push_back({path[i], path[i + 1], style.coreWidth * taper, style.glowRadius * (0.6f + 0.4f * taper),
                               style.brightness * (0.75f + 0.25f * taper)});
        }
        if (depth == 0) return;
        const int branches = depth == 2 ? 4 : 2;
        for (int k = 0; k < branches; ++k) {
            const std::size_t at = static_cast<std::size_t>(segments * random.between(0.12f, 0.7f));
            const Point start = path[at];
            const float side = random.next() < 0.5f ? -1.0f : 1.0f;
            const float reach = (high - low) * random.between(0.18f, 0.38f) * (depth == 2 ? 1.0f : 0.6f);
            const Point end = clamp({start.x + side * reach * random.between(0.4f, 0.9f),
                                     start.y - reach * random.between(0.6f, 1.0f)});
            bolt(start, end, {style.coreWidth * 0.55f, style.glowRadius * 0.65f, style.brightness * 0.7f}, depth - 1);
        }
    }
};

float distanceToStroke(float px, float py, const Stroke& s) {
    const float ex = s.b.x - s.a.x, ey = s.b.y - s.a.y;
    const float lengthSquared = ex * ex + ey * ey;
    float along = lengthSquared > 0.0f ? ((px - s.a.x) * ex + (py - s.a.y) * ey) / lengthSquared : 0.0f;
    along = clamp01(along);
    const float dx = px - (s.a.x + along * ex), dy = py - (s.a.y + along * ey);
    return std::sqrt(dx * dx + dy * dy);
}

// Strongest core and glow each texel receives from any stroke.
void paintStroke(const Stroke& s, int size, std::vector<float>& core, std::vector<float>& glow) {
    const float reach = s.glowRadius + 1.0f;
    const int x0 = static_cast<int>(std::floor(std::fmin(s.a.x, s.b.x) - reach));
    const int x1 = static_cast<int>(std::ceil(std::fmax(s.a.x, s.b.x) + reach));
    const int y0 = static_cast<int>(std::floor(std::fmin(s.a.y, s.b.y) - reach));
    const int y1 = static_cast<int>(std::ceil(std::fmax(s.a.y, s.b.y) + reach));
    for (int y = y0 < 0 ? 0 : y0; y <= y1 && y < size; ++y) {
        for (int x = x0 < 0 ? 0 : x0; x <= x1 && x < size; ++x) {
            const float d = distanceToStroke(x + 0.5f, y + 0.5f, s);
            if (d >= s.glowRadius) continue;
            const std::size_t i = static_cast<std::size_t>(y) * size + x;
            const float c = s.brightness * (1.0f - smoothstep(0.0f, s.coreWidth + 0.75f, d));
            const float fall = 1.0f - d / s.glowRadius;
            const float g = s.brightness * 0.5f * fall * fall * fall;
            core[i] = c > core[i] ? c : core[i];
            glow[i] = g > glow[i] ? g : glow[i];
        }
    }
}

}  // namespace

GeneratedImage makeLightningImage(int size) {
    const float glowRadius = size * 0.055f;
    const float margin = 2.0f + glowRadius;  // the glow ends before the empty frame
    BoltBuilder builder{margin, size - margin, HashStream(kBoltSeed), {}};
    const float span = size - 2.0f * margin;
    builder.bolt({margin + span * 0.55f, size - margin}, {margin + span * 0.42f, margin + span * 0.02f},
                 {size / 110.0f, glowRadius, 1.0f}, 2);

    const std::size_t count = static_cast<std::size_t>(size) * size;
    std::vector<float> core(count, 0.0f), glow(count, 0.0f);
    for (const Stroke& s : builder.strokes) paintStroke(s, size, core, glow);

    const Rgb white{1.0f, 1.0f, 1.0f};
    const Rgb glowColour{0.62f, 0.68f, 1.0f};
    GeneratedImage image("lightning2.tga", size, size, 4);
    for (std::size_t i = 0; i < count; ++i) {
        unsigned char* texel = image.pixels.data() + i * 4;
        const unsigned char alpha = toByte(core[i] + glow[i]);
        if (alpha == 0) continue;  // stays transparent black
        const float whiteness = core[i] + glow[i] > 0.0f ? clamp01(core[i] / (core[i] + 0.5f * glow[i])) : 0.0f;
        storeRgb(texel, mix(glowColour, white, whiteness));
        texel[3] = alpha;
    }
    return image;
}
