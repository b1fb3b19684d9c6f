// The two 64 x 64 sprites: the snowflake (1-bit palette) and the spark's soft glow (16-bit RGBA).
#include "tools/assetgen/pictures/paint.h"

#include <cmath>
#include <png.h>

// Distance to one arm of the flake, pointing up from the centre, in units of the half size.
static float armDistance(float x, float y) {
    x = std::fabs(x); // arms are mirror-symmetric
    float d = sdSegment(x, y, 0, -0.1f, 0, -0.9f, 0.045f);
    // Side branches: pairs at 60 degrees to the arm, shorter towards the tip.
    const float at[3] = {0.36f, 0.56f, 0.74f}, len[3] = {0.26f, 0.22f, 0.12f};
    for (int i = 0; i < 3; i++) {
        const float by = -at[i], ex = len[i] * 0.866f, ey = by - len[i] * 0.5f;
        d = std::fmin(d, sdSegment(x, y, 0, by, ex, ey, 0.036f));
    }
    d = std::fmin(d, sdCircle(x, y, 0, -0.9f, 0.07f)); // a knob at the tip
    return d;
}

bool paintFlocke(PngData& out) {
    const int n = 64, ss = 4;
    out.width = n;
    out.height = n;
    out.colorType = PNG_COLOR_TYPE_PALETTE;
    out.bitDepth = 1;
    out.palette = {255, 255, 255, 255, 255, 255};
    out.trns = {0}; // entry 0 transparent, entry 1 opaque
    out.bytes.assign(size_t(n / 8) * n, 0);
    for (int py = 0; py < n; py++)
        for (int px = 0; px < n; px++) {
            int inside = 0;
            for (int sy = 0; sy < ss; sy++)
                for (int sx = 0; sx < ss; sx++) {
                    const float x = ((px + (sx + 0.5f) / ss) - n / 2.0f) / (n / 2.0f);
                    const float y = ((py + (sy + 0.5f) / ss) - n / 2.0f) / (n / 2.0f);
                    float d = 1e9f;
                    for (int k = 0; k < 6; k++) {
                        const float a = float(k) * 3.14159265f / 3.0f, c = std::cos(a), s = std::sin(a);
                        d = std::fmin(d, armDistance(c * x + s * y, -s * x + c * y));
                    }
                    // A hollow hexagonal plate at the heart: fold the angle into one sixth.
                    const float sector = 3.14159265f / 3;
                    float a = std::atan2(y, x) + sector / 2;
                    a -= sector * std::floor(a / sector);
                    const float hex = std::hypot(x, y) * std::cos(a - sector / 2);
                    d = std::fmin(d, std::fabs(hex - 0.16f) - 0.035f);
                    inside += d < 0;
                }
            if (inside * 2 >= ss * ss)
                out.bytes[size_t(py) * (n / 8) + px / 8] |= uint8_t(0x80 >> (px % 8));
        }
    return true;
}

bool paintFire(PngData& out) {
    const int n = 64;
    std::vector<float> rgba(size_t(n) * n * 4);
    const Col yellow{1.0f, 0.93f, 0.55f}, orange{1.0f, 0.52f, 0.08f}, red{0.45f, 0.04f, 0.02f};
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            const float dx = (x + 0.5f - n / 2.0f) / (n / 2.0f), dy = (y + 0.5f - n / 2.0f) / (n / 2.0f);
            const float r = std::sqrt(dx * dx + dy * dy);
            const Col c = r < 0.3f ? mix(yellow, orange, smooth(0.0f, 0.3f, r))
                                   : mix(orange, red, smooth(0.3f, 0.9f, r));
            // A small hot core on a faint halo, so that overlapping sprites still read as single sparks:
            // about 0.95 at the centre, falling to almost nothing well before the edge, never quite 0.
            const float core = r / 0.17f, halo = r / 0.5f;
            const float a = 0.0004f + 0.68f * std::exp(-core * core) + 0.27f * std::exp(-halo * halo);
            float* p = &rgba[(size_t(y) * n + x) * 4];
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            p[3] = a;
        }
    out = packRgb(n, n, rgba, true, 16);
    return true;
}
