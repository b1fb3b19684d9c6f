// The show replayed from its start to a moment, as plix-capture steps it: for the test mode's stills
// and for the page's links to a moment (?start=T). Bounded, and in slices that leave the page free.
#pragma once

// The rate of a replay that the address does not set: the test mode's default, plix-capture's too.
inline constexpr double replayRate = 60.0;

// The most a replay covers: beyond it the page says so instead.
inline constexpr double replayMostSeconds = 3600.0;
inline constexpr double replayMostFrames = 1000000.0;

// True when a replay to this moment (seconds, 0 or more) at this rate stays within both bounds.
bool replayFits(double seconds, double rate);

// Draws every frame not drawn yet, in order, up to the last whole frame at or before the moment, which
// it leaves on the canvas at the canvas's size; then calls done. Returns at once: the frames come in
// slices of about 25 ms, between which the page paints and answers, and the page is told how far the
// replay has come. A call while a replay runs is ignored.
void replayTo(double seconds, double rate, void (*done)());
