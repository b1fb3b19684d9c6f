// The page's own fixed-function GL: the GL 1.x calls the show makes, implemented over WebGL so that a
// frame goes out in a few draws. Matrices, colours and lighting are applied to each vertex as it is
// given; quads that share a texture and the GL state WebGL keeps are gathered into one vertex array
// and drawn when that state next changes or the frame ends. These are what its four files share.
#pragma once

// A vertex as WebGL draws it: the position in clip space, the texture coordinate, the colour after
// lighting.
struct DrawnVertex {
    float position[4];
    float texCoord[2];
    float color[4];
};

// vertices.cpp: the vertex array. A quad's corners come in GL's order; flushDrawing draws what was
// gathered and must run before any state it was gathered under changes, and once at the end of
// every frame; restartDrawing (after a clear) starts the array from its beginning again.
void gatherQuad(const DrawnVertex corners[4]);
void flushDrawing();
void restartDrawing();

// state.cpp: whether quads gathered now are textured (GL_TEXTURE_2D on and a texture other than 0
// bound: desktop GL draws an unloaded picture's quad in its plain colour), lit, and flat-shaded.
bool texturingOn();
bool lightingOn();
bool lightOn(int light);
bool flatShading();

// matrix.cpp: the current modelview and projection, column by column as GL keeps them.
const float* currentModelview();
const float* currentProjection();
void transformPoint(const float matrix[16], const float in[4], float out[4]);
