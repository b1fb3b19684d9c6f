// The output side of the sound layer: the SDL audio device, its callback that renders the playing
// song, and the clock of music heard that the show runs on (less what a sound server still holds).
#include "sound/heard.h"
#include "sound/internal.h"

#include <SDL.h>
#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int bufferFrames = 1024; // a power of two: SDL converts other sizes and the pace drifts

SDL_AudioDeviceID device;
int deviceRate;
Song* playing; // written with the device locked; read by the callback

// What the callback last recorded, for the main thread to interpolate from, published under a
// sequence count that is odd while it is written: neither side ever waits for the other. Written by
// the callback, or by the main thread with the device locked.
std::atomic<uint32_t> clockSequence;
std::atomic<uint64_t> framesHeard;   // frames played out before the buffer last handed over
std::atomic<uint64_t> framesPending; // frames in that buffer, playing since the callback
std::atomic<uint64_t> callbackTicks; // performance counter at that callback
std::atomic<bool> clockRunning;

struct ClockReading {
    uint64_t heard, pending, ticks;
    bool running;
};

void publishClock(const ClockReading& c) {
    uint32_t sequence = clockSequence.load(std::memory_order_relaxed);
    clockSequence.store(sequence + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    framesHeard.store(c.heard, std::memory_order_relaxed);
    framesPending.store(c.pending, std::memory_order_relaxed);
    callbackTicks.store(c.ticks, std::memory_order_relaxed);
    clockRunning.store(c.running, std::memory_order_relaxed);
    clockSequence.store(sequence + 2, std::memory_order_release);
}

ClockReading readClock() {
    for (;;) {
        uint32_t sequence = clockSequence.load(std::memory_order_acquire);
        ClockReading c = {
            framesHeard.load(std::memory_order_relaxed), framesPending.load(std::memory_order_relaxed),
            callbackTicks.load(std::memory_order_relaxed), clockRunning.load(std::memory_order_relaxed)};
        std::atomic_thread_fence(std::memory_order_acquire);
        if (!(sequence & 1) && clockSequence.load(std::memory_order_relaxed) == sequence)
            return c;
    }
}

bool closesAtExit;

void renderAudio(void*, Uint8* stream, int length) {
    uint64_t now = SDL_GetPerformanceCounter();
    Song* song = playing;
    if (song)
        serverCallbackBegins(now);
    auto* out = reinterpret_cast<float*>(stream);
    size_t frames = static_cast<size_t>(length) / (2 * sizeof(float));
    size_t rendered = 0;
    if (song)
        rendered = openmpt_module_read_interleaved_float_stereo(song->module, deviceRate, frames, out);
    if (rendered < frames)
        std::memset(out + 2 * rendered, 0, (frames - rendered) * 2 * sizeof(float));
    if (!song)
        return;
    publishClock({framesHeard.load(std::memory_order_relaxed) + framesPending.load(std::memory_order_relaxed),
                  rendered, now, true});
}

// Once the music plays, every way out closes the device: exit() from anywhere (GLUT's own, when the
// window manager closes the window, included) runs this before the exit handlers registered earlier,
// so the audio thread has stopped before anything it uses is torn down.
void closeAtExit() {
    soundClose();
}

} // namespace

int soundInit(int mixRate) {
    if (device)
        return 1;
    // SDL would turn SIGINT and SIGTERM into quit events that nobody reads, leaving the program unkillable.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return 0;
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = mixRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = bufferFrames;
    want.callback = renderAudio;
    SDL_AudioSpec have;
    // No changes allowed: SDL converts to whatever the device takes, so the callback sees this format.
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!device) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    deviceRate = mixRate;
    serverOpen(mixRate);
    return 1;
}

void soundPlaySong(Song* song) {
    if (!song || !device)
        return;
    SDL_LockAudioDevice(device);
    openmpt_module_set_position_seconds(song->module, 0.0);
    playing = song;
    publishClock({0, 0, 0, false});
    song->lastReportedMs = 0;
    SDL_UnlockAudioDevice(device);
    // Registered once the song is loaded: libopenmpt registers exit handlers of its own while loading,
    // and this one must run before them.
    if (!closesAtExit)
        closesAtExit = std::atexit(closeAtExit) == 0;
    SDL_PauseAudioDevice(device, 0);
}

int soundGetTime(Song* song) {
    if (!song)
        return 0;
    ClockReading c = readClock();
    // Until the server's share is first known, the clock would run ahead of it.
    if (c.running && playing == song && serverDelayKnown()) {
        // Between callbacks the buffer last handed over plays at the mix rate; it cannot be heard
        // further than its end before the next callback says so.
        double seconds =
            double(SDL_GetPerformanceCounter() - c.ticks) / double(SDL_GetPerformanceFrequency());
        double frames = seconds * deviceRate;
        if (frames > double(c.pending))
            frames = double(c.pending);
        reportHeard((double(c.heard) + frames - serverDelayFrames()) * 1000.0 / deviceRate,
                    song->lastReportedMs);
    }
    return song->lastReportedMs;
}

void soundFreeSong(Song* song) {
    if (!song)
        return;
    if (device) {
        SDL_LockAudioDevice(device);
        if (playing == song)
            playing = nullptr;
        SDL_UnlockAudioDevice(device);
        if (!playing)
            SDL_PauseAudioDevice(device, 1);
    }
    openmpt_module_destroy(song->module);
    std::free(song);
}

void soundClose() {
    if (!device)
        return;
    SDL_CloseAudioDevice(device);
    serverClose();
    device = 0;
    playing = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
