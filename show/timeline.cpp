// The timeline: the scene for songTime, the GL state of the canvas layers, the three full-screen pictures
// and the credits on top.
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

void setCanvasLayer(GLuint texture, GLenum blendDestination, bool lit) {
    setPictureCanvas();
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_TEXTURE_2D);
    glCullFace(GL_BACK); // the quads face the viewer: kept whether culling is on or off
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, blendDestination);
    // Every layer lies at the same depth: with GL_LEQUAL each covers what was drawn before it.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    if (lit)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);
}

// Covers the picture canvas with one texture, blended over what lies below (the campfire's sky over the
// sparks; the other two pictures are opaque).
static void drawPicture(GLuint texture) {
    setCanvasLayer(texture, GL_ONE_MINUS_SRC_ALPHA, false);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    drawCanvasQuad();
}

void drawHeatTube() {
    drawPicture(texHeatTube);
}

void drawLagerFeuer() {
    drawPicture(texLagerFeuer);
}

void drawTheEnd() {
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
        drawFire();
        drawLagerFeuer();
        updateFire();
    } else if (songTime < 82.0f) {
        drawBusScene(songTime - 50.0f);
    } else {
        drawTheEnd();
    }
    drawCredits();
}
