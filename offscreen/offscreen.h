// An offscreen OpenGL context without a window: EGL's surfaceless platform with a pbuffer, for tests
// and offline capture. One context at a time.
#pragma once

#include <string>

// Creates a desktop GL (compatibility profile) context drawing into a width x height RGBA pbuffer and
// makes it current, with the viewport set to the whole pbuffer. On failure returns false and, when
// reason is given, says why; no context stays open.
bool openOffscreen(int width = 640, int height = 480, std::string* reason = nullptr);

// Waits for GL to finish and copies the frame into rgba (width * height * 4 bytes, R G B A), top row
// first, as a viewer sees it (GL itself reads bottom row first; the rows are turned over here).
void readOffscreenPixels(unsigned char* rgba);

// GL reads pictures bottom row first; files and encoders take the top row first. Copies a width x height
// RGBA picture as GL read it into to, rows turned over, with 4 bytes a pixel or 3 (the alpha dropped).
void flipGlRows(const unsigned char* rgba, int width, int height, unsigned char* to, int channels);

int offscreenWidth();
int offscreenHeight();
// GL_RENDERER of the open context, for messages ("llvmpipe (...)" under Mesa's software driver).
const char* offscreenRenderer();

// Ends the context and its pbuffer; the display stays initialised for the next openOffscreen.
void closeOffscreen();
