// The music in the page: started by the viewer (browsers keep sound off until then), its position the
// show's clock, stopped by the quit keys.
#pragma once

// Loads the song and opens the sound, which waits for the viewer's click to start: the worklet builds
// the module meanwhile, which inside the click would hold back the music's start by a fraction of a
// second. False, and the page told so, when the song cannot be loaded.
bool loadMusic();

// Where the viewer's start plays the music from, in milliseconds of the song; 0 unless set.
void startMusicAt(int ms);

// True once the viewer has started the show (even when the sound then failed to start).
bool showStarted();

// Whole milliseconds of the song heard, from where it started; that start until the music is heard.
int musicTime();

// A quit key: the music stops, the last frame stays, the page says the show has ended.
void stopShow();

// True once a quit key has stopped the show.
bool showEnded();
