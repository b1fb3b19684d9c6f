// A small float raster toolkit: images with premultiplied RGBA, compositing, signed-distance shapes,
// resampling.
#pragma once

#include <functional>
#include <vector>

struct Col {
    float r, g, b, a = 1;
};

struct Img {
    int w = 0, h = 0;
    std::vector<float> px; // premultiplied r, g, b, a per pixel, top row first
    float* at(int x, int y) { return &px[(size_t(y) * w + x) * 4]; }
    const float* at(int x, int y) const { return &px[(size_t(y) * w + x) * 4]; }
};

using ColorFn = std::function<Col(float x, float y)>;
using DistFn = std::function<float(float x, float y)>; // signed distance in pixels, negative inside

Img makeImg(int w, int h);
Col mix(Col a, Col b, float t);
Col scale(Col c, float k); // scales r, g, b only
float clamp01(float v);
float smooth(float e0, float e1, float v);

// Lays colour c over the pixel with the given coverage.
void blendOver(Img& im, int x, int y, Col c, float coverage);
// Sets every pixel to fn at its centre (opaque painting of a whole picture).
void fillAll(Img& im, const ColorFn& fn);
// Lays fn over the pixels inside the shape, antialiased over `soft` pixels; only the box x0..x1, y0..y1.
void fillShape(Img& im, float x0, float y0, float x1, float y1, const DistFn& dist, const ColorFn& fn,
               float soft = 1.0f);
// Multiplies the colour of every pixel by fn(x, y) (light and shade).
void modulate(Img& im, const std::function<float(float x, float y)>& fn);
// Area-averaging resample to w x h (any ratio).
Img resample(const Img& src, int w, int h);
// Separable box blur, radius in pixels, applied `passes` times (about a Gaussian).
void blur(Img& im, int radius, int passes);
// Straight (not premultiplied) RGBA. Fully transparent pixels within bleedPasses of visible ones take
// their neighbours' colour, so that texture filtering at cut-out edges blends towards the right colour;
// the others stay black.
std::vector<float> straightColour(const Img& im, int bleedPasses);

// Signed distances.
float sdCircle(float x, float y, float cx, float cy, float r);
float sdEllipse(float x, float y, float cx, float cy, float rx, float ry);
float sdBox(float x, float y, float cx, float cy, float hw, float hh, float round = 0);
float sdSegment(float x, float y, float ax, float ay, float bx, float by, float r);
float sdPolygon(float x, float y, const std::vector<float>& xy); // xy: x0, y0, x1, y1, ...
