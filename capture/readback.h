// Frame read-back through two pixel-pack buffers: the pixels of one frame are fetched while the next one
// is drawn, instead of stalling the drawing thread on every frame.
#pragma once

#include <cstdint>

// Needs the offscreen context current; sizes the two buffers to width x height RGBA.
void startReadback(int width, int height);
// Starts fetching the frame just drawn; it is handed on by the next call or by finishReadback.
// Returns false if handing on the previously fetched frame failed.
bool readbackFrame(int64_t frameIndex);
// Hands on the last fetched frame, if any.
bool finishReadback();
