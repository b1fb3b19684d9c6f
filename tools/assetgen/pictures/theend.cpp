// The closing picture: a winter dusk over dark hills with a far campfire, stars, and "THE END".
#include "tools/assetgen/pictures/noise.h"
#include "tools/assetgen/pictures/paint.h"
#include "tools/assetgen/pictures/text.h"

#include <cmath>

Col dusk(float x, float y) {
    const float t = clamp01(y / 600);
    Col c = mix(Col{0.02f, 0.03f, 0.10f}, Col{0.16f, 0.10f, 0.30f}, smooth(0.0f, 0.7f, t));
    c = mix(c, Col{0.85f, 0.38f, 0.22f}, smooth(0.55f, 1.0f, t) * 0.9f);
    // Faint veils of cloud catching the last light.
    const float veil = smooth(0.5f, 0.75f, fbm(x / 380, y / 40, 61, 5)) * smooth(300, 520, y);
    c = mix(c, Col{0.95f, 0.55f, 0.45f}, veil * 0.35f);
    // Stars, fewer and dimmer towards the horizon.
    const int ix = int(x / 3), iy = int(y / 3);
    const float s = hash2(ix, iy, 62);
    if (s > 0.985f) {
        const float fx = ix * 3 + 1.5f, fy = iy * 3 + 1.5f;
        const float glow = std::exp(-((x - fx) * (x - fx) + (y - fy) * (y - fy)) / 1.2f);
        c = mix(c, Col{1, 0.97f, 0.9f}, glow * (s - 0.985f) / 0.015f * (1 - t));
    }
    return c;
}

namespace {
float ridge(float x, float base, float amp, uint32_t seed, float scaleX) {
    return base - amp * fbm(x / scaleX, 0.5f, seed, 5);
}

Col scene(float x, float y) {
    const float far = ridge(x, 640, 90, 63, 260), mid = ridge(x, 690, 70, 64, 180),
                near = ridge(x, 745, 50, 65, 120);
    Col c = dusk(x, y);
    if (y > far)
        c = mix(c, mix(Col{0.20f, 0.12f, 0.26f}, Col{0.12f, 0.08f, 0.18f}, clamp01((y - far) / 80)),
                smooth(0, 1.5f, y - far));
    if (y > mid)
        c = mix(c, Col{0.07f, 0.05f, 0.11f}, smooth(0, 1.5f, y - mid));
    if (y > near)
        c = mix(c, Col{0.03f, 0.02f, 0.05f}, smooth(0, 1.5f, y - near));
    // A far campfire on the middle hills, and the glow it throws.
    const float fx = 760, fy = ridge(fx, 690, 70, 64, 180) + 6;
    const float d = std::hypot(x - fx, (y - fy) * 1.6f);
    c.r += 0.9f * std::exp(-d / 9) + 0.25f * std::exp(-d / 60);
    c.g += 0.55f * std::exp(-d / 9) + 0.10f * std::exp(-d / 60);
    c.b += 0.15f * std::exp(-d / 9);
    return c;
}
} // namespace

bool paintTheEnd(PngData& out) {
    Img canvas = makeImg(kCanvasW, kCanvasH);
    fillAll(canvas, scene);

    // The little bus going home along the far hills: a dark box with lit windows and red tail lights.
    const float bx = 300, by = 690 - 70 * fbm(300 / 180.0f, 0.5f, 64, 5) - 2;
    fillShape(
        canvas, bx - 30, by - 30, bx + 30, by + 6,
        [=](float x, float y) {
            return std::fmin(
                sdBox(x, y, bx, by - 12, 22, 10, 4),
                std::fmin(sdCircle(x, y, bx - 13, by - 2, 4), sdCircle(x, y, bx + 13, by - 2, 4)));
        },
        [](float, float) {
            return Col{0.03f, 0.02f, 0.05f};
        });
    for (int i = 0; i < 4; i++) {
        const float wx = bx - 15 + i * 10;
        fillShape(
            canvas, wx - 5, by - 22, wx + 5, by - 12,
            [=](float x, float y) { return sdBox(x, y, wx, by - 16, 3, 3, 0.5f); },
            [](float, float) {
                return Col{1.0f, 0.80f, 0.40f};
            });
    }
    for (float tx : {bx - 20, bx + 20})
        fillShape(
            canvas, tx - 8, by - 14, tx + 8, by,
            [=](float x, float y) {
                return sdCircle(x, y, tx, by - 7, 2) - 3 * std::exp(-std::hypot(x - tx, y - by + 7));
            },
            [=](float x, float y) {
                return Col{1.0f, 0.15f, 0.1f, std::exp(-std::hypot(x - tx, y - by + 7) / 2.5f) + 0.3f};
            },
            3);

    // Big soft snowflakes drifting past in front of everything.
    noise::Rng rng = noise::makeRng(82);
    for (int i = 0; i < 90; i++) {
        const float fx = uniform(rng, 0, kCanvasW), fy = uniform(rng, 0, kCanvasH),
                    r = uniform(rng, 1.2f, 4.5f);
        const float a = uniform(rng, 0.35f, 0.85f);
        if (fy > 200 && fy < 460 && fx > 60 && fx < 960)
            continue; // keep the title clear
        fillShape(
            canvas, fx - r * 3, fy - r * 3, fx + r * 3, fy + r * 3,
            [=](float x, float y) { return sdCircle(x, y, fx, fy, r); },
            [=](float, float) {
                return Col{0.95f, 0.95f, 1.0f, a};
            },
            r * 0.8f);
    }

    // The title: gold serif capitals with a soft warm halo and a shadow, centred in the sky.
    const std::string title = "THE END", line = "thanks for watching";
    const float size = 150, sub = 40;
    const float tw = textWidth(kSerifBold, title, size, 1.0f, 14);
    const float sw = textWidth(kSans, line, sub, 1.0f, 3);
    if (tw < 0 || sw < 0)
        return false;
    std::vector<float> mask(size_t(kCanvasW) * kCanvasH, 0.0f), small(mask.size(), 0.0f);
    drawTextMask(mask, kCanvasW, kCanvasH, kSerifBold, title, size, 1.0f, 14, (kCanvasW - tw) / 2, 330);
    drawTextMask(small, kCanvasW, kCanvasH, kSans, line, sub, 1.0f, 3, (kCanvasW - sw) / 2, 420);

    Img halo = makeImg(kCanvasW, kCanvasH);
    for (size_t i = 0; i < mask.size(); i++)
        halo.px[i * 4 + 3] = std::fmax(mask[i], small[i] * 0.5f);
    blur(halo, 9, 3);
    for (int y = 0; y < kCanvasH; y++)
        for (int x = 0; x < kCanvasW; x++) {
            const size_t i = size_t(y) * kCanvasW + x;
            const float glow = halo.px[i * 4 + 3];
            blendOver(canvas, x, y, Col{1.0f, 0.62f, 0.25f}, glow * 0.55f);
            const float sh = y >= 5 && x >= 5 ? mask[i - 5 * kCanvasW - 5] : 0;
            blendOver(canvas, x, y, Col{0.02f, 0.01f, 0.04f}, sh * 0.6f);
            const float t = clamp01((y - 230) / 110.0f);
            const Col gold = mix(Col{1.0f, 0.95f, 0.70f}, Col{0.90f, 0.55f, 0.18f}, t);
            blendOver(canvas, x, y, gold, mask[i]);
            blendOver(canvas, x, y, Col{0.98f, 0.90f, 0.85f}, small[i] * 0.9f);
        }
    Img tex = resample(canvas, kTex, kTex);
    addGrain(tex, 0.012f, 66);
    std::vector<float> rgba = straightColour(tex, 0);
    out = packRgb(kTex, kTex, rgba, false, 16);
    return true;
}
