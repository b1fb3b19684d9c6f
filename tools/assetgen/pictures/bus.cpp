// The minibus, seen from the front with its door swung open on the viewer's left, cut out on a clear ground.
#include "tools/assetgen/pictures/noise.h"
#include "tools/assetgen/pictures/paint.h"
#include "tools/assetgen/pictures/text.h"

#include <cmath>

namespace {
constexpr float kCx = 256, kLeft = 108, kRight = 404, kRoof = 56, kBelt = 232, kSkirt = 398;
constexpr float kGround = 431;

// Paint with soft shading: the body bulges towards the viewer, so it darkens towards its sides.
float bodyShade(float x, float y) {
    const float u = (x - kCx) / ((kRight - kLeft) / 2);
    const float side = 1 - 0.38f * std::pow(std::fabs(u), 3.0f);
    const float top = 0.9f + 0.12f * smooth(kRoof, kRoof + 40, y);
    return side * top * (1.04f - 0.08f * u); // light from the upper left
}

Col paintCol(Col base, float x, float y) {
    Col c = scale(base, bodyShade(x, y) * (0.97f + 0.05f * fbm(x / 40, y / 40, 301, 3)));
    // A soft sky reflection along the upper part of each panel.
    const float sheen = 0.10f * std::exp(-std::pow((x - 190) / 60, 2.0f)) * smooth(kBelt + 60, kBelt, y);
    return Col{c.r + sheen, c.g + sheen, c.b + sheen * 1.1f};
}

const Col kCream{0.93f, 0.90f, 0.80f}, kRed{0.76f, 0.14f, 0.11f}, kChrome{0.80f, 0.82f, 0.85f},
    kRubber{0.07f, 0.07f, 0.08f};

float bodyDistance(float x, float y) {
    // A box whose roof is narrower than its waist, with large rounded corners.
    const float taper = 4 * (1 - smooth(kRoof, kBelt, y));
    const float hw = (kRight - kLeft) / 2 - taper;
    return sdBox(x, y, kCx, (kRoof + kSkirt) / 2, hw, (kSkirt - kRoof) / 2, 26);
}

Col body(float x, float y) {
    // Two-tone: cream above, red below in a V that rises to the badge.
    const float v = kBelt + 30 + 0.45f * std::fabs(x - kCx);
    Col c = paintCol(y < v ? kCream : kRed, x, y);
    if (std::fabs(y - v) < 1.2f)
        c = scale(c, 0.8f);
    // Darker edges where the panels turn away.
    const float edge = -bodyDistance(x, y);
    return scale(c, 0.6f + 0.4f * smooth(0, 10, edge));
}

Col glass(float x, float y, float x0) {
    // Windscreen: sky reflected at the top, the dark cab below, a diagonal glint.
    const float t = clamp01((y - 102) / 104);
    Col c = mix(Col{0.55f, 0.68f, 0.80f}, Col{0.10f, 0.12f, 0.15f}, smooth(0.1f, 0.7f, t));
    const float diag = (x - x0) - (y - 102) * 0.8f;
    c = mix(c, Col{0.9f, 0.95f, 1.0f}, 0.35f * std::exp(-std::pow((diag - 30) / 9, 2.0f)));
    c = mix(c, Col{0.9f, 0.95f, 1.0f}, 0.15f * std::exp(-std::pow((diag - 52) / 4, 2.0f)));
    return c;
}

void shape(Img& im, float x0, float y0, float x1, float y1, const DistFn& d, const ColorFn& c,
           float soft = 1) {
    fillShape(im, x0, y0, x1, y1, d, c, soft);
}
} // namespace

bool busPicture(Img& im) {
    im = makeImg(kTex, kTex);
    // Shadow on the ground, soft, under the whole bus.
    shape(
        im, 60, 400, 452, 450, [](float x, float y) { return sdEllipse(x, y, kCx, kGround - 2, 200, 12); },
        [](float, float) {
            return Col{0, 0, 0, 0.55f};
        },
        10);

    // Chassis between the wheels, in shadow.
    shape(
        im, 118, 380, 394, 428, [](float x, float y) { return sdBox(x, y, kCx, 405, 140, 21, 4); },
        [](float x, float y) {
            // Deep shadow under the body, with the axle and the exhaust just showing.
            Col c = scale(Col{0.05f, 0.045f, 0.045f}, 0.7f + 0.3f * fbm(x / 10, y / 10, 311, 2));
            if (std::fabs(y - 410) < 3)
                c = Col{0.12f, 0.11f, 0.11f};
            if (sdCircle(x, y, 300, 414, 5) < 0)
                c = Col{0.20f, 0.19f, 0.18f};
            return c;
        });

    // Tyres: the lower halves show under the body.
    for (float wx : {146.0f, 366.0f})
        shape(
            im, wx - 40, 350, wx + 40, kGround + 2,
            [wx](float x, float y) { return sdBox(x, y, wx, 392, 34, kGround - 392, 8); },
            [wx](float x, float y) {
                // Rubber seen head-on: rounded shoulders catch the light, blocks of tread across the face.
                const float u = (x - wx) / 34;
                const float tread = std::fabs(u) < 0.7f ? 0.85f + 0.15f * (std::sin(y * 0.9f) > 0.3f) : 1.0f;
                const float shoulder =
                    1 - 0.55f * u * u + 0.25f * std::exp(-std::pow((std::fabs(u) - 0.78f) / 0.1f, 2.0f));
                return scale(Col{0.17f, 0.17f, 0.18f}, shoulder * tread);
            });
    // The open door, swung out from the left front corner: we look at its inner panel edge-on.
    const std::vector<float> door = {kLeft + 6, 118, 52, 138, 46, 404, kLeft + 6, 396};
    shape(
        im, 40, 110, kLeft + 10, 410, [&](float x, float y) { return sdPolygon(x, y, door) - 2; },
        [](float x, float y) {
            const float u = (x - 46) / (kLeft - 46);
            Col c = scale(Col{0.72f, 0.70f, 0.64f}, 0.55f + 0.35f * u);
            if (y > 170 + (1 - u) * 14 && y < 250 + (1 - u) * 8 && x > 56 && x < kLeft - 4)
                c = mix(Col{0.25f, 0.30f, 0.36f}, Col{0.6f, 0.7f, 0.8f}, 0.3f * (1 - u)); // door window
            if (std::fabs(y - 330) < 3 && x > 58 && x < 82)
                c = kChrome; // handle
            return c;
        });
    shape(
        im, 40, 395, 112, 418, [](float x, float y) { return sdBox(x, y, 82, 405, 26, 6, 2); },
        [](float, float y) {
            return scale(Col{0.2f, 0.2f, 0.22f}, 1.2f - (y - 399) / 12);
        }); // the step

    shape(im, kLeft - 4, kRoof - 4, kRight + 4, kSkirt + 4, bodyDistance, body);

    // Split windscreen with a slim pillar.
    for (int side = 0; side < 2; side++) {
        const float x0 = side ? 263 : 133, x1 = side ? 379 : 249;
        shape(
            im, x0 - 2, 100, x1 + 2, 210,
            [=](float x, float y) { return sdBox(x, y, (x0 + x1) / 2, 154, (x1 - x0) / 2, 52, 12); },
            [=](float x, float y) { return glass(x, y, x0); });
        // Wiper resting along the bottom.
        shape(
            im, x0, 190, x1, 208,
            [=](float x, float y) { return sdSegment(x, y, x0 + 12, 201, x0 + 88, 197, 1.6f); },
            [](float, float) {
                return Col{0.05f, 0.05f, 0.05f};
            });
    }
    // A driver's shape in the right-hand pane.
    shape(
        im, 294, 140, 366, 204,
        [](float x, float y) {
            return std::fmin(sdEllipse(x, y, 330, 168, 12, 15), sdEllipse(x, y, 330, 214, 34, 26));
        },
        [](float, float y) {
            return Col{0.06f, 0.06f, 0.07f, 0.7f * smooth(140, 170, y) + 0.2f};
        });

    // Destination board above the windscreen.
    shape(
        im, 180, 64, 332, 88, [](float x, float y) { return sdBox(x, y, kCx, 77, 70, 9, 2); },
        [](float, float) {
            return Col{0.05f, 0.05f, 0.06f};
        });
    std::vector<float> mask(size_t(kTex) * kTex, 0.0f);
    const float tw = textWidth(kSansBold, "PLIX", 13, 1.2f, 3);
    if (tw < 0)
        return false;
    drawTextMask(mask, kTex, kTex, kSansBold, "PLIX", 13, 1.2f, 3, kCx - tw / 2, 82);
    for (int y = 66; y < 88; y++)
        for (int x = 180; x < 332; x++)
            blendOver(im, x, y, Col{1.0f, 0.7f, 0.15f}, mask[size_t(y) * kTex + x]);

    // Vents under the windscreen.
    for (int i = 0; i < 4; i++) {
        const float vy = 226 + i * 7;
        shape(
            im, 200, vy - 4, 312, vy + 4,
            [=](float x, float y) { return sdBox(x, y, kCx, vy, 50, 1.6f, 1.5f); },
            [](float, float) {
                return Col{0.12f, 0.11f, 0.10f};
            });
    }
    // Badge on the point of the V.
    shape(
        im, 225, 255, 287, 317, [](float x, float y) { return std::fabs(sdCircle(x, y, kCx, 286, 20)) - 3; },
        [](float x, float y) {
            return scale(kChrome, 0.7f + 0.4f * clamp01((300 - y) / 30 + (kCx - x) / 60));
        });
    std::vector<float> star;
    for (int i = 0; i < 10; i++) {
        const float a = float(i) * 3.14159265f / 5 - 3.14159265f / 2, r = i % 2 ? 6.0f : 14.0f;
        star.push_back(kCx + r * std::cos(a));
        star.push_back(287 + r * std::sin(a));
    }
    shape(
        im, 240, 270, 272, 302, [&](float x, float y) { return sdPolygon(x, y, star); },
        [](float x, float y) {
            return scale(kChrome, 0.75f + 0.3f * clamp01((290 - y) / 12 + (kCx - x) / 20));
        });

    // Headlights and indicators.
    for (float hx : {160.0f, 352.0f}) {
        shape(
            im, hx - 32, 270, hx + 32, 334, [=](float x, float y) { return sdCircle(x, y, hx, 302, 27); },
            [=](float x, float y) {
                return scale(kChrome, 0.6f + 0.5f * clamp01((302 - y) / 40 + (hx - x) / 80 + 0.3f));
            });
        shape(
            im, hx - 24, 278, hx + 24, 326, [=](float x, float y) { return sdCircle(x, y, hx, 302, 21); },
            [=](float x, float y) {
                const float r = std::hypot(x - hx, y - 302) / 21;
                const float glint = std::exp(-(std::pow(x - hx + 8, 2.0f) + std::pow(y - 294, 2.0f)) / 18);
                return mix(mix(Col{0.95f, 0.95f, 0.88f}, Col{0.55f, 0.58f, 0.62f}, r * r), Col{1, 1, 1},
                           glint);
            });
        shape(
            im, hx - 14, 244, hx + 14, 262, [=](float x, float y) { return sdEllipse(x, y, hx, 253, 11, 6); },
            [](float, float y) {
                return mix(Col{1.0f, 0.75f, 0.25f}, Col{0.85f, 0.45f, 0.05f}, (y - 247) / 12);
            });
    }
    // Bumper and number plate.
    shape(
        im, kLeft - 6, 360, kRight + 6, 396,
        [](float x, float y) { return sdBox(x, y, kCx, 377, 152, 13, 6); },
        [](float, float y) { return scale(kChrome, 0.55f + 0.6f * smooth(392, 366, y)); });
    shape(
        im, 212, 364, 300, 390, [](float x, float y) { return sdBox(x, y, kCx, 377, 40, 10, 2); },
        [](float, float) {
            return Col{0.95f, 0.95f, 0.92f};
        });
    std::fill(mask.begin(), mask.end(), 0.0f);
    const float pw = textWidth(kSansBold, "PX 2003", 13, 0.9f, 0);
    drawTextMask(mask, kTex, kTex, kSansBold, "PX 2003", 13, 0.9f, 0, kCx - pw / 2, 382);
    for (int y = 364; y < 390; y++)
        for (int x = 212; x < 300; x++)
            blendOver(im, x, y, Col{0.08f, 0.08f, 0.1f}, mask[size_t(y) * kTex + x]);

    // Mirrors on their arms.
    for (int side = 0; side < 2; side++) {
        const float ax = side ? kRight - 4 : kLeft + 4, mx = side ? kRight + 26 : kLeft - 28;
        shape(
            im, std::fmin(ax, mx) - 8, 160, std::fmax(ax, mx) + 8, 200,
            [=](float x, float y) { return sdSegment(x, y, ax, 196, mx, 184, 2); },
            [](float, float) {
                return Col{0.1f, 0.1f, 0.1f};
            });
        shape(
            im, mx - 14, 150, mx + 14, 206, [=](float x, float y) { return sdBox(x, y, mx, 178, 9, 24, 5); },
            [=](float x, float y) {
                return scale(Col{0.12f, 0.12f, 0.13f}, 0.8f + 0.4f * clamp01((mx - x) / 10 + (178 - y) / 30));
            });
    }

    // The texels the resting figures hide behind are exactly opaque.
    for (int y = 89; y <= 423; y++)
        for (int x = 114; x <= 398; x++) {
            float* p = im.at(x, y);
            for (int k = 0; k < 3; k++)
                p[k] += (1 - p[3]) * 0.08f;
            p[3] = 1.0f;
        }
    addGrain(im, 0.012f, 321);
    return true;
}

bool paintBus(PngData& out) {
    Img im;
    if (!busPicture(im))
        return false;
    out = packRgb(kTex, kTex, straightColour(im, 3), true, 16);
    return true;
}
