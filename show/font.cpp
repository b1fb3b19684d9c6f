// Bitmap font text: each byte drawn as a 100 x 50 quad from its 32 x 32 cell of the font sheet.
#include "show/font.h"

#include <GL/gl.h>

// Position k holds the character drawn from cell k; the letters of both cases are swapped against code
// order, and both sets of cells hold capitals. A byte not in the table is drawn from cell 95.
static const char glyphOrder[96] = " !\"#$%&'()*+,-./0123456789:;<=>?"
                                   "@abcdefghijklmnopqrstuvwxyz[\\]^_`"
                                   "ABCDEFGHIJKLMNOPQRSTUVWXYZ{|}~";

int glyphCell(unsigned char ch) {
    int k = 0;
    while (glyphOrder[k] != '\0' && static_cast<unsigned char>(glyphOrder[k]) != ch)
        k++;
    return k;
}

// The quad runs clockwise on a y-down canvas: the caller culls front faces or none.
void drawGlyph(float x, float y, unsigned char ch) {
    const int cell = glyphCell(ch);
    const float s0 = (cell % 16) / 16.0f, s1 = s0 + 1.0f / 16.0f;
    const float t0 = (cell / 16) / 16.0f, t1 = t0 + 1.0f / 16.0f;
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t1);
    glVertex3f(x, y + 50.0f, 0.0f);
    glTexCoord2f(s0, t0);
    glVertex3f(x, y, 0.0f);
    glTexCoord2f(s1, t0);
    glVertex3f(x + 100.0f, y, 0.0f);
    glTexCoord2f(s1, t1);
    glVertex3f(x + 100.0f, y + 50.0f, 0.0f);
    glEnd();
}

void drawText(float x, float y, const char* text) {
    for (const char* c = text; *c != '\0'; c++) {
        drawGlyph(x, y, static_cast<unsigned char>(*c));
        x += 60.0f;
    }
}
