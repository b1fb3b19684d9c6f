// What the sound layer's own files share: the song record, the stream over the stored file callbacks
// that libopenmpt reads through, and the sound server's share of the delay.
#pragma once

#include "sound/files.h"
#include "sound/sound.h"

#include <cstddef>
#include <cstdint>
#include <libopenmpt/libopenmpt.h>

struct Song {
    openmpt_module* module;
    int lastReportedMs; // the main thread's last answer, so that the time never goes backwards
};

// The sound server's share of the delay before the music is heard, when SDL plays through a PulseAudio
// server; nothing otherwise. A thread of its own asks the server, just after a callback began. Open (with
// the device's rate) and close on the main thread while the callback does not run. The callback marks
// the start of each run, with the time it began, and never waits.
void serverOpen(int rate);
void serverCallbackBegins(uint64_t callbackTicks);
bool serverDelayKnown();    // false until the first answer, or until the server has had its chances
double serverDelayFrames(); // frames the clock counts less; any thread
void serverClose();

// What the server holds of the stream, in seconds, from its answer about it (server.cpp).
struct pa_sink_input_info;
double serverHeld(const pa_sink_input_info* info);
