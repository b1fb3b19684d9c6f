// The credits overlay: five lines swaying about the top-left corner, bobbing and stretching with songTime.
#include "show/credits.h"

#include "show/clock.h"
#include "show/font.h"
#include "show/textures.h"

#include <GL/gl.h>
#include <cmath>

static const char* const creditLines[5] = {
    "Vormel & quib",
    "10h live at",
    "NightShore 2003",
    "(5' to the deadline)",
    "(and we are not finished yet)",
};

void drawCredits() {
    const double t = songTime;
    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, 1200.0, 900.0, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    // Glyph quads are back faces on this canvas, so the front faces are culled while they are drawn.
    glDisable(GL_LIGHTING);
    glCullFace(GL_FRONT);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texSouthPark);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);

    glRotatef(static_cast<float>(15.0 * std::sin(t / 5.0)), 0.0f, 0.0f, 1.0f);
    glTranslatef(0.0f, static_cast<float>(100.0 * std::sin(t / 2.0) + 100.0), 0.0f);
    glColor4f(1.0f, 0.9f, 0.0f, 0.4f);
    glScalef(static_cast<float>(0.1 * std::sin(t / 4.0) + 0.8),
             static_cast<float>(0.2 * std::sin(t / 4.1) + 1.4), 1.0f);
    for (int line = 0; line < 4; line++)
        drawText(100.0f, 100.0f + 60.0f * line, creditLines[line]);
    glTranslatef(150.0f, 340.0f, 0.0f);
    glScalef(0.5f, 0.5f, 1.0f);
    drawText(0.0f, 0.0f, creditLines[4]);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glCullFace(GL_BACK);
}
