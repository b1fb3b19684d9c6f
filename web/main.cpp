// The browser front: the show in the page's canvas through emscripten's GLUT and the page's own GL, one frame
// per browser frame with its clock ticked from the music heard; or, in the page's test mode, the clock
// stepped as plix-capture steps it and the frame of each asked time left on the canvas in turn.
#include "shell/keys.h"
#include "show/clock.h"
#include "show/frame.h"
#include "web/gl/layer.h"
#include "web/music.h"
#include "web/page.h"

#include <GL/glut.h>
#include <cmath>
#include <cstdint>

namespace {

void onDisplay() {
    if (showEnded())
        return;
    tickClock(musicTime());
    renderFrame();
    flushDrawing();
    glutPostRedisplay();
}

// The test mode: the times asked for, the rate, and the replay's next frame and asked time.
constexpr int stillsMax = 64;
double stills[stillsMax];
int stillCount = 0;
int nextStill = 0;
double stillRate = 60.0;
int64_t nextFrame = 0;

} // namespace

// Draws on to the next asked time and leaves that frame on the canvas. Every frame from 0 is drawn in
// order, songTime = frame ÷ rate, since the scenes carry their particles and GL state from frame to frame;
// the last whole frame at or before the time is the one left. The frames before it are drawn into a
// corner of 8 × 6 pixels: what they leave behind does not depend on the size, and the software renderers
// of headless browsers take seconds per second of show at full size.
extern "C" EMSCRIPTEN_KEEPALIVE void drawNextStill() {
    if (nextStill >= stillCount)
        return;
    const int64_t last = static_cast<int64_t>(std::floor(stills[nextStill++] * stillRate + 1e-9));
    reshapeFrame(leadInWidth, leadInHeight);
    for (; nextFrame <= last; nextFrame++) {
        if (nextFrame == last)
            reshapeFrame(640, 480);
        advanceClock(static_cast<double>(nextFrame) / stillRate);
        renderFrame();
        flushDrawing();
    }
    tellPage("drawn", "");
}

// The show's clock, for the page and its tests.
extern "C" EMSCRIPTEN_KEEPALIVE float showTime() {
    return songTime;
}

// The page gave the canvas a new size: the drawing follows it.
extern "C" EMSCRIPTEN_KEEPALIVE void resizeShow(int width, int height) {
    onReshape(width, height);
}

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(640, 480);
    if (!glutCreateWindow(showTitle)) {
        tellPage("failed", "This browser cannot draw the show: it offers no WebGL.");
        return 1;
    }
    prepareShow(nullptr);
    stillCount = testModeAsked(stills, stillsMax, &stillRate);
    if (stillCount < 0) {
        tellPage("failed", "The address asks for still frames, but its times (0 or more, in increasing "
                           "order, at most 64) or its rate (above 0) are not numbers that fit.");
        return 1;
    }
    if (stillCount > 0) {
        drawNextStill();
        return 0;
    }
    if (!loadMusic())
        return 1;
    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glutKeyboardFunc(onKeyboard);
    tellPage("waiting", "Click or press a key to start the show (with sound).");
    glutMainLoop();
    return 0;
}
