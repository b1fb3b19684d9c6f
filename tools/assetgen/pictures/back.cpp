// The bus scene's backdrop: a painted summer sky with clouds over hills, a meadow and a sandy track.
#include "tools/assetgen/pictures/noise.h"
#include "tools/assetgen/pictures/paint.h"

#include <cmath>

namespace {
constexpr float kHorizon = 430;

float farHill(float x) {
    return kHorizon - 28 - 40 * fbm(x / 300, 3.0f, 11, 4) + 10 * std::sin(x / 170);
}
float nearHill(float x) {
    return kHorizon + 8 - 34 * fbm(x / 220, 7.0f, 12, 4) + 18 * std::sin(x / 260 + 1);
}

Col sky(float x, float y) {
    const float t = clamp01(y / kHorizon);
    Col c = mix(Col{0.20f, 0.42f, 0.82f}, Col{0.62f, 0.78f, 0.95f}, t * t);
    // Sun glow at the upper right.
    const float sun = std::exp(-std::hypot(x - 840, y - 90) / 160);
    c = mix(c, Col{1.0f, 0.97f, 0.85f}, 0.55f * sun);
    // Clouds: soft heaps with bright tops and blue-grey bellies, drawn with broad brush noise.
    const float band = smooth(60, 160, y) * (1 - smooth(280, 400, y));
    const float n = fbm(x / 240, y / 85, 21, 6);
    const float dens = smooth(0.46f, 0.64f, n * (0.75f + 0.5f * band));
    if (dens > 0) {
        const float light = clamp01(0.5f + (fbm(x / 240, (y - 14) / 85, 21, 6) - n) * -9.0f);
        const Col cloud = mix(Col{0.70f, 0.74f, 0.84f}, Col{1.0f, 0.99f, 0.96f}, light);
        c = mix(c, cloud, dens * 0.95f);
    }
    return c;
}

Col ground(float x, float y) {
    // Meadow: lighter and bluer towards the horizon, brush-like streaks and clumps.
    const float depth = clamp01((y - kHorizon) / (kCanvasH - kHorizon));
    Col c = mix(Col{0.46f, 0.66f, 0.30f}, Col{0.22f, 0.50f, 0.14f}, depth);
    const float streak = fbm(x / (40 + 60 * (1 - depth)), y / (5 + 10 * depth), 31, 5);
    c = scale(c, 0.78f + 0.45f * streak);
    const float clump = fbm(x / 90, y / 30, 32, 4);
    c = mix(c, Col{0.55f, 0.68f, 0.22f}, 0.35f * smooth(0.55f, 0.75f, clump));
    // A sandy track across the meadow for the bus and the people to stand on.
    const float centre = 576 + 6 * std::sin(x / 150), half = 34 + 4 * std::sin(x / 90 + 2);
    const float edge = std::fabs(y - centre) - half + 10 * (fbm(x / 25, y / 8, 33, 3) - 0.5f);
    const float track = 1 - smooth(-4, 4, edge);
    if (track > 0) {
        Col sand = mix(Col{0.78f, 0.68f, 0.50f}, Col{0.64f, 0.54f, 0.38f}, fbm(x / 30, y / 6, 34, 4));
        sand = scale(sand, 0.9f + 0.2f * smooth(0.6f, 0.8f, fbm(x / 8, y / 3, 35, 2)));
        c = mix(c, sand, track);
    }
    // Flowers: sparse dabs of colour, smaller towards the horizon.
    const float cell = 6 + 12 * depth;
    const int ix = int(std::floor(x / cell)), iy = int(std::floor(y / cell));
    const float h = hash2(ix, iy, 36);
    if (h > 0.93f && track < 0.1f) {
        const float fx = (ix + 0.2f + 0.6f * hash2(ix, iy, 37)) * cell,
                    fy = (iy + 0.2f + 0.6f * hash2(ix, iy, 38)) * cell;
        const float d = std::hypot(x - fx, (y - fy) * 1.4f) / (cell * 0.22f);
        const float k = hash2(ix, iy, 39);
        const Col petal =
            k < 0.4f ? Col{1, 1, 0.95f} : (k < 0.7f ? Col{1, 0.85f, 0.2f} : Col{0.9f, 0.25f, 0.3f});
        c = mix(c, petal, 1 - smooth(0.6f, 1.0f, d));
    }
    return c;
}

Col backdrop(float x, float y) {
    const float hf = farHill(x), hn = nearHill(x);
    if (y < hf)
        return sky(x, y);
    if (y < hn) {
        // Far hills, hazy blue-green, with dark dabs of woods.
        Col c = mix(Col{0.50f, 0.64f, 0.66f}, Col{0.40f, 0.58f, 0.45f}, clamp01((y - hf) / 40));
        const float woods = smooth(0.58f, 0.66f, fbm(x / 35, y / 14, 41, 4));
        c = mix(c, Col{0.28f, 0.42f, 0.34f}, woods * 0.8f);
        return mix(sky(x, hf - 1), c, smooth(0, 2, y - hf));
    }
    const Col g = ground(x, y);
    return mix(Col{0.40f, 0.58f, 0.45f}, g, smooth(0, 2, y - hn));
}
} // namespace

bool paintBack(PngData& out) {
    Img canvas = makeImg(kCanvasW, kCanvasH);
    fillAll(canvas, backdrop);
    // A few painted trees on the near hills, away from the middle where the bus stands.
    const float trees[][3] = {{70, 0, 46}, {150, 0, 30}, {890, 0, 52}, {965, 0, 34}, {260, 0, 22}};
    for (const auto& t : trees) {
        const float tx = t[0], r = t[2], base = nearHill(tx) + 6;
        fillShape(
            canvas, tx - 6, base - r, tx + 6, base + 4,
            [&](float x, float y) { return sdBox(x, y, tx, base - r * 0.5f, 4, r * 0.5f + 2); },
            [](float, float) {
                return Col{0.35f, 0.25f, 0.16f};
            });
        const float cy = base - r * 1.55f;
        fillShape(
            canvas, tx - r * 1.3f, cy - r * 1.3f, tx + r * 1.3f, cy + r * 1.3f,
            [&](float x, float y) {
                return sdCircle(x, y, tx, cy, r) + 14 * (fbm(x / 14, y / 14, 51, 3) - 0.5f);
            },
            [&](float x, float y) {
                const float lit = clamp01(0.6f - (x - tx) / (2 * r) - (y - cy) / (2 * r));
                return mix(Col{0.12f, 0.30f, 0.10f}, Col{0.45f, 0.65f, 0.22f},
                           lit * (0.7f + 0.5f * fbm(x / 6, y / 6, 52, 2)));
            },
            2.0f);
    }
    // Short brush strokes that follow the forms: level in the sky, slanting in the grass.
    modulate(canvas, [](float x, float y) {
        const float slant = y > kHorizon ? 0.35f : 0.0f;
        const float stroke = fbm((x + slant * y) / 26, y / 4, 81, 3);
        return 0.95f + 0.10f * stroke;
    });
    Img tex = resample(canvas, kTex, kTex);
    addGrain(tex, 0.02f, 77);
    for (size_t i = 3; i < tex.px.size(); i += 4)
        tex.px[i] = 1.0f;
    out = packRgb(kTex, kTex, straightColour(tex, 0), true, 8);
    return true;
}
