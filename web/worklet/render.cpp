// The page's audio thread: libopenmpt renders the song inside the AudioWorklet's own scope (music.wasm),
// from the module's bytes handed over once, a render quantum at a time into two channel buffers.
#include <cmath>
#include <cstddef>
#include <emscripten.h>
#include <libopenmpt/libopenmpt.h>

namespace {

constexpr int mostFrames = 1024; // a quantum is 128 frames today; the buffers leave room for more

openmpt_module* song;
double songLength; // seconds of one pass; libopenmpt works it out by playing the song through
float channels[2][mostFrames];

} // namespace

extern "C" {

// Builds the song from its bytes (the caller's, not kept); it repeats without end. False when
// libopenmpt cannot load them.
EMSCRIPTEN_KEEPALIVE bool loadSong(const void* bytes, size_t size) {
    if (song)
        openmpt_module_destroy(song);
    song = openmpt_module_create_from_memory2(bytes, size, openmpt_log_func_silent, nullptr, nullptr, nullptr,
                                              nullptr, nullptr, nullptr);
    if (!song)
        return false;
    openmpt_module_set_repeat_count(song, -1);
    songLength = openmpt_module_get_duration_seconds(song);
    return true;
}

// The song from a position in seconds (past its end, as far into its repeats), which libopenmpt takes
// to the start of a row; returns the position it plays from, counted across the repeats like the time.
EMSCRIPTEN_KEEPALIVE double startSong(double seconds) {
    if (!song)
        return 0.0;
    const double repeats = songLength > 0.0 ? std::floor(seconds / songLength) : 0.0;
    return repeats * songLength + openmpt_module_set_position_seconds(song, seconds - repeats * songLength);
}

// The buffer of channel 0 (left) or 1 (right).
EMSCRIPTEN_KEEPALIVE float* songBuffer(int channel) {
    return channels[channel & 1];
}

// Renders the next frames (at most mostFrames) at the rate into the buffers; the count rendered.
EMSCRIPTEN_KEEPALIVE int renderSong(int rate, int frames) {
    if (!song || frames <= 0)
        return 0;
    if (frames > mostFrames)
        frames = mostFrames;
    return static_cast<int>(
        openmpt_module_read_float_stereo(song, rate, static_cast<size_t>(frames), channels[0], channels[1]));
}
}
