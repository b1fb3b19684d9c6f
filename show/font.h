// Bitmap font text: one textured quad per character from the 16 x 16 cell font sheet.
#pragma once

int glyphCell(unsigned char ch);
void drawGlyph(float x, float y, unsigned char ch);
void drawText(float x, float y, const char* text);
