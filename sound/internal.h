// What the sound layer's own files share: the song record and the adapters that let libopenmpt read
// through the stored file callbacks.
#pragma once

#include "sound/sound.h"

#include <cstddef>
#include <cstdint>
#include <libopenmpt/libopenmpt.h>

struct Song {
    openmpt_module* module;
    int lastReportedMs; // the main thread's last answer, so that the time never goes backwards
};

// libopenmpt's stream interface over a handle of the stored callbacks. Seek returns 0 when the stream
// reached exactly the asked position and -1 otherwise, leaving the position where it was.
size_t soundStreamRead(void* handle, void* destination, size_t bytes);
int soundStreamSeek(void* handle, int64_t offset, int whence);
int64_t soundStreamTell(void* handle);

// The sound server's share of the delay before the music is heard, when SDL plays through a PulseAudio
// server; nothing otherwise. Open and close on the main thread while the callback does not run; ask
// from the callback only, with the time it began.
void serverOpen();
void serverAsk(uint64_t callbackTicks, int rate);
double serverDelayFrames(); // frames the clock counts less; any thread
void serverClose();

// What the server holds of the stream, in seconds, from its answer about it (server.cpp).
struct pa_sink_input_info;
double serverHeld(const pa_sink_input_info* info);
