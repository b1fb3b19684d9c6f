// The replay: the show's lead-in to the shown frame, in slices (the software renderers of headless
// browsers take seconds per second of show at full size, and a few milliseconds in the lead-in's corner).
#include "web/replay.h"

#include "show/frame.h"
#include "show/replay.h"
#include "web/gl/layer.h"
#include "web/page.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <emscripten.h>
#include <emscripten/html5.h>

namespace {

constexpr double sliceMs = 25.0;

double rate = replayRate;
int64_t nextFrame = 0;  // the first frame not drawn yet
int64_t lastFrame = -1; // the frame the running replay shows; -1 when none runs
double moment = 0.0;
void (*whenDone)() = nullptr;

int64_t frameAt(double seconds, double frameRate) {
    return static_cast<int64_t>(std::floor(seconds * frameRate + 1e-9));
}

void tellProgress() {
    char line[160];
    std::snprintf(line, sizeof line, "Replaying the show from its start to %.10g s: %.0f s done.", moment,
                  std::floor(static_cast<double>(nextFrame) / rate));
    tellPage("replaying", line);
}

// The shown frame has a slice of its own, at the canvas's size.
void drawShown() {
    int width = 640, height = 480;
    emscripten_get_canvas_element_size("#canvas", &width, &height);
    reshapeFrame(width, height);
    drawFrameAt(lastFrame, rate);
    flushDrawing();
    nextFrame = lastFrame + 1;
    lastFrame = -1;
    whenDone();
}

// Before each frame of a slice: the last one's GL work is finished, so that the slice's time is the
// work's and none is left queued for the browser's next paint to wait on. A frame that would end the
// slice past sliceMs waits for the next slice.
int64_t sliceFirst;
double sliceBegan, frameBegan;

bool sliceGoesOn(int64_t frame) {
    glFinish();
    const double now = emscripten_get_now(), frameMs = now - frameBegan;
    frameBegan = now;
    return frame == sliceFirst || now + frameMs - sliceBegan <= sliceMs;
}

void replaySlice(void*) {
    if (nextFrame == lastFrame) {
        drawShown();
        return;
    }
    int width = 640, height = 480;
    emscripten_get_canvas_element_size("#canvas", &width, &height);
    sliceFirst = nextFrame;
    sliceBegan = frameBegan = emscripten_get_now();
    nextFrame = replayFrames(nextFrame, lastFrame, rate, width, height, sliceGoesOn);
    glFinish();
    tellProgress();
    emscripten_async_call(replaySlice, nullptr, 0);
}

} // namespace

bool replayFits(double seconds, double frameRate) {
    return seconds <= replayMostSeconds && std::floor(seconds * frameRate + 1e-9) <= replayMostFrames;
}

void replayTo(double seconds, double frameRate, void (*done)()) {
    if (lastFrame >= 0)
        return;
    rate = frameRate;
    moment = seconds;
    whenDone = done;
    lastFrame = frameAt(seconds, rate);
    // A moment whose frame is on the canvas already (two asked times within one frame).
    if (lastFrame < nextFrame) {
        lastFrame = -1;
        done();
        return;
    }
    tellProgress();
    emscripten_async_call(replaySlice, nullptr, 0);
}
