// Start-up's resources: the fixed GL state and the textures, the sound layer fed from the embedded
// files and the song, the particle pools, then the music starts.
#include "shell/startup.h"

#include "show/frame.h"
#include "show/song.h"
#include "sound/assetfiles.h"
#include "sound/sound.h"

#include <cstdio>
#include <cstdlib>

Song* song = nullptr;

static void startSound() {
    serveSoundFromAssets();
    if (!soundInit(songMixRate)) {
        std::printf("Error upon sound initialization\n");
        std::exit(-2);
    }
    song = soundLoadSong(songAsset);
    if (!song) {
        std::printf("Error loading song\n");
        std::exit(-3);
    }
}

void loadResources() {
    prepareShow(startSound);
    soundPlaySong(song);
}
