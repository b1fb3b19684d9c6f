// The music in the page: the song is loaded with the page, the viewer's click opens the sound and starts
// it, a quit key stops them and ends the show; every failure is told to the page in words.
#include "web/music.h"

#include "show/song.h"
#include "sound/assetfiles.h"
#include "web/page.h"
#include "web/sound.h"

#include <GL/glut.h>

namespace {

Song* song = nullptr;
int startMs = 0;
bool started = false;
bool ended = false;

constexpr const char* notLoaded = "The music could not be loaded.";

} // namespace

bool loadMusic() {
    serveSoundFromAssets();
    song = soundLoadSong(songAsset);
    if (!song) {
        tellPage("failed", notLoaded);
        return false;
    }
    // The sound opens with the page and waits, suspended, for the click; opened again then, it starts
    // at once. A page without an output is told so then.
    soundInit(songMixRate);
    return true;
}

// Called by the page on the viewer's first click or key, from inside that event.
extern "C" EMSCRIPTEN_KEEPALIVE void startShow() {
    if (started || ended || !song)
        return;
    started = true;
    if (!soundInit(songMixRate)) {
        tellPage("failed", "The sound could not start: this browser gave the page no audio output.");
        return;
    }
    soundPlaySongFrom(song, startMs);
    tellPage("playing", "");
    glutPostRedisplay();
}

// Called by the page's audio when the song it was handed cannot be played after all.
extern "C" EMSCRIPTEN_KEEPALIVE void musicFailed() {
    if (!ended)
        tellPage("failed", notLoaded);
}

void startMusicAt(int ms) {
    startMs = ms;
}

bool showStarted() {
    return started;
}

int musicTime() {
    return soundGetTime(song);
}

bool showEnded() {
    return ended;
}

// Once stopped, the page keeps its last frame.
void stopShow() {
    soundFreeSong(song);
    song = nullptr;
    soundClose();
    ended = true;
    tellPage("ended", "The show has ended.");
    emscripten_exit_with_live_runtime();
}
