// The music in the page: the song is loaded with the page, the viewer's click opens the sound and starts
// it, a quit key stops them and ends the show; every failure is told to the page in words.
#include "web/music.h"

#include "shell/shutdown.h"
#include "sound/assetfiles.h"
#include "sound/sound.h"
#include "web/page.h"

namespace {

constexpr int mixRate = 44100;

Song* song = nullptr;
bool started = false;
bool ended = false;

// SDL opens the page's AudioContext at the hardware's rate unless one exists; one at the mix rate spares
// SDL a conversion that would hold back part of every buffer. Made inside the viewer's event, it may run.
EM_JS(void, makeAudioContext, (int rate), {
    const Context = globalThis.AudioContext || globalThis.webkitAudioContext;
    if (!Context)
        return;
    Module.SDL2 = Module.SDL2 || {};
    if (!Module.SDL2.audioContext)
        Module.SDL2.audioContext = new Context({sampleRate : rate, latencyHint : "interactive"});
    Module.SDL2.audioContext.resume();
});

} // namespace

bool loadMusic() {
    serveSoundFromAssets();
    song = soundLoadSong("data/boo.oxm");
    if (!song)
        tellPage("failed", "The music could not be loaded.");
    return song != nullptr;
}

// Called by the page on the viewer's first click or key, from inside that event.
extern "C" EMSCRIPTEN_KEEPALIVE void startShow() {
    if (started || ended || !song)
        return;
    started = true;
    makeAudioContext(mixRate);
    if (!soundInit(mixRate)) {
        tellPage("failed", "The sound could not start: this browser gave the page no audio output.");
        return;
    }
    soundPlaySong(song);
    tellPage("playing", "");
}

int musicTime() {
    return soundGetTime(song);
}

bool showEnded() {
    return ended;
}

// The quit keys: the music stops, the last frame stays, the page says the show has ended.
void shutdownShow() {
    soundFreeSong(song);
    song = nullptr;
    soundClose();
    ended = true;
    tellPage("ended", "The show has ended.");
    emscripten_exit_with_live_runtime();
}
