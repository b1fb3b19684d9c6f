// The show's clock: seconds of music played, written once per idle tick and read by the scenes.
#pragma once

extern float songTime;
extern float previousSongTime;
extern float frameDelta;

// One idle tick's arithmetic: the music position in milliseconds becomes songTime and frameDelta.
void tickClock(int positionMs);

// The same step for a position in seconds, as an offline renderer with a fixed frame rate reads it.
void advanceClock(double seconds);
