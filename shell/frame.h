// The shell's frame set-up: its state, the fixed GL state of start-up and the steps of one frame.
// GL and GLU only, so that a program without a window toolkit can draw frames the same way.
#pragma once

#include <GL/gl.h>

extern float eyeX;
extern float eyeY;
extern float eyeZ;
extern GLenum shadeModel;
extern double aspect;
extern double fovY;
extern double zNear;
extern double zFar;
extern float lightAmbient[4];
extern float lightDiffuse[4];
extern float lightPosition[4];

// The GL state the whole show starts from; needs a current context.
void initGlState();
void clearFrame();
void setCamera();
void setLight();
// Clear, camera, light and the show for the current songTime; the caller flushes and presents.
void renderFrame();
