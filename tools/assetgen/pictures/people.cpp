// The atlas of eight standing people, 4 x 2 cells of 128 x 256 texels. The show stretches each cell to twice
// its height, so every person is painted in natural proportions on a 128 x 512 cell and then squashed.
#include "tools/assetgen/pictures/noise.h"
#include "tools/assetgen/pictures/paint.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kW = 128, kH = 512; // a cell as painted

enum Hair { Short, Long, Curly, Ponytail, Bald };
enum Hat { NoHat, Cap, Beanie };
enum Legs { Trousers, Skirt, Coat };

struct Person {
    float height, build;
    Col skin, hair, top, bottom, shoes, extra;
    Hair hairStyle;
    Hat hat;
    Legs legs;
    bool beard, glasses, scarf, straps;
};

// clang-format off
const Person kPeople[8] = {
    // height, build, skin, hair, top, bottom,
    //     shoes, extra, hair style, hat, legs, beard, glasses, scarf, straps
    {455, 1.00f, {0.90f, 0.72f, 0.58f}, {0.35f, 0.22f, 0.12f}, {0.78f, 0.18f, 0.16f}, {0.22f, 0.30f, 0.52f},
     {0.9f, 0.9f, 0.9f}, {0.9f, 0.9f, 0.9f}, Short, NoHat, Trousers, false, false, false, false},
    {430, 0.90f, {0.95f, 0.78f, 0.66f}, {0.92f, 0.78f, 0.40f}, {0.22f, 0.50f, 0.32f}, {0.15f, 0.12f, 0.14f},
     {0.35f, 0.20f, 0.12f}, {0.9f, 0.9f, 0.9f}, Long, NoHat, Coat, false, false, false, false},
    {420, 1.05f, {0.88f, 0.70f, 0.58f}, {0.78f, 0.78f, 0.76f}, {0.50f, 0.36f, 0.22f}, {0.30f, 0.30f, 0.32f},
     {0.20f, 0.14f, 0.10f}, {0.40f, 0.36f, 0.30f}, Short, Cap, Coat, true, true, false, false},
    {335, 0.95f, {0.92f, 0.75f, 0.62f}, {0.55f, 0.30f, 0.12f}, {0.98f, 0.80f, 0.15f}, {0.25f, 0.42f, 0.75f},
     {0.85f, 0.15f, 0.15f}, {0.20f, 0.55f, 0.80f}, Short, NoHat, Trousers, false, false, false, true},
    {440, 0.92f, {0.48f, 0.32f, 0.22f}, {0.08f, 0.06f, 0.05f}, {0.55f, 0.25f, 0.60f}, {0.55f, 0.25f, 0.60f},
     {0.10f, 0.10f, 0.10f}, {0.95f, 0.75f, 0.20f}, Curly, NoHat, Skirt, false, false, false, false},
    {472, 1.05f, {0.85f, 0.66f, 0.52f}, {0.15f, 0.12f, 0.10f}, {0.14f, 0.14f, 0.16f}, {0.45f, 0.45f, 0.48f},
     {0.45f, 0.28f, 0.15f}, {0.95f, 0.50f, 0.10f}, Short, Beanie, Trousers, true, false, false, false},
    {425, 0.90f, {0.96f, 0.80f, 0.70f}, {0.70f, 0.25f, 0.08f}, {0.92f, 0.92f, 0.88f}, {0.12f, 0.12f, 0.14f},
     {0.75f, 0.15f, 0.20f}, {0.20f, 0.45f, 0.75f}, Ponytail, NoHat, Trousers, false, false, true, false},
    {445, 1.00f, {0.70f, 0.52f, 0.38f}, {0.25f, 0.20f, 0.15f}, {0.30f, 0.45f, 0.25f}, {0.50f, 0.42f, 0.30f},
     {0.25f, 0.16f, 0.10f}, {0.95f, 0.55f, 0.15f}, Bald, NoHat, Trousers, false, true, true, false},
};
// clang-format on

// What the front of each person's top shows.
enum Detail { Plain, Hoodie, Buttons, Zip, Stripes };
const Detail kDetails[8] = {Hoodie, Buttons, Buttons, Plain, Plain, Zip, Stripes, Zip};

const Col kInk{0.10f, 0.08f, 0.08f};

// A limb: a segment whose thickness runs from r0 at a to r1 at b.
float limb(float x, float y, float ax, float ay, float bx, float by, float r0, float r1) {
    const float dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
    const float t = clamp01(((x - ax) * dx + (y - ay) * dy) / len2);
    return std::hypot(x - ax - dx * t, y - ay - dy * t) - (r0 + (r1 - r0) * t);
}

// Fills a part with an inked outline, soft round shading (light from the upper left) and cloth texture.
void part(Img& im, float ox, float oy, const DistFn& d, Col c, float cx, float width, uint32_t seed) {
    fillShape(
        im, ox, oy, ox + kW, oy + kH, [&](float x, float y) { return d(x - ox, y - oy) - 1.6f; },
        [](float, float) { return kInk; });
    fillShape(
        im, ox, oy, ox + kW, oy + kH, [&](float x, float y) { return d(x - ox, y - oy); },
        [&](float x, float y) {
            const float lx = x - ox, ly = y - oy;
            const float inside = smooth(0, 7, -d(lx, ly));
            const float across = clamp01(0.5f - (lx - cx) / width);
            const float k = (0.62f + 0.38f * inside) * (0.85f + 0.3f * across) *
                            (0.94f + 0.12f * fbm(lx / 5, ly / 5, seed, 2));
            return scale(c, k);
        });
}

void paintPerson(Img& im, const Person& p, Detail detail, float ox, float oy, uint32_t seed) {
    const float H = p.height, top = kH - H, cx = kW / 2;
    const float ry = H * 0.066f, rx = ry * 0.8f, hy = top + ry;
    const float sy = top + H * 0.175f, sw = std::fmin(H * 0.1f * p.build, 47.0f);
    const float hipY = top + H * 0.50f, hw = H * 0.085f * p.build;
    const float footY = kH, legR = H * 0.034f;
    const float kneeY = top + H * 0.72f;

    // Hair that falls behind the head and shoulders.
    if (p.hairStyle == Long)
        part(
            im, ox, oy,
            [=](float x, float y) { return sdBox(x, y, cx, hy + ry * 0.7f, rx * 1.25f, ry * 1.6f, rx); },
            p.hair, cx, rx * 2, seed + 1);
    if (p.hairStyle == Curly)
        part(
            im, ox, oy,
            [=](float x, float y) {
                const float a = std::atan2(y - hy, x - cx);
                return sdCircle(x, y, cx, hy - ry * 0.1f, rx * 1.45f) + 3 * std::sin(a * 11);
            },
            p.hair, cx, rx * 2, seed + 1);
    if (p.hairStyle == Ponytail)
        part(
            im, ox, oy,
            [=](float x, float y) { return sdEllipse(x, y, cx + rx * 1.05f, hy + ry * 0.6f, 7, 22); }, p.hair,
            cx + rx, 14, seed + 1);

    // Legs and shoes.
    const Col legCol = p.legs == Skirt ? scale(p.skin, 0.8f) : p.bottom;
    for (int s = -1; s <= 1; s += 2) {
        const float lx0 = cx + s * hw * 0.5f, lx1 = cx + s * hw * 0.55f;
        part(
            im, ox, oy,
            [=](float x, float y) {
                return limb(x, y, lx0, hipY, lx1, footY - H * 0.04f, legR * 1.25f, legR * 0.75f);
            },
            legCol, lx1, legR * 2, seed + 2);
        const float shoeX = lx1 + s * 3, shoeRy = H * 0.022f;
        part(
            im, ox, oy,
            [=](float x, float y) {
                return std::fmax(sdEllipse(x, y, shoeX, footY - shoeRy, H * 0.045f, shoeRy * 1.6f),
                                 y - footY - 2);
            },
            p.shoes, shoeX, H * 0.09f, seed + 3);
    }
    // Torso, as a long coat or a skirt where they have one.
    const float torsoEnd = p.legs == Coat ? kneeY : hipY + 4;
    const float endW = p.legs == Coat ? hw * 1.25f : hw;
    const std::vector<float> torso = {cx - sw, sy + 10, cx - sw + 10, sy,       cx + sw - 10, sy,
                                      cx + sw, sy + 10, cx + endW,    torsoEnd, cx - endW,    torsoEnd};
    if (p.legs == Skirt) {
        const std::vector<float> skirt = {cx - hw,        hipY - 20, cx + hw,        hipY - 20,
                                          cx + hw * 1.5f, kneeY,     cx - hw * 1.5f, kneeY};
        part(
            im, ox, oy, [&](float x, float y) { return sdPolygon(x, y, skirt) - 3; }, p.bottom, cx, hw * 3,
            seed + 4);
    }
    part(
        im, ox, oy, [&](float x, float y) { return sdPolygon(x, y, torso) - 4; }, p.top, cx, sw * 2,
        seed + 5);
    auto torsoDist = [&](float x, float y) { return sdPolygon(x, y, torso) - 4; };
    auto line = [&](float ax, float ay, float bx, float by, float r, Col c) {
        fillShape(
            im, ox + std::fmin(ax, bx) - r - 2, oy + std::fmin(ay, by) - r - 2,
            ox + std::fmax(ax, bx) + r + 2, oy + std::fmax(ay, by) + r + 2,
            [=](float x, float y) { return sdSegment(x - ox, y - oy, ax, ay, bx, by, r); },
            [=](float, float) { return c; });
    };
    if (detail == Hoodie) {
        const float py = hipY - 34;
        part(
            im, ox, oy, [=](float x, float y) { return sdBox(x, y, cx, py, sw * 0.5f, 13, 6); },
            scale(p.top, 0.85f), cx, sw, seed + 20);
        for (int s = -1; s <= 1; s += 2)
            line(cx + s * 6, sy + 6, cx + s * 7, sy + 40, 1.3f, Col{0.92f, 0.90f, 0.85f});
    }
    if (detail == Buttons) {
        line(cx + 2, sy + 8, cx + 2, torsoEnd - 2, 0.8f, scale(p.top, 0.5f));
        for (int i = 0; i < 4; i++) {
            const float by = sy + 30 + i * (torsoEnd - sy - 70) / 3;
            fillShape(
                im, ox + cx - 4, oy + by - 6, ox + cx + 10, oy + by + 6,
                [=](float x, float y) { return sdCircle(x - ox, y - oy, cx + 6, by, 3); },
                [&](float, float) { return scale(p.top, 0.35f); });
        }
    }
    if (detail == Zip)
        line(cx, sy + 6, cx, torsoEnd - 4, 1.2f, Col{0.70f, 0.70f, 0.72f});
    if (detail == Stripes)
        fillShape(
            im, ox, oy + sy, ox + kW, oy + torsoEnd,
            [&](float x, float y) {
                const float ly = y - oy - sy, band = std::fabs(ly - 22 * std::floor(ly / 22) - 11) - 4;
                return std::fmax(torsoDist(x - ox, y - oy) + 2, band);
            },
            [&](float, float) { return scale(p.extra, 0.9f); });
    if (p.straps)
        for (int s = -1; s <= 1; s += 2)
            part(
                im, ox, oy,
                [=](float x, float y) {
                    return sdSegment(x, y, cx + s * sw * 0.5f, sy + 2, cx + s * sw * 0.45f, hipY - 30, 4);
                },
                p.extra, cx + s * sw * 0.5f, 10, seed + 6);
    // Arms with hands.
    const float handY = top + H * 0.52f;
    for (int s = -1; s <= 1; s += 2) {
        const float ax0 = cx + s * (sw - 7), ax1 = cx + s * (sw - 2);
        part(
            im, ox, oy,
            [=](float x, float y) {
                return limb(x, y, ax0, sy + 12, ax1, handY - 10, H * 0.032f, H * 0.022f);
            },
            p.top, ax1, H * 0.056f, seed + 7);
        part(
            im, ox, oy, [=](float x, float y) { return sdCircle(x, y, ax1, handY - 4, H * 0.024f); }, p.skin,
            ax1, H * 0.05f, seed + 8);
    }
    // Neck, head and face.
    part(
        im, ox, oy,
        [=](float x, float y) { return sdBox(x, y, cx, (hy + sy) / 2 + 4, rx * 0.42f, (sy - hy) / 2, 3); },
        scale(p.skin, 0.85f), cx, rx, seed + 9);
    if (p.scarf)
        part(
            im, ox, oy,
            [=](float x, float y) {
                return std::fmin(sdBox(x, y, cx, sy + 2, rx * 0.9f, 7, 5),
                                 sdBox(x, y, cx + 8, sy + 30, 6, 24, 3));
            },
            p.extra, cx, rx * 2, seed + 10);
    part(
        im, ox, oy, [=](float x, float y) { return sdEllipse(x, y, cx, hy, rx, ry); }, p.skin, cx, rx * 2,
        seed + 11);
    if (p.beard)
        part(
            im, ox, oy,
            [=](float x, float y) {
                return std::fmax(sdEllipse(x, y, cx, hy + ry * 0.35f, rx * 0.9f, ry * 0.7f),
                                 hy + ry * 0.2f - y);
            },
            p.hair, cx, rx * 2, seed + 12);
    // Eyes, brows, mouth.
    for (int s = -1; s <= 1; s += 2) {
        const float ex = cx + s * rx * 0.4f, ey = hy + ry * 0.02f;
        fillShape(
            im, ox + ex - 5, oy + ey - 5, ox + ex + 5, oy + ey + 5,
            [=](float x, float y) { return sdCircle(x - ox, y - oy, ex, ey, 2.4f); },
            [](float, float) { return kInk; });
        fillShape(
            im, ox + ex - 8, oy + ey - 12, ox + ex + 8, oy + ey - 2,
            [=](float x, float y) { return sdSegment(x - ox, y - oy, ex - 5, ey - 6, ex + 5, ey - 7, 1.2f); },
            [&](float, float) { return scale(p.hair, 0.7f); });
        if (p.glasses)
            fillShape(
                im, ox + ex - 10, oy + ey - 10, ox + ex + 10, oy + ey + 10,
                [=](float x, float y) { return std::fabs(sdCircle(x - ox, y - oy, ex, ey, 6.5f)) - 1.0f; },
                [](float, float) {
                    return Col{0.15f, 0.15f, 0.18f};
                });
    }
    const float my = hy + ry * 0.5f;
    fillShape(
        im, ox + cx - 8, oy + my - 4, ox + cx + 8, oy + my + 4,
        [=](float x, float y) { return sdSegment(x - ox, y - oy, cx - 5, my, cx + 5, my, 1.1f); },
        [](float, float) {
            return Col{0.55f, 0.25f, 0.22f};
        });
    // Hair on top, or a hat.
    if (p.hairStyle != Bald && p.hat == NoHat)
        part(
            im, ox, oy,
            [=](float x, float y) {
                const float cap = sdEllipse(x, y, cx, hy - ry * 0.2f, rx * 1.08f, ry * 0.9f);
                const float line = (y - (hy - ry * 0.3f)) - 0.5f * std::fabs(x - cx) * 0.6f;
                return std::fmax(cap, line);
            },
            p.hair, cx, rx * 2, seed + 13);
    if (p.hat == Cap) {
        part(
            im, ox, oy,
            [=](float x, float y) {
                return std::fmax(sdEllipse(x, y, cx, hy - ry * 0.3f, rx * 1.1f, ry * 0.85f),
                                 y - (hy - ry * 0.45f));
            },
            p.extra, cx, rx * 2, seed + 14);
        part(
            im, ox, oy,
            [=](float x, float y) { return sdEllipse(x, y, cx, hy - ry * 0.45f, rx * 1.3f, 3.5f); },
            scale(p.extra, 0.8f), cx, rx * 2.6f, seed + 15);
    }
    if (p.hat == Beanie) {
        part(
            im, ox, oy,
            [=](float x, float y) {
                return std::fmax(sdEllipse(x, y, cx, hy - ry * 0.25f, rx * 1.08f, ry * 0.95f),
                                 y - (hy - ry * 0.3f));
            },
            p.extra, cx, rx * 2, seed + 14);
        part(
            im, ox, oy, [=](float x, float y) { return sdBox(x, y, cx, hy - ry * 0.38f, rx * 1.1f, 5, 3); },
            scale(p.extra, 0.85f), cx, rx * 2, seed + 15);
        part(
            im, ox, oy, [=](float x, float y) { return sdCircle(x, y, cx, hy - ry * 1.25f, 7); }, p.extra, cx,
            14, seed + 16);
    }
}
} // namespace

bool paintPeople(PngData& out) {
    Img tex = makeImg(kTex, kTex);
    for (int i = 0; i < 8; i++) {
        // Each person on a cell of their own, so that nothing spills into the neighbours.
        Img cell = makeImg(int(kW), int(kH));
        paintPerson(cell, kPeople[i], kDetails[i], 0, 0, uint32_t(400 + i * 20));
        const Img small = resample(cell, int(kW), int(kH) / 2);
        for (int y = 0; y < small.h; y++)
            for (int x = 0; x < small.w; x++)
                std::copy(small.at(x, y), small.at(x, y) + 4,
                          tex.at((i % 4) * small.w + x, (i / 4) * small.h + y));
    }
    out = packRgb(kTex, kTex, straightColour(tex, 3), true, 8);
    return true;
}
