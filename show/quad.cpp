// The one quad routine behind the pictures, sprites, figures and the bus.
#include "show/quad.h"

#include <GL/gl.h>

void drawQuad(float left, float top, float right, float bottom, float s0, float t0, float s1, float t1) {
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex3f(left, top, 0.0f);
    glTexCoord2f(s0, t1);
    glVertex3f(left, bottom, 0.0f);
    glTexCoord2f(s1, t1);
    glVertex3f(right, bottom, 0.0f);
    glTexCoord2f(s1, t0);
    glVertex3f(right, top, 0.0f);
    glEnd();
}
