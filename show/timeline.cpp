// The timeline: the scene for songTime, the three full-screen pictures and the credits on top.
#include "show/timeline.h"

#include "show/bus.h"
#include "show/clock.h"
#include "show/credits.h"
#include "show/fire.h"
#include "show/quad.h"
#include "show/snow.h"
#include "show/textures.h"

#include <GL/gl.h>

void setPictureCanvas() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 1024.0, 768.0, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Covers the picture canvas with one texture. Blending is left as earlier steps set it.
static void drawPicture(GLuint texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glCullFace(GL_BACK);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    drawCanvasQuad();
}

void drawHeatTube() {
    setPictureCanvas();
    drawPicture(texHeatTube);
}

// Draws in the canvas and with the blend function that drawShow set before the sparks.
void drawLagerFeuer() {
    drawPicture(texLagerFeuer);
}

void drawTheEnd() {
    setPictureCanvas();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    drawPicture(texTheEnd);
}

void drawShow() {
    if (songTime < 2.0f) {
        drawHeatTube();
        drawSnow();
    } else if (songTime < 25.0f) {
        drawHeatTube();
        drawSnow();
        updateSnow();
    } else if (songTime < 50.0f) {
        setPictureCanvas();
        drawFire();
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        drawLagerFeuer();
        updateFire();
    } else if (songTime < 82.0f) {
        drawBusScene(songTime - 50.0f);
    } else {
        drawTheEnd();
    }
    drawCredits();
}
