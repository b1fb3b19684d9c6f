// What every front draws: the fixed GL state of start-up, the preparation of the show and the steps of
// one frame (clear, camera, light, timeline). GL and GLU only; the window and the capture both use it.
#pragma once

#include <GL/gl.h>

// The title of the window (and of the page) the show is drawn in.
inline constexpr const char* showTitle = "plix - NightShore 2003 - veduzuvoz";

// The GL state the whole show starts from; needs a current context.
void initGlState();

// Everything a front does before its first frame, in the order the show needs: the fixed GL state,
// the nine textures, then startSound (when given: the window starts the sound layer and loads the
// song here), then the particle pools.
void prepareShow(void (*startSound)());

// The viewport and the projection's aspect for a drawing area of this size; a height of 0 (a window
// minimised or dragged shut) keeps the aspect it had.
void reshapeFrame(int width, int height);

void clearFrame();
void setCamera();
void setLight();
// Clear, camera, light and the show for the current songTime; the caller flushes and presents.
void renderFrame();
