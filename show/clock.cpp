// The show's clock, advanced once per idle tick from the music position.
#include "show/clock.h"

float songTime = 0.0f;
float previousSongTime = 0.0f;
float frameDelta = 0.0f;

void tickClock(int positionMs) {
    songTime = static_cast<float>(positionMs / 1000.0);
    frameDelta = songTime - previousSongTime; // not clamped: a position that goes back gives a negative step
    previousSongTime = songTime;
}
