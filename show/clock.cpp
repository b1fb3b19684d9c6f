// The show's clock, advanced once per idle tick from the music position.
#include "show/clock.h"

float songTime = 0.0f;
float previousSongTime = 0.0f;
float frameDelta = 0.0f;

void advanceClock(double seconds) {
    songTime = static_cast<float>(seconds);
    frameDelta = songTime - previousSongTime; // not clamped: a position that goes back gives a negative step
    previousSongTime = songTime;
}

void tickClock(int positionMs) {
    advanceClock(positionMs / 1000.0);
}
