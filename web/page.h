// What the program says to its page and asks of it: the show's state in words, and the test mode.
#pragma once

#include <emscripten.h>

// Both are the page's own script (EM_JS, in page.cpp).
extern "C" {
// Hands the page a state ("waiting", "playing", "failed", "ended", "drawn") and a sentence to show.
void tellPage(const char* state, const char* message);

// 1 when the page's address asks for one still frame (?time=T&rate=R, the rate 60 when left out) instead
// of the live show, with the time and rate filled in; 0 when it does not; -1 when they are not usable.
int testModeAsked(double* seconds, double* rate);
}
