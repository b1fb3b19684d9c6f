// What the program says to its page and asks of it: the show's state in words, the test mode, the start.
#pragma once

#include <emscripten.h>

// Both are the page's own script (EM_JS, in page.cpp).
extern "C" {
// Hands the page a state ("replaying", "waiting", "playing", "failed", "ended", "drawn") and a sentence
// to show.
void tellPage(const char* state, const char* message);

// The number of still frames the page's address asks for instead of the live show (?time=T,T,…&rate=R,
// the rate 60 when left out), at most capacity, their times filled in and the rate; 0 when it asks for
// none; -1 when they are not usable.
int testModeAsked(double* times, int capacity, double* rate);

// 1 when the address asks the show to open at a moment (?start=T), with T in seconds as given (NaN when
// it is not a number); 0 when it asks for none.
int startAsked(double* seconds);
}
