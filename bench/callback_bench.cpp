// The audio callback's run time over the whole song: the sound layer plays it as the show does (the
// clock read every 10 ms) while every run of the callback SDL was given is timed from outside the layer,
// by wrapping SDL_OpenAudioDevice (linked with --wrap). Prints the number of callbacks, the longest run
// (and which it was), the 99th percentile, the median (microseconds) and how many took over 1 ms; asserts
// nothing. Usage: bench/pulse.sh <dir>/bench/callback_bench [SECONDS] (the song's length unless given)
#include "sound/assetfiles.h"
#include "sound/sound.h"
#include "util/assets.h"

#include <SDL.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <libopenmpt/libopenmpt.h>
#include <thread>

extern "C" SDL_AudioDeviceID __real_SDL_OpenAudioDevice(const char*, int, const SDL_AudioSpec*,
                                                        SDL_AudioSpec*, int);

namespace {

constexpr int maxRuns = 1 << 14; // 6 minutes of 1024-frame buffers
double runs[maxRuns];            // microseconds; written by the audio thread only
std::atomic<int> runCount;
SDL_AudioCallback layerCallback;

double now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + t.tv_nsec * 1e-9;
}

void timedCallback(void* user, Uint8* stream, int length) {
    double start = now();
    layerCallback(user, stream, length);
    int n = runCount.load(std::memory_order_relaxed);
    if (n < maxRuns) {
        runs[n] = (now() - start) * 1e6;
        runCount.store(n + 1, std::memory_order_release);
    }
}

double songSeconds() {
    AssetStream* song = openAsset("data/boo.oxm");
    if (!song)
        return 0.0;
    openmpt_module* m = openmpt_module_create_from_memory2(
        song->bytes, size_t(song->length), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    double seconds = m ? openmpt_module_get_duration_seconds(m) : 0.0;
    openmpt_module_destroy(m);
    closeAsset(song);
    return seconds;
}

} // namespace

extern "C" SDL_AudioDeviceID __wrap_SDL_OpenAudioDevice(const char* name, int capture,
                                                        const SDL_AudioSpec* want, SDL_AudioSpec* have,
                                                        int changes) {
    SDL_AudioSpec timed = *want;
    layerCallback = want->callback;
    timed.callback = timedCallback;
    return __real_SDL_OpenAudioDevice(name, capture, &timed, have, changes);
}

int main(int argc, char** argv) {
    double seconds = argc > 1 ? std::atof(argv[1]) : songSeconds();
    serveSoundFromAssets();
    if (!soundInit(44100)) {
        std::printf("no audio device\n");
        return 1;
    }
    Song* song = soundLoadSong("data/boo.oxm");
    if (!song) {
        std::printf("no song\n");
        return 1;
    }
    std::printf("driver %s; playing %.1f s of music\n", SDL_GetCurrentAudioDriver(), seconds);
    soundPlaySong(song);
    const auto start = std::chrono::steady_clock::now();
    // The clock's time, with a wall-clock limit in case the device stops taking the music.
    while (soundGetTime(song) < seconds * 1000.0 &&
           std::chrono::steady_clock::now() - start < std::chrono::duration<double>(2 * seconds + 10))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    soundFreeSong(song);
    soundClose();

    int n = runCount.load(std::memory_order_acquire);
    if (n == 0) {
        std::printf("no callback ran\n");
        return 1;
    }
    int longest = int(std::max_element(runs, runs + n) - runs);
    std::sort(runs, runs + n);
    int over = int(runs + n - std::upper_bound(runs, runs + n, 1000.0));
    std::printf("callbacks %d, longest %.0f us (callback %d), 99th percentile %.0f us, median %.0f us, "
                "over 1 ms: %d\n",
                n, runs[n - 1], longest + 1, runs[std::min(n - 1, n * 99 / 100)], runs[n / 2], over);
    return 0;
}
