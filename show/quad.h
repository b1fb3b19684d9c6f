// Textured quads as the show issues them: counter-clockwise on the y-down canvas, so they face the viewer.
#pragma once

// Corners (left, top) to (right, bottom) with texture (s0, t0) at the top left and (s1, t1) at the bottom
// right; vertices top left, bottom left, bottom right, top right.
void drawQuad(float left, float top, float right, float bottom, float s0, float t0, float s1, float t1);

// The whole picture canvas with the whole texture.
inline void drawCanvasQuad() {
    drawQuad(0.0f, 0.0f, 1024.0f, 768.0f, 0.0f, 0.0f, 1.0f, 1.0f);
}

// The 64 x 64 sprite of a snowflake or a spark, centred on the origin.
inline void drawSpriteQuad() {
    drawQuad(-32.0f, -32.0f, 32.0f, 32.0f, 0.0f, 0.0f, 1.0f, 1.0f);
}
