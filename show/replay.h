// The frames before a late start: the scenes carry their particles and GL state from frame to frame, so
// a front that starts at a later moment first draws every frame from 0, in order, for what it leaves
// behind. None of that depends on the size drawn, so they go into a corner of a few pixels.
#pragma once

#include <cstdint>

inline constexpr int leadInWidth = 8;
inline constexpr int leadInHeight = 6;

// Draws frames next to end - 1 (songTime = frame ÷ rate) into the corner, the scissor keeping their
// clears there too, while goOn (when given) allows the next one; then sets the drawing area back to
// width × height, scissor off. Returns the first frame not drawn.
int64_t replayFrames(int64_t next, int64_t end, double rate, int width, int height,
                     bool (*goOn)(int64_t frame) = nullptr);

// Draws one frame at its moment, at the size set: songTime = frame ÷ rate.
void drawFrameAt(int64_t frame, double rate);
