// The snowfall's backdrop: a photograph-like galvanised heating duct on a dim cellar wall, its open end at
// canvas (395, 220) pointing right and down, where the flakes come out.
#include "tools/assetgen/pictures/noise.h"
#include "tools/assetgen/pictures/paint.h"

#include <cmath>

namespace {
// Duct axis from off the upper-left edge to the mouth at the snow's birth place.
constexpr float kAx = -90, kAy = 30, kMx = 395, kMy = 220, kR = 78, kMouthDepth = 0.42f;
const float kLen = std::hypot(kMx - kAx, kMy - kAy);
const float kDx = (kMx - kAx) / kLen, kDy = (kMy - kAy) / kLen; // along the axis
const float kNx = -kDy, kNy = kDx;                              // across it (pointing down-left)
// Light from a bulb up and to the left, in front of the wall.
constexpr float kLightX = 120, kLightY = -160;
constexpr float kFloor = 712;

float lightAt(float x, float y) {
    const float d = std::hypot(x - kLightX, y - kLightY) / 620;
    return 1.15f / (1 + d * d * 1.6f);
}

// The bulb's light is warm, what the room throws back is cool.
Col lightUp(Col c, float x, float y) {
    const float l = lightAt(x, y);
    return Col{c.r * (0.05f + 1.05f * l), c.g * (0.06f + 0.97f * l), c.b * (0.08f + 0.82f * l), c.a};
}

struct DuctPoint {
    float t, s; // along and across the axis
};
DuctPoint ductCoords(float x, float y) {
    const float px = x - kAx, py = y - kAy;
    return DuctPoint{px * kDx + py * kDy, px * kNx + py * kNy};
}

float ductRadius(float t) {
    return kR + 5 * smooth(kLen - 30, kLen - 26, t);
} // the collar at the mouth

// Signed distance (roughly) to the duct's outline, the mouth's ellipse included.
float ductDistance(float x, float y) {
    const DuctPoint p = ductCoords(x, y);
    const float body = std::fmax(std::fabs(p.s) - ductRadius(p.t), p.t - kLen);
    const float mouth = sdEllipse(p.t, p.s, kLen, 0, kR * kMouthDepth + 5, kR + 5);
    return std::fmin(body, mouth);
}

Col wall(float x, float y) {
    // Painted concrete blocks, 128 x 64, running bond, with recessed mortar joints.
    const float bh = 64, bw = 128;
    const int row = int(std::floor(y / bh));
    const float ox = (row & 1) ? bw / 2 : 0;
    const int col = int(std::floor((x + ox) / bw));
    const float fx = x + ox - col * bw, fy = y - row * bh;
    // Joints wander a little and the block edges are chipped here and there.
    const float chip = 3.5f * smooth(0.6f, 0.85f, fbm(x / 7, y / 7, 107, 3));
    const float joint = std::fmin(std::fmin(fx, bw - fx), std::fmin(fy, bh - fy)) +
                        1.2f * (fbm(x / 30, y / 30, 108, 2) - 0.5f) - chip;
    // Each block a slightly different shade, lighter towards one corner where the paint wore thin.
    const float tone = 0.90f + 0.18f * hash2(col, row, 101) +
                       0.05f * ((fx / bw) - (fy / bh)) * (hash2(col, row, 109) - 0.5f);
    Col c = scale(Col{0.60f, 0.61f, 0.62f}, tone);
    const float pores = fbm(x / 3, y / 3, 102, 3), blotch = fbm(x / 60, y / 60, 103, 4);
    c = scale(c, 0.82f + 0.25f * pores + 0.2f * (blotch - 0.5f));
    if (hash2(int(x), int(y), 104) > 0.985f)
        c = scale(c, 0.6f); // pits in the paint
    const float mortar = 1 - smooth(2.5f, 4.5f, joint);
    c = mix(c, scale(Col{0.42f, 0.41f, 0.38f}, 0.9f + 0.2f * pores), mortar);
    if (fy > bh - 6 && joint < 6)
        c = scale(c, 0.85f); // the joint's shadowed upper lip
    // Grime running down from the duct's mouth and along the floor.
    const float streak = smooth(0.55f, 0.8f, fbm(x / 20, y / 200, 105, 4)) * smooth(300, 760, y);
    c = scale(c, 1 - 0.25f * streak);
    // Rusty water stains run down from the copper pipe's clips and drip under the duct's mouth.
    for (float sx : {230.0f, 760.0f, 400.0f}) {
        const float top = sx == 400.0f ? 300.0f : 676.0f;
        const float wdt = (sx == 400.0f ? 26.0f : 16.0f) * (0.7f + 0.6f * fbm(y / 40, sx, 110, 2));
        const float run = std::exp(-std::pow((x - sx - 8 * (fbm(y / 60, sx, 111, 2) - 0.5f)) / wdt, 2.0f));
        const float fade =
            smooth(top - 10, top + 10, y) * (1 - smooth(top + 20, top + (sx == 400.0f ? 300 : 60), y));
        c = mix(c, Col{0.45f, 0.33f, 0.22f}, 0.35f * run * fade);
    }
    // Salt bloom low on the wall, where damp comes up from the floor.
    const float salt = smooth(0.5f, 0.75f, fbm(x / 45, y / 18, 112, 4)) * smooth(kFloor - 90, kFloor - 10, y);
    c = mix(c, Col{0.78f, 0.78f, 0.74f}, 0.35f * salt);
    // The floor: bare concrete, meeting the wall in a dark corner.
    if (y > kFloor) {
        const float depth = (y - kFloor) / (kCanvasH - kFloor);
        Col f = scale(Col{0.50f, 0.49f, 0.47f}, 0.75f + 0.35f * fbm(x / (30 + 60 * depth), y / 6, 106, 4));
        f = scale(f, 0.55f + 0.45f * smooth(0, 0.4f, depth));
        c = mix(c, f, smooth(0, 2, y - kFloor));
    } else {
        c = scale(c, 1 - 0.45f * std::exp(-(kFloor - y) / 14));
    }
    // The duct's soft shadow, thrown down and to the right by the bulb.
    const float sd = ductDistance(x - 46, y - 80);
    c = scale(c, 1 - 0.55f * (1 - smooth(-40, 50, sd)));
    return lightUp(c, x, y);
}

Col metal(float x, float y) {
    const DuctPoint p = ductCoords(x, y);
    const float r = ductRadius(p.t), u = std::fmax(-1.0f, std::fmin(1.0f, p.s / r));
    // A polished cylinder mirrors its surroundings in bands along its length: the bulb as a bright streak
    // near the top, the dark room across the middle, the lit floor low down, dark again at the very bottom.
    const float g1 = (u + 0.48f) / 0.10f, g2 = (u + 0.62f) / 0.30f, g3 = (u - 0.58f) / 0.22f,
                g4 = (u - 0.05f) / 0.3f;
    const float env = 0.30f + 1.2f * std::exp(-g1 * g1) + 0.35f * std::exp(-g2 * g2) +
                      0.30f * std::exp(-g3 * g3) - 0.18f * std::exp(-g4 * g4) - 0.2f * smooth(0.85f, 1.0f, u);
    // The streak is brightest where the duct passes closest to the bulb.
    const float near = std::exp(-std::fabs(p.t - 240) / 260);
    // Galvanised spangle: blotches of slightly different sheen.
    const float spangle = fbm(p.t / 14, p.s / 14, 111, 3) * 0.6f + fbm(p.t / 4, p.s / 4, 112, 2) * 0.4f;
    Col base = scale(Col{0.62f, 0.64f, 0.66f}, 0.8f + 0.35f * spangle);
    // Spiral lock seam: a raised rib with a bright and a dark side.
    const float phase = (p.t + 0.38f * p.s) / 62.0f, f = phase - std::floor(phase);
    const float rib = std::exp(-(f - 0.5f) * (f - 0.5f) / 0.0016f);
    const float ribSide = std::sin((f - 0.5f) * 70.0f) * rib;
    const float collar = smooth(kLen - 30, kLen - 26, p.t);
    const float collarEdge = std::exp(-(p.t - (kLen - 28)) * (p.t - (kLen - 28)) / 6.0f);
    float shade = (env - 0.25f * collarEdge) * (0.75f + 0.5f * near);
    shade *= 1 + (1 - collar) * (0.35f * ribSide - 0.1f * rib);
    Col c = scale(base, shade);
    // Dust settled along the top.
    c = mix(c, Col{0.45f, 0.42f, 0.36f}, 0.35f * smooth(-0.55f, -0.95f, u) * fbm(p.t / 9, p.s / 5, 113, 3));
    return scale(c, 0.35f + 0.65f * lightAt(x, y));
}

Col opening(float x, float y) {
    const DuctPoint p = ductCoords(x, y);
    const float ea = kR * kMouthDepth, eb = kR;
    const float e = std::hypot((p.t - kLen) / ea, p.s / eb); // 0 at the centre, 1 at the inner edge
    // Inside the duct: the lower inner wall catches a little light, deep inside it is black.
    const float inner = smooth(0.35f, 1.0f, e) * smooth(-1.0f, 0.6f, p.s / eb);
    Col c = scale(Col{0.55f, 0.56f, 0.58f}, 0.03f + 0.28f * inner * inner);
    // The cut edge of the sheet, a thin bright lip, and the rolled collar rim beyond it.
    const float lip = std::exp(-(e - 1) * (e - 1) / 0.0025f);
    const float rim = smooth(1.0f, 1.04f, e);
    const float lit = 0.5f + 0.5f * clamp01(-(p.s / eb) * 0.8f + 0.3f);
    c = mix(c, scale(Col{0.8f, 0.82f, 0.85f}, 0.5f + 0.8f * lit), lip * 0.8f);
    c = mix(c, scale(Col{0.62f, 0.64f, 0.66f}, 0.35f + 0.65f * lit), rim);
    return scale(c, lightAt(x, y));
}

Col strap(float x, float y) {
    const float shade = 0.7f + 0.3f * std::sin((x - 150) * 0.2f) + 0.1f * fbm(x / 3, y / 3, 121, 2);
    return lightUp(scale(Col{0.50f, 0.50f, 0.52f}, shade), x, y);
}
} // namespace

bool paintHeatTube(PngData& out) {
    Img canvas = makeImg(kCanvasW, kCanvasH);
    fillAll(canvas, wall);

    // A copper pipe low along the wall, on two clips.
    const float py = 660;
    fillShape(
        canvas, 0, py - 30, kCanvasW, py + 30, [&](float, float y) { return std::fabs(y - py) - 14; },
        [&](float x, float y) {
            const float u = (y - py) / 14;
            const float d = std::fmax(0.0f, -0.6f * u + 0.8f * std::sqrt(std::fmax(0.0f, 1 - u * u)));
            const float sp = std::pow(std::fmax(0.0f, 1 - std::fabs(u + 0.45f) * 3), 6.0f);
            const Col c = scale(Col{0.72f, 0.42f, 0.26f}, 0.2f + 0.9f * d);
            return lightUp(Col{c.r + sp * 0.6f, c.g + sp * 0.45f, c.b + sp * 0.3f}, x, y);
        });
    for (float cx : {230.0f, 760.0f})
        fillShape(
            canvas, cx - 20, py - 24, cx + 20, py + 24,
            [&](float x, float y) { return sdBox(x, y, cx, py, 10, 18, 3); },
            [&](float x, float y) {
                return lightUp(scale(Col{0.35f, 0.35f, 0.37f}, 0.7f + 0.3f * (py - y) / 18), x, y);
            });

    // An old notice taped to the wall, slightly askew: paper, lines of small print, yellowed tape.
    const float nx0 = 200, ny0 = 430, ang = -0.06f, ca = std::cos(ang), sa = std::sin(ang);
    auto local = [=](float x, float y, float& lx, float& ly) {
        lx = ca * (x - nx0) + sa * (y - ny0);
        ly = -sa * (x - nx0) + ca * (y - ny0);
    };
    fillShape(
        canvas, nx0 - 90, ny0 - 110, nx0 + 90, ny0 + 110,
        [&](float x, float y) {
            float lx, ly;
            local(x - 5, y - 7, lx, ly);
            return sdBox(lx, ly, 0, 0, 62, 88, 1);
        },
        [](float, float) {
            return Col{0, 0, 0, 0.35f};
        },
        6);
    fillShape(
        canvas, nx0 - 90, ny0 - 110, nx0 + 90, ny0 + 110,
        [&](float x, float y) {
            float lx, ly;
            local(x, y, lx, ly);
            return std::fmax(sdBox(lx, ly, 0, 0, 62, 88, 1), (lx + ly * 0.6f - 95) / 1.17f); // torn corner
        },
        [&](float x, float y) {
            float lx, ly;
            local(x, y, lx, ly);
            Col paper = scale(Col{0.86f, 0.84f, 0.76f}, 0.85f + 0.2f * fbm(lx / 20, ly / 20, 141, 3));
            const int line = int(std::floor((ly + 70) / 11));
            const float inLine = std::fabs(std::fmod(ly + 70 + 110, 11.0f) - 5.5f);
            const float len = line == 0 ? 50 : 60 + 32 * hash2(line, 0, 142);
            if (line >= 0 && line < 12 && inLine < 2.0f && lx > -48 && lx < -48 + len + 10 * (line == 0))
                paper = mix(paper, Col{0.25f, 0.25f, 0.28f}, 0.55f + 0.3f * hash2(int(lx / 3), line, 143));
            const float tape = (std::fabs(ly + 84) < 7 && std::fabs(lx) < 18) ? 1.0f : 0.0f;
            paper = mix(paper, Col{0.80f, 0.72f, 0.45f}, tape * 0.6f);
            return lightUp(paper, x, y);
        });

    // The hanger strap from the ceiling down to the duct.
    const float st = kLen - 250, sx = kAx + kDx * st, sy = kAy + kDy * st;
    fillShape(
        canvas, sx - 14, 0, sx + 14, sy,
        [&](float x, float y) { return std::fmax(std::fabs(x - sx) - 9, y - (sy - kR * 0.9f)); }, strap);

    fillShape(canvas, 0, 0, kMx + kR, kMy + kR + 20, ductDistance, [](float x, float y) {
        const DuctPoint p = ductCoords(x, y);
        const float mouth = sdEllipse(p.t, p.s, kLen, 0, kR * kMouthDepth + 5, kR + 5);
        return mouth < 0 ? opening(x, y) : metal(x, y);
    });
    // The strap's band clasping the duct: a ring of flat steel with a bright upper edge.
    fillShape(
        canvas, sx - 60, sy - kR - 20, sx + 60, sy + kR + 20,
        [&](float x, float y) {
            const DuctPoint p = ductCoords(x, y);
            return std::fmax(std::fabs(p.t - st) - 8, std::fabs(p.s) - kR - 2);
        },
        [&](float x, float y) {
            const DuctPoint p = ductCoords(x, y);
            const float edge = std::exp(-(p.t - st + 7) * (p.t - st + 7) / 4.0f);
            return scale(metal(x, y), 0.8f + 0.5f * edge);
        });

    // Cold mist breathing out of the mouth.
    for (int y = 150; y < 420; y++)
        for (int x = 380; x < 700; x++) {
            const float dx = x - 430.0f, dy = y - 250.0f;
            const float m = std::exp(-(dx * dx / 9000 + dy * dy / 4000)) * fbm(x / 30.0f, y / 30.0f, 131, 4);
            blendOver(canvas, x, y, Col{0.85f, 0.88f, 0.92f}, 0.10f * m);
        }

    Img tex = resample(canvas, kTex, kTex);
    vignette(tex, 0.35f);
    addGrain(tex, 0.05f, 133);
    for (size_t i = 3; i < tex.px.size(); i += 4)
        tex.px[i] = 1.0f;
    out = packRgb(kTex, kTex, straightColour(tex, 0), true, 8);
    return true;
}
