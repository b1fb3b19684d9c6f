// Bus scene: the bus grows in over its backdrop; eight figures step out one every 3 s and walk off left.
#include "show/bus.h"

#include "show/particles.h"
#include "show/quad.h"
#include "show/textures.h"
#include "show/timeline.h"

#include <GL/gl.h>
#include <cmath>

static const float busCentreX = 512.0f;
static const float busCentreY = 400.0f;

float busZoom(float t) {
    return t > 5.0f ? 1.0f : t / 10.0f + 0.5f;
}

static void drawBus(float zoom) {
    glBindTexture(GL_TEXTURE_2D, texBus);
    glPushMatrix();
    glTranslatef(busCentreX, busCentreY, 0.0f);
    glScalef(zoom, zoom, zoom);
    drawQuad(-256.0f, -256.0f, 256.0f, 256.0f, 0.0f, 0.0f, 1.0f, 1.0f);
    glPopMatrix();
}

void drawBusScene(float t) {
    setCanvasLayer(texBack, GL_ONE_MINUS_SRC_ALPHA, false);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    const float zoom = busZoom(t);
    drawCanvasQuad();

    // Back to front: figure 7 first, so figure 0 lies on top; the bus covers them all.
    glBindTexture(GL_TEXTURE_2D, texPeople);
    for (int i = passengerCount - 1; i >= 0; i--) {
        const Particle& p = passengers[i];
        glPushMatrix();
        glTranslatef(busCentreX, busCentreY, 0.0f);
        glTranslatef(p.position[0], p.position[1], p.position[2]);
        glScalef(0.65f, 0.65f, 1.0f);
        glScalef(zoom, zoom, zoom);
        glRotatef(p.angle, 0.0f, 0.0f, 1.0f);
        drawPassengerQuad(i % 4, i / 4);
        glPopMatrix();
        // Moved after drawing: a figure is first drawn at rest in the frame after its start.
        if (t > 3.0f * i + 5.0f)
            movePassenger(i, t - 3.0f * i - 5.0f);
    }

    drawBus(zoom);
}

// The atlas cell is 128 x 256 pixels; the quad is four times as tall as wide, so the cell is stretched.
void drawPassengerQuad(int column, int row) {
    const float s0 = column / 4.0f, s1 = s0 + 0.25f;
    const float t0 = row / 2.0f, t1 = t0 + 0.5f;
    drawQuad(-64.0f, -256.0f, 64.0f, 256.0f, s0, t0, s1, t1);
}

// Place and tilt follow from the figure's own time alone, so the walk does not depend on the frame rate.
void movePassenger(int i, float s) {
    Particle& p = passengers[i];
    p.position[0] = static_cast<float>(100 * (i / 4) - 50) - 150.0f * s;
    p.angle = static_cast<float>(4.0 + 8.0 * std::sin(s / 0.2));
}
