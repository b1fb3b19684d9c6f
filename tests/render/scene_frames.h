// Running the show offscreen frame after frame at 60 steps a second, with full pictures only at the
// frames a test looks at, and comparing those with what the decoded pictures say.
#pragma once

#include "show/particles.h"
#include "tests/render/harness.h"
#include "util/png.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using Picture = std::unique_ptr<Image, void (*)(Image*)>;

inline Picture decodedPicture(const char* name) {
    return Picture(decodePng(name), freeImage);
}

// Draws the frames songTime = from, from + 1/60, ... up to `to`, each with frameDelta 1/60 (the first
// with 0), exactly as the show does. Frames that no one looks at are drawn with the scissor test
// cutting rasterisation to one pixel: the show's own steps, updates included, all run, and the
// software rasteriser is spared the pictures. look(time, frame) is called at the frames for which
// wanted(step) is true.
inline void runShow(int fromStep, int toStep, const std::function<bool(int)>& wanted,
                    const std::function<void(float, const Frame&)>& look) {
    glScissor(0, 0, 1, 1);
    for (int step = fromStep; step <= toStep; step++) {
        const bool full = wanted(step);
        if (full)
            glDisable(GL_SCISSOR_TEST);
        else
            glEnable(GL_SCISSOR_TEST);
        const float time = step / 60.0f;
        const Frame frame = drawShowFrame(time, step == fromStep ? 0.0f : 1.0f / 60.0f);
        if (full) {
            glDisable(GL_SCISSOR_TEST);
            look(time, frame);
        }
    }
    glDisable(GL_SCISSOR_TEST);
}

// The largest difference over r, g and b between a frame pixel and a wanted colour.
inline double colourDistance(const unsigned char* got, const double want[3]) {
    double d = 0.0;
    for (int c = 0; c < 3; c++)
        d = std::fmax(d, std::fabs(got[c] - want[c]));
    return d;
}

// Saves a frame that failed a check beside the test binary, for looking at.
inline void keepFrame(const Frame& frame, const std::string& name) {
    writeFramePng(frame, std::string(PLIX_BINARY_DIR) + "/" + name + ".png");
}

class ShowFrames : public testing::Test {
protected:
    void SetUp() override {
        std::string reason;
        ASSERT_TRUE(openShowHarness(&reason)) << reason;
        restartShowRandom();
        initParticlePools();
    }
};
