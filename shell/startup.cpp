// Start-up's resources: the textures, the sound layer fed from the embedded files, the song and the
// particle pools, then the music starts.
#include "shell/startup.h"

#include "shell/shutdown.h"
#include "shell/soundfiles.h"
#include "show/particles.h"
#include "show/textures.h"
#include "sound/sound.h"

#include <cstdio>
#include <cstdlib>

void loadResources() {
    loadShowTextures();
    serveSoundFromAssets();
    if (!soundInit(44100)) {
        std::printf("Error upon sound initialization\n");
        std::exit(-2);
    }
    song = soundLoadSong("data/boo.oxm");
    if (!song) {
        std::printf("Error loading song\n");
        std::exit(-3);
    }
    initParticlePools();
    soundPlaySong(song);
}
