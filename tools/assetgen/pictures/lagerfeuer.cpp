// The campfire's backdrop: a night photograph of a crowd round a fire. The sky above the heads is left
// transparent for the sparks, which the show draws behind this picture.
#include "tools/assetgen/pictures/noise.h"
#include "tools/assetgen/pictures/paint.h"

#include <cmath>

namespace {
// In canvas units: sky above 325 (texel row 217), heads down to 456 (row 304), solid below.
constexpr float kSkyEnd = 325.5f, kSolid = 456;
constexpr float kFireX = 505, kFireY = 640;

float fireLight(float x, float y) {
    const float d = std::hypot(x - kFireX, (y - kFireY) * 1.3f);
    return 2.6f * std::exp(-d / 180) + 0.12f * std::exp(-d / 600);
}
const Col kFireCol{1.0f, 0.55f, 0.22f};

Col lit(Col base, float light) {
    return Col{base.r * (0.04f + light * kFireCol.r), base.g * (0.04f + light * kFireCol.g),
               base.b * (0.06f + light * kFireCol.b)};
}

struct Head {
    float x, y, r; // head centre and radius
    int hat;       // 0 none, 1 beanie, 2 hood, 3 long hair
    Col coat, hair, skin;
};

float personDistance(const Head& h, float x, float y, float sway) {
    const float head = sdEllipse(x, y, h.x, h.y, h.r * 0.8f, h.r);
    const float neck = sdBox(x, y, h.x, h.y + h.r * 1.1f, h.r * 0.35f, h.r * 0.5f);
    // Sloping shoulders over a body that widens a little, slightly leaning.
    const float top = h.y + h.r * 1.35f;
    const float bx = h.x + sway * (y - top);
    const float shoulders = sdEllipse(x, y, bx, top + h.r * 0.75f, h.r * 2.0f, h.r * 0.95f);
    const float body = sdBox(x, y, bx, top + 400 + h.r * 0.8f, h.r * 2.0f + 0.08f * std::fmax(0.0f, y - top),
                             400, h.r * 0.4f);
    const float trunk = std::fmin(shoulders, body);
    float d = std::fmin(head, std::fmin(neck, trunk));
    if (h.hat == 1)
        d = std::fmin(d, sdEllipse(x, y, h.x, h.y - h.r * 0.45f, h.r * 0.88f, h.r * 0.7f));
    if (h.hat == 2)
        d = std::fmin(d, sdEllipse(x, y, h.x, h.y + h.r * 0.05f, h.r * 1.05f, h.r * 1.12f));
    if (h.hat == 3)
        d = std::fmin(d, sdEllipse(x, y, h.x, h.y + h.r * 0.4f, h.r * 1.0f, h.r * 1.3f) +
                             2.5f * (fbm(x / 3, y / 9, 204, 2) - 0.5f));
    // Stray hair and fabric fuzz make the outline ragged.
    return d + 3.0f * (fbm(x / 4, y / 4, 201, 2) - 0.5f);
}

// People across the fire, facing it and the viewer, lit warm from below.
Col farPerson(const Head& h, float x, float y, float dim) {
    const float dy = (y - h.y) / h.r, dx = (x - h.x) / h.r;
    float light = dim * fireLight(x, y) * (0.55f + 0.45f * smooth(-1.0f, 1.0f, dy));
    // Light comes from the fire's side.
    light *= 0.8f + 0.35f * clamp01(0.5f - dx * (h.x < kFireX ? -0.5f : 0.5f));
    Col c;
    if (y > h.y + h.r * 1.3f) {
        // Coat: folds, the arms set off from the chest by shadow, facing the fire in the middle.
        c = scale(h.coat, 0.8f + 0.4f * fbm(x / 7, y / 14, 202, 3));
        const float arm = std::exp(-std::pow((std::fabs(dx) - 1.25f) / 0.12f, 2.0f));
        light *= (0.75f - 0.35f * arm) * (1 - 0.3f * dx * dx / 4) *
                 (1 - 0.85f * smooth(h.y + h.r * 1.8f, h.y + h.r * 5, y));
    } else {
        const float inHead = sdEllipse(x, y, h.x, h.y, h.r * 0.8f, h.r);
        const float hairLine = h.y - h.r * 0.25f + 0.25f * h.r * dx * dx;
        c = y < hairLine || inHead > -1.5f ? h.hair : h.skin;
        if (h.hat == 1 && sdEllipse(x, y, h.x, h.y - h.r * 0.45f, h.r * 0.88f, h.r * 0.7f) < 0 &&
            y < h.y - h.r * 0.1f)
            c = h.coat;
        if (h.hat == 2 && inHead > -h.r * 0.08f)
            c = h.coat;
        // Eye sockets and the nose's shadow, from light below.
        if (c.r == h.skin.r && std::fabs(dy + 0.05f) < 0.12f && std::fabs(std::fabs(dx) - 0.3f) < 0.14f)
            c = scale(c, 0.55f);
    }
    return lit(c, light);
}

// People on the viewer's side: backs to us, dark against the fire, rimmed with its light.
Col nearPerson(const Head& h, float x, float y, float dist) {
    Col c = y < h.y + h.r * 1.2f ? h.hair : scale(h.coat, 0.8f + 0.4f * fbm(x / 9, y / 9, 203, 3));
    const float towards = clamp01(((x - h.x) * (kFireX - h.x) > 0 ? 1.0f : 0.2f));
    const float rim = std::exp(dist / 5.0f) * towards * smooth(900, 430, y);
    const float light = 0.12f * fireLight(x, y) + 1.4f * rim;
    return lit(c, light);
}

// Flames: a bundle of tongues made of stretched noise, coloured by temperature.
float flameHeat(float x, float y) {
    const float h = (kFireY - y) / 250; // 0 at the base, 1 at the tips
    if (h < -0.15f || h > 1.2f)
        return 0;
    const float warp = (fbm(x / 45, y / 60 + 3, 211, 4) - 0.5f) * 150 * clamp01(h + 0.1f);
    const float q = (x - kFireX + warp) / (95 * (1.05f - 0.75f * clamp01(h)));
    const float body = clamp01(1 - q * q) * smooth(-0.15f, 0.05f, h) * (1 - smooth(0.25f, 1.15f, h));
    const float tongues = fbm(x / 15, y / 45 + 0.3f * x / 15, 212, 4);
    return clamp01(body * (0.45f + 1.3f * tongues) * 1.4f - 0.25f);
}

Col heatColour(float t) {
    if (t < 0.35f)
        return mix(Col{0.35f, 0.03f, 0.0f}, Col{0.95f, 0.30f, 0.03f}, t / 0.35f);
    if (t < 0.7f)
        return mix(Col{0.95f, 0.30f, 0.03f}, Col{1.0f, 0.72f, 0.20f}, (t - 0.35f) / 0.35f);
    return mix(Col{1.0f, 0.72f, 0.20f}, Col{1.0f, 0.96f, 0.80f}, (t - 0.7f) / 0.3f);
}

Col ground(float x, float y) {
    // Trodden earth and the dark beyond it, lit by the fire.
    const float n = fbm(x / 18, y / 9, 221, 4);
    const Col earth = scale(Col{0.35f, 0.25f, 0.18f}, 0.7f + 0.5f * n);
    return lit(earth, fireLight(x, y) * 0.55f * smooth(430, 620, y));
}
} // namespace

bool paintLagerFeuer(PngData& out) {
    Img canvas = makeImg(kCanvasW, kCanvasH);
    // Solid ground from the band's end downwards; above it nothing yet.
    for (int y = int(kSolid) - 4; y < kCanvasH; y++)
        for (int x = 0; x < kCanvasW; x++)
            blendOver(canvas, x, y, ground(x + 0.5f, y + 0.5f), 1);

    const Col coats[] = {{0.22f, 0.16f, 0.13f}, {0.14f, 0.17f, 0.25f}, {0.34f, 0.11f, 0.09f},
                         {0.18f, 0.22f, 0.15f}, {0.34f, 0.30f, 0.27f}, {0.11f, 0.11f, 0.12f}};
    const Col hairs[] = {
        {0.10f, 0.07f, 0.05f}, {0.35f, 0.22f, 0.10f}, {0.60f, 0.45f, 0.25f}, {0.05f, 0.05f, 0.05f}};
    const Col skins[] = {{0.85f, 0.62f, 0.48f}, {0.62f, 0.42f, 0.30f}, {0.45f, 0.30f, 0.22f}};
    noise::Rng rng = noise::makeRng(2003);

    // The back of the crowd: smaller heads further off, in less light.
    for (float bx = 10; bx < 1024; bx += uniform(rng, 50, 80)) {
        if (bx > 430 && bx < 590)
            continue;
        Head h;
        h.r = uniform(rng, 14, 19);
        h.x = bx;
        h.y = kSkyEnd + h.r * 1.1f + uniform(rng, 2, 22);
        h.hat = int(uniform(rng, 0, 4.5f)) % 4;
        h.coat = coats[int(uniform(rng, 0, 6))];
        h.hair = hairs[int(uniform(rng, 0, 4))];
        h.skin = skins[int(uniform(rng, 0, 3))];
        fillShape(
            canvas, h.x - h.r * 3.5f, h.y - h.r * 1.4f, h.x + h.r * 3.5f, kCanvasH,
            [&](float x, float y) { return personDistance(h, x, y, 0); },
            [&](float x, float y) { return farPerson(h, x, y, 0.55f); }, 1.5f);
    }

    // Far row: heads between the band's top and the solid ground, some taller, some smaller.
    const float farX[] = {40, 130, 215, 290, 360, 650, 725, 800, 885, 975};
    for (float fx : farX) {
        Head h;
        h.r = uniform(rng, 22, 30);
        h.x = fx + uniform(rng, -15, 15);
        h.y = kSkyEnd + h.r * 1.1f + uniform(rng, 8, 55);
        h.hat = int(uniform(rng, 0, 4.5f)) % 4;
        h.coat = coats[int(uniform(rng, 0, 6))];
        h.hair = hairs[int(uniform(rng, 0, 4))];
        h.skin = skins[int(uniform(rng, 0, 3))];
        const float sway = uniform(rng, -0.08f, 0.08f);
        fillShape(
            canvas, h.x - h.r * 3.5f, h.y - h.r * 1.4f, h.x + h.r * 3.5f, kCanvasH,
            [&](float x, float y) { return personDistance(h, x, y, sway); },
            [&](float x, float y) { return farPerson(h, x, y, 1.0f); }, 1.5f);
    }
    // Two small people right behind the fire, half hidden by its flames.
    for (float fx : {455.0f, 570.0f}) {
        Head h{fx, 420 + uniform(rng, 0, 10), 24, 0, coats[int(uniform(rng, 0, 6))], hairs[1], skins[0]};
        fillShape(
            canvas, h.x - 90, h.y - 40, h.x + 90, kCanvasH,
            [&](float x, float y) { return personDistance(h, x, y, 0); },
            [&](float x, float y) { return farPerson(h, x, y, 1.0f); }, 1.5f);
    }

    // A bed of embers, then logs, charred, lit from above by the flames and glowing where they burn.
    fillShape(
        canvas, 380, 620, 640, 690, [](float x, float y) { return sdEllipse(x, y, kFireX, 656, 115, 22); },
        [](float x, float y) {
            const float e = fbm(x / 12, y / 5, 231, 4);
            return heatColour(clamp01(0.15f + 0.7f * smooth(0.35f, 0.75f, e)));
        },
        6);
    const float logs[][4] = {{395, 672, 600, 632}, {415, 628, 620, 670}, {470, 690, 545, 610}};
    for (const auto& l : logs)
        fillShape(
            canvas, 370, 580, 640, 710,
            [&](float x, float y) { return sdSegment(x, y, l[0], l[1], l[2], l[3], 12); },
            [&](float x, float y) {
                const float dx = l[2] - l[0], dy = l[3] - l[1], len = std::hypot(dx, dy);
                const float across =
                    ((x - l[0]) * -dy + (y - l[1]) * dx) / (len * 12); // -1..1 across the log
                const float top = clamp01(0.5f - across * (dx > 0 ? 0.5f : -0.5f));
                const float bark = 0.6f + 0.5f * fbm(x / 3, y / 9, 232, 3);
                const Col wood = scale(Col{0.16f, 0.10f, 0.07f}, bark * (0.4f + 1.6f * top));
                const float glow = smooth(0.55f, 0.78f, fbm(x / 9, y / 5, 233, 4)) * smooth(600, 660, y);
                return mix(wood, heatColour(0.45f + 0.3f * glow), glow * 0.9f);
            },
            1.5f);
    for (int y = 300; y < 700; y++)
        for (int x = 330; x < 690; x++) {
            const float t = flameHeat(x + 0.5f, y + 0.5f);
            if (t > 0)
                blendOver(canvas, x, y, heatColour(t), clamp01(t * 2.5f));
        }

    // Thin smoke rising over the flames, lit from below, gone before the open sky begins.
    for (int y = int(kSkyEnd) + 4; y < 560; y++)
        for (int x = 360; x < 660; x++) {
            const float fx = x + 0.5f, fy = y + 0.5f;
            const float rise = (600 - fy) / 270;
            const float spread = 50 + 90 * rise;
            const float wob = 40 * (fbm(fx / 90, fy / 60, 251, 3) - 0.5f) * rise;
            const float column = std::exp(-std::pow((fx - kFireX - wob - 30 * rise) / spread, 2.0f));
            const float puff = smooth(0.45f, 0.8f, fbm(fx / 35, fy / 28 + fx / 200, 252, 5));
            const float fade = smooth(kSkyEnd + 4, kSkyEnd + 60, fy) * smooth(560, 470, fy);
            const float a = 0.28f * column * puff * fade;
            if (a > 0.002f)
                blendOver(canvas, x, y, lit(Col{0.55f, 0.50f, 0.48f}, 0.6f * fireLight(fx, fy) + 0.3f), a);
        }

    // Near row: big dark heads and shoulders, leaving the fire in view.
    const Head nearHeads[] = {
        {70, 545, 78, 1, coats[5], hairs[3], skins[0]},
        {275, 600, 70, 0, coats[1], hairs[0], skins[0]},
        {760, 590, 74, 2, coats[0], hairs[0], skins[0]},
        {960, 530, 82, 0, coats[3], hairs[1], skins[0]},
    };
    for (const Head& h : nearHeads)
        fillShape(
            canvas, h.x - h.r * 3, h.y - h.r * 1.3f, h.x + h.r * 3, kCanvasH,
            [&](float x, float y) { return personDistance(h, x, y, 0.03f); },
            [&](float x, float y) { return nearPerson(h, x, y, personDistance(h, x, y, 0.03f)); }, 1.5f);

    // The glow a camera sees round a bright fire: the flames' light spread wide over the picture.
    Img bloom = makeImg(kCanvasW / 4, kCanvasH / 4);
    for (int y = 0; y < bloom.h; y++)
        for (int x = 0; x < bloom.w; x++) {
            const float t = flameHeat(x * 4 + 2.0f, y * 4 + 2.0f);
            float* p = bloom.at(x, y);
            const Col c = heatColour(t);
            p[0] = c.r * t;
            p[1] = c.g * t;
            p[2] = c.b * t;
        }
    blur(bloom, 9, 3);
    const Img wide = resample(bloom, kCanvasW, kCanvasH);
    for (size_t i = 0; i < canvas.px.size(); i += 4)
        for (int k = 0; k < 3; k++)
            canvas.px[i + k] += 1.6f * wide.px[i + k] * canvas.px[i + 3];

    Img tex = resample(canvas, kTex, kTex);
    addGrain(tex, 0.04f, 241);
    // The bands the show relies on, exactly: open sky above row 217, solid from row 304.
    for (int y = 0; y < kTex; y++)
        for (int x = 0; x < kTex; x++) {
            float* p = tex.at(x, y);
            if (y < 217)
                p[0] = p[1] = p[2] = p[3] = 0;
            else if (y >= 304)
                p[3] = 1;
        }
    out = packRgb(kTex, kTex, straightColour(tex, 3), true, 8);
    return true;
}
