// The output side of the sound layer: the SDL audio device, its callback that renders the playing
// song, and the clock of music heard that the show runs on (less what a sound server still holds).
#include "sound/heard.h"
#include "sound/internal.h"

#include <SDL.h>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

constexpr int bufferFrames = 1024; // a power of two: SDL converts other sizes and the pace drifts

SDL_AudioDeviceID device;
int deviceRate;
Song* playing; // written with the device locked; read by the callback

// What the callback last recorded, for the main thread to interpolate from. The lock is held only
// for these few stores and loads, never while the module renders.
std::mutex clockLock;
uint64_t framesHeard;   // frames played out before the buffer last handed over
uint64_t framesPending; // frames in that buffer, playing since the callback
uint64_t callbackTicks; // performance counter at that callback
bool clockRunning;

bool closesAtExit;

void renderAudio(void*, Uint8* stream, int length) {
    uint64_t now = SDL_GetPerformanceCounter();
    auto* out = reinterpret_cast<float*>(stream);
    size_t frames = static_cast<size_t>(length) / (2 * sizeof(float));
    size_t rendered = 0;
    if (playing)
        rendered = openmpt_module_read_interleaved_float_stereo(playing->module, deviceRate, frames, out);
    if (rendered < frames)
        std::memset(out + 2 * rendered, 0, (frames - rendered) * 2 * sizeof(float));
    // The server's delay is asked before the clock moves on, so that the clock never runs ahead of it.
    if (playing)
        serverAsk(now, deviceRate);
    std::lock_guard<std::mutex> guard(clockLock);
    if (!playing)
        return;
    framesHeard += framesPending;
    framesPending = rendered;
    callbackTicks = now;
    clockRunning = true;
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
    serverOpen();
    return 1;
}

void soundPlaySong(Song* song) {
    if (!song || !device)
        return;
    SDL_LockAudioDevice(device);
    openmpt_module_set_position_seconds(song->module, 0.0);
    playing = song;
    {
        std::lock_guard<std::mutex> guard(clockLock);
        framesHeard = 0;
        framesPending = 0;
        clockRunning = false;
    }
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
    uint64_t heard, pending, ticks;
    bool running;
    {
        std::lock_guard<std::mutex> guard(clockLock);
        heard = framesHeard;
        pending = framesPending;
        ticks = callbackTicks;
        running = clockRunning && playing == song;
    }
    if (running) {
        // Between callbacks the buffer last handed over plays at the mix rate; it cannot be heard
        // further than its end before the next callback says so.
        double seconds = double(SDL_GetPerformanceCounter() - ticks) / double(SDL_GetPerformanceFrequency());
        double frames = seconds * deviceRate;
        if (frames > double(pending))
            frames = double(pending);
        reportHeard((double(heard) + frames - serverDelayFrames()) * 1000.0 / deviceRate,
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
