// The offscreen show harness: context, start-up state, frames as the display callback draws them.
#include "tests/render/harness.h"

#include "offscreen/offscreen.h"
#include "show/clock.h"
#include "show/credits.h"
#include "show/frame.h"
#include "util/pngwrite.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdio>
#include <png.h>

namespace {

bool opened = false;
std::string openFailure;

Frame readFrame() {
    Frame f;
    f.width = offscreenWidth();
    f.height = offscreenHeight();
    f.rgba.resize(size_t(f.width) * f.height * 4);
    readOffscreenPixels(f.rgba.data());
    return f;
}

Frame creditsOver(float r, float g, float b) {
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawCredits();
    glFlush();
    return readFrame();
}

} // namespace

bool openShowHarness(std::string* reason) {
    static bool tried = false;
    if (!tried) {
        tried = true;
        // The context stays open until the process ends: closing it unloads Mesa's driver, whose
        // remaining allocations would then be reported as leaks from an unknown module.
        if (openOffscreen(640, 480, &openFailure)) {
            prepareShow(nullptr);
            reshapeFrame(640, 480);
            drawShowFrame(0.0f, 0.0f);
            opened = true;
        }
    }
    if (!opened && reason)
        *reason = openFailure;
    return opened;
}

Frame drawShowFrame(float time, float delta) {
    songTime = time;
    frameDelta = delta;
    previousSongTime = time;
    renderFrame();
    glFlush();
    return readFrame();
}

std::vector<bool> creditFootprint(float time) {
    float saved = songTime;
    songTime = time;
    Frame black = creditsOver(0.0f, 0.0f, 0.0f);
    Frame white = creditsOver(1.0f, 1.0f, 1.0f);
    songTime = saved;
    std::vector<bool> touched(size_t(black.width) * black.height);
    for (size_t i = 0; i < touched.size(); i++) {
        const unsigned char* k = &black.rgba[i * 4];
        const unsigned char* w = &white.rgba[i * 4];
        touched[i] = k[0] || k[1] || k[2] || w[0] != 255 || w[1] != 255 || w[2] != 255;
    }
    return touched;
}

void samplePicture(const Image& image, double s, double t, double rgba[4]) {
    const int w = int(image.width), h = int(image.height);
    double x = s * w - 0.5, y = t * h - 0.5;
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    double fx = x - x0, fy = y - y0;
    auto wrap = [](int i, int n) { return ((i % n) + n) % n; };
    const int xs[2] = {wrap(x0, w), wrap(x0 + 1, w)};
    const int ys[2] = {wrap(y0, h), wrap(y0 + 1, h)};
    for (int c = 0; c < 4; c++) {
        auto texel = [&](int i, int j) { return double(image.pixels[(size_t(ys[j]) * w + xs[i]) * 4 + c]); };
        double top = texel(0, 0) * (1 - fx) + texel(1, 0) * fx;
        double bottom = texel(0, 1) * (1 - fx) + texel(1, 1) * fx;
        rgba[c] = top * (1 - fy) + bottom * fy;
    }
}

bool writeFramePng(const Frame& frame, const std::string& path) {
    // The alpha of the read-back frame means nothing on screen; only the colours are written.
    PngData png;
    png.width = frame.width;
    png.height = frame.height;
    png.colorType = PNG_COLOR_TYPE_RGB;
    for (size_t i = 0; i < frame.rgba.size(); i += 4)
        png.bytes.insert(png.bytes.end(), &frame.rgba[i], &frame.rgba[i + 3]);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = writePng(file, png, false);
    return std::fclose(file) == 0 && written;
}
