// The show drawn offscreen as plix draws it: one context per process, the real textures, frames drawn
// by the display callback's own steps at a chosen songTime and frameDelta, and the pixels read back.
#pragma once

#include "util/png.h"

#include <string>
#include <vector>

// One frame as a viewer sees it: R G B A, top row first.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
    const unsigned char* at(int x, int y) const { return rgba.data() + (size_t(y) * width + x) * 4; }
};

// Opens the process's offscreen context (640 x 480) on the first call and prepares it as start-up
// does: the fixed GL state, the nine textures, the particle pools, the reshape to the window's size,
// and one first frame at songTime 0, so that later frames inherit what a running show carries (the
// snow pass of that frame switches blending on). Later calls only report. False with a reason when
// there is no context.
bool openShowHarness(std::string* reason = nullptr);

// Sets the clock (songTime, and frameDelta as the tick would leave it), draws one frame exactly as the
// display callback does (renderFrame, then glFlush) and reads it back.
Frame drawShowFrame(float songTime, float frameDelta);

// The pixels the credits overlay touches at this songTime: drawCredits alone, once over black and
// once over white; a pixel it leaves unchanged in both is not part of it. Draws no show frame and
// moves no particle.
std::vector<bool> creditFootprint(float songTime);

// A decoded picture sampled as GL_LINEAR with the default GL_REPEAT wrap samples a texture at (s, t);
// t = 0 is the picture's top row. rgba in 0..255.
void samplePicture(const Image& image, double s, double t, double rgba[4]);

// The texture coordinate that a full-viewport picture quad gives the centre of pixel (x, y).
inline double pictureS(const Frame& f, int x) {
    return (x + 0.5) / f.width;
}
inline double pictureT(const Frame& f, int y) {
    return (y + 0.5) / f.height;
}

// Writes the frame as an 8-bit RGB PNG (for looking at a failing frame); false on failure.
bool writeFramePng(const Frame& frame, const std::string& path);
