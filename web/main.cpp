// The browser front: the show in the page's canvas through emscripten's GLUT and GL emulation, one frame
// per browser frame with its clock ticked from the music heard; or, in the page's test mode, the clock
// stepped as plix-capture steps it and the frame for the asked time left on the canvas.
#include "shell/keys.h"
#include "show/clock.h"
#include "show/frame.h"
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
    glutPostRedisplay();
}

// Every frame from 0 is drawn in order, songTime = frame ÷ rate, since the scenes carry their particles
// and GL state from frame to frame; the last whole frame at or before the time stays on the canvas. The
// frames before it are drawn into a corner of 8 × 6 pixels: what they leave behind does not depend on
// the size, and the software renderers of headless browsers take seconds per second of show at full size.
void drawUpTo(double seconds, double rate) {
    const int64_t last = static_cast<int64_t>(std::floor(seconds * rate + 1e-9));
    reshapeFrame(leadInWidth, leadInHeight);
    for (int64_t frame = 0; frame <= last; frame++) {
        if (frame == last)
            reshapeFrame(640, 480);
        advanceClock(static_cast<double>(frame) / rate);
        renderFrame();
    }
}

} // namespace

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
    double seconds = 0.0;
    double rate = 0.0;
    const int test = testModeAsked(&seconds, &rate);
    if (test < 0) {
        tellPage("failed",
                 "The address asks for a still frame, but its time (0 or more) or rate (above 0) is not "
                 "a number.");
        return 1;
    }
    if (test > 0) {
        drawUpTo(seconds, rate);
        tellPage("drawn", "");
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
