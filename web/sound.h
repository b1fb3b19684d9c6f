// What the page's sound layer offers beyond the seven operations of sound/sound.h: the song played from
// a moment, for the page's links to one.
#pragma once

#include "sound/sound.h"

// As soundPlaySong, from positionMs of the song (past its end, as far into its repeats); the clock counts
// from there, standing at positionMs until the first music is heard.
void soundPlaySongFrom(Song* song, int positionMs);
