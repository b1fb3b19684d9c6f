// The viewer's controls: the key table and the state it changes (the camera's eye, the shade model),
// which the next frame reads. Each front feeds it its keys and brings its own ending for a quit key.
#pragma once

#include <GL/gl.h>

extern float eyeX;
extern float eyeZ;
extern GLenum shadeModel;

// Applies a key to the show's state; true for a quit key (Escape, q), which the front answers itself.
bool pressShowKey(unsigned char key);
