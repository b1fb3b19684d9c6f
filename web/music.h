// The music in the page: started by the viewer (browsers keep sound off until then), its position the
// show's clock, stopped by the quit keys.
#pragma once

// Loads the song, so that the viewer's click has only to open the sound and start it (the page's audio
// runs from then on, and a song loaded inside the click would cost its first fraction of a second).
// False, and the page told so, when it cannot be loaded.
bool loadMusic();

// Whole milliseconds of music heard; 0 until the music plays.
int musicTime();

// True once a quit key has stopped the show.
bool showEnded();
