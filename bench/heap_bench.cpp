// Heap benchmark: counts the bytes live on the C heap (every malloc of the process, operator new
// included) while the program's own steps run: sound start-up, song load, the nine picture decodes,
// playing. Prints the peak of each step and of the whole. Prints, asserts nothing.
#include "show/song.h"
#include "sound/assetfiles.h"
#include "sound/sound.h"
#include "util/png.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <thread>

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);
}

namespace {

std::atomic<long long> live, peak;

void* counted(void* p) {
    if (p) {
        long long now = live += static_cast<long long>(malloc_usable_size(p));
        long long old = peak.load();
        while (now > old && !peak.compare_exchange_weak(old, now))
            ;
    }
    return p;
}

void uncount(void* p) {
    if (p)
        live -= static_cast<long long>(malloc_usable_size(p));
}

} // namespace

extern "C" {
void* malloc(size_t n) {
    return counted(__libc_malloc(n));
}
void* calloc(size_t n, size_t m) {
    return counted(__libc_calloc(n, m));
}
void free(void* p) {
    uncount(p);
    __libc_free(p);
}
void* realloc(void* p, size_t n) {
    uncount(p);
    void* q = __libc_realloc(p, n);
    if (!q && p && n)
        counted(p); // the old block is still there
    return counted(q);
}
void* memalign(size_t a, size_t n) {
    return counted(__libc_memalign(a, n));
}
void* aligned_alloc(size_t a, size_t n) {
    return counted(__libc_memalign(a, n));
}
int posix_memalign(void** out, size_t a, size_t n) {
    void* p = counted(__libc_memalign(a, n));
    if (!p)
        return 12;
    *out = p;
    return 0;
}
}

namespace {

long long stepStart;
void begin() {
    stepStart = live.load();
    peak = stepStart;
}
void end(const char* step) {
    std::printf("  %-34s peak %+9.1f KiB, then %+9.1f KiB held\n", step, (peak - stepStart) / 1024.0,
                (live - stepStart) / 1024.0);
}

} // namespace

int main() {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    long long base = live.load(), highest = 0;
    std::printf("heap at start of main: %.1f KiB\n", base / 1024.0);
    serveSoundFromAssets();
    begin();
    int ok = soundInit(songMixRate);
    end(ok ? "sound init (SDL, dummy driver)" : "sound init FAILED");
    highest = std::max(highest, peak.load());
    begin();
    Song* song = soundLoadSong(songAsset);
    end(song ? "song load (libopenmpt module)" : "song load FAILED");
    highest = std::max(highest, peak.load());
    const char* pictures[] = {"data/HeatTube.png", "data/Flocke.png",    "data/LagerFeuer.png",
                              "data/Fire.png",     "data/Back.png",      "data/Bus.png",
                              "data/People.png",   "data/SouthPark.png", "data/TheEnd.png"};
    for (const char* name : pictures) {
        begin();
        Image* image = decodePng(name);
        char label[64];
        std::snprintf(label, sizeof label, "decode %s%s", name + 5, image ? "" : " FAILED");
        freeImage(image);
        end(label);
        highest = std::max(highest, peak.load());
    }
    begin();
    soundPlaySong(song);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    end("2 s of playing");
    highest = std::max(highest, peak.load());
    begin();
    soundFreeSong(song);
    soundClose();
    end("free song, close sound");
    std::printf("peak heap of the whole run: %.1f KiB (%.1f KiB above the start of main)\n", highest / 1024.0,
                (highest - base) / 1024.0);
    return 0;
}
