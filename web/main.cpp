// The browser front: the show in the page's canvas through emscripten's GLUT and the page's own GL, one frame
// per browser frame with its clock ticked from the music heard, from the start or from the moment the
// address links to (?start=T, the frames before it replayed); or, in the page's test mode, the clock
// stepped as plix-capture steps it and the frame of each asked time left on the canvas in turn.
#include "show/clock.h"
#include "show/controls.h"
#include "show/frame.h"
#include "web/gl/layer.h"
#include "web/music.h"
#include "web/page.h"
#include "web/replay.h"

#include <GL/glut.h>
#include <cmath>
#include <cstdio>

namespace {

// Before the viewer starts the show, and after a quit key, the frame stands. Only a resized canvas, which
// lost it, has it drawn again, with a step of 0 that moves no particle (the particles then stand where
// the frame's own update left them).
bool standingFrameLost = false;

void onDisplay() {
    if (!showStarted() || showEnded()) {
        if (standingFrameLost) {
            advanceClock(songTime);
            renderFrame();
            flushDrawing();
        }
        standingFrameLost = false;
        return;
    }
    tickClock(musicTime());
    renderFrame();
    flushDrawing();
    glutPostRedisplay();
}

void onKeyboard(unsigned char key, int, int) {
    if (pressShowKey(key))
        stopShow();
}

// The show waits for the viewer, saying the sentence if there is one. The replay has just drawn its frame
// at the canvas's size, whatever resizes came during it.
void openShow(const char* sentence) {
    standingFrameLost = false;
    glutDisplayFunc(onDisplay);
    glutReshapeFunc(reshapeFrame);
    glutKeyboardFunc(onKeyboard);
    tellPage("waiting", sentence);
    glutMainLoop();
}

// The test mode: the times asked for, the rate, and the next time.
constexpr int stillsMax = 64;
double stills[stillsMax];
int stillCount = 0;
int nextStill = 0;
double stillRate = replayRate;

void stillDrawn() {
    tellPage("drawn", "");
}

char sentence[200];

void openReplayed() {
    openShow(sentence);
}

// The moment the address links to, 0 without one; a sentence says why a start that is not usable is 0.
double startFromAddress() {
    double seconds = 0.0;
    if (!startAsked(&seconds))
        return 0.0;
    if (!(seconds >= 0.0 && std::isfinite(seconds))) {
        std::snprintf(sentence, sizeof sentence,
                      "The address's start is not a moment of the show (seconds, 0 or more): it plays "
                      "from the beginning.");
        return 0.0;
    }
    if (!replayFits(seconds, replayRate)) {
        std::snprintf(sentence, sizeof sentence,
                      "The address's start, %.10g s, lies beyond the hour this page replays (%.0f s at "
                      "most): it plays from the beginning.",
                      seconds, replayMostSeconds);
        return 0.0;
    }
    return seconds;
}

} // namespace

// Replays on to the next asked time and leaves that frame on the canvas; the page is told "drawn".
extern "C" EMSCRIPTEN_KEEPALIVE void drawNextStill() {
    if (nextStill < stillCount)
        replayTo(stills[nextStill++], stillRate, stillDrawn);
}

// The show's clock, for the page and its tests.
extern "C" EMSCRIPTEN_KEEPALIVE float showTime() {
    return songTime;
}

// The page gave the canvas a new size: the drawing follows it, and a standing frame is drawn again.
extern "C" EMSCRIPTEN_KEEPALIVE void resizeShow(int width, int height) {
    reshapeFrame(width, height);
    standingFrameLost = true;
    glutPostRedisplay();
}

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    // The address is read first: whatever it asks that cannot be done is told at once.
    stillCount = testModeAsked(stills, stillsMax, &stillRate);
    if (stillCount < 0) {
        tellPage("failed", "The address asks for still frames, but its times (0 or more, in increasing "
                           "order, at most 64) or its rate (above 0) are not numbers that fit.");
        return 1;
    }
    if (stillCount > 0 && !replayFits(stills[stillCount - 1], stillRate)) {
        std::snprintf(sentence, sizeof sentence,
                      "The address asks for a frame at %.10g s: this page replays at most %.0f s of the show "
                      "and %.0f frames from its start.",
                      stills[stillCount - 1], replayMostSeconds, replayMostFrames);
        tellPage("failed", sentence);
        return 1;
    }
    // The test mode's canvas is fixed; the show's takes the size the page gave it.
    if (stillCount > 0)
        glutInitWindowSize(640, 480);
    if (!glutCreateWindow(showTitle)) {
        tellPage("failed", "This browser cannot draw the show: it offers no WebGL.");
        return 1;
    }
    prepareShow(nullptr);
    if (stillCount > 0) {
        drawNextStill();
        return 0;
    }
    if (!loadMusic())
        return 1;
    const double start = startFromAddress();
    // The music and its clock start at the moment in whole milliseconds, rounded up: never before the frame.
    startMusicAt(static_cast<int>(std::ceil(start * 1000.0 - 1e-6)));
    replayTo(start, replayRate, openReplayed);
    return 0;
}
