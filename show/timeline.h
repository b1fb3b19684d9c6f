// The timeline: picks the scene for songTime, draws and advances it, and lays the credits over it.
#pragma once

#include <GL/gl.h>

void drawShow();
void setPictureCanvas();
// All the GL state a layer of the picture canvas is drawn in: the canvas, the texture, the faces towards
// the viewer kept, blended by (GL_SRC_ALPHA, blendDestination) in drawing order (the depth test at
// GL_LEQUAL), and lit by the frame's light or not. The colour is the caller's.
void setCanvasLayer(GLuint texture, GLenum blendDestination, bool lit);
void drawHeatTube();
void drawLagerFeuer();
void drawTheEnd();
