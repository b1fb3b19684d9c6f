// The lead-in of a late start, drawn small, and the frames at their moments.
#include "show/replay.h"

#include "show/clock.h"
#include "show/frame.h"

#include <GL/gl.h>

void drawFrameAt(int64_t frame, double rate) {
    advanceClock(static_cast<double>(frame) / rate);
    renderFrame();
}

int64_t replayFrames(int64_t next, int64_t end, double rate, int width, int height, bool (*goOn)(int64_t)) {
    if (next >= end)
        return next;
    reshapeFrame(leadInWidth, leadInHeight);
    glScissor(0, 0, leadInWidth, leadInHeight);
    glEnable(GL_SCISSOR_TEST);
    for (; next < end && (!goOn || goOn(next)); next++)
        drawFrameAt(next, rate);
    glDisable(GL_SCISSOR_TEST);
    reshapeFrame(width, height);
    return next;
}
