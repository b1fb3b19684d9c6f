// The sound layer: plays the music module and reports its position, the show's only clock.
// Only this layer knows libopenmpt and SDL.
#pragma once

#include <cstdint>

struct Song;

// Every file the layer opens goes through these. A null handle means "no such file".
using SoundOpenFn = void* (*)(const char* name);
using SoundCloseFn = void (*)(void* handle);
using SoundReadFn = int32_t (*)(void* buffer, int32_t size, void* handle);
using SoundSeekFn = int32_t (*)(void* handle, int32_t offset, int8_t mode); // mode 0 set, 1 current, 2 end
using SoundTellFn = int32_t (*)(void* handle);

void soundSetFileCallbacks(SoundOpenFn open, SoundCloseFn close, SoundReadFn read, SoundSeekFn seek,
                           SoundTellFn tell);
int soundInit(int mixRate);            // non-zero on success; 0 when no audio device can be opened
Song* soundLoadSong(const char* name); // null on failure; the song repeats without end
void soundPlaySong(Song* song);        // the clock starts at 0
int soundGetTime(Song* song);          // whole milliseconds of music heard since play
void soundFreeSong(Song* song);        // stops playback and releases the module
void soundClose();
