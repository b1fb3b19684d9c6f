// Compositing, shape filling and resampling for the float raster.
#include "tools/assetgen/pictures/raster.h"

#include <algorithm>
#include <cmath>

Img makeImg(int w, int h) {
    Img im;
    im.w = w;
    im.h = h;
    im.px.assign(size_t(w) * h * 4, 0.0f);
    return im;
}

Col mix(Col a, Col b, float t) {
    return Col{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Col scale(Col c, float k) {
    return Col{c.r * k, c.g * k, c.b * k, c.a};
}

float clamp01(float v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

float smooth(float e0, float e1, float v) {
    const float t = clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

void blendOver(Img& im, int x, int y, Col c, float coverage) {
    if (x < 0 || y < 0 || x >= im.w || y >= im.h)
        return;
    const float a = clamp01(c.a * coverage);
    if (a <= 0)
        return;
    float* p = im.at(x, y);
    p[0] = c.r * a + p[0] * (1 - a);
    p[1] = c.g * a + p[1] * (1 - a);
    p[2] = c.b * a + p[2] * (1 - a);
    p[3] = a + p[3] * (1 - a);
}

void fillAll(Img& im, const ColorFn& fn) {
    for (int y = 0; y < im.h; y++)
        for (int x = 0; x < im.w; x++) {
            const Col c = fn(x + 0.5f, y + 0.5f);
            float* p = im.at(x, y);
            p[0] = c.r * c.a;
            p[1] = c.g * c.a;
            p[2] = c.b * c.a;
            p[3] = c.a;
        }
}

void fillShape(Img& im, float x0, float y0, float x1, float y1, const DistFn& dist, const ColorFn& fn,
               float soft) {
    const int ix0 = std::max(0, int(std::floor(x0))), iy0 = std::max(0, int(std::floor(y0)));
    const int ix1 = std::min(im.w - 1, int(std::ceil(x1))), iy1 = std::min(im.h - 1, int(std::ceil(y1)));
    for (int y = iy0; y <= iy1; y++)
        for (int x = ix0; x <= ix1; x++) {
            const float d = dist(x + 0.5f, y + 0.5f);
            const float cov = clamp01(0.5f - d / soft);
            if (cov > 0)
                blendOver(im, x, y, fn(x + 0.5f, y + 0.5f), cov);
        }
}

void modulate(Img& im, const std::function<float(float x, float y)>& fn) {
    for (int y = 0; y < im.h; y++)
        for (int x = 0; x < im.w; x++) {
            const float k = fn(x + 0.5f, y + 0.5f);
            float* p = im.at(x, y);
            p[0] *= k;
            p[1] *= k;
            p[2] *= k;
        }
}

// One axis of the area resample: each destination cell averages the source cells it overlaps.
static void resampleAxis(const float* src, int n, int stride, float* dst, int m, int dstride) {
    const double ratio = double(n) / m;
    for (int i = 0; i < m; i++) {
        const double a = i * ratio, b = (i + 1) * ratio;
        double acc[4] = {0, 0, 0, 0};
        for (int j = int(a); j < n && j < b; j++) {
            const double w = std::min(b, double(j + 1)) - std::max(a, double(j));
            if (w <= 0)
                continue;
            for (int k = 0; k < 4; k++)
                acc[k] += w * src[size_t(j) * stride + k];
        }
        for (int k = 0; k < 4; k++)
            dst[size_t(i) * dstride + k] = float(acc[k] / ratio);
    }
}

Img resample(const Img& src, int w, int h) {
    Img mid = makeImg(w, src.h);
    for (int y = 0; y < src.h; y++)
        resampleAxis(src.at(0, y), src.w, 4, mid.at(0, y), w, 4);
    Img out = makeImg(w, h);
    for (int x = 0; x < w; x++)
        resampleAxis(mid.at(x, 0), src.h, w * 4, out.at(x, 0), h, w * 4);
    return out;
}

void blur(Img& im, int radius, int passes) {
    std::vector<float> line;
    for (int pass = 0; pass < passes; pass++)
        for (int axis = 0; axis < 2; axis++) {
            const int n = axis == 0 ? im.w : im.h, lines = axis == 0 ? im.h : im.w;
            line.assign(size_t(n) * 4, 0);
            for (int l = 0; l < lines; l++) {
                for (int i = 0; i < n; i++) {
                    const float* p = axis == 0 ? im.at(i, l) : im.at(l, i);
                    std::copy(p, p + 4, &line[size_t(i) * 4]);
                }
                for (int i = 0; i < n; i++) {
                    float acc[4] = {0, 0, 0, 0};
                    for (int d = -radius; d <= radius; d++) {
                        const int j = std::clamp(i + d, 0, n - 1);
                        for (int k = 0; k < 4; k++)
                            acc[k] += line[size_t(j) * 4 + k];
                    }
                    float* p = axis == 0 ? im.at(i, l) : im.at(l, i);
                    for (int k = 0; k < 4; k++)
                        p[k] = acc[k] / float(2 * radius + 1);
                }
            }
        }
}

std::vector<float> straightColour(const Img& im, int bleedPasses) {
    const size_t n = size_t(im.w) * im.h;
    std::vector<float> out(n * 4, 0.0f);
    std::vector<unsigned char> known(n, 0);
    for (size_t i = 0; i < n; i++) {
        const float* p = &im.px[i * 4];
        out[i * 4 + 3] = p[3];
        if (p[3] > 0) {
            for (int k = 0; k < 3; k++)
                out[i * 4 + k] = p[k] / p[3];
            known[i] = 1;
        }
    }
    for (int pass = 0; pass < bleedPasses; pass++) {
        std::vector<unsigned char> next = known;
        for (int y = 0; y < im.h; y++)
            for (int x = 0; x < im.w; x++) {
                const size_t i = size_t(y) * im.w + x;
                if (known[i])
                    continue;
                float acc[3] = {0, 0, 0};
                int count = 0;
                for (int dy = -1; dy <= 1; dy++)
                    for (int dx = -1; dx <= 1; dx++) {
                        const int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= im.w || ny >= im.h)
                            continue;
                        const size_t j = size_t(ny) * im.w + nx;
                        if (known[j]) {
                            for (int k = 0; k < 3; k++)
                                acc[k] += out[j * 4 + k];
                            count++;
                        }
                    }
                if (count > 0) {
                    for (int k = 0; k < 3; k++)
                        out[i * 4 + k] = acc[k] / float(count);
                    next[i] = 1;
                }
            }
        known.swap(next);
    }
    return out;
}

float sdCircle(float x, float y, float cx, float cy, float r) {
    return std::hypot(x - cx, y - cy) - r;
}

float sdEllipse(float x, float y, float cx, float cy, float rx, float ry) {
    // Distance estimate from the gradient of the implicit function: good enough for antialiasing.
    const float dx = (x - cx) / rx, dy = (y - cy) / ry;
    const float f = std::sqrt(dx * dx + dy * dy);
    if (f < 1e-6f)
        return -std::min(rx, ry);
    const float gx = dx / (rx * f), gy = dy / (ry * f);
    return (f - 1) / std::max(1e-6f, std::hypot(gx, gy));
}

float sdBox(float x, float y, float cx, float cy, float hw, float hh, float round) {
    const float qx = std::fabs(x - cx) - hw + round, qy = std::fabs(y - cy) - hh + round;
    const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::hypot(ox, oy) + std::min(std::max(qx, qy), 0.0f) - round;
}

float sdSegment(float x, float y, float ax, float ay, float bx, float by, float r) {
    const float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    const float len2 = dx * dx + dy * dy;
    const float t = len2 > 0 ? clamp01((px * dx + py * dy) / len2) : 0;
    return std::hypot(px - dx * t, py - dy * t) - r;
}

float sdPolygon(float x, float y, const std::vector<float>& v) {
    const size_t n = v.size() / 2;
    float d = (x - v[0]) * (x - v[0]) + (y - v[1]) * (y - v[1]);
    float s = 1;
    for (size_t i = 0, j = n - 1; i < n; j = i, i++) {
        const float ex = v[j * 2] - v[i * 2], ey = v[j * 2 + 1] - v[i * 2 + 1];
        const float wx = x - v[i * 2], wy = y - v[i * 2 + 1];
        const float t = clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey));
        const float bx = wx - ex * t, by = wy - ey * t;
        d = std::min(d, bx * bx + by * by);
        const bool c1 = y >= v[i * 2 + 1], c2 = y<v[j * 2 + 1], c3 = ex * wy> ey * wx;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3))
            s = -s;
    }
    return s * std::sqrt(d);
}
