// The sound layer in the page: the song's bytes, read through the stored file callbacks, go to the page's
// own AudioWorklet (web/audio.js), which plays them on the audio thread; the clock is the music it
// reports heard, whole milliseconds, never backwards.
#include "web/sound.h"

#include "sound/files.h"
#include "sound/heard.h"

#include <cstdlib>
#include <emscripten.h>

struct Song {
    int lastReportedMs;
};

namespace {

Song* playing;

EM_JS(void, audioTakeSong, (const unsigned char* bytes, int size),
      { plixAudio.takeSong(HEAPU8.slice(bytes, bytes + size)); });
EM_JS(int, audioOpen, (int rate), { return plixAudio.open(rate); });
EM_JS(void, audioPlay, (double seconds), { plixAudio.play(seconds); });
EM_JS(double, audioHeardMs, (), { return plixAudio.heardMs(); });
EM_JS(void, audioStop, (), { plixAudio.stop(); });
EM_JS(void, audioClose, (), { plixAudio.close(); });

// The whole file, in a buffer of the C allocator; null when it cannot be read.
unsigned char* readSongFile(const char* name, int* size) {
    void* handle = soundOpenFile(name);
    if (!handle)
        return nullptr;
    unsigned char* bytes = nullptr;
    if (soundStreamSeek(handle, 0, 2) == 0) {
        int64_t length = soundStreamTell(handle);
        if (length > 0 && length < INT32_MAX && soundStreamSeek(handle, 0, 0) == 0) {
            bytes = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(length)));
            if (bytes &&
                soundStreamRead(handle, bytes, static_cast<size_t>(length)) != static_cast<size_t>(length)) {
                std::free(bytes);
                bytes = nullptr;
            }
            *size = static_cast<int>(length);
        }
    }
    soundCloseFile(handle);
    return bytes;
}

} // namespace

int soundInit(int mixRate) {
    return audioOpen(mixRate);
}

// The worklet builds the module itself; one it cannot load is told to the page from there.
Song* soundLoadSong(const char* name) {
    int size = 0;
    unsigned char* bytes = readSongFile(name, &size);
    if (!bytes)
        return nullptr;
    audioTakeSong(bytes, size);
    std::free(bytes);
    return static_cast<Song*>(std::calloc(1, sizeof(Song)));
}

void soundPlaySong(Song* song) {
    soundPlaySongFrom(song, 0);
}

void soundPlaySongFrom(Song* song, int positionMs) {
    if (!song)
        return;
    playing = song;
    song->lastReportedMs = positionMs;
    audioPlay(positionMs / 1000.0);
}

int soundGetTime(Song* song) {
    if (!song)
        return 0;
    return song == playing ? reportHeard(audioHeardMs(), song->lastReportedMs) : song->lastReportedMs;
}

void soundFreeSong(Song* song) {
    if (!song)
        return;
    if (song == playing) {
        audioStop();
        playing = nullptr;
    }
    std::free(song);
}

void soundClose() {
    audioClose();
}
